#pragma once
// What kind of picture or video a file holds, told by its first bytes, and
// the readers that find the capture metadata inside the containers of
// today's cameras and phones: the EXIF block (a TIFF structure) of HEIF,
// PNG, WebP, TIFF and RAW files and the movie header time of MP4 and MOV.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace kolvaro {

enum class MediaKind : std::uint8_t {
  kUnknown,
  kJpeg,
  kHeif,
  kPng,
  kWebp,
  kTiff,  ///< also the TIFF-based RAW files that cannot be told from a TIFF by their start
  kGif,
  kBmp,
  kRaw,  ///< a RAW file with a start of its own (CR2, CR3, ORF, RW2, RAF)
  kMp4,
  kMov,
  kAvi,
};

/// The groups the file choosers offer, in their order.
enum class MediaFamily : std::uint8_t {
  kJpeg,
  kHeif,
  kPng,
  kWebp,
  kTiff,
  kGif,
  kBmp,
  kRaw,
  kVideo
};

struct MediaFamilyInfo {
  MediaFamily family;
  std::span<const std::string_view> extensions;  ///< lower case, with the dot
};

/// Every family with the name endings its files carry.
std::span<const MediaFamilyInfo> MediaFamilies();

/// True when `name` ends in one of the families' endings, in any case.
bool HasMediaExtension(std::string_view name);

/// How many bytes DetectMediaKind needs to tell every kind apart.
inline constexpr std::size_t kMediaHeadSize = 32;

/// The kind by the file's first bytes (fewer than kMediaHeadSize only for a
/// shorter file); the name is not consulted.
MediaKind DetectMediaKind(std::span<const std::uint8_t> head);

/// Random access to a file's or a buffer's bytes.
class IRandomBytes {
 public:
  virtual ~IRandomBytes() = default;
  virtual std::uint64_t Size() const = 0;
  /// Exactly out.size() bytes from `offset`, or false.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

class CMemoryRandomBytes final : public IRandomBytes {
 public:
  explicit CMemoryRandomBytes(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  std::uint64_t Size() const override { return m_bytes.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  std::span<const std::uint8_t> m_bytes;
};

/// An open file descriptor, read with pread; the caller keeps it open. The
/// readers ask for a few bytes at a time, so small reads go through a window
/// of 64 KiB. `start`, when given, holds the file's first bytes and must
/// outlive the source.
class CFileRandomBytes final : public IRandomBytes {
 public:
  CFileRandomBytes(int fd, std::uint64_t size, std::span<const std::uint8_t> start = {})
      : m_fd(fd), m_size(size), m_start(start) {}
  std::uint64_t Size() const override { return m_size; }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  bool ReadFile(std::uint64_t offset, std::span<std::uint8_t> out) const;

  int m_fd;
  std::uint64_t m_size;
  std::span<const std::uint8_t> m_start;
  mutable std::vector<std::uint8_t> m_window;
  mutable std::uint64_t m_windowAt = 0;
};

/// The most of an EXIF block any reader keeps; tags beyond it count as missing.
inline constexpr std::size_t kMaxExifBlockSize = 1024 * 1024;

/// Where a container's EXIF data lies.
struct ExifLocation {
  enum class Form : std::uint8_t {
    kTiff,  ///< a TIFF structure ("II*\0" or "MM\0*" header)
    kJpeg,  ///< a JPEG stream whose APP1 segment holds it (RAF preview)
  };
  Form form = Form::kTiff;
  std::vector<std::uint8_t> bytes;  ///< at most kMaxExifBlockSize
};

/// The EXIF data of a HEIF, PNG, WebP, TIFF or RAW file; nothing when the
/// container has none or is damaged. Every size is checked against the
/// source, and no more than a fixed amount is read or kept.
std::optional<ExifLocation> FindExif(const IRandomBytes& src, MediaKind kind);

/// The creation time of an MP4 or MOV file's movie header (mvhd), in
/// seconds since 1970 UTC; nothing when absent, zero or the file damaged.
std::optional<std::int64_t> FindMovieCreationTime(const IRandomBytes& src);

}  // namespace kolvaro
