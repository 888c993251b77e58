// Deleting a picture: its links and rectangles go with it, the file goes to
// the trash only when asked and present, the selection is run again, and a
// transaction record is written. Also opening a picture's file.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include "core/meriskdoc.h"
#include "testsupport/album_bytes.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

constexpr std::string_view kJpeg("\xFF\xD8\xFF\xD9", 4);

class DeletePictureTest : public ::testing::Test {
 protected:
  DeletePictureTest() : doc(settings) {
    doc.OnNewDocument();
    doc.SetAlbumFolder(album.Folder());
    doc.SetFileOperations(&files);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
      doc.AddOrUpdatePicture(doc.Pictures().NextId(), name, COleDateTime(), 10, "");
    // Theme 1 on 1, 2, 3; theme 2 on 2; person 5 on 2 and 3, person 6 on 2.
    for (const std::int32_t p : {1, 2, 3}) doc.AddThemeToPicture(1, p);
    doc.AddThemeToPicture(2, 2);
    doc.AddOrUpdatePersonOnPicture(5, Rect{1, 1, 9, 9}, 2);
    doc.AddOrUpdatePersonOnPicture(5, Rect{2, 2, 8, 8}, 3);
    doc.AddOrUpdatePersonOnPicture(6, Rect{3, 3, 7, 7}, 2);
    doc.SetTransactionLog(std::make_unique<test::RecordingLog>(logged));
    doc.SetModifiedFlag(false);
    doc.AddView(&view);
  }
  ~DeletePictureTest() override { doc.RemoveView(&view); }

  test::TempDir album;
  CMemorySettings settings;
  CMeriskDoc doc;
  test::FakeFileOperations files;
  test::CountingView view;
  std::vector<std::string> logged;
};

TEST_F(DeletePictureTest, RemovesThePictureWithItsLinksAndRepeatsTheSelection) {
  doc.SelectPictures(1, -1, 1);
  ASSERT_EQ(doc.Selection(), (std::vector<std::int32_t>{1, 2, 3}));
  view.updates = 0;

  doc.DeletePicture(2, false);

  EXPECT_FALSE(doc.Pictures().Find(2));
  EXPECT_FALSE(doc.ThemesOfPictures().Lookup(1, 2));
  EXPECT_FALSE(doc.ThemesOfPictures().Lookup(2, 2));
  EXPECT_FALSE(doc.PersonsOnPictures().Lookup(5, 2));
  EXPECT_FALSE(doc.PersonsOnPictures().Lookup(6, 2));
  EXPECT_TRUE(doc.ThemesOfPictures().Lookup(1, 3)) << "other pictures keep their links";
  EXPECT_TRUE(doc.PersonsOnPictures().Lookup(5, 3));
  EXPECT_EQ(doc.Pictures().NextId(), 5) << "a removed id is not given out again";

  EXPECT_EQ(doc.Selection(), (std::vector<std::int32_t>{1, 3})) << "same filter and key as before";
  EXPECT_EQ(doc.FilterTheme(), 1);
  EXPECT_EQ(doc.SelectionKind(), 1);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(logged, std::vector<std::string>{"remove-picture 2"});
  EXPECT_EQ(view.updates, 2) << "once by the selection, once at the end";
  EXPECT_TRUE(files.trashed.empty());
}

TEST_F(DeletePictureTest, MovesAnExistingFileToTheTrashOnlyWhenAsked) {
  test::WriteFile(album / "a.jpg", kJpeg);
  doc.DeletePicture(1, true);
  EXPECT_EQ(files.trashed, std::vector<std::string>{album / "a.jpg"});

  test::WriteFile(album / "b.jpg", kJpeg);
  doc.DeletePicture(2, false);
  EXPECT_EQ(files.trashed.size(), 1u) << "no trash without the flag";

  // c.jpg does not exist: the record goes all the same, without a trash call.
  doc.DeletePicture(3, true);
  EXPECT_EQ(files.trashed.size(), 1u);
  EXPECT_FALSE(doc.Pictures().Find(3));
  EXPECT_EQ(logged,
            (std::vector<std::string>{"remove-picture 1", "remove-picture 2", "remove-picture 3"}));
}

// A crafted or odd name never trashes anything but the picture file itself,
// found below the album's folder, and the user learns why a file stayed.
TEST_F(DeletePictureTest, TrashesOnlyTheRegularFileTheNameLeadsTo) {
  test::FakeUserQuestions ui;
  doc.SetUserQuestions(&ui);
  test::WriteFile(album / "x:y.jpg", kJpeg);
  std::filesystem::create_directories(album / "opfer/ordner");
  test::WriteFile(album / "opfer/geheim.jpg", kJpeg);
  std::filesystem::create_symlink(album / "opfer/geheim.jpg", album / "link.jpg");
  ASSERT_EQ(::mkfifo((album / "pipe.jpg").c_str(), 0600), 0);
  // What a file is shows in its first bytes, not in its name.
  test::WriteFile(album / "profil.jpg", "PATH=$HOME/bin:$PATH\n");
  test::WriteFile(album / "anders.kvo", std::string_view("\x02\0\0\0\0\0\0\0", 8));
  test::WriteFile(album / "bild.gif", "GIF89a\x01\0\x01\0");
  test::WriteFile(album / "film.avi", std::string_view("RIFF\x04\0\0\0AVI LIST", 16));
  test::WriteFile(album / "tiff.dat", std::string_view("MM\0*\0\0\0\x08", 8));
  const struct {
    const char* stored;
    std::string trashed;  // empty: nothing
    bool told;
  } cases[] = {
      {"x:y.jpg", album / "x:y.jpg", false},
      {"fehlt.jpg", "", false},
      {".", "", true},
      {"sub\\..\\opfer\\ordner", "", true},
      {"link.jpg", "", true},
      {"pipe.jpg", "", true},
      {"D:\\x.jpg", "", true},
      {"profil.jpg", "", true},
      {"anders.kvo", "", true},
      {"bild.gif", album / "bild.gif", false},
      {"film.avi", album / "film.avi", false},
      {"tiff.dat", album / "tiff.dat", false},
  };
  for (const auto& c : cases) {
    files.trashed.clear();
    ui.messages.clear();
    const std::int32_t id = doc.Pictures().NextId();
    doc.AddOrUpdatePicture(id, c.stored, COleDateTime(), 1, "");
    doc.DeletePicture(id, true);
    EXPECT_FALSE(doc.Pictures().Find(id)) << c.stored;
    EXPECT_EQ(files.trashed, c.trashed.empty() ? std::vector<std::string>{}
                                               : std::vector<std::string>{c.trashed})
        << c.stored;
    ASSERT_EQ(ui.messages.size(), c.told ? 1u : 0u) << c.stored;
    if (c.told) {
      EXPECT_EQ(ui.messages[0].text.rfind("Das Bild wurde aus der Datenbank entfernt, aber ", 0), 0u);
    }
  }
  EXPECT_TRUE(std::filesystem::is_directory(album / "opfer/ordner"));
  doc.SetUserQuestions(nullptr);
}

TEST_F(DeletePictureTest, DeletingTheLastPictureOfTheSelectionLeavesNoCurrentPicture) {
  doc.SelectPictures(-1, -1, 1);
  const auto last = static_cast<std::int32_t>(doc.Selection().size()) - 1;
  doc.SetCurrentIndex(last);
  const std::int32_t current = doc.CurrentPicture();
  const std::int32_t position = doc.CurrentPosition();
  // What the view's delete command does after the user confirmed.
  doc.DeletePicture(current, false);
  doc.SetCurrentIndex(position);
  EXPECT_EQ(doc.CurrentPicture(), -1);
  EXPECT_EQ(doc.CurrentPosition(), -1);
  EXPECT_FALSE(doc.CanOpenPictureFile());
}

TEST_F(DeletePictureTest, DeletingAMiddlePictureMakesItsFollowerCurrent) {
  doc.SelectPictures(-1, -1, 1);
  doc.SetCurrentIndex(1);
  const std::int32_t follower = doc.Selection()[2];
  doc.DeletePicture(doc.CurrentPicture(), false);
  doc.SetCurrentIndex(1);
  EXPECT_EQ(doc.CurrentPicture(), follower);
}

TEST_F(DeletePictureTest, OpensThePictureFileWithItsProgram) {
  doc.OpenPictureFile(3);
  EXPECT_EQ(files.opened, std::vector<std::string>{album / "c.jpg"});
}

}  // namespace
}  // namespace kolvaro
