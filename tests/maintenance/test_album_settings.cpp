// The album's own settings: storage and album info as their dialogs apply
// them, and the stored names across a storage change and the next save.
#include <gtest/gtest.h>

#include "core/meriskdoc.h"
#include "maintenance/albumsettings.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

TEST(AlbumSettings, ChooserFolderLosesOneSeparatorAndTheChosenOneGainsASlash) {
  const struct { const char* typed; const char* start; const char* chosen; const char* shown; } cases[] = {
      {"/bilder/", "/bilder", "/bilder", "/bilder/"},
      {"C:\\Bilder\\", "C:\\Bilder", "/", "/"},
      {"", "", "/a/b/", "/a/b/"},
      {"/x//", "/x/", "/x", "/x/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooserStartFolder(c.typed), c.start) << c.typed;
    EXPECT_EQ(WithTrailingSlash(c.chosen), c.shown) << c.chosen;
  }
}

TEST(AlbumSettings, AlbumInfoChangesTheAlbumOnlyWhenSomethingDiffers) {
  const struct { const char* info; const char* url; bool lock; bool changed; int enabled; } cases[] = {
      {"Text", "http://u", false, false, 1},
      {"Text ", "http://u", false, true, 1},
      {"Text", "http://U", false, true, 1},
      {"Text", "http://u", true, true, 0},
  };
  for (const auto& c : cases) {
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    doc.SetAlbumInfo("Text", "http://u", 1);
    doc.SetModifiedFlag(false);
    EXPECT_EQ(ApplyAlbumInfo(doc, c.info, c.url, c.lock), c.changed) << c.info << c.url << c.lock;
    EXPECT_EQ(doc.IsModified(), c.changed);
    EXPECT_EQ(doc.AlbumInfo(), c.info);
    EXPECT_EQ(doc.InfoDialogEnabled(), c.enabled);
    EXPECT_EQ(doc.CanOpenAlbumInfo(), c.enabled != 0);
  }
}

// The text box shows CR LF as LF: the text it gives back unchanged leaves the
// album's bytes and its modified mark alone; a changed one keeps CR LF.
TEST(AlbumSettings, AlbumInfoKeepsTheLineBreaksItWasWrittenWith) {
  const struct {
    const char* shown;
    bool changed;
    const char* stored;
  } cases[] = {
      {"Zeile 1\nZeile 2\n", false, "Zeile 1\r\nZeile 2\r\n"},
      {"Zeile 1\nZeile 3\n", true, "Zeile 1\r\nZeile 3\r\n"},
  };
  for (const auto& c : cases) {
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    doc.SetAlbumInfo("Zeile 1\r\nZeile 2\r\n", "http://u", 1);
    doc.SetModifiedFlag(false);
    EXPECT_EQ(ApplyAlbumInfo(doc, c.shown, "http://u", false), c.changed) << c.shown;
    EXPECT_EQ(doc.IsModified(), c.changed);
    EXPECT_EQ(doc.AlbumInfo(), c.stored);
  }
}

TEST(AlbumSettings, AnAlbumWithoutFolderIsBasedInTheChosenOneASavedAlbumKeepsItsOwn) {
  for (const bool saved : {false, true}) {
    test::TempDir dir;
    CMemorySettings settings;  // no root folder: a new album has no folder
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    if (saved) {
      ASSERT_TRUE(doc.OnSaveDocument(dir / "a.kvo", nullptr));
    }
    ApplyStorageOptions(doc, 0, "/mnt/bilder/");
    EXPECT_EQ(doc.StorageFolder(), "/mnt/bilder/");
    EXPECT_EQ(doc.AlbumFolder(), saved ? dir.Folder() : "/mnt/bilder/");
    EXPECT_EQ(doc.AlbumFolderStored(), saved ? dir.Folder() : "/mnt/bilder/");
    EXPECT_TRUE(doc.IsModified());
  }
}

// A picture stored relative to the album's folder, the storage switched to
// another folder and back: until the save the picture stays where it is,
// and the save stores the name for the new base.
TEST(AlbumSettings, StoredNamesKeepTheirBaseUntilTheSaveConvertsThem) {
  test::TempDir dir;
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  ASSERT_TRUE(doc.OnSaveDocument(dir / "a.kvo", nullptr));
  const std::int32_t id = doc.AddPicture(doc.MakeStoredPath(dir / "pics/x.jpg"), COleDateTime(), 1, "");
  ASSERT_EQ(doc.Pictures().Find(id)->filename, "pics\\x.jpg");
  const struct { std::int32_t mode; std::string folder; std::string saved; } steps[] = {
      {1, dir / "other/", dir / "pics/x.jpg"},
      {1, dir / "third/", dir / "pics/x.jpg"},
      {0, "", "pics\\x.jpg"},
  };
  for (const auto& s : steps) {
    ApplyStorageOptions(doc, s.mode, s.folder);
    ApplyStorageOptions(doc, s.mode, s.folder);  // twice before a save: still the first base
    EXPECT_EQ(doc.GetPictureFullPath(id), dir / "pics/x.jpg") << s.folder;
    ASSERT_TRUE(doc.OnSaveDocument(dir / "a.kvo", nullptr));
    EXPECT_EQ(doc.Pictures().Find(id)->filename, s.saved) << s.folder;
    EXPECT_EQ(doc.GetPictureFullPath(id), dir / "pics/x.jpg") << s.folder;
  }
}

}  // namespace
}  // namespace kolvaro
