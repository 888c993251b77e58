// Adding picture files (ID_ADD_PICTURES) and a folder's picture files (ID_ADD_FOLDER): stored
// names, duplicates, capture dates and what the user is asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "core/mediafile.h"
#include "maintenance/addpictures.h"
#include "maintenance/capturedate.h"
#include "maintenance/duplicatetest.h"
#include "res/strings.h"
#include "testsupport/album_bytes.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"
#include "testsupport/media_builder.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;
using test::AskedMessage;
using test::ExifBlock;
using test::Ifd;
using test::JpegBuilder;

constexpr char kShot[] = "2023:12:24 17:30:00";

class AddPicturesTest : public ::testing::Test {
 protected:
  AddPicturesTest() : doc(settings) {
    doc.OnNewDocument();
    doc.SetAlbumFolder(album.Folder());
    doc.SetUserQuestions(&ui);
    doc.SetTransactionLog(std::make_unique<test::RecordingLog>(logged));
    doc.AddView(&view);
  }
  ~AddPicturesTest() override { doc.RemoveView(&view); }

  // A JPEG with the given EXIF date (none when null) and some image data.
  std::string Jpeg(const std::string& path, const char* date = kShot, std::size_t image = 300) {
    fs::create_directories(fs::path(path).parent_path());
    JpegBuilder jpeg;
    jpeg.App0Jfif();
    if (date) jpeg.Exif(ExifBlock(test::ByteOrder::kBig).Ascii(Ifd::kExif, 36867, date));
    jpeg.Tables().Scan(image);
    test::WriteFile(path, jpeg.Data());
    return path;
  }
  const PictureEntry* Stored(const std::string& name) const {
    for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
      std::int32_t id;
      const PictureEntry& e = doc.Pictures().GetNextRef(p, id);
      if (e.filename == name) return &e;
    }
    return nullptr;
  }
  static AskedMessage Duplicate(const std::string& stored) {
    return {"Die Datei " + stored + " ist bereits in der Datenbank abgelegt!", "Doppelter Eintrag",
            UserMessage::Kind::Information};
  }
  static AskedMessage Added(int n) {
    return {std::to_string(n) + " Dateien hinzugefügt.", "", UserMessage::Kind::Information};
  }

  test::TempDir album;
  test::TempDir elsewhere;
  CMemorySettings settings;
  CMeriskDoc doc;
  test::FakeUserQuestions ui;
  test::CountingView view;
  std::vector<std::string> logged;
};

TEST_F(AddPicturesTest, AddsChosenFilesWithStoredNameDateAndSize) {
  const std::string a = Jpeg(album / "Urlaub/IMG_0001.JPG", kShot, 1000);
  const std::string b = Jpeg(elsewhere / "b.jpg", nullptr);
  ui.chosenFiles = {a, b};
  const auto added = OnAddPictures(doc, ui);
  ASSERT_EQ(added, 2);

  ASSERT_EQ(ui.openDialogs.size(), 1u);
  EXPECT_EQ(ui.openDialogs[0].filter, PictureFileFilter());
  EXPECT_EQ(ui.openDialogs[0].initialFolder, album.Folder());
  EXPECT_TRUE(ui.openDialogs[0].multiple);
  EXPECT_EQ(ui.messages, std::vector<AskedMessage>{Added(2)});

  const PictureEntry* first = Stored("Urlaub\\IMG_0001.JPG");
  ASSERT_NE(first, nullptr) << "a file below the album folder is stored relative to it";
  EXPECT_EQ(first->timestamp, COleDateTime::FromCalendar(2023, 12, 24, 17, 30, 0));
  EXPECT_EQ(first->size, fs::file_size(a));
  EXPECT_EQ(first->title, "");
  const PictureEntry* second = Stored("..\\" + elsewhere.Path().filename().string() + "\\b.jpg");
  ASSERT_NE(second, nullptr) << "a file beside the album folder is stored relative to it too";
  EXPECT_EQ(second->timestamp, COleDateTime::FromTimeT(QueryFileStatus(b).creationTime))
      << "no EXIF date: the creation time";

  EXPECT_EQ(doc.Pictures().NextId(), 3);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.updates, 1);
  EXPECT_TRUE(logged.empty()) << "adding writes no transaction records";
  EXPECT_TRUE(doc.Selection().empty()) << "adding leaves the selection alone";
}

TEST_F(AddPicturesTest, TheSameFileTwiceIsReportedTheSecondTime) {
  const std::string a = Jpeg(album / "a.jpg");
  ui.chosenFiles = {a, a, album / "./a.jpg"};
  EXPECT_EQ(OnAddPictures(doc, ui), 1);
  EXPECT_EQ(ui.messages,
            (std::vector<AskedMessage>{Duplicate("a.jpg"), Duplicate("a.jpg"), Added(1)}));
  EXPECT_EQ(doc.Pictures().GetCount(), 1);
}

// On Linux foto.jpg and Foto.jpg are two files, so two pictures.
TEST_F(AddPicturesTest, DuplicatesCompareWithCaseButNotTheFolder) {
  doc.AddPicture("Reise\\\xC3\x84pfel.jpg", COleDateTime(), 1, "");  // Äpfel
  doc.AddPicture("x.jpg", COleDateTime(), 1, "");
  doc.SetModifiedFlag(false);
  const std::string same = Jpeg(album / "Reise/\xC3\x84pfel.jpg");
  const std::string lower = Jpeg(album / "Reise/\xC3\xA4pfel.jpg");  // äpfel
  const std::string x = Jpeg(elsewhere / "x.jpg");
  ui.chosenFiles = {same, lower, x};
  EXPECT_EQ(AddPictureFiles(doc, ui, ui.chosenFiles), 2);
  EXPECT_EQ(ui.messages, (std::vector<AskedMessage>{Duplicate("Reise/\xC3\x84pfel.jpg"),
                                                    Added(2)}));  // shown with '/'
  EXPECT_NE(Stored("Reise\\\xC3\xA4pfel.jpg"), nullptr);
  EXPECT_NE(Stored("..\\" + elsewhere.Path().filename().string() + "\\x.jpg"), nullptr)
      << "x.jpg of another folder is another picture";
}

// Names the album cannot keep so that they lead back to the file are
// refused with a message naming the file; nothing is stored altered.
TEST_F(AddPicturesTest, RefusesNamesThatCannotBeStoredExactly) {
  const std::string refused[] = {Jpeg(album / "Gr\xF6\xDF" "e.jpg"), Jpeg(album / "a\\b.jpg"),
                                 Jpeg(album / "C:/c.jpg")};
  const std::string colon = Jpeg(album / "x:y.jpg");
  auto refusal = [](const std::string& path, StoredNameProblem problem) {
    return AskedMessage{StoredNameProblemText(problem, path), "", UserMessage::Kind::Warning};
  };
  const std::vector<AskedMessage> told = {refusal(refused[0], StoredNameProblem::kNotUtf8),
                                          refusal(refused[1], StoredNameProblem::kBackslash)};

  ui.chosenFiles = {refused[0], refused[1], refused[2], colon};
  EXPECT_EQ(OnAddPictures(doc, ui), 1);
  std::vector<AskedMessage> expected = told;
  expected.push_back(refusal(refused[2], StoredNameProblem::kOtherFile));
  expected.push_back(Added(1));
  EXPECT_EQ(ui.messages, expected);
  EXPECT_NE(Stored("x:y.jpg"), nullptr) << "a colon without backslash is no drive";
  EXPECT_EQ(doc.Pictures().GetCount(), 1);

  // The folder command, silent about duplicates, still names each refused file.
  ui.messages.clear();
  ui.chosenFolder = album.Path().string();
  EXPECT_EQ(OnAddFolder(doc, ui), 0);
  EXPECT_EQ(ui.messages, told);
  EXPECT_EQ(doc.Pictures().GetCount(), 1);
}

TEST_F(AddPicturesTest, NothingAddedStillReportsTheCountButLeavesTheAlbumUnmodified) {
  const std::string a = Jpeg(album / "a.jpg");
  doc.AddPicture("a.jpg", COleDateTime(), 1, "");
  doc.SetModifiedFlag(false);
  ui.chosenFiles = {a};
  EXPECT_EQ(OnAddPictures(doc, ui), 0);
  EXPECT_EQ(ui.messages.back(), Added(0));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(view.updates, 1);
}

TEST_F(AddPicturesTest, CancellingTheFileDialogChangesNothing) {
  EXPECT_EQ(OnAddPictures(doc, ui), std::nullopt);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(view.updates, 0);
}

TEST_F(AddPicturesTest, AddsTheFolderJpegsInNameOrderSilentlySkippingDuplicates) {
  Jpeg(album / "b.jpg");
  Jpeg(album / "IMG_0002.JPG", "2000:01:01 00:00:00");
  Jpeg(album / "a.Jpg", nullptr);
  Jpeg(album / "c.jpeg");
  Jpeg(album / "d.jpg.bak");
  Jpeg(album / "sub/e.jpg");
  fs::create_directories(album / "folder.jpg");
  fs::create_symlink(album / "b.jpg", album / "link.jpg");
  doc.AddPicture("b.jpg", COleDateTime(), 1, "");
  doc.SetModifiedFlag(false);

  ui.chosenFolder = album.Path().string();
  EXPECT_EQ(OnAddFolder(doc, ui), 4);
  EXPECT_EQ(ui.folderTitles, std::vector<std::string>{"Bitte Verzeichnis auswählen"});
  EXPECT_TRUE(ui.messages.empty()) << "32808 shows no message";
  EXPECT_EQ(ui.waitCursors, 1);
  EXPECT_EQ(ui.waitDepth, 0);

  // Ids follow the byte order of the names.
  PictureEntry e;
  ASSERT_TRUE(doc.Pictures().Lookup(2, e));
  EXPECT_EQ(e.filename, "IMG_0002.JPG");
  EXPECT_EQ(e.timestamp, COleDateTime::FromCalendar(2000, 1, 1, 0, 0, 0));
  ASSERT_TRUE(doc.Pictures().Lookup(3, e));
  EXPECT_EQ(e.filename, "a.Jpg");
  EXPECT_EQ(e.timestamp, COleDateTime(COleDateTime::valid, 0.0)) << "no EXIF date: 0.0 under 32808";
  ASSERT_TRUE(doc.Pictures().Lookup(4, e));
  EXPECT_EQ(e.filename, "c.jpeg");
  ASSERT_TRUE(doc.Pictures().Lookup(5, e));
  EXPECT_EQ(e.filename, "link.jpg");
  EXPECT_EQ(doc.Pictures().GetCount(), 5);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(logged.empty());
}

// A phone's folder: each file's date comes from its own metadata, found by
// its content; a file that only claims a kind is added with what can be read.
TEST_F(AddPicturesTest, AddsPhoneFilesWithTheDateOfTheirOwnMetadata) {
  const struct {
    const char* name;
    test::Bytes bytes;
    COleDateTime date;
  } files[] = {
      {"IMG_0001.HEIC", test::Heif(false), DateFromExifText(test::kMediaDate)},
      {"IMG_0002.MOV", test::Mp4(test::Mvhd(0, test::kMovieTime), "qt  "),
       COleDateTime::FromTimeT(test::kMovieUnixTime)},
      {"IMG_0003.png", test::Png(test::Tiff()), DateFromExifText(test::kMediaDate)},
      {"IMG_0004.heic", test::B("Nur Text"), COleDateTime(COleDateTime::valid, 0.0)},
      {"IMG_0005.mp4", test::Mp4(test::Box("mvhd", {})), COleDateTime(COleDateTime::valid, 0.0)},
      {"IMG_0006.webp", test::Webp(test::Tiff()), DateFromExifText(test::kMediaDate)},
  };
  for (const auto& f : files) elsewhere.File(f.name, f.bytes);
  elsewhere.File("notiz.txt", "kein Bild");
  ASSERT_EQ(AddFolderPictures(doc, ui, elsewhere.Path().string()), 6);
  for (std::int32_t id = 1; id <= 6; ++id) {
    PictureEntry e;
    ASSERT_TRUE(doc.Pictures().Lookup(id, e));
    EXPECT_EQ(e.timestamp, files[id - 1].date) << e.filename;
  }
}

TEST(PictureFileFilterTest, OffersAllPicturesAndVideosFirstThenEachFamily) {
  std::vector<std::string> parts;
  const std::string filter = PictureFileFilter();
  for (std::size_t at = 0, bar; (bar = filter.find('|', at)) != std::string::npos; at = bar + 1)
    parts.push_back(filter.substr(at, bar - at));
  ASSERT_EQ(parts.size(), 2 * (MediaFamilies().size() + 2) + 1) << filter;
  EXPECT_EQ(parts[0], "Bilder und Videos");
  for (std::size_t i = 0; i < MediaFamilies().size(); ++i) {
    EXPECT_FALSE(parts[2 * i + 2].empty()) << "every family has its name";
    for (std::string_view ext : MediaFamilies()[i].extensions) {
      const std::string pattern = "*" + std::string(ext);
      EXPECT_NE(parts[1].find(pattern), std::string::npos) << pattern;
      EXPECT_NE(parts[2 * i + 3].find(pattern), std::string::npos) << pattern;
    }
  }
  EXPECT_EQ(parts[parts.size() - 2], "*.*");
}

TEST_F(AddPicturesTest, AFolderWithoutJpegsStillMarksTheAlbumModified) {
  ui.chosenFolder = elsewhere.Path().string();
  EXPECT_EQ(OnAddFolder(doc, ui), 0);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(view.updates, 1);
}

TEST_F(AddPicturesTest, CancellingTheFolderChooserChangesNothing) {
  EXPECT_EQ(OnAddFolder(doc, ui), std::nullopt);
  ui.chosenFolder = "";
  EXPECT_EQ(OnAddFolder(doc, ui), std::nullopt);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(view.updates, 0);
}

TEST_F(AddPicturesTest, AnUnreadableFolderHasNoJpegs) {
  EXPECT_TRUE(ListFolderPictures(album / "missing").empty());
  Jpeg(album / "x.jpg");
  EXPECT_EQ(ListFolderPictures(album.Path().string() + "/"),
            std::vector<std::string>{album / "x.jpg"});
}

// The duplicate test must answer exactly as the linear search over an album
// that grows by every name found new: ContainsFile (without case) in the
// Windows style, plain equality in the POSIX style; also for names that are
// no valid UTF-8, for letters outside ASCII and for repeats within the list.
TEST(DuplicateTest, AnswersAsTheLinearSearchOnTheGrowingAlbum) {
  const std::vector<std::string> parts = {
      "a",    "A",    "\xC3\xA4", "\xC3\x84", "\xC5\xA0",     "\xC5\xA1", "\xC5\xB8", "\xC3\xBF",
      "\xFF", "\xFE", "\xC3",     "\\",       "\xEF\xBF\xBD", "\xC3\x97", "\xC3\xB7", "z"};
  std::mt19937 rng(11);
  auto randomName = [&] {
    std::string s;
    for (int n = static_cast<int>(rng() % 4); n > 0; --n) s += parts[rng() % parts.size()];
    return s;
  };
  for (const PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
    for (int round = 0; round < 10; ++round) {
      CBilderEx pictures;
      for (int i = 1; i <= 200; ++i) pictures.AddOrUpdate(i, randomName(), COleDateTime(), 0, "");
      std::vector<std::string> names(400);
      for (auto& n : names) n = randomName();
      CDuplicateTest test(pictures, names, style);
      int found = 0;
      for (std::size_t i = 0; i < names.size(); ++i) {
        bool expected = pictures.ContainsFile(names[i]);
        if (style == PathStyle::Posix) {
          expected = false;
          for (POSITION p = pictures.GetStartPosition(); p != kNullPosition;) {
            std::int32_t id;
            if (pictures.GetNextRef(p, id).filename == names[i]) expected = true;
          }
        }
        ASSERT_EQ(test.IsDuplicate(i), expected) << test::Hex(names[i]);
        if (!expected) {
          pictures.AddOrUpdate(pictures.NextId(), names[i], COleDateTime(), 0, "");
          test.Added(i);
        } else {
          ++found;
        }
      }
      EXPECT_GT(found, 50) << "the names should meet often";
    }
  }
}

}  // namespace
}  // namespace kolvaro
