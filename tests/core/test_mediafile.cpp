#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "core/exifreader.h"
#include "core/mediafile.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"
#include "testsupport/media_builder.h"

namespace kolvaro {
namespace {

using namespace std::string_view_literals;
using test::B;
using test::Be;
using test::Box;
using test::Bytes;
using test::Cat;
using test::ExifBlock;
using test::Heif;
using test::Ifd;
using test::kMediaDate;
using test::Mp4;
using test::Mvhd;
using test::Png;
using test::Tiff;
using test::TiffFile;
using test::Webp;

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
      {std::string_view("\0\0\0\x18"
                        "ftypcrx ",
                        12),
       MediaKind::kRaw},
      {std::string_view("\0\0\0\x18"
                        "ftypheic",
                        12),
       MediaKind::kHeif},
      {std::string_view("\0\0\0\x18"
                        "ftypmif1",
                        12),
       MediaKind::kHeif},
      {std::string_view("\0\0\0\x14"
                        "ftypqt  ",
                        12),
       MediaKind::kMov},
      {std::string_view("\0\0\0\x08"
                        "wide",
                        8),
       MediaKind::kMov},
      {std::string_view("\0\0\0\x18"
                        "ftypisom",
                        12),
       MediaKind::kMp4},
      {"Hallo, ich bin ein Text.", MediaKind::kUnknown},
      {"", MediaKind::kUnknown},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DetectMediaKind(B(c.head)), c.kind) << testing::PrintToString(std::string(c.head));
}

TEST(MediaKindTest, KnowsTheFamiliesEndingsInAnyCase) {
  for (std::string_view name :
       {"IMG_0001.HEIC", "a.Jpeg", "b.webp", "c.CR3", "d.rw2", "clip.MOV", "e.tiff"})
    EXPECT_TRUE(HasMediaExtension(name)) << name;
  for (std::string_view name : {"heic", "notiz.txt", "bild.jpg.xmp", "a.mp"})
    EXPECT_FALSE(HasMediaExtension(name)) << name;
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
      {"tiff-big-endian",
       ExifBlock(test::ByteOrder::kBig).Ascii(Ifd::kExif, 36867, kMediaDate).Tiff()},
      {"cr2", TiffFile("CR\x02\0\0\0\0\0"sv, 0)},
      {"tiff-directory-at-end", TiffFile("\0\0\0\0\0\0\0\0"sv, 3 * 1024 * 1024)},
      {"cr3", test::Cr3()},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    std::string text;
    EXPECT_TRUE(CExifReader::FromMemory(c.bytes).GetCaptureDateText(text)) << c.name;
    EXPECT_EQ(text, kMediaDate) << c.name;
    text.clear();
    EXPECT_TRUE(CExifReader(dir.File(c.name, c.bytes).string()).GetCaptureDateText(text)) << c.name;
    EXPECT_EQ(text, kMediaDate) << c.name;
  }
}

TEST(ContainerExifTest, DamagedOrMisleadingContainersHaveNoDate) {
  Bytes heifCut = Heif(false);
  heifCut.resize(heifCut.size() - 30);
  Bytes pngHuge = Png(Tiff());
  pngHuge[33] = 0x7F;  // the eXIf length now points far past the end
  Bytes mp4Cut = Mp4(Mvhd(0, test::kMovieTime));
  mp4Cut.resize(mp4Cut.size() - 90);
  Bytes boxLoop = Heif(false);
  boxLoop[0] = boxLoop[1] = boxLoop[2] = boxLoop[3] = 0;  // size 0: to the end, hiding meta
  // 100 000 items of 65 535 extents of no bytes each.
  Bytes emptyExtents = Cat({Be(0x02000000, 4), {0, 0}, Be(100000, 4)});
  for (std::uint32_t id = 2; id < 100002; ++id) {
    const Bytes item = Cat({Be(id, 4), Be(0, 4), Be(0xFFFF, 2)});
    emptyExtents.insert(emptyExtents.end(), item.begin(), item.end());
  }
  const Bytes exifItem = Box("iinf", Cat({Be(1, 6), Box("infe", Cat({Be(0x02000000, 4), Be(1, 2), Be(0, 2), B("Exif")}))}));
  struct Case {
    const char* name;
    Bytes bytes;
  } const cases[] = {
      {"heif empty extents", Cat({Box("ftyp", B("heic")), Box("meta", Cat({Be(0, 4), exifItem, Box("iloc", emptyExtents)}))})},
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
  struct Case {
    const char* name;
    Bytes bytes;
  } const cases[] = {
      {"mp4 version 0", Mp4(Mvhd(0, test::kMovieTime))},
      {"mp4 version 1", Mp4(Mvhd(1, test::kMovieTime))},
      {"mov", Mp4(Mvhd(0, test::kMovieTime), "qt  ")},
  };
  for (const Case& c : cases) {
    std::string text;
    EXPECT_TRUE(CExifReader::FromMemory(c.bytes).GetCaptureDateText(text)) << c.name;
    EXPECT_EQ(text, LocalText(test::kMovieUnixTime)) << c.name;
    EXPECT_FALSE(CExifReader::FromMemory(c.bytes).GetTagText(CExifReader::kTagMake, text))
        << c.name;
  }
}

}  // namespace
}  // namespace kolvaro
