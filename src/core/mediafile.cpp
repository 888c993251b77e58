#include "core/mediafile.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace kolvaro {
namespace {

constexpr std::string_view kJpegExt[] = {".jpg", ".jpeg", ".jpe"};
constexpr std::string_view kHeifExt[] = {".heic", ".heif", ".hif"};
constexpr std::string_view kPngExt[] = {".png"};
constexpr std::string_view kWebpExt[] = {".webp"};
constexpr std::string_view kTiffExt[] = {".tif", ".tiff"};
constexpr std::string_view kGifExt[] = {".gif"};
constexpr std::string_view kBmpExt[] = {".bmp"};
constexpr std::string_view kRawExt[] = {".dng", ".cr2", ".cr3", ".nef",
                                        ".arw", ".orf", ".rw2", ".raf"};
constexpr std::string_view kVideoExt[] = {".mp4", ".mov", ".avi"};

constexpr MediaFamilyInfo kFamilies[] = {
    {MediaFamily::kJpeg, kJpegExt},   {MediaFamily::kHeif, kHeifExt},
    {MediaFamily::kPng, kPngExt},     {MediaFamily::kWebp, kWebpExt},
    {MediaFamily::kTiff, kTiffExt},   {MediaFamily::kGif, kGifExt},
    {MediaFamily::kBmp, kBmpExt},     {MediaFamily::kRaw, kRawExt},
    {MediaFamily::kVideo, kVideoExt},
};

constexpr std::size_t kWindowSize = 64 * 1024;
// A crafted file of a million tiny boxes or chunks must not keep a reader busy.
constexpr int kMaxEntries = 4096;
// Item tables of a HEIF file are small; a bigger one is damage.
constexpr std::size_t kMaxTableSize = 1024 * 1024;
// The preview JPEG of a RAF file begins with its EXIF segment.
constexpr std::size_t kRafJpegPrefix = 128 * 1024;
// Seconds from 1904-01-01 (the movie header's epoch) to 1970-01-01.
constexpr std::int64_t kMacEpochOffset = 2082844800;
// Beyond the year 9999 no calendar date exists.
constexpr std::int64_t kLatestTime = 253402300799;

constexpr std::uint32_t FourCc(const char (&s)[5]) {
  return std::uint32_t{static_cast<std::uint8_t>(s[0])} << 24 |
         std::uint32_t{static_cast<std::uint8_t>(s[1])} << 16 |
         std::uint32_t{static_cast<std::uint8_t>(s[2])} << 8 | static_cast<std::uint8_t>(s[3]);
}

std::uint32_t Be32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}
std::uint64_t Be64(const std::uint8_t* p) { return std::uint64_t{Be32(p)} << 32 | Be32(p + 4); }
std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view text) {
  return bytes.size() >= at + text.size() &&
         std::memcmp(bytes.data() + at, text.data(), text.size()) == 0;
}

/// `length` bytes from `offset`, but never more than `cap`; empty when the
/// source does not hold them.
std::vector<std::uint8_t> ReadCapped(const IRandomBytes& src, std::uint64_t offset,
                                     std::uint64_t length, std::size_t cap) {
  const std::uint64_t size = src.Size();
  if (offset > size || length > size - offset) return {};
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(length, cap)));
  if (!src.ReadAt(offset, bytes)) return {};
  return bytes;
}

/// A TIFF structure, or the part of a container's EXIF payload that is one:
/// some writers keep JPEG's "Exif\0\0" in front of it.
std::optional<ExifLocation> TiffPayload(std::vector<std::uint8_t> bytes) {
  if (StartsWith(bytes, 0, std::string_view("Exif\0\0", 6)))
    bytes.erase(bytes.begin(), bytes.begin() + 6);
  if (bytes.size() < 8) return std::nullopt;
  return ExifLocation{ExifLocation::Form::kTiff, std::move(bytes)};
}

// ---- ISO base media file format (HEIF, MP4, MOV, CR3) ----

struct Box {
  std::uint32_t type = 0;
  std::uint64_t begin = 0;  ///< payload, after the header (and a uuid's user type)
  std::uint64_t end = 0;
  std::array<std::uint8_t, 16> uuid{};
};

/// The box whose header starts at `at`; false when it does not fit in `limit`.
bool ReadBox(const IRandomBytes& src, std::uint64_t at, std::uint64_t limit, Box& box) {
  if (at >= limit || limit - at < 8) return false;
  std::uint8_t h[16];
  if (!src.ReadAt(at, {h, 8})) return false;
  std::uint64_t size = Be32(h);
  box.type = Be32(h + 4);
  std::uint64_t header = 8;
  if (size == 1) {
    if (limit - at < 16 || !src.ReadAt(at + 8, {h + 8, 8})) return false;
    size = Be64(h + 8);
    header = 16;
  } else if (size == 0) {
    size = limit - at;  // up to the end of what contains it
  }
  if (box.type == FourCc("uuid")) {
    if (size < header + 16 || !src.ReadAt(at + header, box.uuid)) return false;
    header += 16;
  }
  if (size < header || size > limit - at) return false;
  box.begin = at + header;
  box.end = at + size;
  return true;
}

/// The first box of `type` among those filling [begin, end).
bool FindBox(const IRandomBytes& src, std::uint64_t begin, std::uint64_t end, std::uint32_t type,
             Box& found) {
  std::uint64_t at = begin;
  for (int i = 0; i < kMaxEntries && ReadBox(src, at, end, found); ++i) {
    if (found.type == type) return true;
    at = found.end;
  }
  return false;
}

/// Reads fields of a box payload held in memory; a read past its end sets
/// the failure flag and gives zero.
class Cursor {
 public:
  explicit Cursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
  std::uint64_t Take(std::size_t n) {
    if (n > 8 || m_bytes.size() - m_pos < n) {
      m_failed = true;
      m_pos = m_bytes.size();
      return 0;
    }
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i) value = value << 8 | m_bytes[m_pos + i];
    m_pos += n;
    return value;
  }
  std::size_t Remaining() const { return m_bytes.size() - m_pos; }
  std::size_t Position() const { return m_pos; }
  bool Failed() const { return m_failed; }

 private:
  std::span<const std::uint8_t> m_bytes;
  std::size_t m_pos = 0;
  bool m_failed = false;
};

/// The id of the first item of type "Exif" in the item information box.
std::optional<std::uint32_t> ExifItemId(const IRandomBytes& src, const Box& iinf) {
  const std::vector<std::uint8_t> head = ReadCapped(src, iinf.begin, 8, 8);
  if (head.size() < 6) return std::nullopt;
  const std::uint64_t first = iinf.begin + (head[0] == 0 ? 6 : 8);
  std::uint64_t at = first;
  Box infe;
  for (int i = 0; i < kMaxEntries && ReadBox(src, at, iinf.end, infe); ++i, at = infe.end) {
    if (infe.type != FourCc("infe")) continue;
    const std::vector<std::uint8_t> b = ReadCapped(src, infe.begin, infe.end - infe.begin, 16);
    // Versions 0 and 1 name no item type.
    if (b.size() < 4 || b[0] < 2) continue;
    Cursor c(b);
    c.Take(4);
    const auto id = static_cast<std::uint32_t>(c.Take(b[0] == 2 ? 2 : 4));
    c.Take(2);  // protection index
    if (!c.Failed() && c.Take(4) == FourCc("Exif")) return id;
  }
  return std::nullopt;
}

struct Extent {
  std::uint64_t offset;
  std::uint64_t length;
};

/// The item's extents from the item location box, with the base offset and
/// construction method applied: file offsets, or offsets into `idat`.
bool ItemExtents(std::span<const std::uint8_t> iloc, std::uint32_t item, bool& inIdat,
                 std::vector<Extent>& extents) {
  Cursor c(iloc);
  const auto version = static_cast<unsigned>(c.Take(1));
  c.Take(3);
  const auto sizes = static_cast<unsigned>(c.Take(1));
  const auto sizes2 = static_cast<unsigned>(c.Take(1));
  const unsigned offsetSize = sizes >> 4, lengthSize = sizes & 15, baseSize = sizes2 >> 4;
  const unsigned indexSize = (version == 1 || version == 2) ? sizes2 & 15 : 0;
  auto valid = [](unsigned n) { return n == 0 || n == 4 || n == 8; };
  if (version > 2 || !valid(offsetSize) || !valid(lengthSize) || !valid(baseSize) ||
      !valid(indexSize))
    return false;
  const std::uint64_t count = c.Take(version < 2 ? 2 : 4);
  for (std::uint64_t i = 0; i < count && !c.Failed(); ++i) {
    const std::uint64_t id = c.Take(version < 2 ? 2 : 4);
    unsigned method = 0;
    if (version == 1 || version == 2) method = static_cast<unsigned>(c.Take(2) & 15);
    c.Take(2);  // data reference index
    const std::uint64_t base = c.Take(baseSize);
    const unsigned extentSize = indexSize + offsetSize + lengthSize;
    // Extents of no bytes would let a small table ask for billions of them.
    const std::uint64_t extentCount =
        std::min<std::uint64_t>(c.Take(2), extentSize == 0 ? 1 : c.Remaining() / extentSize + 1);
    const bool wanted = id == item;
    for (std::uint64_t e = 0; e < extentCount && !c.Failed(); ++e) {
      c.Take(indexSize);
      const std::uint64_t offset = c.Take(offsetSize);
      const std::uint64_t length = c.Take(lengthSize);
      if (wanted && extents.size() < static_cast<std::size_t>(kMaxEntries)) {
        if (offset > UINT64_MAX - base) return false;
        extents.push_back({base + offset, length});
      }
    }
    if (wanted) {
      // Method 2 takes the bytes from other items: not followed.
      inIdat = method == 1;
      return method <= 1 && !c.Failed() && !extents.empty();
    }
  }
  return false;
}

std::optional<ExifLocation> HeifExif(const IRandomBytes& src) {
  Box meta, iinf, iloc;
  if (!FindBox(src, 0, src.Size(), FourCc("meta"), meta)) return std::nullopt;
  const std::uint64_t children = meta.begin + 4;  // a full box: version and flags first
  if (children > meta.end) return std::nullopt;
  if (!FindBox(src, children, meta.end, FourCc("iinf"), iinf) ||
      !FindBox(src, children, meta.end, FourCc("iloc"), iloc))
    return std::nullopt;
  const std::optional<std::uint32_t> item = ExifItemId(src, iinf);
  if (!item || iloc.end - iloc.begin > kMaxTableSize) return std::nullopt;
  const std::vector<std::uint8_t> table =
      ReadCapped(src, iloc.begin, iloc.end - iloc.begin, kMaxTableSize);
  bool inIdat = false;
  std::vector<Extent> extents;
  if (!ItemExtents(table, *item, inIdat, extents)) return std::nullopt;
  std::uint64_t origin = 0, limit = src.Size();
  if (inIdat) {
    Box idat;
    if (!FindBox(src, children, meta.end, FourCc("idat"), idat)) return std::nullopt;
    origin = idat.begin;
    limit = idat.end;
  }
  std::vector<std::uint8_t> data;
  for (const Extent& e : extents) {
    if (e.offset > limit - origin) return std::nullopt;
    const std::uint64_t at = origin + e.offset;
    // Length 0: the rest of the data.
    const std::uint64_t length = e.length == 0 ? limit - at : e.length;
    if (length > limit - at) return std::nullopt;
    const std::size_t room = kMaxExifBlockSize + 4 - data.size();
    const std::vector<std::uint8_t> part = ReadCapped(src, at, length, room);
    if (part.empty() && length != 0) return std::nullopt;
    data.insert(data.end(), part.begin(), part.end());
    if (data.size() == kMaxExifBlockSize + 4) break;
  }
  // The item starts with the offset of the TIFF header behind these four bytes.
  if (data.size() < 4) return std::nullopt;
  const std::uint32_t skip = Be32(data.data());
  if (skip > data.size() - 4) return std::nullopt;
  data.erase(data.begin(), data.begin() + 4 + skip);
  return TiffPayload(std::move(data));
}

std::optional<ExifLocation> Cr3Exif(const IRandomBytes& src) {
  // Canon's metadata box inside the movie box; CMT2 holds the Exif directory as a TIFF.
  static constexpr std::array<std::uint8_t, 16> kCanonUuid = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f,
                                                              0x11, 0xe0, 0x81, 0x11, 0xf4, 0xce,
                                                              0x46, 0x2b, 0x6a, 0x48};
  Box moov, box, cmt;
  if (!FindBox(src, 0, src.Size(), FourCc("moov"), moov)) return std::nullopt;
  std::uint64_t at = moov.begin;
  for (int i = 0; i < kMaxEntries && ReadBox(src, at, moov.end, box); ++i, at = box.end) {
    if (box.type != FourCc("uuid") || box.uuid != kCanonUuid) continue;
    if (!FindBox(src, box.begin, box.end, FourCc("CMT2"), cmt)) return std::nullopt;
    return TiffPayload(ReadCapped(src, cmt.begin, cmt.end - cmt.begin, kMaxExifBlockSize));
  }
  return std::nullopt;
}

// ---- TIFF files ----

/// Copies IFD0 and the Exif directory of a TIFF file, with their values,
/// into a compact TIFF structure. A whole TIFF or RAW file can be hundreds of
/// megabytes, and writers put the directories anywhere in it, often at the end.
class TiffGatherer {
 public:
  explicit TiffGatherer(const IRandomBytes& src) : m_src(src) {}

  std::vector<std::uint8_t> Gather() {
    std::uint8_t h[8];
    if (!m_src.ReadAt(0, h)) return {};
    m_big = h[0] == 'M';
    m_out.assign(h, h + 4);
    Put32(8);
    std::size_t exifPointer = 0;
    const std::uint64_t exifAt = CopyDirectory(Get32(h + 4), &exifPointer);
    if (exifPointer != 0) {
      const auto at = static_cast<std::uint32_t>(m_out.size());
      CopyDirectory(exifAt, nullptr);
      if (m_out.size() > at) Patch32(exifPointer, at);
    }
    return std::move(m_out);
  }

 private:
  static constexpr std::uint16_t kTagExifDirectory = 34665;
  static constexpr std::size_t kMaxDirectoryEntries = 1024;
  static constexpr std::uint32_t kMaxValueSize = 64 * 1024;

  std::uint16_t Get16(const std::uint8_t* p) const {
    return static_cast<std::uint16_t>(m_big ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]));
  }
  std::uint32_t Get32(const std::uint8_t* p) const { return m_big ? Be32(p) : Le32(p); }
  void Put16(std::uint16_t v) {
    const std::uint8_t b[2] = {static_cast<std::uint8_t>(m_big ? v >> 8 : v),
                               static_cast<std::uint8_t>(m_big ? v : v >> 8)};
    m_out.insert(m_out.end(), b, b + 2);
  }
  void Put32(std::uint32_t v) {
    m_out.resize(m_out.size() + 4);
    Patch32(m_out.size() - 4, v);
  }
  void Patch32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      m_out[at + static_cast<std::size_t>(i)] =
          static_cast<std::uint8_t>(v >> (m_big ? 24 - 8 * i : 8 * i));
  }

  static std::uint32_t TypeSize(std::uint16_t type) {
    static constexpr std::uint8_t kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
    return type < std::size(kSizes) ? kSizes[type] : 0;
  }

  /// Copies the directory at `offset`; returns the Exif directory's offset in
  /// the file (0: none) and where its pointer went in the copy.
  std::uint64_t CopyDirectory(std::uint64_t offset, std::size_t* exifPointer) {
    std::uint8_t c[2];
    if (offset < 8 || !m_src.ReadAt(offset, c)) return 0;
    const std::size_t count = std::min<std::size_t>(Get16(c), kMaxDirectoryEntries);
    std::vector<std::uint8_t> entries = ReadCapped(m_src, offset + 2, count * 12, count * 12);
    if (entries.size() != count * 12) return 0;
    const std::size_t dir = m_out.size();
    Put16(static_cast<std::uint16_t>(count));
    m_out.insert(m_out.end(), entries.begin(), entries.end());
    Put32(0);  // no next directory: the thumbnail's is not copied
    std::uint64_t exifAt = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* e = entries.data() + i * 12;
      const std::size_t field = dir + 2 + i * 12 + 8;
      const std::uint16_t tag = Get16(e);
      if (tag == kTagExifDirectory && exifPointer) {
        exifAt = Get32(e + 8);
        *exifPointer = field;
        Patch32(field, UINT32_MAX);  // until the directory is copied
        continue;
      }
      const std::uint64_t size = std::uint64_t{TypeSize(Get16(e + 2))} * Get32(e + 4);
      if (size <= 4) continue;
      std::vector<std::uint8_t> value;
      if (size <= kMaxValueSize && m_out.size() + size <= kMaxExifBlockSize)
        value = ReadCapped(m_src, Get32(e + 8), size, kMaxValueSize);
      // A value that cannot be had points past the copy, where it reads as missing.
      Patch32(field, value.empty() ? UINT32_MAX : static_cast<std::uint32_t>(m_out.size()));
      m_out.insert(m_out.end(), value.begin(), value.end());
    }
    return exifAt;
  }

  const IRandomBytes& m_src;
  bool m_big = false;
  std::vector<std::uint8_t> m_out;
};

// ---- chunked formats ----

std::optional<ExifLocation> PngExif(const IRandomBytes& src) {
  std::uint64_t at = 8;
  std::uint8_t h[8];
  for (int i = 0; i < kMaxEntries && at <= src.Size() && src.Size() - at >= 12; ++i) {
    if (!src.ReadAt(at, h)) return std::nullopt;
    const std::uint32_t length = Be32(h);
    const std::uint32_t type = Be32(h + 4);
    if (type == FourCc("eXIf"))
      return TiffPayload(ReadCapped(src, at + 8, length, kMaxExifBlockSize));
    if (type == FourCc("IEND")) break;
    at += 12 + std::uint64_t{length};
  }
  return std::nullopt;
}

std::optional<ExifLocation> WebpExif(const IRandomBytes& src) {
  std::uint64_t at = 12;
  std::uint8_t h[8];
  for (int i = 0; i < kMaxEntries && at <= src.Size() && src.Size() - at >= 8; ++i) {
    if (!src.ReadAt(at, h)) return std::nullopt;
    const std::uint32_t length = Le32(h + 4);
    if (std::memcmp(h, "EXIF", 4) == 0)
      return TiffPayload(ReadCapped(src, at + 8, length, kMaxExifBlockSize));
    at += 8 + std::uint64_t{length} + (length & 1);  // chunks are padded to even length
  }
  return std::nullopt;
}

std::optional<ExifLocation> RafExif(const IRandomBytes& src) {
  std::uint8_t h[8];
  if (!src.ReadAt(84, h)) return std::nullopt;
  std::vector<std::uint8_t> jpeg = ReadCapped(src, Be32(h), Be32(h + 4), kRafJpegPrefix);
  if (jpeg.empty()) return std::nullopt;
  return ExifLocation{ExifLocation::Form::kJpeg, std::move(jpeg)};
}

}  // namespace

std::span<const MediaFamilyInfo> MediaFamilies() { return kFamilies; }

bool HasMediaExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = name.substr(dot);
  auto same = [ext](std::string_view known) {
    return std::equal(ext.begin(), ext.end(), known.begin(), known.end(), [](char a, char b) {
      return (a >= 'A' && a <= 'Z' ? static_cast<char>(a + 32) : a) == b;
    });
  };
  for (const MediaFamilyInfo& f : kFamilies)
    if (std::any_of(f.extensions.begin(), f.extensions.end(), same)) return true;
  return false;
}

MediaKind DetectMediaKind(std::span<const std::uint8_t> h) {
  using namespace std::string_view_literals;
  if (StartsWith(h, 0, "\xFF\xD8\xFF")) return MediaKind::kJpeg;
  if (StartsWith(h, 0, "\x89PNG\r\n\x1A\n")) return MediaKind::kPng;
  if (StartsWith(h, 0, "GIF87a") || StartsWith(h, 0, "GIF89a")) return MediaKind::kGif;
  if (StartsWith(h, 0, "RIFF") && StartsWith(h, 8, "WEBP")) return MediaKind::kWebp;
  if (StartsWith(h, 0, "RIFF") && StartsWith(h, 8, "AVI ")) return MediaKind::kAvi;
  if (StartsWith(h, 0, "FUJIFILMCCD-RAW")) return MediaKind::kRaw;
  if (StartsWith(h, 0, "II*\0"sv))
    return StartsWith(h, 8, "CR") ? MediaKind::kRaw : MediaKind::kTiff;
  if (StartsWith(h, 0, "MM\0*"sv)) return MediaKind::kTiff;
  if (StartsWith(h, 0, "IIRO") || StartsWith(h, 0, "IIRS") || StartsWith(h, 0, "MMOR") ||
      StartsWith(h, 0, "IIU\0"sv))
    return MediaKind::kRaw;
  if (StartsWith(h, 4, "ftyp") && h.size() >= 12) {
    const std::string_view brand(reinterpret_cast<const char*>(h.data()) + 8, 4);
    if (brand == "crx ") return MediaKind::kRaw;
    if (brand == "qt  ") return MediaKind::kMov;
    static constexpr std::string_view kHeifBrands[] = {
        "heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs", "mif1", "msf1", "avif"};
    if (std::find(std::begin(kHeifBrands), std::end(kHeifBrands), brand) != std::end(kHeifBrands))
      return MediaKind::kHeif;
    return MediaKind::kMp4;
  }
  // QuickTime files older than the file type box start with one of these atoms.
  for (std::string_view atom : {"moov", "mdat", "wide", "free", "skip", "pnot"})
    if (StartsWith(h, 4, atom)) return MediaKind::kMov;
  if (StartsWith(h, 0, "BM")) return MediaKind::kBmp;
  return MediaKind::kUnknown;
}

bool CMemoryRandomBytes::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > m_bytes.size() || out.size() > m_bytes.size() - offset) return false;
  if (!out.empty()) std::memcpy(out.data(), m_bytes.data() + offset, out.size());
  return true;
}

bool CFileRandomBytes::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > m_size || out.size() > m_size - offset) return false;
  auto within = [offset, &out](std::uint64_t at, std::size_t size) {
    return offset >= at && offset - at <= size && out.size() <= size - (offset - at);
  };
  if (out.empty()) return true;
  if (within(0, m_start.size())) {
    std::memcpy(out.data(), m_start.data() + offset, out.size());
    return true;
  }
  if (!within(m_windowAt, m_window.size())) {
    if (out.size() >= kWindowSize) return ReadFile(offset, out);
    m_window.resize(
        static_cast<std::size_t>(std::min<std::uint64_t>(kWindowSize, m_size - offset)));
    m_windowAt = offset;
    if (!ReadFile(offset, m_window)) {
      m_window.clear();
      return false;
    }
  }
  std::memcpy(out.data(), m_window.data() + (offset - m_windowAt), out.size());
  return true;
}

bool CFileRandomBytes::ReadFile(std::uint64_t offset, std::span<std::uint8_t> out) const {
  std::size_t done = 0;
  while (done < out.size()) {
    const ssize_t got =
        ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

std::optional<ExifLocation> FindExif(const IRandomBytes& src, MediaKind kind) {
  std::uint8_t head[kMediaHeadSize] = {};
  const std::size_t headSize =
      static_cast<std::size_t>(std::min<std::uint64_t>(src.Size(), sizeof head));
  if (!src.ReadAt(0, {head, headSize})) return std::nullopt;
  const std::span<const std::uint8_t> h(head, headSize);
  switch (kind) {
    case MediaKind::kHeif: return HeifExif(src);
    case MediaKind::kPng: return PngExif(src);
    case MediaKind::kWebp: return WebpExif(src);
    case MediaKind::kRaw:
      if (StartsWith(h, 0, "FUJIFILMCCD-RAW")) return RafExif(src);
      if (StartsWith(h, 4, "ftyp")) return Cr3Exif(src);
      [[fallthrough]];  // the other RAW files are TIFF structures themselves
    case MediaKind::kTiff: return TiffPayload(TiffGatherer(src).Gather());
    default: return std::nullopt;
  }
}

std::optional<std::int64_t> FindMovieCreationTime(const IRandomBytes& src) {
  Box moov, mvhd;
  // The movie box may follow the media data; the boxes before it are passed by their sizes.
  if (!FindBox(src, 0, src.Size(), FourCc("moov"), moov) ||
      !FindBox(src, moov.begin, moov.end, FourCc("mvhd"), mvhd))
    return std::nullopt;
  const std::vector<std::uint8_t> b = ReadCapped(src, mvhd.begin, mvhd.end - mvhd.begin, 12);
  if (b.size() < 8) return std::nullopt;
  std::uint64_t created = 0;
  if (b[0] == 1) {
    if (b.size() < 12) return std::nullopt;
    created = Be64(b.data() + 4);
  } else {
    created = Be32(b.data() + 4);
  }
  // Zero is what writers put when they know no time.
  if (created == 0 || created > static_cast<std::uint64_t>(kLatestTime + kMacEpochOffset))
    return std::nullopt;
  return static_cast<std::int64_t>(created) - kMacEpochOffset;
}

}  // namespace kolvaro
