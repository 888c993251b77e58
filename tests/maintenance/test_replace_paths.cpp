// Rewriting the beginning of stored picture paths.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "maintenance/replacepaths.h"
#include "testsupport/fakes.h"

namespace kolvaro {
namespace {

TEST(ReplacePathsTest, ReplacesOnlyABeginningWithCase) {
  struct Case {
    PathStyle style;
    const char* stored;
    const char* search;
    const char* replacement;
    std::optional<std::string> expected;
  };
  const PathStyle W = PathStyle::Windows, P = PathStyle::Posix;
  const Case cases[] = {
      {W, "D:\\Bilder\\a.jpg", "D:\\Bilder\\", "E:\\Fotos\\", "E:\\Fotos\\a.jpg"},
      {W, "d:\\bilder\\b.jpg", "D:\\Bilder\\", "E:\\Fotos\\", std::nullopt},
      {W, "urlaub\\bilder\\c.jpg", "bilder\\", "x\\", std::nullopt},
      {W, "a.jpg", "", "neu\\", std::nullopt},  // an empty beginning matches nothing
      {W, "urlaub\\a.jpg", "urlaub/", "x/", std::nullopt},
      {P, "urlaub\\2020\\a.jpg", "urlaub/", "reisen/", "reisen\\2020\\a.jpg"},
      {P, "urlaub\\a.jpg", "urlaub\\", "reisen\\", "reisen\\a.jpg"},
      {P, "urlaub\\a.jpg", "D:\\", "E:\\", std::nullopt},
      {P, "D:\\Bilder\\2020\\a.jpg", "D:\\Bilder\\", "/mnt/fotos/", "/mnt/fotos/2020/a.jpg"},
      {P, "/home/u/x/a.jpg", "/home/u/", "bilder/", "bilder\\x\\a.jpg"},
      {P, "/home/u/a.jpg", "/home/U/", "/neu/", std::nullopt},
      {P, "/media/alt/ä.jpg", "/media/alt", "/media/neu", "/media/neu/ä.jpg"},
      {P, "a.jpg", "", "neu/", std::nullopt},
      {P, "/home/u/a.jpg", "", "", std::nullopt},
      {P, "/fotos/a\\b.jpg", "/fotos/", "/mnt/fotos/", "/mnt/fotos/a\\b.jpg"},
      {P, "/fotos/a\\b.jpg", "/fotos/", "x/", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplacedPath(c.style, c.stored, c.search, c.replacement), c.expected)
        << c.stored << " | " << c.search << " | " << c.replacement;
}

TEST(ReplacePathsTest, KeepsChangeDatesWritesNoRecordAndCountsChanges) {
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  const std::int32_t moved = doc.AddPicture("alt\\a.jpg", COleDateTime(), 1, "A");
  const std::int32_t kept = doc.AddPicture("anders\\b.jpg", COleDateTime(), 2, "B");
  auto log = std::make_unique<test::CountingLog>();
  test::CountingLog* counts = log.get();
  doc.SetTransactionLog(std::move(log));
  doc.SetModifiedFlag(false);
  const PictureEntry before = *doc.Pictures().Find(moved);
  const COleDateTime tableChanged = doc.Pictures().changed;

  EXPECT_EQ(ReplacePaths(doc, "nirgends/", "x/"), 0u);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(ReplacePaths(doc, "alt/", "neu/"), 1u);
  EXPECT_TRUE(doc.IsModified());

  const PictureEntry& after = *doc.Pictures().Find(moved);
  EXPECT_EQ(after.filename, "neu\\a.jpg");
  EXPECT_EQ(after.title, before.title);
  EXPECT_EQ(after.size, before.size);
  EXPECT_EQ(after.changed.Value(), before.changed.Value());
  EXPECT_EQ(doc.Pictures().changed.Value(), tableChanged.Value());
  EXPECT_EQ(doc.Pictures().Find(kept)->filename, "anders\\b.jpg");
  EXPECT_EQ(counts->writes, 0);
}

// A new name the album could not keep, or one that another picture has or
// gets, is refused by name; that picture keeps its old name.
TEST(ReplacePathsTest, RefusesNamesTheAlbumCannotKeepOrThatTwoPicturesWouldShare) {
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  const std::int32_t a = doc.AddPicture("alt\\a.jpg", COleDateTime(), 1, "");
  const std::int32_t b = doc.AddPicture("alt\\b.jpg", COleDateTime(), 1, "");
  doc.AddPicture("neu\\a.jpg", COleDateTime(), 1, "");
  const std::int32_t c = doc.AddPicture("x\\c.jpg", COleDateTime(), 1, "");
  std::vector<std::string> refused;
  EXPECT_EQ(ReplacePaths(doc, "alt/", "neu/", &refused), 1u);
  EXPECT_EQ(doc.Pictures().Find(a)->filename, "alt\\a.jpg");
  EXPECT_EQ(doc.Pictures().Find(b)->filename, "neu\\b.jpg");
  EXPECT_EQ(ReplacePaths(doc, "x/", "\xFF/", &refused), 0u);
  EXPECT_EQ(doc.Pictures().Find(c)->filename, "x\\c.jpg");
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_EQ(refused[0].rfind("alt\\a.jpg bleibt unverändert", 0), 0u) << refused[0];
  EXPECT_EQ(refused[1].rfind("x\\c.jpg bleibt unverändert", 0), 0u) << refused[1];
}

}  // namespace
}  // namespace kolvaro
