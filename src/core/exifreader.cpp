#include "core/exifreader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>

#include "core/mediafile.h"
#include "core/numbers.h"
#include "core/safefile.h"

namespace kolvaro {
namespace {

// One read of this size normally holds every segment up to the image data.
constexpr std::size_t kChunkSize = 64 * 1024;

constexpr std::uint8_t kMarkerSoi = 0xD8;
constexpr std::uint8_t kMarkerEoi = 0xD9;
constexpr std::uint8_t kMarkerSos = 0xDA;
constexpr std::uint8_t kMarkerApp1 = 0xE1;

constexpr std::uint16_t kTagExifDirectory = 34665;
constexpr std::uint16_t kTagThumbnailOffset = 513;  // JPEGInterchangeFormat
constexpr std::uint16_t kTagThumbnailLength = 514;  // JPEGInterchangeFormatLength
constexpr std::size_t kSignatureSize = 6;  // "Exif" 00 00 or "QVCI" 00 00
constexpr std::size_t kQvciDateOffset = 77;
constexpr std::size_t kFirstDirectoryOffset = 8;
constexpr std::size_t kEntrySize = 12;

enum class TextRule : std::uint8_t { kStoredText, kUnsigned16, kRational };

struct TagRule {
  std::uint16_t tag;
  TextRule rule;
};

constexpr std::array<TagRule, 40> kTagRules = {{
    {270, TextRule::kStoredText},   {271, TextRule::kStoredText},   {272, TextRule::kStoredText},
    {305, TextRule::kStoredText},   {306, TextRule::kStoredText},   {33432, TextRule::kStoredText},
    {36867, TextRule::kStoredText}, {36868, TextRule::kStoredText}, {37520, TextRule::kStoredText},
    {37521, TextRule::kStoredText}, {37522, TextRule::kStoredText}, {40964, TextRule::kStoredText},
    {274, TextRule::kUnsigned16},   {296, TextRule::kUnsigned16},   {531, TextRule::kUnsigned16},
    {34850, TextRule::kUnsigned16}, {34855, TextRule::kUnsigned16}, {37383, TextRule::kUnsigned16},
    {37384, TextRule::kUnsigned16}, {37385, TextRule::kUnsigned16}, {40961, TextRule::kUnsigned16},
    {41495, TextRule::kUnsigned16}, {282, TextRule::kRational},     {283, TextRule::kRational},
    {318, TextRule::kRational},     {319, TextRule::kRational},     {529, TextRule::kRational},
    {532, TextRule::kRational},     {33434, TextRule::kRational},   {33437, TextRule::kRational},
    {37122, TextRule::kRational},   {37377, TextRule::kRational},   {37378, TextRule::kRational},
    {37380, TextRule::kRational},   {37381, TextRule::kRational},   {37382, TextRule::kRational},
    {37386, TextRule::kRational},   {41486, TextRule::kRational},   {41487, TextRule::kRational},
    {41493, TextRule::kRational},
}};

constexpr std::array<std::uint16_t, kTagRules.size()> kKnownTags = [] {
  std::array<std::uint16_t, kTagRules.size()> tags{};
  for (std::size_t i = 0; i < kTagRules.size(); ++i) tags[i] = kTagRules[i].tag;
  return tags;
}();

/// The JPEG bytes, either all in memory or read from a file in chunks.
class ByteSource {
 public:
  explicit ByteSource(std::span<const std::uint8_t> data) : m_view(data) {}
  explicit ByteSource(int fd) : m_fd(fd) {}

  /// Exactly n bytes, or false at the end of the data.
  bool Read(std::uint8_t* out, std::size_t n) {
    const std::size_t avail = m_view.size() - m_pos;
    if (n <= avail) {
      if (n > 0) std::memcpy(out, m_view.data() + m_pos, n);
      m_pos += n;
      return true;
    }
    if (m_fd < 0) return false;
    if (avail > 0) std::memcpy(out, m_view.data() + m_pos, avail);
    out += avail;
    n -= avail;
    m_pos = m_view.size();
    // A payload goes straight to its place, so nothing behind it is read.
    if (n > 4) return ReadFile(out, n) == n;
    return Fill() && Read(out, n);
  }

  /// The bytes not yet read, after reading the first chunk of a file.
  std::span<const std::uint8_t> Head() {
    if (m_pos == m_view.size() && m_fd >= 0) Fill();
    return m_view.subspan(m_pos);
  }

  /// Passes over n bytes without reading them where possible.
  bool Skip(std::size_t n) {
    const std::size_t avail = m_view.size() - m_pos;
    if (n <= avail) {
      m_pos += n;
      return true;
    }
    m_pos = m_view.size();
    if (m_fd < 0) return false;
    // Seeking past the end is allowed; the next read then finds the end.
    return ::lseek(m_fd, static_cast<off_t>(n - avail), SEEK_CUR) >= 0;
  }

 private:
  bool Fill() {
    if (!m_buffer) m_buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kChunkSize);
    const std::size_t got = ReadSome(m_buffer.get(), kChunkSize);
    m_view = {m_buffer.get(), got};
    m_pos = 0;
    return got > 0;
  }

  std::size_t ReadSome(std::uint8_t* out, std::size_t n) {
    for (;;) {
      const ssize_t got = ::read(m_fd, out, n);
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno != EINTR) return 0;
    }
  }

  std::size_t ReadFile(std::uint8_t* out, std::size_t n) {
    std::size_t done = 0;
    while (done < n) {
      const std::size_t got = ReadSome(out + done, n - done);
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  std::span<const std::uint8_t> m_view;
  std::size_t m_pos = 0;
  int m_fd = -1;
  std::unique_ptr<std::uint8_t[]> m_buffer;
};

/// Walks the segments up to the image data and keeps the first APP1 payload;
/// no later segment can change an answer, so reading stops there.
void ReadFirstApp1(ByteSource& src, bool& hasApp1, std::vector<std::uint8_t>& app1) {
  std::uint8_t bytes[2];
  if (!src.Read(bytes, 2) || bytes[0] != 0xFF || bytes[1] != kMarkerSoi) return;
  for (;;) {
    if (!src.Read(bytes, 2)) return;
    const std::uint8_t marker = bytes[1];
    if (marker == kMarkerSos || marker == kMarkerEoi) return;
    if (marker == kMarkerSoi) continue;
    std::size_t payloadSize = 0;
    if (bytes[0] == 0xFF) {
      if (!src.Read(bytes, 2)) return;
      const std::size_t length = static_cast<std::size_t>(bytes[0] << 8 | bytes[1]);
      if (length < 2) return;  // the length counts its own two bytes
      payloadSize = length - 2;
    }
    if (marker == kMarkerApp1) {
      std::vector<std::uint8_t> payload(payloadSize);
      if (!src.Read(payload.data(), payloadSize)) return;  // cut off: the list ends before it
      hasApp1 = true;
      app1 = std::move(payload);
      return;
    }
    if (!src.Skip(payloadSize)) return;
  }
}

/// The TIFF structure after "Exif" 00 00; every offset counts from its start.
class TiffBlock {
 public:
  explicit TiffBlock(std::span<const std::uint8_t> bytes)
      : m_bytes(bytes), m_bigEndian(!bytes.empty() && bytes[0] == 'M') {}

  /// True when len bytes at off lie inside the block; cannot wrap.
  bool Fits(std::uint64_t off, std::uint64_t len) const {
    return off <= m_bytes.size() && len <= m_bytes.size() - off;
  }

  std::uint16_t Get16(std::size_t off) const {
    const std::uint8_t* p = m_bytes.data() + off;
    return static_cast<std::uint16_t>(m_bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]));
  }

  std::uint32_t Get32(std::size_t off) const {
    const std::uint32_t a = Get16(off);
    const std::uint32_t b = Get16(off + 2);
    return m_bigEndian ? (a << 16 | b) : (b << 16 | a);
  }

  /// The zero-terminated text at off; without terminator it ends with the block.
  std::string TextAt(std::uint64_t off) const {
    if (off >= m_bytes.size()) return {};
    const auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(off);
    return std::string(begin, std::find(begin, m_bytes.end(), std::uint8_t{0}));
  }

  /// Offset of the first entry with the tag in the directory at dirOffset;
  /// entries that would reach past the block do not exist.
  bool FindEntry(std::uint64_t dirOffset, std::uint16_t tag, std::size_t& entry) const {
    if (!Fits(dirOffset, 2)) return false;
    const std::size_t first = static_cast<std::size_t>(dirOffset) + 2;
    const std::size_t count =
        std::min<std::size_t>(Get16(first - 2), (m_bytes.size() - first) / kEntrySize);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t at = first + i * kEntrySize;
      if (Get16(at) == tag) {
        entry = at;
        return true;
      }
    }
    return false;
  }

  /// Offset of the directory that follows the one at dirOffset; 0 for none.
  std::uint32_t NextDirectory(std::uint64_t dirOffset) const {
    if (!Fits(dirOffset, 2)) return 0;
    const std::uint64_t link = dirOffset + 2 + std::uint64_t{Get16(static_cast<std::size_t>(dirOffset))} * kEntrySize;
    return Fits(link, 4) ? Get32(static_cast<std::size_t>(link)) : 0;
  }

  std::span<const std::uint8_t> Bytes() const { return m_bytes; }

  /// The entry's value as text by the tag's rule; a value of another type
  /// than the rule reads, or lying outside the block, is empty or zero.
  std::string EntryText(std::size_t entry) const {
    const std::uint16_t tag = Get16(entry);
    const auto rule = std::find_if(kTagRules.begin(), kTagRules.end(),
                                   [tag](const TagRule& r) { return r.tag == tag; });
    if (rule == kTagRules.end()) return {};
    const std::uint16_t type = Get16(entry + 2);
    const std::size_t field = entry + 8;
    switch (rule->rule) {
      case TextRule::kStoredText:
        // Always through the offset, even for texts short enough to sit in the field.
        return type == 2 ? TextAt(Get32(field)) : std::string();
      case TextRule::kUnsigned16:
        return std::to_string(type == 3 ? Get16(field) : 0u);
      case TextRule::kRational: {
        double value = 0.0;
        const std::uint32_t off = Get32(field);
        if (type == 5 && Fits(off, 8)) {
          const std::uint32_t denominator = Get32(off + 4);
          // 0/0 marks an unknown value in EXIF; it must not turn into "nan".
          if (denominator != 0) value = static_cast<double>(Get32(off)) / denominator;
        }
        return FixedText(value, 2);
      }
    }
    return {};
  }

 private:
  std::span<const std::uint8_t> m_bytes;
  bool m_bigEndian;
};

bool IsJpegStart(std::span<const std::uint8_t> head) {
  return head.size() >= 2 && head[0] == 0xFF && head[1] == kMarkerSoi;
}

// "YYYY:MM:DD HH:MM:SS" of a moment in local time, as a camera writes it.
std::string LocalExifText(std::int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (::localtime_r(&t, &tm) == nullptr) return {};
  const int fields[] = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                        tm.tm_hour,        tm.tm_min,     tm.tm_sec};
  static constexpr char kSeparators[] = " :: ::";
  std::string text;
  for (std::size_t i = 0; i < std::size(fields); ++i) {
    if (i > 0) text += kSeparators[i];
    const std::string number = std::to_string(fields[i]);
    text.append((i == 0 ? 4 : 2) - std::min<std::size_t>(number.size(), i == 0 ? 4 : 2), '0');
    text += number;
  }
  return text;
}

}  // namespace

CExifReader::CExifReader(const std::string& path) : m_path(path) {
  int error = 0;
  const int fd = OpenRegularFile(path, error);
  if (fd < 0) return;
  ByteSource src(fd);
  const std::span<const std::uint8_t> head = src.Head();
  if (IsJpegStart(head)) {
    ReadFirstApp1(src, m_hasApp1, m_app1);
  } else {
    struct stat st {};
    if (::fstat(fd, &st) == 0)
      ReadContainer(CFileRandomBytes(fd, static_cast<std::uint64_t>(st.st_size), head),
                    head.first(std::min(head.size(), kMediaHeadSize)));
  }
  ::close(fd);
}

CExifReader CExifReader::FromMemory(std::span<const std::uint8_t> bytes) {
  CExifReader reader;
  if (IsJpegStart(bytes)) {
    ByteSource src(bytes);
    ReadFirstApp1(src, reader.m_hasApp1, reader.m_app1);
  } else {
    reader.ReadContainer(CMemoryRandomBytes(bytes),
                         bytes.first(std::min(bytes.size(), kMediaHeadSize)));
  }
  return reader;
}

void CExifReader::ReadContainer(const IRandomBytes& src, std::span<const std::uint8_t> head) {
  const MediaKind kind = DetectMediaKind(head);
  if (kind == MediaKind::kMp4 || kind == MediaKind::kMov) {
    m_movieTime = FindMovieCreationTime(src);
    return;
  }
  std::optional<ExifLocation> exif = FindExif(src, kind);
  if (!exif) return;
  if (exif->form == ExifLocation::Form::kJpeg) {
    ByteSource jpeg(exif->bytes);
    ReadFirstApp1(jpeg, m_hasApp1, m_app1);
    return;
  }
  m_hasApp1 = true;
  m_tiffHeaderRules = true;
  m_app1.reserve(kSignatureSize + exif->bytes.size());
  m_app1.assign({'E', 'x', 'i', 'f', 0, 0});
  m_app1.insert(m_app1.end(), exif->bytes.begin(), exif->bytes.end());
}

std::uint64_t CExifReader::FirstDirectory() const {
  // A JPEG's IFD0 is taken to follow the header whatever the header says;
  // TIFF files and the other containers are read by their header.
  if (!m_tiffHeaderRules) return kFirstDirectoryOffset;
  const TiffBlock block(std::span<const std::uint8_t>(m_app1).subspan(kSignatureSize));
  return block.Fits(4, 4) ? block.Get32(4) : 0;
}

std::vector<std::uint8_t> CExifReader::EmbeddedThumbnail() const {
  if (!m_hasApp1 || m_app1.size() < kSignatureSize ||
      std::memcmp(m_app1.data(), "Exif\0\0", kSignatureSize) != 0)
    return {};
  const TiffBlock block(std::span<const std::uint8_t>(m_app1).subspan(kSignatureSize));
  const std::uint64_t ifd0 = FirstDirectory();
  const std::uint32_t ifd1 = block.NextDirectory(ifd0);
  // A link back to IFD0 or into the header would read IFD0 as IFD1.
  if (ifd1 < kFirstDirectoryOffset || ifd1 == ifd0) return {};
  std::size_t offsetEntry = 0;
  std::size_t lengthEntry = 0;
  if (!block.FindEntry(ifd1, kTagThumbnailOffset, offsetEntry) ||
      !block.FindEntry(ifd1, kTagThumbnailLength, lengthEntry))
    return {};
  const std::uint32_t offset = block.Get32(offsetEntry + 8);
  const std::uint32_t length = block.Get32(lengthEntry + 8);
  if (length < 4 || !block.Fits(offset, length)) return {};
  const auto begin = block.Bytes().begin() + static_cast<std::ptrdiff_t>(offset);
  // Only a JPEG stream: some cameras point the tags at uncompressed strips.
  if (begin[0] != 0xFF || begin[1] != kMarkerSoi) return {};
  return std::vector<std::uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(length));
}

std::span<const std::uint16_t> CExifReader::KnownTags() { return kKnownTags; }

bool CExifReader::GetTagText(std::uint16_t tag, std::string& text) const {
  if (m_movieTime) {
    if (tag != kTagDateTimeOriginal) return false;
    text = LocalExifText(*m_movieTime);
    return true;
  }
  if (!m_hasApp1 || m_app1.size() < kSignatureSize) return false;
  const std::span<const std::uint8_t> payload(m_app1);

  if (std::memcmp(payload.data(), "QVCI\0\0", kSignatureSize) == 0) {
    // The camera block holds the capture date only, at a fixed place.
    if (tag != kTagDateTimeOriginal) return false;
    text = TiffBlock(payload).TextAt(kQvciDateOffset);
    return true;
  }
  if (std::memcmp(payload.data(), "Exif\0\0", kSignatureSize) != 0) return false;

  // The header's own directory offset is not consulted: IFD0 always follows it.
  const TiffBlock block(payload.subspan(kSignatureSize));
  const std::uint64_t ifd0 = FirstDirectory();
  std::size_t entry = 0;
  if (block.FindEntry(ifd0, tag, entry)) {
    text = block.EntryText(entry);
    return true;
  }
  std::size_t pointer = 0;
  if (!block.FindEntry(ifd0, kTagExifDirectory, pointer)) return false;
  // The pointer is meant to be LONG, but some writers mark it as IFD (13);
  // either way the value field holds the offset.
  if (!block.FindEntry(block.Get32(pointer + 8), tag, entry)) return false;
  text = block.EntryText(entry);
  return true;
}

}  // namespace kolvaro
