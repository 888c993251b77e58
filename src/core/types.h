#pragma once

#include <cstdint>

namespace kolvaro {

/// Person rectangles are in picture pixels; left, top, right, bottom.
struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  friend bool operator==(const Rect&, const Rect&) = default;
};

/// Key of the two link tables: person or theme id × 2^32 + picture id, the
/// picture id sign-extended (so the pair (-1, -1) gives 0xFFFFFFFE_FFFFFFFF).
inline std::int64_t PairKey(std::int32_t high, std::int32_t low) {
  // Unsigned arithmetic: the sum wraps for high ids, as the format expects.
  return static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) +
      static_cast<std::uint64_t>(static_cast<std::int64_t>(low)));
}
inline std::int32_t PairHigh(std::int64_t key) {
  return static_cast<std::int32_t>(static_cast<std::uint64_t>(key) >> 32);
}
inline std::int32_t PairLow(std::int64_t key) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(key)));
}

}  // namespace kolvaro
