#pragma once
// Builds the containers of today's cameras and phones for tests, byte by
// byte: HEIF with an Exif item, PNG with eXIf, WebP with an EXIF chunk, TIFF
// and RAW starts, MP4 and MOV with a movie header. Each holds kMediaDate.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "testsupport/jpeg_builder.h"

namespace kolvaro::test {

using namespace std::string_view_literals;

inline constexpr char kMediaDate[] = "2024:07:14 18:03:09";
// The same moment in UTC, for a movie header (seconds since 1904) and for time_t.
inline constexpr std::uint64_t kMovieTime = 3803824989;
inline constexpr std::int64_t kMovieUnixTime = 1720980189;

inline Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes Be(std::uint64_t v, int n) {
  Bytes out;
  for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  return out;
}

inline Bytes Le32(std::uint32_t v) {
  return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
}

inline Bytes Box(std::string_view type, const Bytes& payload) {
  return Cat({Be(payload.size() + 8, 4), B(type), payload});
}

inline Bytes Tiff() { return ExifBlock().Ascii(Ifd::kExif, 36867, kMediaDate).Tiff(); }

// HEIF with one Exif item; its bytes lie in mdat (iloc version 0) or in idat
// (version 1, construction method 1).
inline Bytes Heif(bool inIdat, std::string_view itemType = "Exif") {
  const Bytes item = Cat({Be(6, 4), B(std::string_view("Exif\0\0", 6)), Tiff()});
  const Bytes ftyp = Box("ftyp", Cat({B("heic"), Be(0, 4), B("mif1heic")}));
  const Bytes iinf = Box(
      "iinf", Cat({Be(0, 4), Be(1, 2),
                   Box("infe", Cat({Be(0x02000000, 4), Be(1, 2), Be(0, 2), B(itemType), {0}}))}));
  auto meta = [&](std::uint64_t offset) {
    const Bytes iloc = inIdat ? Box("iloc", Cat({Be(0x01000000, 4),
                                                 {0x44, 0x00},
                                                 Be(1, 2),
                                                 Be(1, 2),
                                                 Be(1, 2),
                                                 Be(0, 2),
                                                 Be(1, 2),
                                                 Be(0, 4),
                                                 Be(item.size(), 4)}))
                              : Box("iloc", Cat({Be(0, 4),
                                                 {0x44, 0x00},
                                                 Be(1, 2),
                                                 Be(1, 2),
                                                 Be(0, 2),
                                                 Be(1, 2),
                                                 Be(offset, 4),
                                                 Be(item.size(), 4)}));
    return Box("meta", Cat({Be(0, 4), iinf, iloc, inIdat ? Box("idat", item) : Bytes()}));
  };
  const std::uint64_t offset = ftyp.size() + meta(0).size() + 8;
  return Cat({ftyp, meta(offset), inIdat ? Bytes() : Box("mdat", item)});
}

inline Bytes Png(const Bytes& exif) {
  auto chunk = [](std::string_view type, const Bytes& data) {
    return Cat({Be(data.size(), 4), B(type), data, Be(0, 4)});
  };
  return Cat({B("\x89PNG\r\n\x1A\n"), chunk("IHDR", Bytes(13)), chunk("eXIf", exif),
              chunk("IDAT", Bytes(9)), chunk("IEND", {})});
}

inline Bytes Webp(const Bytes& exif) {
  const Bytes vp8 = Cat({B("VP8 "), Le32(3), Bytes(4)});  // odd size: padded
  const Bytes body =
      Cat({B("WEBP"), vp8, B("EXIF"), Le32(static_cast<std::uint32_t>(exif.size())), exif});
  return Cat({B("RIFF"), Le32(static_cast<std::uint32_t>(body.size())), body});
}

// A TIFF file whose IFD0 lies `gap` bytes behind the header's eight bytes
// and the eight that follow (Canon's "CR" mark in a CR2).
inline Bytes TiffFile(std::string_view mark, std::uint32_t gap) {
  const std::string date = std::string(kMediaDate) + '\0';
  const std::uint32_t ifd0 = 16 + gap;
  return Cat({B("II*\0"sv),
              Le32(ifd0),
              B(mark),
              Bytes(gap),
              {1, 0},
              {0x03, 0x90, 2, 0},
              Le32(20),
              Le32(ifd0 + 18),
              Le32(0),
              B(date)});
}

inline Bytes Cr3() {
  const Bytes uuid = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                      0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
  const Bytes cmt2 = ExifBlock().Ascii(Ifd::kZero, 36867, kMediaDate).Tiff();
  return Cat({Box("ftyp", B("crx \0\0\0\x01"sv)),
              Box("moov", Box("uuid", Cat({uuid, Box("CMT2", cmt2)})))});
}

// A movie header of version 0 or 1 created at `mac` (seconds since 1904).
inline Bytes Mvhd(int version, std::uint64_t mac) {
  return Box("mvhd", Cat({Be(std::uint64_t(version) << 24, 4), Be(mac, version == 1 ? 8 : 4),
                          Be(mac, version == 1 ? 8 : 4), Bytes(80)}));
}

// The movie box behind the media data, which has a 64-bit size.
inline Bytes Mp4(const Bytes& mvhd, std::string_view brand = "isom") {
  const Bytes mdat = Cat({Be(1, 4), B("mdat"), Be(16 + 40, 8), Bytes(40)});
  return Cat({Box("ftyp", Cat({B(brand), Be(0, 4)})), mdat, Box("moov", mvhd)});
}

}  // namespace kolvaro::test
