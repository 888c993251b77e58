#pragma once
// The XMP packet of a JPEG file, replaced without touching anything else of
// the picture: every other segment (EXIF with its maker note, IPTC, colour
// profile), the image data and whatever follows its end are copied byte for
// byte. Files are read in bounded pieces, never whole, and the picture is
// never rewritten in place: a new file beside it takes its name, or nothing
// happens.

#include <sys/stat.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace kolvaro {

/// How the payload of the APP1 segment with the standard XMP packet starts.
inline constexpr std::string_view kXmpSignature{"http://ns.adobe.com/xap/1.0/\0", 29};
/// The largest packet one segment holds.
inline constexpr std::size_t kMaxXmpPacket = 65502;

/// Where the XMP segment of a JPEG lies, or where a new one goes.
struct JpegLayout {
  std::uint64_t xmpOffset = 0;  ///< its marker, or where a new segment is inserted
  std::uint64_t xmpLength = 0;  ///< its bytes with marker and length; 0 without one
  std::string packet;           ///< the packet it holds
  std::uint64_t size = 0;       ///< of the whole file
};

enum class JpegStatus { kOk, kNotJpeg, kDamaged, kIoError };

/// Reads the segments ahead of the image data of the JPEG open at `fd`.
/// `error` gets the errno value of kIoError.
JpegStatus ScanJpeg(int fd, JpegLayout& layout, int& error);

/// Writes to `out` the JPEG open at `in` with `packet` as its XMP packet
/// (an empty one drops the segment). Returns 0 or an errno value.
int CopyJpegWithXmp(int in, const JpegLayout& layout, std::string_view packet, int out);

/// One picture whose XMP packet is to be replaced: opened and scanned first,
/// so that the caller can merge into the packet there, then replaced.
class CJpegXmpFile {
 public:
  enum class Result {
    kOk,
    kNotJpeg,
    kDamaged,
    kNotRegular,    ///< a folder, pipe or device
    kTooLarge,      ///< the new packet does not fit one segment
    kHardLinks,     ///< the other names would keep the old picture
    kFolderLocked,  ///< no new file may be made beside the picture
    kChanged,       ///< another program replaced the file meanwhile
    kIoError,       ///< see Error()
  };

  CJpegXmpFile() = default;
  ~CJpegXmpFile();
  CJpegXmpFile(const CJpegXmpFile&) = delete;
  CJpegXmpFile& operator=(const CJpegXmpFile&) = delete;

  /// Opens the picture at `path` (a symbolic link leads to its target) and
  /// finds its XMP segment.
  Result Open(const std::string& path);
  /// The packet the picture holds now; empty without one.
  const std::string& Packet() const { return m_layout.packet; }
  /// Whether Replace would have to rewrite the file in place.
  Result CheckReplaceable() const;
  /// Writes the picture with `packet` under a temporary name beside it,
  /// makes it durable and gives it the picture's name, with the old file's
  /// owner and mode.
  Result Replace(std::string_view packet);
  /// The errno value behind kIoError.
  int Error() const { return m_error; }

 private:
  int m_fd = -1;
  std::string m_target;  ///< the file itself, links resolved
  struct stat m_stat {};
  JpegLayout m_layout;
  int m_error = 0;
};

/// Called while the new picture file grows, with the bytes written so far,
/// and with UINT64_MAX just before it takes the picture's name. Tests stop
/// the process there to see that no moment of a write harms the picture.
extern void (*g_jpegWriteProbe)(std::uint64_t written);

}  // namespace kolvaro
