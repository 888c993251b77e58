#pragma once
// The five album tables. Their maps keep the album format's record order
// (see BucketMap), so a file Kolvaro writes has the bytes the format expects.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/archive.h"
#include "core/bucketmap.h"
#include "core/oledate.h"
#include "core/types.h"

namespace kolvaro {

struct PictureEntry {
  std::string filename;  ///< stored form: relative to the album's base folder, or absolute
  std::string title;
  COleDateTime timestamp;
  std::uint64_t size = 0;
  COleDateTime changed;
};

/// The picture table.
class CBilderEx {
 public:
  std::int32_t NextId() const { return m_nMaxId == -1 ? 1 : m_nMaxId + 1; }
  void AddOrUpdate(std::int32_t id, const std::string& filename, const COleDateTime& timestamp,
                   std::uint64_t size, const std::string& title);
  /// Sets the entry's and the table's change date; creates an empty entry
  /// for an unknown id (leaving m_nMaxId alone).
  void Touch(std::int32_t id);
  bool Lookup(std::int32_t id, PictureEntry& entry) const;
  const PictureEntry* Find(std::int32_t id) const { return m_map.find(static_cast<std::uint32_t>(id)); }
  /// Puts an entry back under its id without touching any change date.
  void Put(std::int32_t id, PictureEntry entry);
  /// Compares without regard to case for every letter of code page 1252.
  bool ContainsFile(const std::string& text) const;
  POSITION GetStartPosition() const { return m_map.GetStartPosition(); }
  void GetNext(POSITION& pos, std::int32_t& id, PictureEntry* entry = nullptr) const;
  /// Iteration without copying the entry.
  const PictureEntry& GetNextRef(POSITION& pos, std::int32_t& id) const;
  std::int32_t GetCount() const { return static_cast<std::int32_t>(m_map.size()); }
  bool Remove(std::int32_t id) { return m_map.erase(static_cast<std::uint32_t>(id)); }
  void Clear() {
    m_map.clear();
    m_nMaxId = -1;
  }
  void Serialize(CArchive& ar);

  std::int32_t m_nMaxId = -1;
  COleDateTime changed;

 private:
  BucketMap<std::uint32_t, PictureEntry> m_map;
};

/// Id to name for the person and theme tables. The names sit one after the
/// other in one buffer and the map keeps 4-byte handles into it, so that a
/// table of many short names takes little more memory than its file.
class CNameMap {
 public:
  std::size_t size() const { return m_map.size(); }
  void reserve(std::size_t n) { m_map.reserve(n); }
  void clear();
  /// Stores under id: a new id goes to the head of its chain, an existing one
  /// keeps its place.
  void set(std::uint32_t id, std::string_view name);
  bool erase(std::uint32_t id);
  /// The name, or nothing for an unknown id.
  const std::uint32_t* find(std::uint32_t id) const { return m_map.find(id); }
  std::string_view Name(std::uint32_t handle) const;
  POSITION GetStartPosition() const { return m_map.GetStartPosition(); }
  std::pair<std::uint32_t, std::string_view> GetNext(POSITION& pos) const {
    const auto [id, handle] = m_map.GetNext(pos);
    return {id, Name(*handle)};
  }

 private:
  /// Appends a name; 0 stands for the empty name and takes no bytes.
  std::uint32_t Put(std::string_view name);
  void Release(std::uint32_t handle);

  BucketMap<std::uint32_t, std::uint32_t> m_map;
  std::string m_bytes;  ///< per name: its length as a base-128 number, then its bytes
  std::size_t m_garbage = 0;
};

/// The person table: id to name.
class CPersonenEx {
 public:
  std::int32_t NextId() const { return m_nMaxId == -1 ? 1 : m_nMaxId + 1; }
  void AddOrUpdate(std::int32_t id, const std::string& name);
  void Remove(std::int32_t id);
  bool Lookup(std::int32_t id, std::string& name) const;
  /// The name, or "" when there is none.
  std::string GetName(std::int32_t id) const;
  POSITION GetStartPosition() const { return m_map.GetStartPosition(); }
  void GetNext(POSITION& pos, std::int32_t& id, std::string& name) const;
  std::int32_t GetCount() const { return static_cast<std::int32_t>(m_map.size()); }
  void Clear();
  void Serialize(CArchive& ar);

  std::int32_t m_nMaxId = 0;
  COleDateTime changed;

 private:
  CNameMap m_map;
};

struct PersonOnPictureEntry {
  std::int32_t picture = 0;  ///< key low half
  std::int32_t person = 0;   ///< key high half
  Rect rectangle;
  COleDateTime changed;
};

/// Rectangles of persons on pictures, keyed by PairKey(person, picture).
/// One map serves both the quick rectangle lookup and the full records.
class CPersonenAufBildernEx {
 public:
  void AddOrUpdate(std::int32_t person, std::int32_t picture, const Rect& rect);
  /// Whether there was such an entry; the change date is set either way.
  bool Remove(std::int32_t person, std::int32_t picture);
  void RemoveAllOfPerson(std::int32_t person);
  void RemoveAllOfPicture(std::int32_t picture);
  bool Lookup(std::int32_t person, std::int32_t picture, Rect* rect = nullptr) const;
  POSITION GetStartPosition() const { return m_map.GetStartPosition(); }
  /// Walks from pos to the next entry matching person and picture (-1 = any);
  /// returns a position at which GetNext yields it, pos already past it, or
  /// the null position when none is left.
  POSITION FindNext(POSITION& pos, std::int32_t person, std::int32_t picture) const;
  void GetNext(POSITION& pos, std::int32_t& person, std::int32_t& picture,
               Rect* rect = nullptr) const;
  const PersonOnPictureEntry& GetNextRef(POSITION& pos) const;
  /// Calls f(person, rectangle) for every person on the picture, in table order.
  template <typename F>
  void ForEachOnPicture(std::int32_t picture, F&& f) const {
    for (POSITION pos = GetStartPosition(); pos != kNullPosition;) {
      POSITION at = FindNext(pos, -1, picture);
      if (at == kNullPosition) break;
      std::int32_t person = 0, pic = 0;
      Rect rect;
      GetNext(at, person, pic, &rect);
      f(person, rect);
    }
  }
  std::int32_t GetCount() const { return static_cast<std::int32_t>(m_map.size()); }
  void Clear();
  void Serialize(CArchive& ar);

  COleDateTime changed;

 private:
  BucketMap<std::int64_t, PersonOnPictureEntry> m_map;
};

/// The theme table: id to name.
class CThemenEx {
 public:
  std::int32_t NextId() const { return m_nMaxId == -1 ? 1 : m_nMaxId + 1; }
  void AddOrUpdate(std::int32_t id, const std::string& name);
  void Remove(std::int32_t id);
  std::string GetName(std::int32_t id) const;
  bool Lookup(std::int32_t id, std::string& name) const;
  POSITION GetStartPosition() const { return m_map.GetStartPosition(); }
  void GetNext(POSITION& pos, std::int32_t& id, std::string& name) const;
  std::int32_t GetCount() const { return static_cast<std::int32_t>(m_map.size()); }
  void Clear();
  void Serialize(CArchive& ar);

  std::int32_t m_nMaxId = -1;
  COleDateTime changed;

 private:
  CNameMap m_map;
};

/// Links of themes to pictures, keyed by PairKey(theme, picture), valued by
/// the date the link was made.
class CThemenDerBilderEx {
 public:
  void AddOrUpdate(std::int32_t theme, std::int32_t picture);
  /// Stores a link with a given date and no change of the table's date
  /// (the new album's placeholder link).
  void Put(std::int32_t theme, std::int32_t picture, const COleDateTime& date);
  /// Whether there was such a link; the change date is set either way.
  bool Remove(std::int32_t theme, std::int32_t picture);
  void RemoveAllOfTheme(std::int32_t theme);
  void RemoveAllOfPicture(std::int32_t picture);
  bool Lookup(std::int32_t theme, std::int32_t picture, COleDateTime* date = nullptr) const;
  POSITION GetStartPosition() const { return m_map.GetStartPosition(); }
  POSITION FindNext(POSITION& pos, std::int32_t theme, std::int32_t picture) const;
  void GetNext(POSITION& pos, std::int32_t& theme, std::int32_t& picture,
               COleDateTime* date = nullptr) const;
  /// Calls f(theme) for every theme of the picture, in table order.
  template <typename F>
  void ForEachOnPicture(std::int32_t picture, F&& f) const {
    for (POSITION pos = GetStartPosition(); pos != kNullPosition;) {
      POSITION at = FindNext(pos, -1, picture);
      if (at == kNullPosition) break;
      std::int32_t theme = 0, pic = 0;
      GetNext(at, theme, pic);
      f(theme);
    }
  }
  std::int32_t GetCount() const { return static_cast<std::int32_t>(m_map.size()); }
  void Clear();
  void Serialize(CArchive& ar);

  COleDateTime changed;

 private:
  BucketMap<std::int64_t, COleDateTime> m_map;
};

}  // namespace kolvaro
