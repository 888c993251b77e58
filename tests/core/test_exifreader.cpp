#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "core/exifreader.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;
using test::ByteOrder;
using test::Bytes;
using test::ExifBlock;
using test::Ifd;
using test::JpegBuilder;

constexpr char kDate[] = "2024:07:14 18:03:09";

std::optional<std::string> Answer(const CExifReader& reader, std::uint16_t tag) {
  std::string text = "untouched";
  if (!reader.GetTagText(tag, text)) {
    EXPECT_EQ(text, "untouched") << "a false answer must leave the text alone";
    return std::nullopt;
  }
  return text;
}

std::optional<std::string> Answer(const Bytes& jpeg, std::uint16_t tag) {
  return Answer(CExifReader::FromMemory(jpeg), tag);
}

Bytes WithExif(const ExifBlock& block) {
  return JpegBuilder().App0Jfif().Exif(block).Tables().Scan(256).Data();
}

/// A camera's header: identity and resolution in IFD0, the shot in the Exif
/// directory, a thumbnail behind IFD1.
ExifBlock CameraBlock(ByteOrder order) {
  ExifBlock b(order);
  b.Ascii(Ifd::kZero, 271, "Canon")
      .Ascii(Ifd::kZero, 272, "Canon EOS 5D Mark IV")
      .Short(Ifd::kZero, 274, 6)
      .Rational(Ifd::kZero, 282, 72, 1)
      .Ascii(Ifd::kZero, 306, "2024:07:15 09:00:00")
      .Rational(Ifd::kExif, 33434, 1, 250)
      .Rational(Ifd::kExif, 33437, 28, 10)
      .Short(Ifd::kExif, 34855, 65535)
      .Ascii(Ifd::kExif, 36867, kDate)
      .Rational(Ifd::kExif, 37386, 49, 2)
      .Rational(Ifd::kExif, 41486, 1, 8)
      .Short(Ifd::kExif, 41728, 3)
      .Thumbnail(test::FakeThumbnail(160));
  return b;
}

using test::TempDir;

// The same data in either byte order gives the same texts; each tag follows
// its rule: stored text, "%u" of the 16-bit value, "%.2lf" of the rational.
class ExifByteOrder : public ::testing::TestWithParam<ByteOrder> {};

TEST_P(ExifByteOrder, AnswersEachTagByItsTextRule) {
  const Bytes jpeg = WithExif(CameraBlock(GetParam()));
  const struct {
    std::uint16_t tag;
    const char* text;
  } cases[] = {
      {271, "Canon"},
      {272, "Canon EOS 5D Mark IV"},
      {306, "2024:07:15 09:00:00"},
      {36867, kDate},
      {274, "6"},
      {34855, "65535"},
      {282, "72.00"},
      {33434, "0.00"},
      {33437, "2.80"},
      {37386, "24.50"},
      {41486, "0.12"},  // halfway cases round as printf does
      {41728, ""},      // a tag without a text rule is found, with an empty text
      {34665, ""},      // so is the pointer to the Exif directory
  };
  for (const auto& c : cases) EXPECT_EQ(Answer(jpeg, c.tag), c.text) << "tag " << c.tag;
  EXPECT_EQ(Answer(jpeg, 270), std::nullopt) << "absent tag";
  EXPECT_EQ(Answer(jpeg, 513), std::nullopt) << "the thumbnail directory is not searched";
}

INSTANTIATE_TEST_SUITE_P(, ExifByteOrder, ::testing::Values(ByteOrder::kLittle, ByteOrder::kBig),
                         [](const auto& info) {
                           return info.param == ByteOrder::kBig ? "BigEndian" : "LittleEndian";
                         });

// Only IFD0 and the directory tag 34665 points to are searched, IFD0 first.
TEST(ExifReader, SearchesIfd0ThenTheExifDirectoryOnly) {
  ExifBlock b;
  b.Ascii(Ifd::kZero, 306, "from IFD0")
      .Ascii(Ifd::kZero, 306, "second in IFD0")
      .Ascii(Ifd::kExif, 306, "from Exif")
      .Ascii(Ifd::kExif, 36868, "digitized")
      .Ascii(Ifd::kInterop, 36867, kDate)
      .Ascii(Ifd::kInterop, 1, "R98");
  const Bytes jpeg = WithExif(b);
  EXPECT_EQ(Answer(jpeg, 306), "from IFD0");
  EXPECT_EQ(Answer(jpeg, 36868), "digitized");
  EXPECT_EQ(Answer(jpeg, 40965), "") << "the interoperability pointer itself is an entry";
  EXPECT_EQ(Answer(jpeg, 36867), std::nullopt);
  EXPECT_EQ(Answer(jpeg, 1), std::nullopt);
}

// IFD0 always follows the 8-byte header; the header's offset is ignored, and
// any byte-order mark but 'M' means little-endian.
TEST(ExifReader, HeaderOffsetAndUnknownByteOrderMark) {
  ExifBlock moved = CameraBlock(ByteOrder::kLittle);
  moved.HeaderIfd0Offset(0x40);
  EXPECT_EQ(Answer(WithExif(moved), 36867), kDate);

  ExifBlock strangeLittle = CameraBlock(ByteOrder::kLittle);
  strangeLittle.HeaderByteOrderMark("XX");
  EXPECT_EQ(Answer(WithExif(strangeLittle), 36867), kDate);

  ExifBlock strangeBig = CameraBlock(ByteOrder::kBig);
  strangeBig.HeaderByteOrderMark("Mx");
  EXPECT_EQ(Answer(WithExif(strangeBig), 271), "Canon");
}

// Each rule reads its own type only; anything else gives the empty or zero
// text. Texts are always read through the value field as an offset, even
// those short enough to sit in it.
TEST(ExifReader, RulesReadOnlyTheirOwnType) {
  ExifBlock b;
  b.Long(Ifd::kZero, 274, 6)
      .Short(Ifd::kZero, 271, 7)
      .Long(Ifd::kZero, 282, 72)
      .Rational(Ifd::kZero, 283, 0, 0)
      .Raw(Ifd::kZero, 37377, 10, 1, 0)  // signed rational
      .Ascii(Ifd::kZero, 272, "EOS");    // "EOS\0" as an offset lies far outside
  const Bytes jpeg = WithExif(b);
  EXPECT_EQ(Answer(jpeg, 274), "0");
  EXPECT_EQ(Answer(jpeg, 271), "");
  EXPECT_EQ(Answer(jpeg, 282), "0.00");
  EXPECT_EQ(Answer(jpeg, 283), "0.00") << "0/0 must not print as nan";
  EXPECT_EQ(Answer(jpeg, 37377), "0.00");
  EXPECT_EQ(Answer(jpeg, 272), "");
}

TEST(ExifReader, OnlyTheFirstApp1BlockCounts) {
  const ExifBlock camera = CameraBlock(ByteOrder::kLittle);
  const Bytes xmpFirst = JpegBuilder().Xmp("<x:xmpmeta/>").Exif(camera).Scan(64).Data();
  EXPECT_EQ(Answer(xmpFirst, 36867), std::nullopt);
  EXPECT_EQ(Answer(xmpFirst, 271), std::nullopt);

  const Bytes other = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
  const Bytes otherAppsFirst = JpegBuilder()
                                   .App0Jfif()
                                   .Segment(0xE2, other)
                                   .Segment(0xED, other)
                                   .Exif(camera)
                                   .Scan(64)
                                   .Data();
  EXPECT_EQ(Answer(otherAppsFirst, 36867), kDate);

  const Bytes sos = {1, 1, 0, 0, 63, 0};
  const Bytes exifAfterScan = JpegBuilder().App0Jfif().Segment(0xDA, sos).Exif(camera).Data();
  EXPECT_EQ(Answer(exifAfterScan, 36867), std::nullopt) << "nothing after the scan is read";
}

// Byte pairs not starting with 0xFF are segments without length; one whose
// second byte is 0xE1 is an (empty) first APP1 block.
TEST(ExifReader, BytePairsWithoutFFAreSegmentsWithoutLength) {
  const ExifBlock camera = CameraBlock(ByteOrder::kLittle);
  const Bytes pairs = {0x00, 0xC0, 0xFF, 0xD8, 0x12, 0x34};
  EXPECT_EQ(Answer(JpegBuilder().Raw(pairs).Exif(camera).Data(), 36867), kDate);
  const Bytes strayApp1 = {0x00, 0xE1};
  EXPECT_EQ(Answer(JpegBuilder().Raw(strayApp1).Exif(camera).Data(), 36867), std::nullopt);
}

// The camera block holds the date at payload offset 77 and nothing else.
TEST(ExifReader, QvciBlock) {
  EXPECT_EQ(Answer(JpegBuilder().Qvci(kDate).Scan(16).Data(), 36867), kDate);
  EXPECT_EQ(Answer(JpegBuilder().Qvci(kDate).Scan(16).Data(), 271), std::nullopt);

  Bytes unterminated = JpegBuilder::QvciPayload("2001:02:03");
  unterminated.pop_back();
  EXPECT_EQ(Answer(JpegBuilder().Segment(0xE1, unterminated).Tables().Data(), 36867), "2001:02:03");

  Bytes tooShort = JpegBuilder::QvciPayload("");
  tooShort.resize(40);
  EXPECT_EQ(Answer(JpegBuilder().Segment(0xE1, tooShort).Tables().Data(), 36867), "");
}

// The preview a camera stores behind IFD1, only where it lies wholly in the block.
TEST(ExifReader, EmbeddedThumbnailIsTheJpegBehindIfd1) {
  Bytes cutShort = CameraBlock(ByteOrder::kLittle).Payload();
  cutShort.resize(cutShort.size() - 10);
  ExifBlock noPreview;
  noPreview.Ascii(Ifd::kZero, 271, "Canon");
  ExifBlock notJpeg;
  notJpeg.Ascii(Ifd::kZero, 271, "Canon").Thumbnail(Bytes(64, 0x55));
  struct Case {
    const char* name;
    Bytes jpeg;
    bool found;
  };
  const Case cases[] = {
      {"little-endian", WithExif(CameraBlock(ByteOrder::kLittle)), true},
      {"big-endian", WithExif(CameraBlock(ByteOrder::kBig)), true},
      {"no IFD1", WithExif(noPreview), false},
      {"strips, not a JPEG", WithExif(notJpeg), false},
      {"reaching past the block", JpegBuilder().Segment(0xE1, cutShort).Tables().Data(), false},
      {"camera block", JpegBuilder().Qvci(kDate).Scan(16).Data(), false},
  };
  for (const Case& c : cases) {
    const std::vector<std::uint8_t> thumbnail = CExifReader::FromMemory(c.jpeg).EmbeddedThumbnail();
    EXPECT_EQ(thumbnail, c.found ? test::FakeThumbnail(160) : Bytes()) << c.name;
  }
}

TEST(ExifReader, NonJpegInputGivesFalse) {
  const Bytes exif = ExifBlock(CameraBlock(ByteOrder::kLittle)).Payload();
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  png.insert(png.end(), exif.begin(), exif.end());
  for (const Bytes& data : {Bytes{}, Bytes{0xFF}, Bytes{0xFF, 0xD8}, Bytes{0xD8, 0xFF}, png})
    EXPECT_EQ(Answer(data, 36867), std::nullopt) << data.size() << " bytes";

  TempDir dir;
  EXPECT_EQ(Answer(CExifReader((dir.Path() / "missing.jpg").string()), 36867), std::nullopt);
  EXPECT_EQ(Answer(CExifReader(dir.Path().string()), 36867), std::nullopt) << "a folder";
}

// Offsets and counts from the file are checked before use: values outside
// the block are empty, counts are never trusted.
TEST(ExifReaderMalformed, ValueOffsetsOutsideTheBlock) {
  auto pointingAt = [](std::uint32_t off) {
    ExifBlock b = CameraBlock(ByteOrder::kLittle);
    b.Raw(Ifd::kZero, 270, test::kAscii, 20, off)
        .Raw(Ifd::kZero, 283, test::kRational, 1, off - 4)  // its second half lies outside
        .Raw(Ifd::kZero, 37122, test::kRational, 1, off);
    return b;
  };
  const auto size = static_cast<std::uint32_t>(pointingAt(0).Tiff().size());
  for (const std::uint32_t off : {size, size - 1, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
    const Bytes jpeg = WithExif(pointingAt(off));
    // The block ends with the thumbnail's last byte.
    EXPECT_EQ(Answer(jpeg, 270), off == size - 1 ? "\xD9" : "") << "offset " << off;
    EXPECT_EQ(Answer(jpeg, 283), "0.00") << "offset " << off;
    EXPECT_EQ(Answer(jpeg, 37122), "0.00") << "offset " << off;
    EXPECT_EQ(Answer(jpeg, 36867), kDate);
  }
}

TEST(ExifReaderMalformed, HugeCountsAreIgnored) {
  ExifBlock b;
  b.Raw(Ifd::kZero, 271, test::kAscii, 0xFFFFFFFF, 0).Rational(Ifd::kExif, 33437, 56, 10);
  const Bytes jpeg = WithExif(b);
  EXPECT_EQ(Answer(jpeg, 271), "II*") << "the text at offset 0 is the header";
  EXPECT_EQ(Answer(jpeg, 33437), "5.60");

  // An entry count beyond the block: the entries that fit are read.
  Bytes payload = CameraBlock(ByteOrder::kBig).Payload();
  payload[6 + 8] = 0xFF;
  payload[6 + 9] = 0xFF;
  const Bytes patched = JpegBuilder().Segment(0xE1, payload).Scan(16).Data();
  EXPECT_EQ(Answer(patched, 272), "Canon EOS 5D Mark IV");
  EXPECT_EQ(Answer(patched, 41487), std::nullopt);
}

TEST(ExifReaderMalformed, ExifDirectoryPointerOutsideTheBlock) {
  const std::uint32_t size =
      static_cast<std::uint32_t>(ExifBlock().Long(Ifd::kZero, 34665, 0).Tiff().size());
  for (const std::uint32_t off : {size, size - 1, size - 2, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
    ExifBlock b;
    b.Raw(Ifd::kZero, 34665, test::kLong, 1, off);
    EXPECT_EQ(Answer(WithExif(b), 36867), std::nullopt) << "pointer " << off;
  }
  // A pointer back to IFD0 reads IFD0 once more and ends there.
  ExifBlock loop;
  loop.Raw(Ifd::kZero, 34665, test::kLong, 1, 8).Ascii(Ifd::kZero, 271, "Canon");
  EXPECT_EQ(Answer(WithExif(loop), 36867), std::nullopt);
  EXPECT_EQ(Answer(WithExif(loop), 271), "Canon");
}

// A text without terminator ends with the APP1 block, not with the file.
TEST(ExifReaderMalformed, TextWithoutTerminatorEndsWithTheBlock) {
  ExifBlock b(ByteOrder::kBig);
  b.Ascii(Ifd::kZero, 271, "Nikon").AsciiAtEnd(Ifd::kExif, 36867, kDate);
  EXPECT_EQ(Answer(WithExif(b), 36867), kDate);
}

TEST(ExifReaderMalformed, BrokenApp1Segments) {
  const Bytes exifOnly = {'E', 'x', 'i', 'f', 0, 0};
  const Bytes fiveBytes = {'E', 'x', 'i', 'f', 0};
  const Bytes tiffHeaderOnly = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1};
  for (const Bytes& payload : {exifOnly, fiveBytes, tiffHeaderOnly})
    EXPECT_EQ(Answer(JpegBuilder().Segment(0xE1, payload).Scan(16).Data(), 36867), std::nullopt);

  // Length fields 0 and 1 cannot count their own bytes; 0xFFFF runs past the file.
  for (const std::uint8_t low : {0x00, 0x01}) {
    const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, low, 'E', 'x', 'i', 'f', 0, 0};
    EXPECT_EQ(Answer(jpeg, 36867), std::nullopt);
  }
  Bytes longer = WithExif(CameraBlock(ByteOrder::kLittle));
  longer[2 + 18 + 2] = 0xFF;  // behind SOI and the JFIF segment
  longer[2 + 18 + 3] = 0xFF;
  EXPECT_EQ(Answer(longer, 36867), std::nullopt);
}

// Cut anywhere, a file answers false until its APP1 block is complete and
// the full text from then on; from memory and from a file alike.
TEST(ExifReaderMalformed, EveryTruncationGivesFalseOrTheFullText) {
  const ExifBlock camera = CameraBlock(ByteOrder::kLittle);
  const Bytes full = JpegBuilder().App0Jfif().Exif(camera).Tables().Scan(64).Data();
  const std::size_t app1End = 2 + 18 + 4 + camera.Payload().size();
  TempDir dir;
  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    const Bytes part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
    const auto expected = cut >= app1End ? std::optional<std::string>(kDate) : std::nullopt;
    ASSERT_EQ(Answer(part, 36867), expected) << "cut at " << cut;
    // Files only near the boundaries and at a stride: writing each one costs.
    const std::size_t fromEnd = cut > app1End ? cut - app1End : app1End - cut;
    if (cut > 8 && fromEnd > 2 && cut % 11 != 0) continue;
    const fs::path file = dir.File("cut.jpg", part);
    ASSERT_EQ(Answer(CExifReader(file.string()), 36867), expected) << "file cut at " << cut;
  }
}

// Large headers span several reads: an ICC profile of 64 KiB before the APP1
// block, and an APP1 block straddling the first read.
TEST(ExifReaderFile, HeadersLargerThanOneRead) {
  ExifBlock big = CameraBlock(ByteOrder::kBig);
  big.Thumbnail(test::FakeThumbnail(60000));
  const Bytes icc(0xFFFF - 2, 0x11);
  const Bytes afterIcc = JpegBuilder().App0Jfif().Segment(0xE2, icc).Exif(big).Scan(4096).Data();
  const Bytes straddling = JpegBuilder()
                               .App0Jfif()
                               .Segment(0xE2, Bytes(20000, 0x22))
                               .Exif(big)
                               .Tables()
                               .Scan(4096)
                               .Data();
  TempDir dir;
  for (const Bytes& jpeg : {afterIcc, straddling}) {
    const CExifReader reader(dir.File("big.jpg", jpeg).string());
    EXPECT_EQ(Answer(reader, 36867), kDate);
    EXPECT_EQ(Answer(reader, 33437), "2.80");
  }
  const Bytes cutBehindFirstRead(straddling.begin(), straddling.begin() + 70000);
  EXPECT_EQ(Answer(CExifReader(dir.File("cut.jpg", cutBehindFirstRead).string()), 36867),
            std::nullopt);
}

TEST(ExifReaderFile, FileIsReadOnceAtConstruction) {
  TempDir dir;
  const fs::path file = dir.File("a.jpg", WithExif(CameraBlock(ByteOrder::kLittle)));
  const CExifReader reader(file.string());
  fs::remove(file);
  EXPECT_EQ(reader.Path(), file.string());
  EXPECT_EQ(Answer(reader, 36867), kDate);
  EXPECT_EQ(Answer(reader, 272), "Canon EOS 5D Mark IV");
}

// The fuzzer's seeds, and what each answers for the capture date.
struct Seed {
  const char* name;
  Bytes jpeg;
  std::optional<std::string> date;
};

std::vector<Seed> FuzzSeeds() {
  auto small = [](ByteOrder order) {
    ExifBlock b(order);
    b.Ascii(Ifd::kZero, 271, "Canon")
        .Ascii(Ifd::kZero, 272, "EOS 5D")
        .Short(Ifd::kZero, 274, 1)
        .Rational(Ifd::kZero, 282, 72, 1)
        .Rational(Ifd::kExif, 33437, 28, 10)
        .Short(Ifd::kExif, 34855, 400)
        .Ascii(Ifd::kExif, 36867, kDate)
        .Ascii(Ifd::kInterop, 1, "R98")
        .Thumbnail(test::FakeThumbnail(24));
    return b;
  };
  const Bytes little = JpegBuilder().App0Jfif().Exif(small(ByteOrder::kLittle)).Scan(32).Data();
  const Bytes big = JpegBuilder().Exif(small(ByteOrder::kBig)).Scan(32).Data();
  ExifBlock odd(ByteOrder::kLittle);
  odd.Raw(Ifd::kZero, 270, test::kAscii, 0xFFFFFFFF, 0xFFFFFFF8)
      .Raw(Ifd::kZero, 283, test::kRational, 1, 0xFFFFFFFC)
      .Rational(Ifd::kZero, 282, 0, 0)
      .AsciiAtEnd(Ifd::kExif, 36867, kDate);
  return {
      {"exif_little_endian.jpg", little, kDate},
      {"exif_big_endian.jpg", big, kDate},
      {"qvci.jpg", JpegBuilder().Qvci(kDate).Scan(32).Data(), kDate},
      {"xmp_before_exif.jpg",
       JpegBuilder()
           .Xmp("<x:xmpmeta xmlns:x='adobe:ns:meta/'/>")
           .Exif(small(ByteOrder::kLittle))
           .Scan(32)
           .Data(),
       std::nullopt},
      {"truncated_in_exif.jpg", Bytes(little.begin(), little.begin() + 120), std::nullopt},
      {"odd_offsets.jpg", JpegBuilder().Exif(odd).Scan(16).Data(), kDate},
  };
}

TEST(ExifFuzzSeeds, AnswerTheirCaptureDate) {
  for (const Seed& seed : FuzzSeeds()) EXPECT_EQ(Answer(seed.jpeg, 36867), seed.date) << seed.name;
}

// Writes the seeds to $KOLVARO_EXIF_SEED_DIR; run on demand with
// --gtest_also_run_disabled_tests --gtest_filter='*WriteFuzzSeeds'.
TEST(ExifFuzzSeeds, DISABLED_WriteFuzzSeeds) {
  const char* dir = std::getenv("KOLVARO_EXIF_SEED_DIR");
  ASSERT_NE(dir, nullptr) << "set KOLVARO_EXIF_SEED_DIR";
  for (const Seed& seed : FuzzSeeds()) test::WriteFile(fs::path(dir) / seed.name, seed.jpeg);
}

}  // namespace
}  // namespace kolvaro
