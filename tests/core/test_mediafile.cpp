#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/exifreader.h"
#include "core/mediafile.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

namespace kolvaro {
namespace {

using namespace std::string_view_literals;
using test::Bytes;
using test::ExifBlock;
using test::Ifd;

constexpr char kDate[] = "2024:07:14 18:03:09";

Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Be(std::uint64_t v, int n) {
  Bytes out;
  for (int i = n - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  return out;
}

Bytes Le32(std::uint32_t v) { return {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}; }

Bytes Box(std::string_view type, const Bytes& payload) {
  return Cat({Be(payload.size() + 8, 4), B(type), payload});
}

Bytes Tiff() { return ExifBlock().Ascii(Ifd::kExif, 36867, kDate).Tiff(); }

// HEIF with one Exif item; its bytes lie in mdat (iloc version 0) or in idat
// (version 1, construction method 1).
Bytes Heif(bool inIdat, std::string_view itemType = "Exif") {
  const Bytes item = Cat({Be(6, 4), B(std::string_view("Exif\0\0", 6)), Tiff()});
  const Bytes ftyp = Box("ftyp", Cat({B("heic"), Be(0, 4), B("mif1heic")}));
  const Bytes iinf = Box("iinf", Cat({Be(0, 4), Be(1, 2),
                                      Box("infe", Cat({Be(0x02000000, 4), Be(1, 2), Be(0, 2), B(itemType), {0}}))}));
  auto meta = [&](std::uint64_t offset) {
    const Bytes iloc = inIdat ? Box("iloc", Cat({Be(0x01000000, 4), {0x44, 0x00}, Be(1, 2), Be(1, 2), Be(1, 2),
                                                 Be(0, 2), Be(1, 2), Be(0, 4), Be(item.size(), 4)}))
                              : Box("iloc", Cat({Be(0, 4), {0x44, 0x00}, Be(1, 2), Be(1, 2), Be(0, 2), Be(1, 2),
                                                 Be(offset, 4), Be(item.size(), 4)}));
    return Box("meta", Cat({Be(0, 4), iinf, iloc, inIdat ? Box("idat", item) : Bytes()}));
  };
  const std::uint64_t offset = ftyp.size() + meta(0).size() + 8;
  return Cat({ftyp, meta(offset), inIdat ? Bytes() : Box("mdat", item)});
}

Bytes Png(const Bytes& exif) {
  auto chunk = [](std::string_view type, const Bytes& data) { return Cat({Be(data.size(), 4), B(type), data, Be(0, 4)}); };
  return Cat({B("\x89PNG\r\n\x1A\n"), chunk("IHDR", Bytes(13)), chunk("eXIf", exif), chunk("IDAT", Bytes(9)),
              chunk("IEND", {})});
}

Bytes Webp(const Bytes& exif) {
  const Bytes vp8 = Cat({B("VP8 "), Le32(3), Bytes(4)});  // odd size: padded
  const Bytes body = Cat({B("WEBP"), vp8, B("EXIF"), Le32(static_cast<std::uint32_t>(exif.size())), exif});
  return Cat({B("RIFF"), Le32(static_cast<std::uint32_t>(body.size())), body});
}

// A TIFF file whose IFD0 lies `gap` bytes behind the header's eight bytes
// and the eight that follow (Canon's "CR" mark in a CR2).
Bytes TiffFile(std::string_view mark, std::uint32_t gap) {
  const std::string date = std::string(kDate) + '\0';
  const std::uint32_t ifd0 = 16 + gap;
  return Cat({B("II*\0"sv), Le32(ifd0), B(mark), Bytes(gap), {1, 0}, {0x03, 0x90, 2, 0}, Le32(20), Le32(ifd0 + 18),
              Le32(0), B(date)});
}

Bytes Cr3() {
  const Bytes uuid = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0, 0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
  const Bytes cmt2 = ExifBlock().Ascii(Ifd::kZero, 36867, kDate).Tiff();
  return Cat({Box("ftyp", B("crx \0\0\0\x01"sv)), Box("moov", Box("uuid", Cat({uuid, Box("CMT2", cmt2)})))});
}

// A movie header of version 0 or 1 created at `mac` (seconds since 1904).
Bytes Mvhd(int version, std::uint64_t mac) {
  return Box("mvhd", Cat({Be(std::uint64_t(version) << 24, 4), Be(mac, version == 1 ? 8 : 4),
                          Be(mac, version == 1 ? 8 : 4), Bytes(80)}));
}

// The movie box behind the media data, which has a 64-bit size.
Bytes Mp4(const Bytes& mvhd, std::string_view brand = "isom") {
  const Bytes mdat = Cat({Be(1, 4), B("mdat"), Be(16 + 40, 8), Bytes(40)});
  return Cat({Box("ftyp", Cat({B(brand), Be(0, 4)})), mdat, Box("moov", mvhd)});
}

std::string LocalText(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &tm);
  return text;
}

TEST(MediaKindTest, TellsKindByFirstBytes) {
  struct Case {
    std::string_view head;
    MediaKind kind;
  } const cases[] = {
      {"\xFF\xD8\xFF\xE1", MediaKind::kJpeg},
      {"\x89PNG\r\n\x1A\n", MediaKind::kPng},
      {"GIF89a", MediaKind::kGif},
      {"BM\x36\0"sv, MediaKind::kBmp},
      {"RIFF\0\0\0\0WEBPVP8 "sv, MediaKind::kWebp},
      {"RIFF\0\0\0\0AVI LIST"sv, MediaKind::kAvi},
      {std::string_view("II*\0\x08\0\0\0", 8), MediaKind::kTiff},
      {std::string_view("MM\0*\0\0\0\x08", 8), MediaKind::kTiff},
      {std::string_view("II*\0\x10\0\0\0CR\x02\0", 12), MediaKind::kRaw},
      {std::string_view("IIU\0\x18\0\0\0", 8), MediaKind::kRaw},
      {"IIRO\x08\0\0\0"sv, MediaKind::kRaw},
      {"FUJIFILMCCD-RAW 0201", MediaKind::kRaw},
      {std::string_view("\0\0\0\x18" "ftypcrx ", 12), MediaKind::kRaw},
      {std::string_view("\0\0\0\x18" "ftypheic", 12), MediaKind::kHeif},
      {std::string_view("\0\0\0\x18" "ftypmif1", 12), MediaKind::kHeif},
      {std::string_view("\0\0\0\x14" "ftypqt  ", 12), MediaKind::kMov},
      {std::string_view("\0\0\0\x08" "wide", 8), MediaKind::kMov},
      {std::string_view("\0\0\0\x18" "ftypisom", 12), MediaKind::kMp4},
      {"Hallo, ich bin ein Text.", MediaKind::kUnknown},
      {"", MediaKind::kUnknown},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DetectMediaKind(B(c.head)), c.kind) << testing::PrintToString(std::string(c.head));
}

TEST(MediaKindTest, KnowsTheFamiliesEndingsInAnyCase) {
  for (std::string_view name : {"IMG_0001.HEIC", "a.Jpeg", "b.webp", "c.CR3", "d.rw2", "clip.MOV", "e.tiff"})
    EXPECT_TRUE(HasMediaExtension(name)) << name;
  for (std::string_view name : {"heic", "notiz.txt", "bild.jpg.xmp", "a.mp"}) EXPECT_FALSE(HasMediaExtension(name)) << name;
}

TEST(ContainerExifTest, ReadsCaptureDateOfEachContainerFromMemoryAndFile) {
  struct Case {
    const char* name;
    Bytes bytes;
  } const cases[] = {
      {"heif-mdat", Heif(false)},
      {"heif-idat", Heif(true)},
      {"png", Png(Tiff())},
      {"webp", Webp(Tiff())},
      {"webp-exif-prefix", Webp(Cat({B(std::string_view("Exif\0\0", 6)), Tiff()}))},
      {"tiff-big-endian", ExifBlock(test::ByteOrder::kBig).Ascii(Ifd::kExif, 36867, kDate).Tiff()},
      {"cr2", TiffFile("CR\x02\0\0\0\0\0"sv, 0)},
      {"tiff-directory-at-end", TiffFile("\0\0\0\0\0\0\0\0"sv, 3 * 1024 * 1024)},
      {"cr3", Cr3()},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    std::string text;
    EXPECT_TRUE(CExifReader::FromMemory(c.bytes).GetCaptureDateText(text)) << c.name;
    EXPECT_EQ(text, kDate) << c.name;
    text.clear();
    EXPECT_TRUE(CExifReader(dir.File(c.name, c.bytes).string()).GetCaptureDateText(text)) << c.name;
    EXPECT_EQ(text, kDate) << c.name;
  }
}

TEST(ContainerExifTest, DamagedOrMisleadingContainersHaveNoDate) {
  Bytes heifCut = Heif(false);
  heifCut.resize(heifCut.size() - 30);
  Bytes pngHuge = Png(Tiff());
  pngHuge[33] = 0x7F;  // the eXIf length now points far past the end
  Bytes mp4Cut = Mp4(Mvhd(0, 3803824989));
  mp4Cut.resize(mp4Cut.size() - 90);
  Bytes boxLoop = Heif(false);
  boxLoop[0] = boxLoop[1] = boxLoop[2] = boxLoop[3] = 0;  // size 0: to the end, hiding meta
  struct Case {
    const char* name;
    Bytes bytes;
  } const cases[] = {
      {"text named heic", B("Kein Bild, nur Text mit der Endung .heic")},
      {"heif without exif item", Heif(false, "hvc1")},
      {"heif item cut off", heifCut},
      {"heif box to end", boxLoop},
      {"png length past end", pngHuge},
      {"png empty exif", Png({})},
      {"mp4 cut off", mp4Cut},
      {"mp4 time zero", Mp4(Mvhd(0, 0))},
      {"mvhd too short", Mp4(Box("mvhd", Be(0, 5)))},
      {"ftyp only", Box("ftyp", B("heic"))},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_FALSE(CExifReader::FromMemory(c.bytes).GetCaptureDateText(text)) << c.name;
  }
}

TEST(MovieTimeTest, CaptureDateIsMovieHeaderTimeInLocalTime) {
  constexpr std::uint64_t kMac = 3803824989;  // 2024-07-14 18:03:09 UTC
  constexpr std::time_t kUnix = 1720980189;
  struct Case {
    const char* name;
    Bytes bytes;
  } const cases[] = {
      {"mp4 version 0", Mp4(Mvhd(0, kMac))},
      {"mp4 version 1", Mp4(Mvhd(1, kMac))},
      {"mov", Mp4(Mvhd(0, kMac), "qt  ")},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_TRUE(CExifReader::FromMemory(c.bytes).GetCaptureDateText(text)) << c.name;
    EXPECT_EQ(text, LocalText(kUnix)) << c.name;
    EXPECT_FALSE(CExifReader::FromMemory(c.bytes).GetTagText(CExifReader::kTagMake, text)) << c.name;
  }
}

}  // namespace
}  // namespace kolvaro
