#pragma once
// Searching pictures by what the user types: every word must occur in the
// headline, the file's base name, or the name of one of the picture's themes
// or persons, without regard to case or accents, the German way.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/tables.h"

namespace kolvaro {

/// Appends the search form of UTF-8 text: lower case, accents stripped,
/// ß as "ss". Ä, Ö and Ü become a, o and u, or with `umlautAsE` ae, oe and ue.
void FoldForSearch(std::string_view utf8, bool umlautAsE, std::string& out);

/// A typed search: its words, each folded both ways.
class CSearchQuery {
 public:
  explicit CSearchQuery(std::string_view text);
  bool Empty() const { return m_words.empty(); }
  std::size_t WordCount() const { return m_words.size(); }
  /// Whether word `i` occurs in a text whose two folded forms are given;
  /// `umlautAsE` may be empty when it equals `plain`.
  bool WordIn(std::size_t i, std::string_view plain, std::string_view umlautAsE) const;
  /// Whether every word occurs in the text.
  bool AllIn(std::string_view plain, std::string_view umlautAsE) const;

 private:
  struct Word {
    std::string plain, umlautAsE;
  };
  std::vector<Word> m_words;
};

/// Both folded forms of a text, the second left empty when it equals the first.
void FoldBothWays(std::string_view utf8, std::string& plain, std::string& umlautAsE);

/// The folded texts of an album: each picture's headline and base name, in
/// the picture table's order, and the theme and person names. Valid as long
/// as the tables it was made from are unchanged.
class CSearchIndex {
 public:
  CSearchIndex(const CBilderEx& pictures, const CThemenEx& themes, const CPersonenEx& persons);
  ~CSearchIndex();
  std::size_t PictureCount() const { return m_ids.size(); }
  /// Per picture in table order: whether every word occurs in its texts or
  /// in the name of one of its themes or persons.
  std::vector<bool> Matches(const CSearchQuery& query, const CThemenDerBilderEx& themeLinks,
                            const CPersonenAufBildernEx& personLinks) const;

 private:
  struct Names;
  std::vector<std::int32_t> m_ids;
  std::int64_t m_maxId = -1;  ///< -1 when an id is negative
  std::string m_text;         ///< per picture its plain form, then its e-form when that differs
  std::vector<std::size_t> m_bounds;  ///< per picture: begin, begin of the e-form; then the end
  std::unique_ptr<Names> m_themes, m_persons;
};

}  // namespace kolvaro
