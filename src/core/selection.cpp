// The selection the views step through: filtered by theme and person,
// ordered by file name, capture date or size.
//
// The order is the one a repeated search for the strictly smallest remaining
// key gives (equal keys in candidate order), built with one O(n log n) sort;
// the filters come from one pass over each link table.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "core/cp1252.h"
#include "core/meriskdoc.h"

namespace kolvaro {
namespace {

constexpr std::uint8_t kThemeMark = 1;
constexpr std::uint8_t kPersonMark = 2;

// Which pictures occur in the link tables. Indexed by id while the ids are
// dense enough; an album with scattered ids (from a foreign file) gets a map
// instead of a vector the size of its largest id.
class PictureMarks {
 public:
  PictureMarks(std::uint32_t maxId, std::size_t pictures) {
    m_dense = maxId <= 4 * static_cast<std::uint64_t>(pictures) + 65536;
    if (m_dense) m_flags.assign(static_cast<std::size_t>(maxId) + 1, 0);
  }
  void Mark(std::int32_t id, std::uint8_t bit) {
    const auto u = static_cast<std::uint32_t>(id);
    if (!m_dense)
      m_sparse[u] |= bit;
    else if (u < m_flags.size())
      m_flags[u] |= bit;
  }
  bool Has(std::int32_t id, std::uint8_t bit) const {
    const auto u = static_cast<std::uint32_t>(id);
    if (m_dense) return u < m_flags.size() && (m_flags[u] & bit) != 0;
    const auto it = m_sparse.find(u);
    return it != m_sparse.end() && (it->second & bit) != 0;
  }

 private:
  bool m_dense = true;
  std::vector<std::uint8_t> m_flags;
  std::unordered_map<std::uint32_t, std::uint8_t> m_sparse;
};

bool Filters(std::int32_t filter) { return filter != -1 && filter != 0; }

// -2 marks pictures with any link, an id those linked to it.
bool Matches(std::int32_t filter, std::int32_t high) { return filter == -2 || high == filter; }

struct Candidate {
  std::int32_t id;
  const PictureEntry* entry;
};

// Sort key and candidate position: the position breaks ties, so an unstable
// sort gives exactly the order a stable one would.
template <typename Key>
struct Keyed {
  Key key;
  std::uint32_t pos;
  friend bool operator<(const Keyed& a, const Keyed& b) {
    return a.key < b.key || (a.key == b.key && a.pos < b.pos);
  }
};

// A byte string that orders as CompareCp1252 does: each character becomes
// its code page 1252 byte, 0xFF becomes FF 00, and a character outside code
// page 1252 becomes FF 01 and three bytes of its code point, after every byte.
void AppendNameKey(std::string_view name, std::string& out) {
  std::string one, byte;
  for (std::size_t pos = 0; pos < name.size();) {
    const auto b = static_cast<unsigned char>(name[pos]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
      ++pos;
      continue;
    }
    const char32_t cp = DecodeUtf8(name, pos);
    one.clear();
    byte.clear();
    AppendUtf8(cp, one);
    if (Utf8ToCp1252(one, byte) && byte.size() == 1) {
      out.push_back(byte[0]);
      if (static_cast<unsigned char>(byte[0]) == 0xFF) out.push_back('\0');
    } else {
      out.push_back('\xFF');
      out.push_back('\x01');
      out.push_back(static_cast<char>(cp >> 16));
      out.push_back(static_cast<char>(cp >> 8));
      out.push_back(static_cast<char>(cp));
    }
  }
}

std::vector<std::uint32_t> OrderByName(const std::vector<Candidate>& c) {
  std::string keys;
  std::vector<std::uint32_t> ends(c.size());
  for (std::size_t i = 0; i < c.size(); ++i) {
    AppendNameKey(c[i].entry->filename, keys);
    ends[i] = static_cast<std::uint32_t>(keys.size());
  }
  auto key = [&](std::uint32_t i) {
    const std::uint32_t begin = i == 0 ? 0 : ends[i - 1];
    return std::string_view(keys).substr(begin, ends[i] - begin);
  };
  std::vector<std::uint32_t> order(c.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  // string_view compares bytes as unsigned char.
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const int r = key(a).compare(key(b));
    return r < 0 || (r == 0 && a < b);
  });
  return order;
}

std::vector<std::uint32_t> OrderBySize(const std::vector<Candidate>& c) {
  std::vector<Keyed<std::uint64_t>> keyed(c.size());
  for (std::size_t i = 0; i < c.size(); ++i)
    keyed[i] = {c[i].entry->size, static_cast<std::uint32_t>(i)};
  std::sort(keyed.begin(), keyed.end());
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
  std::vector<Keyed<std::uint64_t>> keyed;
  keyed.reserve(c.size());
  std::vector<std::uint32_t> nans;
  for (std::size_t i = 0; i < c.size(); ++i) {
    const double m = Moment(c[i].entry->timestamp.Value());
    if (std::isnan(m))
      nans.push_back(static_cast<std::uint32_t>(i));
    else
      keyed.push_back({OrderedBits(m), static_cast<std::uint32_t>(i)});
  }
  std::sort(keyed.begin(), keyed.end());
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

}  // namespace

void CMeriskDoc::SelectPictures(std::int32_t theme, std::int32_t person, std::int32_t sortKey) {
  CWaitCursorGuard wait(m_userQuestions);

  std::vector<Candidate> candidates;
  candidates.reserve(static_cast<std::size_t>(m_pictures.GetCount()));
  std::uint32_t maxId = 0;
  for (POSITION p = m_pictures.GetStartPosition(); p != kNullPosition;) {
    Candidate c;
    c.entry = &m_pictures.GetNextRef(p, c.id);
    maxId = std::max(maxId, static_cast<std::uint32_t>(c.id));
    candidates.push_back(c);
  }

  if (Filters(theme) || Filters(person)) {
    PictureMarks marks(maxId, candidates.size());
    if (Filters(theme)) {
      for (POSITION p = m_themesOfPictures.GetStartPosition(); p != kNullPosition;) {
        std::int32_t high, picture;
        m_themesOfPictures.GetNext(p, high, picture);
        if (Matches(theme, high)) marks.Mark(picture, kThemeMark);
      }
    }
    if (Filters(person)) {
      for (POSITION p = m_personsOnPictures.GetStartPosition(); p != kNullPosition;) {
        const PersonOnPictureEntry& e = m_personsOnPictures.GetNextRef(p);
        if (Matches(person, e.person)) marks.Mark(e.picture, kPersonMark);
      }
    }
    // -2 keeps the pictures without a mark, an id those with one.
    auto rejects = [&marks](std::int32_t filter, std::int32_t id, std::uint8_t bit) {
      return Filters(filter) && marks.Has(id, bit) == (filter == -2);
    };
    std::erase_if(candidates, [&](const Candidate& c) {
      return rejects(theme, c.id, kThemeMark) || rejects(person, c.id, kPersonMark);
    });
  }

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
  m_nSelectedCount = static_cast<std::int32_t>(m_selection.size());
  UpdateAllViews(nullptr);
}

std::int32_t CMeriskDoc::SetExplicitSelection(const std::vector<std::int32_t>& ids) {
  m_selection = ids;
  m_nSelectedCount = static_cast<std::int32_t>(m_selection.size());
  m_nSelectionKind = 4;
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
}

}  // namespace kolvaro
