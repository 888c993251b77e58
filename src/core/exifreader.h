#pragma once
// Reads the text of one EXIF tag (above all the capture date) from the header
// segments of a JPEG file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kolvaro {

/// Reads a JPEG's segments once, up to the start of the image data, and keeps
/// the first APP1 block. Only that block is ever consulted: a file whose first
/// APP1 block is not EXIF (for example XMP) counts as a file without EXIF
/// data. Malformed input gives false or a shorter text, never more.
class CExifReader {
 public:
  static constexpr std::uint16_t kTagMake = 271;
  static constexpr std::uint16_t kTagModel = 272;
  static constexpr std::uint16_t kTagDateTimeOriginal = 36867;  ///< "YYYY:MM:DD HH:MM:SS"

  /// Reads the file's segments; a file that cannot be opened or is not a JPEG
  /// answers false for every tag.
  explicit CExifReader(const std::string& path);

  /// Parses a JPEG held in memory; the bytes need not outlive the reader.
  static CExifReader FromMemory(std::span<const std::uint8_t> jpeg);

  /// True and the tag's text when the EXIF (or camera "QVCI") block holds the
  /// tag. Tags without a text rule answer true with an empty text.
  bool GetTagText(std::uint16_t tag, std::string& text) const;
  bool GetCaptureDateText(std::string& text) const {
    return GetTagText(kTagDateTimeOriginal, text);
  }

  /// The JPEG thumbnail that IFD1 points to (tags 513 and 514), as a copy;
  /// empty when there is none or it does not lie wholly inside the block.
  std::vector<std::uint8_t> EmbeddedThumbnail() const;

  /// The tags that have a text rule (stored text, "%u" number or "%.2lf" rational).
  static std::span<const std::uint16_t> KnownTags();

  const std::string& Path() const { return m_path; }

 private:
  CExifReader() = default;

  std::string m_path;
  bool m_hasApp1 = false;            ///< a segment with marker 0xE1 was seen
  std::vector<std::uint8_t> m_app1;  ///< payload of the first APP1 segment
};

}  // namespace kolvaro
