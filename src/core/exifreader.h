#pragma once
// Reads the text of one EXIF tag (above all the capture date) from the header
// segments of a JPEG file, or from the EXIF block of the other picture
// containers; a video answers with the creation time of its movie header.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kolvaro {

class IRandomBytes;

/// Reads a JPEG's segments once, up to the start of the image data, and keeps
/// the first APP1 block. Only that block is ever consulted: a file whose first
/// APP1 block is not EXIF (for example XMP) counts as a file without EXIF
/// data. Malformed input gives false or a shorter text, never more. Other
/// files are told by their first bytes, not their names (see mediafile.h).
class CExifReader {
 public:
  static constexpr std::uint16_t kTagMake = 271;
  static constexpr std::uint16_t kTagModel = 272;
  static constexpr std::uint16_t kTagDateTimeOriginal = 36867;  ///< "YYYY:MM:DD HH:MM:SS"

  /// Reads the file's segments; a file that cannot be opened or holds no
  /// EXIF data answers false for every tag. An MP4 or MOV file answers only
  /// the capture date: its movie header's time in local time.
  explicit CExifReader(const std::string& path);

  /// Parses a file held in memory; the bytes need not outlive the reader.
  static CExifReader FromMemory(std::span<const std::uint8_t> bytes);

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
  void ReadContainer(const IRandomBytes& src, std::span<const std::uint8_t> head);
  std::uint64_t FirstDirectory() const;

  std::string m_path;
  bool m_tiffHeaderRules = false;           ///< IFD0 where the TIFF header says, not right after it
  std::optional<std::int64_t> m_movieTime;  ///< seconds since 1970 UTC, for videos
  bool m_hasApp1 = false;            ///< a segment with marker 0xE1 was seen
  std::vector<std::uint8_t> m_app1;  ///< payload of the first APP1 segment
};

}  // namespace kolvaro
