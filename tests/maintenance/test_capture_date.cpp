// The capture-date rule: the EXIF DateTimeOriginal text read at fixed
// positions, and when the file's creation time takes its place.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <optional>

#include "maintenance/capturedate.h"
#include "testsupport/album_bytes.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

namespace kolvaro {
namespace {

using test::ExifBlock;
using test::Ifd;
using test::JpegBuilder;

struct TextCase {
  const char* text;
  COleDateTime expected;
};

TEST(DateFromExifText, ReadsSixFieldsAtFixedPositions) {
  const COleDateTime shot = COleDateTime::FromCalendar(2024, 7, 14, 18, 3, 9);
  const COleDateTime invalid(COleDateTime::invalid, 0.0);
  const COleDateTime absent;  // valid 0.0
  const TextCase cases[] = {
      {"2024:07:14 18:03:09", shot},
      {"2024-07-14T18-03-09", shot},  // separators are not looked at
      {"2024:7 :14 18:3 :9 ", shot},  // a field ends at its first non-digit
      {"0000:00:00 00:00:00", invalid},
      {"2023:02:29 12:00:00", invalid},
      {"2024:07:14 24:00:00", invalid},
      {"    :  :     :  :  ", invalid},  // every field 0
      {"+024:07:14 18:03:09", invalid},  // a sign is no digit: year 0
      {"1899:12:30 00:00:00", COleDateTime::FromCalendar(1899, 12, 30, 0, 0, 0)},
      {"2024:07:14 18:03:0", absent},
      {"2024:07:14 18:03:09 ", absent},
      {"", absent},
  };
  for (const auto& c : cases) {
    const COleDateTime got = DateFromExifText(c.text);
    EXPECT_EQ(got.GetStatus(), c.expected.GetStatus()) << '"' << c.text << '"';
    EXPECT_EQ(got.Value(), c.expected.Value()) << '"' << c.text << '"';
  }
}

class CaptureDateTest : public ::testing::Test {
 protected:
  std::string Jpeg(const std::string& name, const char* date) {
    JpegBuilder jpeg;
    jpeg.App0Jfif();
    if (date)
      jpeg.Exif(ExifBlock().Ascii(Ifd::kZero, 271, "Kamera").Ascii(Ifd::kExif, 36867, date));
    jpeg.Tables().Scan(512);
    const std::string path = dir / name;
    test::WriteFile(path, jpeg.Data());
    return path;
  }

  test::TempDir dir;
};

TEST_F(CaptureDateTest, FallsBackToTheCreationTimeAsEachCommandSays) {
  const COleDateTime shot = COleDateTime::FromCalendar(2024, 7, 14, 18, 3, 9);
  const COleDateTime zero(COleDateTime::valid, 0.0);
  const std::nullopt_t created = std::nullopt;  // the file's creation time
  struct Case {
    const char* date;  // null: no EXIF block
    std::optional<COleDateTime> files;
    std::optional<COleDateTime> folder;
  } const cases[] = {
      {"2024:07:14 18:03:09", shot, shot},
      {nullptr, created, zero},                   // no date: 0.0, which only 32784 replaces
      {"2024:07:14", created, zero},              // wrong length: no date either
      {"1899:12:30 00:00:00", created, zero},     // a real 0.0
      {"0000:00:00 00:00:00", created, created},  // rejected by the calendar
      {"2024:13:01 00:00:00", created, created},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string path = Jpeg("p" + std::to_string(n++) + ".jpg", c.date);
    const FileStatus status = QueryFileStatus(path);
    ASSERT_TRUE(status.ok);
    const COleDateTime creation = COleDateTime::FromTimeT(status.creationTime);
    ASSERT_TRUE(creation.IsValid());
    const char* label = c.date ? c.date : "(none)";
    EXPECT_EQ(CaptureDate(path, status, DateFallback::kInvalidOrZero), c.files.value_or(creation))
        << label;
    EXPECT_EQ(CaptureDate(path, status, DateFallback::kInvalidOnly), c.folder.value_or(creation))
        << label;
  }
}

TEST_F(CaptureDateTest, AFileThatCannotBeQueriedGetsAnInvalidFallback) {
  const std::string missing = dir / "gone.jpg";
  const FileStatus status = QueryFileStatus(missing);
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.size, 0u);
  EXPECT_EQ(CaptureDate(missing, status, DateFallback::kInvalidOrZero).GetStatus(),
            COleDateTime::invalid);
  // No EXIF and no status: the folder rule keeps its 0.0.
  EXPECT_EQ(CaptureDate(missing, status, DateFallback::kInvalidOnly),
            COleDateTime(COleDateTime::valid, 0.0));
}

TEST_F(CaptureDateTest, CreationTimeIsTheBirthTimeWhereTheFileSystemKeepsOne) {
  const std::string path = Jpeg("old.jpg", nullptr);
  // A modification time long before the file was made.
  const timespec times[2] = {{981173106, 0}, {981173106, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  struct statx sx {};
  ASSERT_EQ(::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx), 0);
  const FileStatus status = QueryFileStatus(path);
  EXPECT_EQ(status.size, std::filesystem::file_size(path));
  if (sx.stx_mask & STATX_BTIME) {
    EXPECT_EQ(status.creationTime, sx.stx_btime.tv_sec);
    EXPECT_NE(status.creationTime, 981173106);
  } else {
    EXPECT_EQ(status.creationTime, 981173106);
  }
}

}  // namespace
}  // namespace kolvaro
