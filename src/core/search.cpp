// Folding is done once per picture and kept until the album changes, so that
// narrowing the selection while the user types costs only substring scans.
#include "core/search.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "core/cp1252.h"

namespace kolvaro {
namespace {

// Base letters of U+0100–U+017F; '?' marks the two-letter ones (Ĳ, Œ).
constexpr std::string_view kLatinExtendedA =
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiii??jjkkkllllllllllnnnnnnnnnoooooo??"
    "rrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(kLatinExtendedA.size() == 0x80);

// Base letters of U+00E0–U+00FF, the lower half of Latin-1's letters; '?'
// marks those with a form of their own below (ä æ ö ü þ and ÷).
constexpr std::string_view kLatin1Lower = "aaaa?a?ceeeeiiiidnoooo??ouuu?y?y";
static_assert(kLatin1Lower.size() == 0x20);

void AppendFolded(char32_t cp, bool umlautAsE, std::string& out) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + 0x20 : cp));
    return;
  }
  if (cp >= 0x300 && cp <= 0x36F) {
    // A combining mark: dropped, but a diaeresis on a, o or u spells its e.
    if (cp == 0x308 && umlautAsE && !out.empty() &&
        (out.back() == 'a' || out.back() == 'o' || out.back() == 'u'))
      out.push_back('e');
    return;
  }
  if (cp >= 0xC0 && cp <= 0xFF && cp != 0xD7 && cp != 0xF7) {
    if (cp == 0xDF) {
      out += "ss";
      return;
    }
    const char32_t lower = cp < 0xE0 ? cp + 0x20 : cp;
    switch (lower) {
      case 0xE4:  // ä
      case 0xF6:  // ö
      case 0xFC:  // ü
        out.push_back(lower == 0xE4 ? 'a' : lower == 0xF6 ? 'o' : 'u');
        if (umlautAsE) out.push_back('e');
        return;
      case 0xE6: out += "ae"; return;
      case 0xFE: out += "th"; return;
      default: out.push_back(kLatin1Lower[lower - 0xE0]); return;
    }
  }
  if (cp >= 0x100 && cp <= 0x17F) {
    const char base = kLatinExtendedA[cp - 0x100];
    if (base != '?')
      out.push_back(base);
    else
      out += (cp == 0x132 || cp == 0x133) ? "ij" : "oe";
    return;
  }
  AppendUtf8(LowerCp1252(cp), out);
}

bool IsSpace(char32_t cp) {
  return cp == ' ' || cp == '\t' || cp == '\n' || cp == '\r' || cp == '\f' || cp == '\v' ||
         cp == 0xA0 || cp == 0x2007 || cp == 0x202F || cp == 0x3000;
}

}  // namespace

void FoldForSearch(std::string_view utf8, bool umlautAsE, std::string& out) {
  out.reserve(out.size() + utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[pos]);
    if (b < 0x80) {
      out.push_back(static_cast<char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b));
      ++pos;
      continue;
    }
    AppendFolded(DecodeUtf8(utf8, pos), umlautAsE, out);
  }
}

void FoldBothWays(std::string_view utf8, std::string& plain, std::string& umlautAsE) {
  plain.clear();
  umlautAsE.clear();
  FoldForSearch(utf8, false, plain);
  // Only text with an umlaut has a second form.
  if (std::all_of(utf8.begin(), utf8.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return;
  FoldForSearch(utf8, true, umlautAsE);
  if (umlautAsE == plain) umlautAsE.clear();
}

CSearchQuery::CSearchQuery(std::string_view text) {
  std::unordered_set<std::string> seen;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t next = pos;
    if (IsSpace(DecodeUtf8(text, next))) {
      pos = next;
      continue;
    }
    const std::size_t begin = pos;
    while (pos < text.size()) {
      next = pos;
      if (IsSpace(DecodeUtf8(text, next))) break;
      pos = next;
    }
    Word w;
    FoldBothWays(text.substr(begin, pos - begin), w.plain, w.umlautAsE);
    if (w.umlautAsE.empty()) w.umlautAsE = w.plain;
    // A repeated word asks nothing new.
    if (seen.insert(w.plain + '\n' + w.umlautAsE).second) m_words.push_back(std::move(w));
  }
}

// "mueller" finds "Müller" through the e-forms, "muller" through the plain
// ones; "Müller" typed finds both spellings.
bool CSearchQuery::WordIn(std::size_t i, std::string_view plain, std::string_view umlautAsE) const {
  const Word& w = m_words[i];
  if (plain.find(w.plain) != std::string_view::npos) return true;
  if (umlautAsE.empty()) umlautAsE = plain;
  return umlautAsE.find(w.umlautAsE) != std::string_view::npos;
}

bool CSearchQuery::AllIn(std::string_view plain, std::string_view umlautAsE) const {
  for (std::size_t i = 0; i < m_words.size(); ++i)
    if (!WordIn(i, plain, umlautAsE)) return false;
  return true;
}

namespace {

std::string_view BaseName(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Id to value: a vector while the ids are dense enough, a hash map for an
// album with scattered or negative ids.
template <typename T>
class IdMap {
 public:
  IdMap(std::int64_t maxId, std::size_t count, T none)
      : m_dense(maxId >= 0 && maxId <= 4 * static_cast<std::int64_t>(count) + 65536), m_none(none) {
    if (m_dense) m_values.assign(static_cast<std::size_t>(maxId) + 1, none);
  }
  T& operator[](std::int32_t id) {
    return m_dense ? m_values[static_cast<std::size_t>(id)] : m_sparse[id];
  }
  T Get(std::int32_t id) const {
    if (m_dense)
      return id >= 0 && static_cast<std::size_t>(id) < m_values.size()
                 ? m_values[static_cast<std::size_t>(id)]
                 : m_none;
    const auto it = m_sparse.find(id);
    return it == m_sparse.end() ? m_none : it->second;
  }
  bool Dense() const { return m_dense; }

 private:
  bool m_dense;
  T m_none;
  std::vector<T> m_values;
  std::unordered_map<std::int32_t, T> m_sparse;
};

}  // namespace

struct CSearchIndex::Names {
  struct Name {
    std::int32_t id;
    std::size_t begin, mid, end;  ///< plain form [begin, mid), e-form [mid, end)
  };
  std::vector<Name> names;
  std::string bytes;
  std::int64_t maxId = -1;
  bool negative = false;

  template <typename Table>
  explicit Names(const Table& table) {
    std::string plain, e, name;
    std::int32_t id;
    for (POSITION p = table.GetStartPosition(); p != kNullPosition;) {
      table.GetNext(p, id, name);
      FoldBothWays(name, plain, e);
      const std::size_t begin = bytes.size();
      bytes += plain;
      const std::size_t mid = bytes.size();
      bytes += e;
      names.push_back({id, begin, mid, bytes.size()});
      maxId = std::max<std::int64_t>(maxId, id);
      negative |= id < 0;
    }
  }
};

CSearchIndex::CSearchIndex(const CBilderEx& pictures, const CThemenEx& themes,
                           const CPersonenEx& persons)
    : m_themes(std::make_unique<Names>(themes)), m_persons(std::make_unique<Names>(persons)) {
  const auto n = static_cast<std::size_t>(pictures.GetCount());
  m_bounds.reserve(2 * n + 1);
  std::int64_t maxId = -1;
  bool negative = false;
  std::string text, plain, e;
  for (POSITION p = pictures.GetStartPosition(); p != kNullPosition;) {
    std::int32_t id;
    const PictureEntry& entry = pictures.GetNextRef(p, id);
    m_ids.push_back(id);
    maxId = std::max<std::int64_t>(maxId, id);
    negative |= id < 0;
    // A line break keeps a word from running from the headline into the name.
    text.assign(entry.title);
    text += '\n';
    text += BaseName(entry.filename);
    FoldBothWays(text, plain, e);
    m_bounds.push_back(m_text.size());
    m_text += plain;
    m_bounds.push_back(m_text.size());
    m_text += e;
  }
  m_bounds.push_back(m_text.size());
  m_maxId = negative ? -1 : maxId;
}

CSearchIndex::~CSearchIndex() = default;

std::vector<bool> CSearchIndex::Matches(const CSearchQuery& query,
                                        const CThemenDerBilderEx& themeLinks,
                                        const CPersonenAufBildernEx& personLinks) const {
  const std::size_t n = PictureCount();
  std::vector<bool> result(n, true);
  if (query.Empty()) return result;
  IdMap<std::uint32_t> slots(m_maxId, n, 0xFFFFFFFF);
  bool slotsMade = false;
  std::vector<std::uint64_t> viaNames(n);
  // Up to 64 words at a time, one bit each; a pasted paragraph stops as
  // soon as no picture is left.
  std::size_t alive = n;
  for (std::size_t first = 0; first < query.WordCount() && alive > 0; first += 64) {
    const std::size_t count = std::min<std::size_t>(64, query.WordCount() - first);
    std::fill(viaNames.begin(), viaNames.end(), 0);
    const auto mark = [&](const Names& names, const auto& links) {
      IdMap<std::uint64_t> masks(names.negative ? -1 : names.maxId, names.names.size(), 0);
      bool any = false;
      const std::string_view bytes = names.bytes;
      for (const Names::Name& name : names.names) {
        const std::string_view plain = bytes.substr(name.begin, name.mid - name.begin);
        const std::string_view e = bytes.substr(name.mid, name.end - name.mid);
        std::uint64_t m = 0;
        for (std::size_t w = 0; w < count; ++w)
          if (query.WordIn(first + w, plain, e)) m |= std::uint64_t{1} << w;
        if (m) {
          masks[name.id] |= m;
          any = true;
        }
      }
      if (!any) return;
      if (!slotsMade) {
        for (std::size_t i = 0; i < n; ++i) slots[m_ids[i]] = static_cast<std::uint32_t>(i);
        slotsMade = true;
      }
      for (POSITION p = links.GetStartPosition(); p != kNullPosition;) {
        std::int32_t high, picture;
        links.GetNext(p, high, picture);
        // A negative picture id borrows one from the key's high half.
        if (picture < 0) high = static_cast<std::int32_t>(static_cast<std::uint32_t>(high) + 1);
        const std::uint64_t m = masks.Get(high);
        if (!m) continue;
        const std::uint32_t slot = slots.Get(picture);
        if (slot != 0xFFFFFFFF) viaNames[slot] |= m;
      }
    };
    mark(*m_themes, themeLinks);
    mark(*m_persons, personLinks);
    const std::string_view text = m_text;
    for (std::size_t i = 0; i < n; ++i) {
      if (!result[i]) continue;
      const std::string_view plain =
          text.substr(m_bounds[2 * i], m_bounds[2 * i + 1] - m_bounds[2 * i]);
      const std::string_view e =
          text.substr(m_bounds[2 * i + 1], m_bounds[2 * i + 2] - m_bounds[2 * i + 1]);
      for (std::size_t w = 0; w < count; ++w) {
        if ((viaNames[i] >> w) & 1) continue;
        if (!query.WordIn(first + w, plain, e)) {
          result[i] = false;
          --alive;
          break;
        }
      }
    }
  }
  return result;
}

}  // namespace kolvaro
