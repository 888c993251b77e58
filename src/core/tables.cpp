#include "core/tables.h"

#include <algorithm>
#include <new>

#include "core/cp1252.h"

namespace kolvaro {
namespace {

// Smallest bytes a record of each block can take; counts read from a file
// are checked against them before anything is allocated.
constexpr std::uint64_t kMinPictureRecord = 4 + 1 + 12 + 4 + 12 + 1;
constexpr std::uint64_t kMinNameRecord = 4 + 1;

// Reads the count and the table's change date; returns how many records follow.
std::uint32_t ReadHeader(CArchive& ar, COleDateTime& changed, std::uint64_t minRecord) {
  const std::int32_t count = ar.ReadInt();
  changed = ar.ReadDate();
  if (count <= 0) return 0;
  ar.CheckRecords(static_cast<std::uint64_t>(count), minRecord);
  return static_cast<std::uint32_t>(count);
}

// Erases every pair key the predicate names; the walk's position is past a
// key before that key is erased.
template <typename Map, typename Pred>
void EraseKeysIf(Map& map, Pred pred) {
  for (POSITION p = map.GetStartPosition(); p != kNullPosition;) {
    const std::int64_t key = map.GetNext(p).first;
    if (pred(key)) map.erase(key);
  }
}

}  // namespace

// ---------------------------------------------------------------- pictures

void CBilderEx::AddOrUpdate(std::int32_t id, const std::string& filename,
                            const COleDateTime& timestamp, std::uint64_t size,
                            const std::string& title) {
  const COleDateTime now = COleDateTime::Now();
  changed = now;
  if (id > m_nMaxId) m_nMaxId = id;
  m_map.set(static_cast<std::uint32_t>(id), PictureEntry{filename, title, timestamp, size, now});
}

void CBilderEx::Touch(std::int32_t id) {
  const COleDateTime now = COleDateTime::Now();
  changed = now;
  if (PictureEntry* e = m_map.find(static_cast<std::uint32_t>(id))) {
    e->changed = now;
    return;
  }
  PictureEntry empty;
  empty.changed = now;
  m_map.set(static_cast<std::uint32_t>(id), std::move(empty));
}

bool CBilderEx::Lookup(std::int32_t id, PictureEntry& entry) const {
  const PictureEntry* e = Find(id);
  if (!e) return false;
  entry = *e;
  return true;
}

void CBilderEx::Put(std::int32_t id, PictureEntry entry) {
  m_map.set(static_cast<std::uint32_t>(id), std::move(entry));
}

bool CBilderEx::ContainsFile(const std::string& text) const {
  for (POSITION p = m_map.GetStartPosition(); p != kNullPosition;)
    if (EqualsNoCaseCp1252(m_map.GetNext(p).second->filename, text)) return true;
  return false;
}

void CBilderEx::GetNext(POSITION& pos, std::int32_t& id, PictureEntry* entry) const {
  const auto [key, value] = m_map.GetNext(pos);
  id = static_cast<std::int32_t>(key);
  if (entry) *entry = *value;
}

const PictureEntry& CBilderEx::GetNextRef(POSITION& pos, std::int32_t& id) const {
  const auto [key, value] = m_map.GetNext(pos);
  id = static_cast<std::int32_t>(key);
  return *value;
}

void CBilderEx::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteInt(GetCount());
    ar.WriteDate(changed);
    m_map.ForEach([&ar](std::uint32_t id, const PictureEntry& e) {
      ar.WriteDword(id);
      ar.WriteString(e.filename);
      ar.WriteDate(e.timestamp);
      ar.WriteDword(static_cast<std::uint32_t>(e.size));
      ar.WriteDate(e.changed);
      ar.WriteString(e.title);
    });
    return;
  }
  Clear();
  const std::uint32_t count = ReadHeader(ar, changed, kMinPictureRecord);
  m_map.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::int32_t id = ar.ReadInt();
    PictureEntry e;
    e.filename = ar.ReadString();
    e.timestamp = ar.ReadDate();
    e.size = ar.ReadDword();
    e.changed = ar.ReadDate();
    e.title = ar.ReadString();
    if (id > m_nMaxId) m_nMaxId = id;
    m_map.set(static_cast<std::uint32_t>(id), std::move(e));
  }
}

// ---------------------------------------------------------------- names

void CNameMap::clear() {
  m_map.clear();
  m_bytes.clear();
  m_bytes.shrink_to_fit();
  m_garbage = 0;
}

std::uint32_t CNameMap::Put(std::string_view name) {
  if (name.empty()) return 0;
  // Handles are 32 bits: more than 4 GiB of names cannot be held.
  if (m_bytes.size() + name.size() + 5 >= 0xFFFFFFFFu) throw std::bad_alloc();
  const auto handle = static_cast<std::uint32_t>(m_bytes.size() + 1);
  for (std::size_t n = name.size();; n >>= 7) {
    if (n < 0x80) {
      m_bytes.push_back(static_cast<char>(n));
      break;
    }
    m_bytes.push_back(static_cast<char>(0x80 | (n & 0x7F)));
  }
  m_bytes.append(name);
  return handle;
}

std::string_view CNameMap::Name(std::uint32_t handle) const {
  if (handle == 0) return {};
  std::size_t at = handle - 1, n = 0;
  for (int shift = 0;; shift += 7) {
    const auto b = static_cast<unsigned char>(m_bytes[at++]);
    n |= static_cast<std::size_t>(b & 0x7F) << shift;
    if (b < 0x80) break;
  }
  return std::string_view(m_bytes).substr(at, n);
}

void CNameMap::Release(std::uint32_t handle) {
  if (handle == 0) return;
  m_garbage += Name(handle).size() + 1;
  // Renamed and removed names leave their bytes behind; once they are most
  // of the buffer, the live names move into a fresh one.
  if (m_garbage < (std::size_t{1} << 20) || m_garbage < m_bytes.size() / 2) return;
  CNameMap fresh;
  fresh.m_bytes.reserve(m_bytes.size() - m_garbage + 16);
  for (POSITION p = m_map.GetStartPosition(); p != kNullPosition;) {
    const POSITION at = p;
    const std::uint32_t old = *m_map.GetNext(p).second;
    if (old != handle) m_map.ValueAt(at) = fresh.Put(Name(old));
  }
  m_bytes = std::move(fresh.m_bytes);
  m_garbage = 0;
}

void CNameMap::set(std::uint32_t id, std::string_view name) {
  if (std::uint32_t* handle = m_map.find(id)) {
    const std::uint32_t old = *handle;
    const std::uint32_t fresh = Put(name);
    *m_map.find(id) = fresh;
    if (old != 0) {
      // Release may move every name; the fresh one is counted as live.
      Release(old);
    }
    return;
  }
  m_map.set(id, Put(name));
}

bool CNameMap::erase(std::uint32_t id) {
  const std::uint32_t* handle = m_map.find(id);
  if (!handle) return false;
  const std::uint32_t old = *handle;
  m_map.erase(id);
  Release(old);
  return true;
}

// ---------------------------------------------------------- persons, themes

void NameTable::AddOrUpdate(std::int32_t id, const std::string& name) {
  m_map.set(static_cast<std::uint32_t>(id), name);
  if (id > m_nMaxId) m_nMaxId = id;
  changed = COleDateTime::Now();
}

void NameTable::Remove(std::int32_t id) {
  m_map.erase(static_cast<std::uint32_t>(id));
  changed = COleDateTime::Now();
}

bool NameTable::Lookup(std::int32_t id, std::string& name) const {
  const std::uint32_t* h = m_map.find(static_cast<std::uint32_t>(id));
  if (!h) return false;
  name = m_map.Name(*h);
  return true;
}

std::string NameTable::GetName(std::int32_t id) const {
  const std::uint32_t* h = m_map.find(static_cast<std::uint32_t>(id));
  return h ? std::string(m_map.Name(*h)) : std::string();
}

void NameTable::GetNext(POSITION& pos, std::int32_t& id, std::string& name) const {
  const auto [key, value] = m_map.GetNext(pos);
  id = static_cast<std::int32_t>(key);
  name = value;
}

void NameTable::Clear() {
  m_map.clear();
  m_nMaxId = m_emptyMaxId;
  changed = COleDateTime::Now();
}

void NameTable::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteInt(GetCount());
    ar.WriteDate(changed);
    for (POSITION p = m_map.GetStartPosition(); p != kNullPosition;) {
      const auto [id, name] = m_map.GetNext(p);
      ar.WriteDword(id);
      ar.WriteString(name);
    }
    return;
  }
  m_map.clear();
  m_nMaxId = 0;
  const std::uint32_t count = ReadHeader(ar, changed, kMinNameRecord);
  // A name takes 16 bytes in the map and at least 5 in the file: the count
  // the file states, checked against the bytes left, is safe to reserve.
  m_map.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::int32_t id = ar.ReadInt();
    m_map.set(static_cast<std::uint32_t>(id), ar.ReadString());
    if (id > m_nMaxId) m_nMaxId = id;
  }
}

// ------------------------------------------------------------- link tables

template <typename Link>
bool PairLinkTable<Link>::Remove(std::int32_t first, std::int32_t picture) {
  const bool removed = m_map.erase(PairKey(first, picture));
  changed = COleDateTime::Now();
  return removed;
}

template <typename Link>
void PairLinkTable<Link>::RemoveLinks(
    const std::vector<std::pair<std::int32_t, std::int32_t>>& links,
    std::vector<std::int32_t>* removed) {
  for (const auto& [first, picture] : links)
    if (m_map.erase(PairKey(first, picture)) && removed) removed->push_back(picture);
  changed = COleDateTime::Now();
}

template <typename Link>
void PairLinkTable<Link>::RemoveAllOfFirst(std::int32_t first) {
  if (Link::kEmptyKeepsDate && m_map.empty()) return;
  EraseKeysIf(m_map, [first](std::int64_t key) { return PairHigh(key) == first; });
  changed = COleDateTime::Now();
}

template <typename Link>
void PairLinkTable<Link>::RemoveAllOfPicture(std::int32_t picture) {
  if (Link::kEmptyKeepsDate && m_map.empty()) return;
  EraseKeysIf(m_map, [picture](std::int64_t key) { return PairLow(key) == picture; });
  changed = COleDateTime::Now();
}

template <typename Link>
POSITION PairLinkTable<Link>::FindNext(POSITION& pos, std::int32_t first,
                                       std::int32_t picture) const {
  while (pos != kNullPosition) {
    const POSITION at = pos;
    const std::int64_t key = m_map.GetNext(pos).first;
    if ((first == -1 || PairHigh(key) == first) && (picture == -1 || PairLow(key) == picture))
      return at;
  }
  return kNullPosition;
}

template <typename Link>
void PairLinkTable<Link>::Clear() {
  m_map.clear();
  changed = COleDateTime::Now();
}

template <typename Link>
void PairLinkTable<Link>::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteInt(GetCount());
    ar.WriteDate(changed);
    m_map.ForEach([&ar](std::int64_t key, const Value& v) {
      ar.WriteInt(PairHigh(key));
      ar.WriteInt(PairLow(key));
      Link::Write(ar, v);
    });
    return;
  }
  Clear();
  const std::uint32_t count = ReadHeader(ar, changed, Link::kRecordBytes);
  m_map.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::int32_t high = ar.ReadInt();
    const std::int32_t low = ar.ReadInt();
    // PairKey sign-extends the low half: for a negative picture id (the new
    // album's placeholder link) the high half comes back one lower. The
    // format has always behaved so, and such keys match nothing.
    const std::int64_t key = PairKey(high, low);
    m_map.set(key, Link::Read(ar, key));
  }
}

template class PairLinkTable<PersonOnPictureLink>;
template class PairLinkTable<ThemeOfPictureLink>;

void PersonOnPictureLink::Write(CArchive& ar, const Value& v) {
  ar.WriteRect(v.rectangle);
  ar.WriteDate(v.changed);
}

PersonOnPictureEntry PersonOnPictureLink::Read(CArchive& ar, std::int64_t key) {
  const Rect rect = ar.ReadRect();
  return PersonOnPictureEntry{PairLow(key), PairHigh(key), rect, ar.ReadDate()};
}

void ThemeOfPictureLink::Write(CArchive& ar, const Value& v) { ar.WriteDate(v); }

COleDateTime ThemeOfPictureLink::Read(CArchive& ar, std::int64_t) { return ar.ReadDate(); }

void CPersonenAufBildernEx::AddOrUpdate(std::int32_t person, std::int32_t picture,
                                        const Rect& rect) {
  const std::int64_t key = PairKey(person, picture);
  const COleDateTime now = COleDateTime::Now();
  changed = now;
  m_map.set(key, PersonOnPictureEntry{PairLow(key), PairHigh(key), rect, now});
}

void CThemenDerBilderEx::AddOrUpdate(std::int32_t theme, std::int32_t picture) {
  const COleDateTime now = COleDateTime::Now();
  changed = now;
  m_map.set(PairKey(theme, picture), now);
}

}  // namespace kolvaro
