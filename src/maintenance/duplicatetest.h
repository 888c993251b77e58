#pragma once
// The duplicate test of an add command: is a file's stored name already in
// the album? The Windows style compares without regard to case exactly as
// CBilderEx::ContainsFile does; the POSIX style compares with case, since
// foto.jpg and Foto.jpg are two files there. The command knows its names up
// front, so one pass over the album answers for all of them, instead of one
// pass per name.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/paths.h"
#include "core/tables.h"

namespace kolvaro {

class CDuplicateTest {
 public:
  /// Looks every name of `names` up in `pictures` in one pass.
  CDuplicateTest(const CBilderEx& pictures, std::vector<std::string> names, PathStyle style);

  std::size_t size() const { return m_names.size(); }
  const std::string& Name(std::size_t i) const { return m_names[i]; }

  /// True when the album holds names[i], counting the names marked Added.
  bool IsDuplicate(std::size_t i) const;
  /// names[i] has just been added to the album.
  void Added(std::size_t i) { m_added[i] = true; }

  /// Equal for names ContainsFile takes for the same.
  static std::uint64_t FoldedHash(std::string_view name);
  /// Equal for equal names.
  static std::uint64_t ExactHash(std::string_view name);

 private:
  struct Slot {
    std::uint64_t hash = 0;  ///< 0: empty
    std::size_t index = 0;
  };

  std::uint64_t Hash(std::string_view name) const;
  bool Same(std::string_view a, std::string_view b) const;

  bool m_ignoreCase;
  std::vector<std::string> m_names;
  std::vector<std::uint64_t> m_hashes;
  std::vector<Slot> m_slots;
  std::vector<bool> m_inAlbum;
  std::vector<bool> m_added;
};

}  // namespace kolvaro
