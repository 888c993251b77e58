#pragma once
// Builds JPEG byte streams for tests, byte by byte: SOI, APPn segments (an
// EXIF block with IFD0, the Exif sub-directory, the interoperability
// directory and a thumbnail directory; XMP; a camera "QVCI" block), the
// tables, the scan with fake image data, and EOI.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kolvaro::test {

enum class ByteOrder { kLittle, kBig };

/// Directories of an EXIF block: kExif hangs below kZero, kInterop below kExif.
enum class Ifd { kZero = 0, kExif = 1, kInterop = 2 };

/// TIFF field types.
enum TiffType : std::uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7 };

using Bytes = std::vector<std::uint8_t>;

inline void Append(Bytes& out, std::string_view s) { out.insert(out.end(), s.begin(), s.end()); }

/// The TIFF structure of an EXIF block with its directories, laid out as
/// cameras do: header, IFD0, Exif directory, interoperability directory,
/// IFD1 (thumbnail), values longer than four bytes, thumbnail bytes.
class ExifBlock {
 public:
  explicit ExifBlock(ByteOrder order = ByteOrder::kLittle) : m_order(order) {}

  /// Zero-terminated text; like TIFF writers, up to four bytes sit in the
  /// value field itself.
  ExifBlock& Ascii(Ifd ifd, std::uint16_t tag, std::string_view text) {
    Entry e{tag, kAscii, static_cast<std::uint32_t>(text.size() + 1)};
    Append(e.data, text);
    e.data.push_back(0);
    return Add(ifd, std::move(e));
  }
  ExifBlock& Short(Ifd ifd, std::uint16_t tag, std::uint16_t value) {
    Entry e{tag, kShort, 1};
    Put16(e.data, value);
    return Add(ifd, std::move(e));
  }
  ExifBlock& Long(Ifd ifd, std::uint16_t tag, std::uint32_t value) {
    Entry e{tag, kLong, 1};
    Put32(e.data, value);
    return Add(ifd, std::move(e));
  }
  ExifBlock& Rational(Ifd ifd, std::uint16_t tag, std::uint32_t numerator,
                      std::uint32_t denominator) {
    Entry e{tag, kRational, 1};
    Put32(e.data, numerator);
    Put32(e.data, denominator);
    return Add(ifd, std::move(e));
  }
  /// Bytes as they are, such as a camera's maker note (tag 0x927c).
  ExifBlock& Undefined(Ifd ifd, std::uint16_t tag, Bytes bytes) {
    Entry e{tag, kUndefined, static_cast<std::uint32_t>(bytes.size())};
    e.data = std::move(bytes);
    return Add(ifd, std::move(e));
  }
  /// An entry written as given: the value field holds `field` (for example an
  /// offset past the block's end).
  ExifBlock& Raw(Ifd ifd, std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                 std::uint32_t field) {
    Entry e{tag, type, count};
    e.placement = Placement::kRawField;
    e.field = field;
    return Add(ifd, std::move(e));
  }
  /// A text without terminator as the very last bytes of the block.
  ExifBlock& AsciiAtEnd(Ifd ifd, std::uint16_t tag, std::string_view text) {
    Entry e{tag, kAscii, static_cast<std::uint32_t>(text.size())};
    Append(e.data, text);
    e.placement = Placement::kAtEnd;
    return Add(ifd, std::move(e));
  }
  /// Thumbnail bytes, pointed to from IFD1 (tags 513 and 514).
  ExifBlock& Thumbnail(Bytes jpeg) {
    m_thumbnail = std::move(jpeg);
    return *this;
  }
  /// What the header says; the directories are laid out as usual regardless.
  ExifBlock& HeaderByteOrderMark(std::string_view twoBytes) {
    m_mark = std::string(twoBytes);
    return *this;
  }
  ExifBlock& HeaderIfd0Offset(std::uint32_t offset) {
    m_ifd0Offset = offset;
    return *this;
  }

  /// The TIFF structure alone; offsets in it count from its first byte.
  Bytes Tiff() const {
    std::vector<Entry> dirs[4] = {m_dirs[0], m_dirs[1], m_dirs[2], {}};
    const bool interop = !dirs[2].empty();
    const bool exif = !dirs[1].empty() || interop;
    if (interop) dirs[1].push_back(Link(40965, 2));
    if (exif) dirs[0].push_back(Link(34665, 1));
    if (!m_thumbnail.empty()) {
      dirs[3].push_back(Link(513, kThumbnailLink));
      Entry length{514, kLong, 1};
      Put32(length.data, static_cast<std::uint32_t>(m_thumbnail.size()));
      dirs[3].push_back(std::move(length));
    }

    std::uint32_t linkTarget[5] = {};
    std::uint32_t pos = 8;
    for (int d = 0; d < 4; ++d) {
      if (d != 0 && dirs[d].empty()) continue;
      linkTarget[d] = pos;
      pos += static_cast<std::uint32_t>(2 + 12 * dirs[d].size() + 4);
    }
    for (auto& dir : dirs)
      for (auto& e : dir)
        if (e.placement == Placement::kInline && e.data.size() > 4) {
          e.placement = Placement::kOffset;
          e.field = pos;
          pos += static_cast<std::uint32_t>(e.data.size() + (e.data.size() & 1));
        }
    linkTarget[kThumbnailLink] = pos;
    pos += static_cast<std::uint32_t>(m_thumbnail.size());
    for (auto& dir : dirs)
      for (auto& e : dir)
        if (e.placement == Placement::kAtEnd) {
          e.field = pos;
          pos += static_cast<std::uint32_t>(e.data.size());
        }

    Bytes out;
    if (!m_mark.empty())
      Append(out, m_mark);
    else
      Append(out, m_order == ByteOrder::kBig ? "MM" : "II");
    Put16(out, 42);
    Put32(out, m_ifd0Offset);
    for (int d = 0; d < 4; ++d) {
      if (d != 0 && dirs[d].empty()) continue;
      Put16(out, static_cast<std::uint16_t>(dirs[d].size()));
      for (const Entry& e : dirs[d]) {
        Put16(out, e.tag);
        Put16(out, e.type);
        Put32(out, e.count);
        if (e.link >= 0) {
          Put32(out, linkTarget[e.link]);
        } else if (e.placement == Placement::kInline) {
          Bytes field = e.data;
          field.resize(4, 0);
          out.insert(out.end(), field.begin(), field.end());
        } else {
          Put32(out, e.field);
        }
      }
      Put32(out, d == 0 && !dirs[3].empty() ? linkTarget[3] : 0);
    }
    for (const auto& dir : dirs)
      for (const Entry& e : dir)
        if (e.placement == Placement::kOffset) {
          out.insert(out.end(), e.data.begin(), e.data.end());
          if (e.data.size() & 1) out.push_back(0);
        }
    out.insert(out.end(), m_thumbnail.begin(), m_thumbnail.end());
    for (const auto& dir : dirs)
      for (const Entry& e : dir)
        if (e.placement == Placement::kAtEnd) out.insert(out.end(), e.data.begin(), e.data.end());
    return out;
  }

  /// The APP1 payload: "Exif" 00 00 and the TIFF structure.
  Bytes Payload() const {
    Bytes out;
    Append(out, std::string_view("Exif\0\0", 6));
    const Bytes tiff = Tiff();
    out.insert(out.end(), tiff.begin(), tiff.end());
    return out;
  }

  /// Writes a 16- or 32-bit value in this block's byte order.
  void Put16(Bytes& out, std::uint16_t v) const {
    if (m_order == ByteOrder::kBig) {
      out.push_back(static_cast<std::uint8_t>(v >> 8));
      out.push_back(static_cast<std::uint8_t>(v));
    } else {
      out.push_back(static_cast<std::uint8_t>(v));
      out.push_back(static_cast<std::uint8_t>(v >> 8));
    }
  }
  void Put32(Bytes& out, std::uint32_t v) const {
    if (m_order == ByteOrder::kBig) {
      Put16(out, static_cast<std::uint16_t>(v >> 16));
      Put16(out, static_cast<std::uint16_t>(v));
    } else {
      Put16(out, static_cast<std::uint16_t>(v));
      Put16(out, static_cast<std::uint16_t>(v >> 16));
    }
  }

 private:
  enum class Placement { kInline, kOffset, kRawField, kAtEnd };
  static constexpr int kThumbnailLink = 4;

  struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    Bytes data{};  // the value in the block's byte order
    Placement placement = Placement::kInline;
    std::uint32_t field = 0;
    int link = -1;  // value field points to directory 0..3 or the thumbnail
  };

  static Entry Link(std::uint16_t tag, int target) {
    Entry e{tag, kLong, 1};
    e.placement = Placement::kRawField;
    e.link = target;
    return e;
  }

  ExifBlock& Add(Ifd ifd, Entry e) {
    m_dirs[static_cast<int>(ifd)].push_back(std::move(e));
    return *this;
  }

  ByteOrder m_order;
  std::vector<Entry> m_dirs[3];
  Bytes m_thumbnail;
  std::string m_mark;
  std::uint32_t m_ifd0Offset = 8;
};

/// A JPEG stream, starting with SOI.
class JpegBuilder {
 public:
  JpegBuilder() { Marker(0xD8); }

  /// 0xFF, the marker and nothing else (SOI, EOI, restart markers).
  JpegBuilder& Marker(std::uint8_t marker) {
    m_data.push_back(0xFF);
    m_data.push_back(marker);
    return *this;
  }
  /// 0xFF, the marker, the big-endian length (payload + 2) and the payload.
  JpegBuilder& Segment(std::uint8_t marker, std::span<const std::uint8_t> payload) {
    if (payload.size() > 0xFFFF - 2) throw std::length_error("JPEG segment too long");
    Marker(marker);
    const std::size_t length = payload.size() + 2;
    m_data.push_back(static_cast<std::uint8_t>(length >> 8));
    m_data.push_back(static_cast<std::uint8_t>(length));
    return Raw(payload);
  }
  JpegBuilder& Raw(std::span<const std::uint8_t> bytes) {
    m_data.insert(m_data.end(), bytes.begin(), bytes.end());
    return *this;
  }

  JpegBuilder& App0Jfif() {
    Bytes p;
    Append(p, std::string_view("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
    return Segment(0xE0, p);
  }
  JpegBuilder& Exif(const ExifBlock& block) { return Segment(0xE1, block.Payload()); }
  JpegBuilder& Xmp(std::string_view packet) {
    Bytes p;
    Append(p, std::string_view("http://ns.adobe.com/xap/1.0/\0", 29));
    Append(p, packet);
    return Segment(0xE1, p);
  }
  /// The camera block: "QVCI" 00 00, camera data up to offset 77, the date.
  JpegBuilder& Qvci(std::string_view date) { return Segment(0xE1, QvciPayload(date)); }
  static Bytes QvciPayload(std::string_view date) {
    Bytes p;
    Append(p, std::string_view("QVCI\0\0", 6));
    for (std::uint8_t i = 6; i < 77; ++i) p.push_back(i);
    Append(p, date);
    p.push_back(0);
    return p;
  }

  /// What a camera writes between its APPn blocks and the scan: two
  /// quantisation tables, the frame header and four Huffman tables.
  JpegBuilder& Tables(std::uint16_t width = 4000, std::uint16_t height = 3000) {
    for (std::uint8_t table = 0; table < 2; ++table) {
      Bytes dqt{table};
      for (int i = 0; i < 64; ++i)
        dqt.push_back(static_cast<std::uint8_t>(1 + (i * 7 + table) % 50));
      Segment(0xDB, dqt);
    }
    const Bytes sof{
        8,                                   // precision
        static_cast<std::uint8_t>(height >> 8), static_cast<std::uint8_t>(height),
        static_cast<std::uint8_t>(width >> 8),  static_cast<std::uint8_t>(width),
        3,                                   // components: id, sampling, table
        1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1};
    Segment(0xC0, sof);
    for (std::uint8_t cls : {0x00, 0x10, 0x01, 0x11}) {
      Bytes dht{cls};
      const int symbols = cls & 0x10 ? 162 : 12;
      for (int i = 0; i < 16; ++i) dht.push_back(i == 7 ? static_cast<std::uint8_t>(symbols) : 0);
      for (int i = 0; i < symbols; ++i) dht.push_back(static_cast<std::uint8_t>(i));
      Segment(0xC4, dht);
    }
    return *this;
  }

  /// Start of scan, `imageBytes` of entropy-coded fake data (0xFF stuffed
  /// as in real scans), then EOI.
  JpegBuilder& Scan(std::size_t imageBytes, std::uint32_t seed = 1) {
    const Bytes sos{3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0};
    Segment(0xDA, sos);
    std::uint32_t x = seed ? seed : 1;
    for (std::size_t i = 0; i < imageBytes; ++i) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      m_data.push_back(static_cast<std::uint8_t>(x));
      if (static_cast<std::uint8_t>(x) == 0xFF) m_data.push_back(0x00);
    }
    return Marker(0xD9);
  }

  const Bytes& Data() const { return m_data; }

 private:
  Bytes m_data;
};

/// A small stand-in for a camera's thumbnail: SOI, filler, EOI.
inline Bytes FakeThumbnail(std::size_t size) {
  Bytes t(size < 4 ? 4 : size, 0x55);
  t[0] = 0xFF;
  t[1] = 0xD8;
  t[t.size() - 2] = 0xFF;
  t[t.size() - 1] = 0xD9;
  return t;
}

}  // namespace kolvaro::test
