#pragma once
// Decoding the primary picture of a HEIF file (HEIC from phones) to 8-bit
// RGBA pixels, for the picture view, which has no Qt plugin for it.

#include <cstdint>
#include <span>
#include <vector>

namespace kolvaro {

/// The most pixels a HEIF picture may have to be decoded: 64 megapixels,
/// 256 MiB as RGBA (today's phones take 48).
inline constexpr std::uint64_t kMaxHeifPixels = 64ull * 1024 * 1024;

struct DecodedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;  ///< rows of width * 4 bytes, top down
};

/// The upright pixel size of the primary picture (rotation and mirroring
/// from the file applied); false for a damaged file.
bool HeifPictureSize(std::span<const std::uint8_t> bytes, int& width, int& height);

/// Decodes the primary picture, turned upright as the file says. False for
/// a damaged file or one over kMaxHeifPixels.
bool DecodeHeif(std::span<const std::uint8_t> bytes, DecodedPicture& out);

}  // namespace kolvaro
