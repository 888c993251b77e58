// The selection the views step through: filtered by theme, person and
// search words, ordered by file name, capture date or size.
//
// The order is the one a repeated search for the strictly smallest remaining
// key gives (equal keys in candidate order), built with an O(n log n) sort;
// a filter looks each candidate up in its link table, or for "none at all"
// (-2) passes over the table once.
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "core/cp1252.h"
#include "core/meriskdoc.h"
#include "core/search.h"
#include "core/selectionorder.h"

namespace kolvaro {
namespace {

// Pictures that occur in a link table. Indexed by id while the ids are
// dense enough; an album with scattered or negative ids (from a foreign
// file) gets a hash set instead of a vector the size of its largest id.
class LinkedPictures {
 public:
  LinkedPictures(std::uint32_t maxId, std::size_t pictures)
      : m_dense(maxId <= 4 * static_cast<std::uint64_t>(pictures) + 65536) {
    if (m_dense) m_flags.assign(static_cast<std::size_t>(maxId) + 1, false);
  }
  void Add(std::int32_t id) {
    const auto u = static_cast<std::uint32_t>(id);
    if (!m_dense)
      m_sparse.insert(u);
    else if (u < m_flags.size())
      m_flags[u] = true;
  }
  bool Contains(std::int32_t id) const {
    const auto u = static_cast<std::uint32_t>(id);
    return m_dense ? u < m_flags.size() && m_flags[u] : m_sparse.contains(u);
  }

 private:
  bool m_dense;
  std::vector<bool> m_flags;
  std::unordered_set<std::uint32_t> m_sparse;
};

struct Candidate {
  std::int32_t id;
  const PictureEntry* entry;
};

// Sort key and candidate position: the position breaks ties, so an unstable
// sort gives exactly the order a stable one would.
struct Keyed {
  std::uint64_t key;
  std::uint32_t pos;
  friend bool operator<(const Keyed& a, const Keyed& b) {
    return a.key < b.key || (a.key == b.key && a.pos < b.pos);
  }
};

// Sorts items that are in position order by key, keeping that order among
// equal keys. Large ranges take a least-significant-digit radix sort, one
// pass per byte in which the keys differ; small ones a comparison sort.
void SortByKey(Keyed* first, Keyed* last, std::vector<Keyed>& scratch) {
  const auto n = static_cast<std::size_t>(last - first);
  if (n < 512) {
    std::sort(first, last);
    return;
  }
  std::vector<std::array<std::uint32_t, 256>> counts(8);
  for (auto& c : counts) c.fill(0);
  for (const Keyed* k = first; k != last; ++k)
    for (int d = 0; d < 8; ++d) ++counts[d][(k->key >> (8 * d)) & 0xFF];
  scratch.resize(n);
  Keyed* from = first;
  Keyed* to = scratch.data();
  for (int d = 0; d < 8; ++d) {
    auto& c = counts[d];
    if (c[(first->key >> (8 * d)) & 0xFF] == n) continue;  // every key has this byte
    std::uint32_t sum = 0;
    for (auto& v : c) sum += std::exchange(v, sum);
    for (const Keyed* k = from; k != from + n; ++k) to[c[(k->key >> (8 * d)) & 0xFF]++] = *k;
    std::swap(from, to);
  }
  if (from != first) std::copy(from, from + n, first);
}

// A byte string that orders as CompareCp1252 does and holds no zero byte, so
// that a key padded with zeros at its end still sorts before every longer
// key it begins. Code page 1252 bytes 00–FD become 01–FE, FE and FF become
// FF 01 and FF 02, and a character outside code page 1252 becomes FF 03 and
// its code point in three 7-bit groups, after all of them.
void AppendNameKey(std::string_view name, std::string& out) {
  auto put = [&out](unsigned byte) {
    if (byte < 0xFE) {
      out.push_back(static_cast<char>(byte + 1));
    } else {
      out.push_back('\xFF');
      out.push_back(static_cast<char>(byte - 0xFD));
    }
  };
  // Most names are plain ASCII: shift them in one go.
  const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
  if (std::all_of(name.begin(), name.end(), ascii)) {
    const std::size_t at = out.size();
    out.resize(at + name.size());
    for (std::size_t i = 0; i < name.size(); ++i) out[at + i] = static_cast<char>(name[i] + 1);
    return;
  }
  std::string one, byte;
  for (std::size_t pos = 0; pos < name.size();) {
    const auto b = static_cast<unsigned char>(name[pos]);
    if (b < 0x80) {
      put(b);
      ++pos;
      continue;
    }
    const char32_t cp = DecodeUtf8(name, pos);
    one.clear();
    byte.clear();
    AppendUtf8(cp, one);
    if (Utf8ToCp1252(one, byte) && byte.size() == 1) {
      put(static_cast<unsigned char>(byte[0]));
    } else {
      out.push_back('\xFF');
      out.push_back('\x03');
      for (const int shift : {14, 7, 0})
        out.push_back(static_cast<char>(0x80 | ((cp >> shift) & 0x7F)));
    }
  }
}

// Most-significant-digit sort of the name keys, eight bytes at a time: each
// range is sorted by the integer of its next eight bytes (after the bytes all
// its keys share), then every run of equal digits by the following ones.
// Integer comparisons on a compact array instead of string comparisons that
// chase pointers.
class NameSorter {
 public:
  explicit NameSorter(const std::vector<Candidate>& c) : m_begins(c.size() + 1, 0) {
    std::size_t bytes = 0;
    for (const Candidate& k : c) bytes += k.entry->filename.size();
    m_keys.reserve(bytes + bytes / 8);
    for (std::size_t i = 0; i < c.size(); ++i) {
      AppendNameKey(c[i].entry->filename, m_keys);
      m_begins[i + 1] = m_keys.size();
    }
  }

  std::vector<std::uint32_t> Order() {
    std::vector<Keyed> items(m_begins.size() - 1), scratch;
    for (std::size_t i = 0; i < items.size(); ++i) items[i].pos = static_cast<std::uint32_t>(i);
    struct Range {
      std::size_t first, last, offset;
    };
    std::vector<Range> todo{{0, items.size(), 0}};
    while (!todo.empty()) {
      Range r = todo.back();
      todo.pop_back();
      if (r.last - r.first < 2) continue;
      r.offset += SharedBytes(items, r.first, r.last, r.offset);
      for (std::size_t i = r.first; i < r.last; ++i) items[i].key = Digit(items[i].pos, r.offset);
      SortByKey(items.data() + r.first, items.data() + r.last, scratch);
      for (std::size_t a = r.first; a < r.last;) {
        std::size_t b = a + 1;
        while (b < r.last && items[b].key == items[a].key) ++b;
        // Equal digits of a key that ended inside them: all those keys are
        // the same, and already in candidate order.
        if (b - a > 1 && Length(items[a].pos) >= r.offset + 8) todo.push_back({a, b, r.offset + 8});
        a = b;
      }
    }
    std::vector<std::uint32_t> order(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) order[i] = items[i].pos;
    return order;
  }

 private:
  std::size_t Length(std::uint32_t i) const { return m_begins[i + 1] - m_begins[i]; }

  std::uint64_t Digit(std::uint32_t i, std::size_t offset) const {
    std::uint64_t d = 0;
    const std::size_t len = Length(i);
    const char* key = m_keys.data() + m_begins[i];
    if (offset + 8 <= len && std::endian::native == std::endian::little) {
      std::memcpy(&d, key + offset, 8);
      return __builtin_bswap64(d);
    }
    for (std::size_t k = 0; k < 8; ++k)
      d = d << 8 | (offset + k < len ? static_cast<unsigned char>(key[offset + k]) : 0u);
    return d;
  }

  // How many bytes from `offset` on all keys of the range have in common.
  std::size_t SharedBytes(const std::vector<Keyed>& items, std::size_t first, std::size_t last,
                          std::size_t offset) const {
    const std::uint32_t head = items[first].pos;
    if (Length(head) <= offset) return 0;
    std::string_view shared(m_keys.data() + m_begins[head] + offset, Length(head) - offset);
    for (std::size_t i = first + 1; i < last && !shared.empty(); ++i) {
      const std::uint32_t p = items[i].pos;
      const std::size_t len = Length(p) > offset ? Length(p) - offset : 0;
      const char* key = m_keys.data() + m_begins[p] + offset;
      std::size_t n = 0;
      while (n < shared.size() && n < len && shared[n] == key[n]) ++n;
      shared = shared.substr(0, n);
    }
    return shared.size();
  }

  std::string m_keys;
  std::vector<std::size_t> m_begins;
};

std::vector<std::uint32_t> OrderByName(const std::vector<Candidate>& c) {
  return NameSorter(c).Order();
}

std::vector<std::uint32_t> OrderBySize(const std::vector<Candidate>& c) {
  std::vector<Keyed> keyed(c.size());
  for (std::size_t i = 0; i < c.size(); ++i)
    keyed[i] = {c[i].entry->size, static_cast<std::uint32_t>(i)};
  std::vector<Keyed> scratch;
  SortByKey(keyed.data(), keyed.data() + keyed.size(), scratch);
  std::vector<std::uint32_t> order(c.size());
  for (std::size_t i = 0; i < c.size(); ++i) order[i] = keyed[i].pos;
  return order;
}

// The moment of an OLE date on a linear axis: before 30 December 1899 the
// time of day counts forwards from the day, so d becomes 2·ceil(d) − d.
// Infinities stay where they are (the formula would make −∞ a NaN).
double Moment(double d) {
  if (d < 0 && std::isfinite(d)) d = 2 * std::ceil(d) - d;
  return d + 0.0;  // −0.0 and +0.0 are the same moment
}

// Maps a non-NaN double to an integer with the same order.
std::uint64_t OrderedBits(double d) {
  const auto u = std::bit_cast<std::uint64_t>(d);
  return (u & 0x8000000000000000ULL) ? ~u : u | 0x8000000000000000ULL;
}

// NaN is never less than anything nor anything less than it, so a NaN date
// is taken only when it is the first remaining candidate: right after every
// candidate before it. The others come out sorted around those.
std::vector<std::uint32_t> OrderByDate(const std::vector<Candidate>& c) {
  std::vector<Keyed> keyed;
  keyed.reserve(c.size());
  std::vector<std::uint32_t> nans;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const double m = Moment(c[i].entry->timestamp.Value());
    if (std::isnan(m))
      nans.push_back(static_cast<std::uint32_t>(i));
    else
      keyed.push_back({OrderedBits(m), static_cast<std::uint32_t>(i)});
  }
  std::vector<Keyed> scratch;
  SortByKey(keyed.data(), keyed.data() + keyed.size(), scratch);
  std::vector<std::uint32_t> order;
  order.reserve(c.size());
  if (nans.empty()) {
    for (const auto& k : keyed) order.push_back(k.pos);
    return order;
  }
  // release[j]: after which sorted rank the j-th NaN becomes the first remaining one.
  std::vector<std::int64_t> rank(c.size(), -1);
  for (std::size_t r = 0; r < keyed.size(); ++r) rank[keyed[r].pos] = static_cast<std::int64_t>(r);
  std::vector<std::int64_t> release(nans.size());
  std::int64_t highest = -1;
  for (std::size_t i = 0, j = 0; i < c.size() && j < nans.size(); ++i) {
    if (i == nans[j])
      release[j++] = highest;
    else
      highest = std::max(highest, rank[i]);
  }
  std::size_t j = 0;
  auto flush = [&](std::int64_t r) {
    while (j < nans.size() && release[j] == r) order.push_back(nans[j++]);
  };
  flush(-1);
  for (std::size_t r = 0; r < keyed.size(); ++r) {
    order.push_back(keyed[r].pos);
    flush(static_cast<std::int64_t>(r));
  }
  return order;
}

// Whether the table holds an entry that reads as (filter, picture). A key
// with a negative picture id reads one lower in its high half, as the link
// tables' keys borrow from it.
template <typename Table>
bool HasLink(const Table& table, std::int32_t filter, std::int32_t picture) {
  const auto high =
      picture < 0 ? static_cast<std::int32_t>(static_cast<std::uint32_t>(filter) + 1) : filter;
  return table.Lookup(high, picture);
}

// -1 and 0 keep every candidate, -2 those without any entry in the table, an
// id those with an entry for it. An id is looked up per candidate; -2 takes
// one pass over the table.
template <typename Table>
void FilterCandidates(std::vector<Candidate>& candidates, std::uint32_t maxId, std::int32_t filter,
                      const Table& table) {
  if (filter == -1 || filter == 0) return;
  if (filter != -2) {
    std::erase_if(candidates, [&](const Candidate& c) { return !HasLink(table, filter, c.id); });
    return;
  }
  LinkedPictures linked(maxId, candidates.size());
  for (POSITION p = table.GetStartPosition(); p != kNullPosition;) {
    std::int32_t high, picture;
    table.GetNext(p, high, picture);
    linked.Add(picture);
  }
  std::erase_if(candidates, [&](const Candidate& c) { return linked.Contains(c.id); });
}

}  // namespace

bool SelectionDateKey(double value, std::uint64_t& key) {
  const double m = Moment(value);
  if (std::isnan(m)) return false;
  key = OrderedBits(m);
  return true;
}

void AppendSelectionNameKey(std::string_view name, std::string& out) { AppendNameKey(name, out); }

void CMeriskDoc::SelectPictures(std::int32_t theme, std::int32_t person, std::int32_t sortKey,
                                std::string_view search) {
  CWaitCursorGuard wait(m_userQuestions);

  // The search stage first: its answers come in table order, as the candidates do.
  const CSearchQuery query(search);
  std::vector<bool> found;
  if (!query.Empty()) {
    PrepareSearch();
    found = m_searchIndex->Matches(query, m_themesOfPictures, m_personsOnPictures);
  }

  std::vector<Candidate> candidates;
  candidates.reserve(static_cast<std::size_t>(m_pictures.GetCount()));
  std::uint32_t maxId = 0;
  std::size_t slot = 0;
  for (POSITION p = m_pictures.GetStartPosition(); p != kNullPosition; ++slot) {
    Candidate c;
    c.entry = &m_pictures.GetNextRef(p, c.id);
    maxId = std::max(maxId, static_cast<std::uint32_t>(c.id));
    if (found.empty() || found[slot]) candidates.push_back(c);
  }

  // Theme stage, then person stage on what is left.
  FilterCandidates(candidates, maxId, theme, m_themesOfPictures);
  FilterCandidates(candidates, maxId, person, m_personsOnPictures);

  m_selection.clear();
  m_selection.reserve(candidates.size());
  if (sortKey >= 1 && sortKey <= 3) {
    const std::vector<std::uint32_t> order = sortKey == 1   ? OrderByName(candidates)
                                             : sortKey == 2 ? OrderByDate(candidates)
                                                            : OrderBySize(candidates);
    for (const std::uint32_t i : order) m_selection.push_back(candidates[i].id);
  } else {
    // No key, or the explicit-selection key: candidate order.
    for (const Candidate& c : candidates) m_selection.push_back(c.id);
  }

  m_nCurrentPicture = m_selection.empty() ? -1 : m_selection.front();
  m_nCurrentPosition = 0;
  m_nFilterTheme = theme;
  m_nFilterPerson = person;
  m_nSelectionKind = sortKey;
  m_strFilterSearch = std::string(search);  // a copy first: search may view it
  m_nSelectedCount = static_cast<std::int32_t>(m_selection.size());
  NotifySelectionChanged();
  UpdateAllViews(nullptr);
}

void CMeriskDoc::PrepareSearch() {
  if (m_searchIndex && m_searchIndexVersion == ContentsVersion() &&
      m_searchIndex->PictureCount() == static_cast<std::size_t>(m_pictures.GetCount()))
    return;
  m_searchIndex.reset();  // the old one's memory first
  m_searchIndex = std::make_unique<CSearchIndex>(m_pictures, m_themes, m_persons);
  m_searchIndexVersion = ContentsVersion();
}

std::int32_t CMeriskDoc::SetExplicitSelection(const std::vector<std::int32_t>& ids) {
  m_selection = ids;
  m_nSelectedCount = static_cast<std::int32_t>(m_selection.size());
  m_nSelectionKind = 4;
  NotifySelectionChanged();
  UpdateAllViews(nullptr);
  return m_nSelectedCount - 1;
}

void CMeriskDoc::SetCurrentIndex(std::int32_t index) {
  if (index >= 0 && static_cast<std::size_t>(index) < m_selection.size()) {
    m_nCurrentPicture = m_selection[static_cast<std::size_t>(index)];
    m_nCurrentPosition = index;
  } else {
    m_nCurrentPicture = -1;
    m_nCurrentPosition = -1;
  }
  NotifySelectionChanged();
}

}  // namespace kolvaro
