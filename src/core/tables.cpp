#include "core/tables.h"

#include <algorithm>

#include "core/cp1252.h"

namespace kolvaro {
namespace {

// Smallest bytes a record of each block can take; counts read from a file
// are checked against them before anything is allocated.
constexpr std::uint64_t kMinPictureRecord = 4 + 1 + 12 + 4 + 12 + 1;
constexpr std::uint64_t kMinNameRecord = 4 + 1;
constexpr std::uint64_t kPersonOnPictureRecord = 4 + 4 + 16 + 12;
constexpr std::uint64_t kThemeLinkRecord = 4 + 4 + 12;

// Reads the count and the table's change date; returns how many records follow.
std::uint32_t ReadHeader(CArchive& ar, COleDateTime& changed, std::uint64_t minRecord) {
  const std::int32_t count = ar.ReadInt();
  changed = ar.ReadDate();
  if (count <= 0) return 0;
  ar.CheckRecords(static_cast<std::uint64_t>(count), minRecord);
  return static_cast<std::uint32_t>(count);
}

// A name record may be 5 bytes in the file but takes some 50 in memory:
// reserve only what names of a realistic length could fill, so a file of
// tiny records cannot make the reservation far outgrow the file.
std::uint32_t NameReserve(const CArchive& ar, std::uint32_t count) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, ar.Remaining() / 16));
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

// The next entry from pos whose halves match (-1 = any): its position, with
// pos already past it, or the null position.
template <typename Map>
POSITION FindNextPair(const Map& map, POSITION& pos, std::int32_t high, std::int32_t low) {
  while (pos != kNullPosition) {
    const POSITION at = pos;
    const std::int64_t key = map.GetNext(pos).first;
    if ((high == -1 || PairHigh(key) == high) && (low == -1 || PairLow(key) == low)) return at;
  }
  return kNullPosition;
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

// ---------------------------------------------------------------- persons

void CPersonenEx::AddOrUpdate(std::int32_t id, const std::string& name) {
  m_map.set(static_cast<std::uint32_t>(id), name);
  if (id > m_nMaxId) m_nMaxId = id;
  changed = COleDateTime::Now();
}

void CPersonenEx::Remove(std::int32_t id) {
  m_map.erase(static_cast<std::uint32_t>(id));
  changed = COleDateTime::Now();
}

bool CPersonenEx::Lookup(std::int32_t id, std::string& name) const {
  const std::string* s = m_map.find(static_cast<std::uint32_t>(id));
  if (!s) return false;
  name = *s;
  return true;
}

std::string CPersonenEx::GetName(std::int32_t id) const {
  const std::string* s = m_map.find(static_cast<std::uint32_t>(id));
  return s ? *s : std::string();
}

void CPersonenEx::GetNext(POSITION& pos, std::int32_t& id, std::string& name) const {
  const auto [key, value] = m_map.GetNext(pos);
  id = static_cast<std::int32_t>(key);
  name = *value;
}

void CPersonenEx::Clear() {
  m_map.clear();
  m_nMaxId = 0;
  changed = COleDateTime::Now();
}

void CPersonenEx::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteInt(GetCount());
    ar.WriteDate(changed);
    m_map.ForEach([&ar](std::uint32_t id, const std::string& name) {
      ar.WriteDword(id);
      ar.WriteString(name);
    });
    return;
  }
  Clear();
  const std::uint32_t count = ReadHeader(ar, changed, kMinNameRecord);
  m_map.reserve(NameReserve(ar, count));
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::int32_t id = ar.ReadInt();
    std::string name = ar.ReadString();
    m_map.set(static_cast<std::uint32_t>(id), std::move(name));
    if (id > m_nMaxId) m_nMaxId = id;
  }
}

// ------------------------------------------------------- persons on pictures

void CPersonenAufBildernEx::AddOrUpdate(std::int32_t person, std::int32_t picture,
                                        const Rect& rect) {
  const std::int64_t key = PairKey(person, picture);
  const COleDateTime now = COleDateTime::Now();
  changed = now;
  m_map.set(key, PersonOnPictureEntry{PairLow(key), PairHigh(key), rect, now});
}

bool CPersonenAufBildernEx::Remove(std::int32_t person, std::int32_t picture) {
  const bool removed = m_map.erase(PairKey(person, picture));
  changed = COleDateTime::Now();
  return removed;
}

void CPersonenAufBildernEx::RemoveAllOfPerson(std::int32_t person) {
  EraseKeysIf(m_map, [person](std::int64_t key) { return PairHigh(key) == person; });
  changed = COleDateTime::Now();
}

void CPersonenAufBildernEx::RemoveAllOfPicture(std::int32_t picture) {
  EraseKeysIf(m_map, [picture](std::int64_t key) { return PairLow(key) == picture; });
  changed = COleDateTime::Now();
}

bool CPersonenAufBildernEx::Lookup(std::int32_t person, std::int32_t picture, Rect* rect) const {
  const PersonOnPictureEntry* e = m_map.find(PairKey(person, picture));
  if (!e) return false;
  if (rect) *rect = e->rectangle;
  return true;
}

POSITION CPersonenAufBildernEx::FindNext(POSITION& pos, std::int32_t person,
                                         std::int32_t picture) const {
  return FindNextPair(m_map, pos, person, picture);
}

void CPersonenAufBildernEx::GetNext(POSITION& pos, std::int32_t& person, std::int32_t& picture,
                                    Rect* rect) const {
  const auto [key, e] = m_map.GetNext(pos);
  person = PairHigh(key);
  picture = PairLow(key);
  if (rect) *rect = e->rectangle;
}

const PersonOnPictureEntry& CPersonenAufBildernEx::GetNextRef(POSITION& pos) const {
  return *m_map.GetNext(pos).second;
}

void CPersonenAufBildernEx::Clear() {
  m_map.clear();
  changed = COleDateTime::Now();
}

void CPersonenAufBildernEx::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteInt(GetCount());
    ar.WriteDate(changed);
    m_map.ForEach([&ar](std::int64_t key, const PersonOnPictureEntry& e) {
      ar.WriteInt(PairHigh(key));
      ar.WriteInt(PairLow(key));
      ar.WriteRect(e.rectangle);
      ar.WriteDate(e.changed);
    });
    return;
  }
  Clear();
  const std::uint32_t count = ReadHeader(ar, changed, kPersonOnPictureRecord);
  m_map.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::int32_t high = ar.ReadInt();
    const std::int32_t low = ar.ReadInt();
    const Rect rect = ar.ReadRect();
    const COleDateTime date = ar.ReadDate();
    // PairKey sign-extends the low half: for a negative picture id (the new
    // album's placeholder link) the high half comes back one lower. The
    // format has always behaved so, and such keys match nothing.
    const std::int64_t key = PairKey(high, low);
    m_map.set(key, PersonOnPictureEntry{PairLow(key), PairHigh(key), rect, date});
  }
}

// ---------------------------------------------------------------- themes

void CThemenEx::AddOrUpdate(std::int32_t id, const std::string& name) {
  changed = COleDateTime::Now();
  m_map.set(static_cast<std::uint32_t>(id), name);
  if (id > m_nMaxId) m_nMaxId = id;
}

void CThemenEx::Remove(std::int32_t id) {
  m_map.erase(static_cast<std::uint32_t>(id));
  changed = COleDateTime::Now();
}

std::string CThemenEx::GetName(std::int32_t id) const {
  const std::string* s = m_map.find(static_cast<std::uint32_t>(id));
  return s ? *s : std::string();
}

bool CThemenEx::Lookup(std::int32_t id, std::string& name) const {
  const std::string* s = m_map.find(static_cast<std::uint32_t>(id));
  if (!s) return false;
  name = *s;
  return true;
}

void CThemenEx::GetNext(POSITION& pos, std::int32_t& id, std::string& name) const {
  const auto [key, value] = m_map.GetNext(pos);
  id = static_cast<std::int32_t>(key);
  name = *value;
}

void CThemenEx::Clear() {
  m_map.clear();
  m_nMaxId = -1;
  changed = COleDateTime::Now();
}

void CThemenEx::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteInt(GetCount());
    ar.WriteDate(changed);
    m_map.ForEach([&ar](std::uint32_t id, const std::string& name) {
      ar.WriteDword(id);
      ar.WriteString(name);
    });
    return;
  }
  m_map.clear();
  m_nMaxId = 0;
  const std::uint32_t count = ReadHeader(ar, changed, kMinNameRecord);
  m_map.reserve(NameReserve(ar, count));
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::int32_t id = ar.ReadInt();
    std::string name = ar.ReadString();
    m_map.set(static_cast<std::uint32_t>(id), std::move(name));
    if (id > m_nMaxId) m_nMaxId = id;
  }
}

// ------------------------------------------------------- themes of pictures

void CThemenDerBilderEx::AddOrUpdate(std::int32_t theme, std::int32_t picture) {
  const COleDateTime now = COleDateTime::Now();
  changed = now;
  m_map.set(PairKey(theme, picture), now);
}

void CThemenDerBilderEx::Put(std::int32_t theme, std::int32_t picture, const COleDateTime& date) {
  m_map.set(PairKey(theme, picture), date);
}

bool CThemenDerBilderEx::Remove(std::int32_t theme, std::int32_t picture) {
  const bool removed = m_map.erase(PairKey(theme, picture));
  changed = COleDateTime::Now();
  return removed;
}

void CThemenDerBilderEx::RemoveAllOfTheme(std::int32_t theme) {
  // Unlike the rectangles, the links keep their date when there was nothing to walk.
  if (m_map.empty()) return;
  EraseKeysIf(m_map, [theme](std::int64_t key) { return PairHigh(key) == theme; });
  changed = COleDateTime::Now();
}

void CThemenDerBilderEx::RemoveAllOfPicture(std::int32_t picture) {
  if (m_map.empty()) return;
  EraseKeysIf(m_map, [picture](std::int64_t key) { return PairLow(key) == picture; });
  changed = COleDateTime::Now();
}

bool CThemenDerBilderEx::Lookup(std::int32_t theme, std::int32_t picture,
                                COleDateTime* date) const {
  const COleDateTime* d = m_map.find(PairKey(theme, picture));
  if (!d) return false;
  if (date) *date = *d;
  return true;
}

POSITION CThemenDerBilderEx::FindNext(POSITION& pos, std::int32_t theme,
                                      std::int32_t picture) const {
  return FindNextPair(m_map, pos, theme, picture);
}

void CThemenDerBilderEx::GetNext(POSITION& pos, std::int32_t& theme, std::int32_t& picture,
                                 COleDateTime* date) const {
  const auto [key, d] = m_map.GetNext(pos);
  theme = PairHigh(key);
  picture = PairLow(key);
  if (date) *date = *d;
}

void CThemenDerBilderEx::Clear() {
  m_map.clear();
  changed = COleDateTime::Now();
}

void CThemenDerBilderEx::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteInt(GetCount());
    ar.WriteDate(changed);
    m_map.ForEach([&ar](std::int64_t key, const COleDateTime& date) {
      ar.WriteInt(PairHigh(key));
      ar.WriteInt(PairLow(key));
      ar.WriteDate(date);
    });
    return;
  }
  Clear();
  const std::uint32_t count = ReadHeader(ar, changed, kThemeLinkRecord);
  m_map.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::int32_t high = ar.ReadInt();
    const std::int32_t low = ar.ReadInt();
    m_map.set(PairKey(high, low), ar.ReadDate());
  }
}

}  // namespace kolvaro
