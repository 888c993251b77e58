#pragma once
// The five album tables. Their maps keep the album format's record order
// (see BucketMap), so a file Kolvaro writes has the bytes the format expects.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

/// Id to name with the id counter and change date that the person and
/// theme tables share; CPersonenEx and CThemenEx name it for the format.
class NameTable {
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

  std::int32_t m_nMaxId;
  COleDateTime changed;

 protected:
  explicit NameTable(std::int32_t emptyMaxId) : m_nMaxId(emptyMaxId), m_emptyMaxId(emptyMaxId) {}

 private:
  std::int32_t m_emptyMaxId;  ///< the counter of a new or cleared table
  CNameMap m_map;
};

// The two counters start apart (persons at 0, themes at -1) because the
// format's own program has them so; NextId gives 1 from either, and reading
// a file starts both at 0.

/// The person table: id to name.
class CPersonenEx : public NameTable {
 public:
  CPersonenEx() : NameTable(0) {}
};

/// The theme table: id to name.
class CThemenEx : public NameTable {
 public:
  CThemenEx() : NameTable(-1) {}
};

/// A link of a person or theme (the key's high half) to a picture (its low
/// half), keyed by PairKey(first, picture). `Link` says what a record holds
/// besides the key: its Value, the Detail that Lookup and GetNext hand out,
/// and how it is read and written.
template <typename Link>
class PairLinkTable {
 public:
  using Value = typename Link::Value;
  using Detail = typename Link::Detail;

  /// Whether there was such an entry; the change date is set either way.
  bool Remove(std::int32_t first, std::int32_t picture);
  /// Remove for each (first, picture) of `links`, the table dated once
  /// after all; `removed` gets the picture of each link that was there.
  void RemoveLinks(const std::vector<std::pair<std::int32_t, std::int32_t>>& links,
                   std::vector<std::int32_t>* removed = nullptr);
  void RemoveAllOfPicture(std::int32_t picture);
  bool Lookup(std::int32_t first, std::int32_t picture, Detail* detail = nullptr) const {
    const Value* v = m_map.find(PairKey(first, picture));
    if (!v) return false;
    if (detail) *detail = Link::DetailOf(*v);
    return true;
  }
  POSITION GetStartPosition() const { return m_map.GetStartPosition(); }
  /// Walks from pos to the next entry matching first and picture (-1 = any);
  /// returns a position at which GetNext yields it, pos already past it, or
  /// the null position when none is left.
  POSITION FindNext(POSITION& pos, std::int32_t first, std::int32_t picture) const;
  void GetNext(POSITION& pos, std::int32_t& first, std::int32_t& picture,
               Detail* detail = nullptr) const {
    const auto [key, v] = m_map.GetNext(pos);
    first = PairHigh(key);
    picture = PairLow(key);
    if (detail) *detail = Link::DetailOf(*v);
  }
  std::int32_t GetCount() const { return static_cast<std::int32_t>(m_map.size()); }
  void Clear();
  void Serialize(CArchive& ar);

  COleDateTime changed;

 protected:
  void RemoveAllOfFirst(std::int32_t first);
  /// Calls f(first, value) for every link of the picture, in table order.
  template <typename F>
  void ForEachLinkOfPicture(std::int32_t picture, F&& f) const {
    for (POSITION pos = GetStartPosition(); pos != kNullPosition;) {
      const POSITION at = FindNext(pos, -1, picture);
      if (at == kNullPosition) break;
      POSITION next = at;
      const auto [key, v] = m_map.GetNext(next);
      f(PairHigh(key), *v);
    }
  }
  BucketMap<std::int64_t, Value> m_map;
};

struct PersonOnPictureEntry {
  std::int32_t picture = 0;  ///< key low half
  std::int32_t person = 0;   ///< key high half
  Rect rectangle;
  COleDateTime changed;
};

/// A person's record on a picture: its rectangle and its own change date.
struct PersonOnPictureLink {
  using Value = PersonOnPictureEntry;
  using Detail = Rect;
  static constexpr std::uint64_t kRecordBytes = 4 + 4 + 16 + 12;
  // Removing all of a person or picture dates the table even when it is
  // empty, as the format's program does; the theme links differ here.
  static constexpr bool kEmptyKeepsDate = false;
  static const Rect& DetailOf(const Value& v) { return v.rectangle; }
  static void Write(CArchive& ar, const Value& v);
  static Value Read(CArchive& ar, std::int64_t key);
};

/// A theme's link to a picture: only the date it was made.
struct ThemeOfPictureLink {
  using Value = COleDateTime;
  using Detail = COleDateTime;
  static constexpr std::uint64_t kRecordBytes = 4 + 4 + 12;
  // An empty theme-link table keeps its date through a removal of all of a
  // theme or picture: the format's program walks nothing and dates nothing.
  static constexpr bool kEmptyKeepsDate = true;
  static const COleDateTime& DetailOf(const Value& v) { return v; }
  static void Write(CArchive& ar, const Value& v);
  static Value Read(CArchive& ar, std::int64_t key);
};

extern template class PairLinkTable<PersonOnPictureLink>;
extern template class PairLinkTable<ThemeOfPictureLink>;

/// Rectangles of persons on pictures, keyed by PairKey(person, picture).
/// One map serves both the quick rectangle lookup and the full records.
class CPersonenAufBildernEx : public PairLinkTable<PersonOnPictureLink> {
 public:
  void AddOrUpdate(std::int32_t person, std::int32_t picture, const Rect& rect);
  void RemoveAllOfPerson(std::int32_t person) { RemoveAllOfFirst(person); }
  const PersonOnPictureEntry& GetNextRef(POSITION& pos) const { return *m_map.GetNext(pos).second; }
  /// Calls f(person, rectangle) for every person on the picture, in table order.
  template <typename F>
  void ForEachOnPicture(std::int32_t picture, F&& f) const {
    ForEachLinkOfPicture(picture, [&f](std::int32_t person, const PersonOnPictureEntry& e) {
      f(person, e.rectangle);
    });
  }
};

/// Links of themes to pictures, keyed by PairKey(theme, picture), valued by
/// the date the link was made.
class CThemenDerBilderEx : public PairLinkTable<ThemeOfPictureLink> {
 public:
  void AddOrUpdate(std::int32_t theme, std::int32_t picture);
  /// Stores a link with a given date and no change of the table's date
  /// (the new album's placeholder link).
  void Put(std::int32_t theme, std::int32_t picture, const COleDateTime& date) {
    m_map.set(PairKey(theme, picture), date);
  }
  void RemoveAllOfTheme(std::int32_t theme) { RemoveAllOfFirst(theme); }
  /// Calls f(theme) for every theme of the picture, in table order.
  template <typename F>
  void ForEachOnPicture(std::int32_t picture, F&& f) const {
    ForEachLinkOfPicture(picture, [&f](std::int32_t theme, const COleDateTime&) { f(theme); });
  }
};

}  // namespace kolvaro
