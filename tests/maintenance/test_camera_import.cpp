// Camera import (ID_CAMERA_IMPORT): the card layouts, copying and moving
// into the album folder, the question before replacing, cancelling, and a
// target that takes nothing more.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "core/filetransfer.h"
#include "core/safefile.h"
#include "maintenance/cameraimport.h"
#include "maintenance/capturedate.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;
using Status = TransferResult::Status;

constexpr char kShot[] = "2023:12:24 17:30:00";
// Stands for the album's save, which a move waits for.
const std::function<bool()> kSaved = [] { return true; };

// The real transfers, as the program and kolvaro-cli run them.
class DiskOperations : public test::FakeFileOperations {
 public:
  TransferResult TransferFile(const std::string& source, const std::string& folder, bool move,
                              const TransferHooks& hooks) override {
    return TransferFileSafely(source, folder, move, hooks);
  }
};

// Every transfer fails as `result` says, touching nothing.
class FailingOperations : public test::FakeFileOperations {
 public:
  explicit FailingOperations(TransferResult r) : result(std::move(r)) {}
  TransferResult TransferFile(const std::string&, const std::string&, bool,
                              const TransferHooks&) override {
    ++calls;
    return result;
  }
  TransferResult result;
  int calls = 0;
};

class CameraImportTest : public ::testing::Test {
 protected:
  // A new album based in `album`, with theme 7; records go to `log`.
  std::unique_ptr<CMeriskDoc> Album(std::vector<std::string>* log = nullptr) {
    auto doc = std::make_unique<CMeriskDoc>(settings);
    doc->OnNewDocument();
    doc->SetAlbumFolder(album.Folder());
    if (log) doc->SetTransactionLog(std::make_unique<test::RecordingLog>(*log));
    doc->AddOrUpdateTheme(7, "Urlaub");
    if (log) log->clear();
    return doc;
  }
  // A JPEG on the card with `date` as EXIF DateTimeOriginal (none when
  // null); `body` makes files of one name tell apart.
  static void Jpeg(const std::string& path, const char* date = kShot, std::size_t body = 200) {
    fs::create_directories(fs::path(path).parent_path());
    test::JpegBuilder jpeg;
    jpeg.App0Jfif();
    if (date) jpeg.Exif(test::ExifBlock().Ascii(test::Ifd::kExif, 36867, date));
    jpeg.Tables().Scan(body);
    test::WriteFile(path, jpeg.Data());
  }
  // The card's files that are still there, relative to `card`.
  static std::vector<std::string> Left(const test::TempDir& card) {
    std::vector<std::string> left;
    for (const auto& e : fs::recursive_directory_iterator(card.Path()))
      if (e.is_regular_file()) left.push_back(fs::relative(e.path(), card.Path()).string());
    std::sort(left.begin(), left.end());
    return left;
  }
  void EmptyAlbumFolder() {
    for (const auto& e : fs::directory_iterator(album.Path())) fs::remove(e.path());
  }

  test::TempDir album;
  CMemorySettings settings;
  DiskOperations disk;
};

TEST_F(CameraImportTest, ScanFindsEveryCardLayoutInNameOrder) {
  test::TempDir card;
  const char* const files[] = {
      "a.JPG", "b.txt", "DCIM/100CANON/img_0001.jpg", "DCIM/100CANON/IMG_0002.JPG",
      "DCIM/100CANON/clip.AVI", "DCIM/100CANON/notes.txt", "DCIM/direkt.Jpg",
      "DCIM/100CANON/MVI_0004.mp4", "DCIM/100CANON/IMG_0003.HEIC",
      "MSSONY/MOML0001/m.tif", "QVIM/QV1/q.bmp", "QVIM/lose.jpg", "Andere/z.jpg"};
  for (const char* f : files) {
    fs::create_directories(fs::path(card / f).parent_path());
    test::WriteFile(card / f, f);
  }
  // Links lead off the card: skipped, and named.
  test::TempDir outside;
  test::WriteFile(outside / "fremd.jpg", "fremd");
  fs::create_directory_symlink(outside.Path(), card / "DCIM/102LINK");
  fs::create_directory_symlink(outside.Path(), card / "DCLINK");
  fs::create_symlink(outside / "fremd.jpg", card / "DCIM/100CANON/link.jpg");
  // Folder by folder in the order of the layouts; in a folder ending by
  // ending (the older cards' first), each in byte order of the names.
  const std::vector<std::string> expected = {
      "a.JPG", "DCIM/100CANON/IMG_0002.JPG", "DCIM/100CANON/img_0001.jpg",
      "DCIM/100CANON/clip.AVI", "DCIM/100CANON/IMG_0003.HEIC", "DCIM/100CANON/MVI_0004.mp4",
      "MSSONY/MOML0001/m.tif", "DCIM/direkt.Jpg", "QVIM/QV1/q.bmp"};
  // Typed without the trailing '/', the source folder itself is searched too.
  for (const std::string& source : {card.Folder(), card.Path().string()}) {
    std::vector<std::string> found, links;
    for (const CameraFile& f : ScanCameraSource(source, &links)) {
      found.push_back(f.path.substr(card.Folder().size()));
      EXPECT_EQ(f.size, found.back().size()) << f.path;
    }
    EXPECT_EQ(found, expected) << source;
    for (std::string& link : links) link = link.substr(card.Folder().size());
    EXPECT_EQ(links,
              (std::vector<std::string>{"DCIM/102LINK", "DCIM/100CANON/link.jpg", "DCLINK"}));
  }
}

TEST_F(CameraImportTest, CopyAddsEachFileWithItsDateAndTheChosenTheme) {
  for (const std::int32_t theme : {0, 7}) {
    test::TempDir card;
    Jpeg(card / "DCIM/100CANON/IMG_0001.JPG");
    Jpeg(card / "DCIM/100CANON/ohne.jpg", nullptr);
    std::vector<std::string> log;
    const auto doc = Album(&log);
    CMeriskDoc& fresh = *doc;
    test::FakeUserQuestions ui;

    const CameraImportCounts counts = ImportCamera(fresh, ui, disk, card.Folder(), theme, false);

    EXPECT_EQ(counts.added, 2);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(Left(card), (std::vector<std::string>{"DCIM/100CANON/IMG_0001.JPG",
                                                    "DCIM/100CANON/ohne.jpg"}));
    EXPECT_EQ(test::ReadFile(album / "IMG_0001.JPG"),
              test::ReadFile(card / "DCIM/100CANON/IMG_0001.JPG"));
    // A file without EXIF date keeps 0.0: the creation time stands in only
    // for an invalid date.
    PictureEntry first, second;
    ASSERT_TRUE(fresh.Pictures().Lookup(1, first) && fresh.Pictures().Lookup(2, second));
    EXPECT_EQ(first.filename, "IMG_0001.JPG");
    EXPECT_EQ(first.timestamp, DateFromExifText(kShot));
    EXPECT_EQ(second.filename, "ohne.jpg");
    EXPECT_TRUE(second.timestamp.IsValid() && second.timestamp.Value() == 0.0);
    // No record for the pictures, one per theme link.
    const std::vector<std::string> links = {"theme-of-picture 1", "theme-of-picture 2"};
    EXPECT_EQ(log, theme ? links : std::vector<std::string>());
    EXPECT_TRUE(fresh.IsModified());
    EmptyAlbumFolder();
  }
}

// Moving two files of one name from two camera folders: the question
// before replacing decides; the card keeps what was not moved. On the same
// file system and across file systems (a card in memory).
TEST_F(CameraImportTest, SameNameInTwoCameraFoldersAsksBeforeReplacing) {
  struct Counts {
    int added, duplicates, refused, failed;
    bool stopped;
  };
  struct Case {
    Answer answer;
    std::vector<std::string> left;
    bool secondInAlbum;  // the album folder's IMG_0001.JPG is the second one
    Counts counts;
  };
  const std::string second = "DCIM/101CANON/IMG_0001.JPG";
  const Case cases[] = {
      {Answer::Yes, {}, true, {2, 1, 0, 0, false}},
      {Answer::No, {second}, false, {2, 0, 0, 1, false}},
      {Answer::Cancel, {second, "DCIM/102CANON/c.jpg"}, false, {1, 0, 0, 1, true}},
  };
  std::vector<fs::path> parents = {fs::temp_directory_path()};
  if (fs::is_directory("/dev/shm")) parents.emplace_back("/dev/shm");
  for (const fs::path& parent : parents) {
    for (const Case& c : cases) {
      test::TempDir card(parent);
      Jpeg(card / "DCIM/100CANON/IMG_0001.JPG", kShot, 100);
      Jpeg(card / second, kShot, 101);
      Jpeg(card / "DCIM/102CANON/c.jpg");
      const std::string bytes[] = {test::ReadFile(card / "DCIM/100CANON/IMG_0001.JPG"),
                                   test::ReadFile(card / second)};
      const auto doc = Album();
      test::ScriptedQuestions ui;
      ui.answers = {c.answer};

      const CameraImportCounts n = ImportCamera(*doc, ui, disk, card.Folder(), 0, true, {}, kSaved);

      const std::string where = parent.string() + " " + std::to_string(int(c.answer));
      EXPECT_EQ(Left(card), c.left) << where;
      EXPECT_EQ(test::ReadFile(album / "IMG_0001.JPG"), bytes[c.secondInAlbum]) << where;
      EXPECT_EQ(std::tie(n.added, n.duplicates, n.failed, n.stopped),
                std::tie(c.counts.added, c.counts.duplicates, c.counts.failed, c.counts.stopped))
          << where;
      ASSERT_FALSE(ui.messages.empty());
      EXPECT_EQ(ui.messages[0].kind, UserMessage::Kind::YesNoCancel);
      EXPECT_NE(ui.messages[0].text.find("IMG_0001.JPG"), std::string::npos);
      if (c.answer == Answer::Yes) {
        ASSERT_EQ(ui.messages.size(), 2u) << where;
        EXPECT_EQ(ui.messages[1].text, "Die Datei IMG_0001.JPG ist bereits in der Datenbank abgelegt!");
        EXPECT_EQ(ui.messages[1].caption, "");  // the application title
      }
      EmptyAlbumFolder();
    }
  }
}

TEST_F(CameraImportTest, CancelStopsAfterTheCurrentFileAndLeavesTheRestOnTheCard) {
  test::TempDir card;
  for (const char* name : {"1.jpg", "2.jpg", "3.jpg", "4.jpg"}) Jpeg(card / ("DCIM/100CANON/" + std::string(name)));
  const auto doc = Album();
  test::FakeUserQuestions ui;
  CameraImportProgress last;
  int arrived = 0;
  CameraTransferHooks hooks;
  hooks.arrived = [&](std::size_t, const TransferResult&) { ++arrived; };
  hooks.progress = [&](const CameraImportProgress& p) { last = p; };
  hooks.cancelRequested = [&] { return arrived == 2; };

  const CameraImportCounts n = ImportCamera(*doc, ui, disk, card.Folder(), 0, true, hooks, kSaved);

  EXPECT_EQ(n.added, 2);
  EXPECT_TRUE(n.stopped);
  EXPECT_EQ(Left(card), (std::vector<std::string>{"DCIM/100CANON/3.jpg", "DCIM/100CANON/4.jpg"}));
  EXPECT_EQ(doc->Pictures().GetCount(), 2);
  EXPECT_EQ(last.filesDone, 2u);
  EXPECT_EQ(last.filesFound, 4u);
  EXPECT_EQ(last.bytesDone * 2, last.bytesFound);
}

// A full or read-only target ends the import at its first failure; a file
// that cannot be read is skipped and the import goes on. Either way every
// file stays on the card and the album is unchanged.
TEST_F(CameraImportTest, FailedTransfersLeaveEveryCardFileAndTheAlbumAsTheyWere) {
  struct Case {
    bool targetFailed;
    int calls;
    bool stopped;
  };
  for (const Case& c : {Case{true, 1, true}, Case{false, 3, false}}) {
    test::TempDir card;
    for (const char* name : {"1.jpg", "2.jpg", "3.jpg"}) Jpeg(card / ("DCIM/100CANON/" + std::string(name)));
    FailingOperations full({Status::Failed, "Auf dem Datenträger ist nicht genug Platz.", c.targetFailed});
    test::FakeUserQuestions ui;
    const auto doc = Album();
    doc->SetModifiedFlag(false);

    const CameraImportCounts n = ImportCamera(*doc, ui, full, card.Folder(), 7, true, {}, kSaved);

    EXPECT_EQ(full.calls, c.calls);
    EXPECT_EQ(n.added, 0);
    EXPECT_EQ(n.failed, c.calls);
    EXPECT_EQ(n.stopped, c.stopped);
    EXPECT_EQ(Left(card).size(), 3u);
    EXPECT_EQ(ui.messages.size(), static_cast<std::size_t>(c.calls));
    EXPECT_EQ(ui.messages[0].kind, UserMessage::Kind::Error);
    EXPECT_FALSE(doc->IsModified());
  }
}

// A move takes a file off the card only after the album holding its copy is
// saved, and only when the card file is still as its copy found it: a file
// the camera was still writing stays, as does every file of a failed save.
TEST_F(CameraImportTest, AMoveRemovesOnlyUnchangedFilesAndOnlyAfterTheSave) {
  for (const bool saves : {true, false}) {
    SCOPED_TRACE(saves ? "saved" : "save failed");
    test::TempDir card;
    Jpeg(card / "DCIM/100CANON/1.jpg");
    Jpeg(card / "DCIM/100CANON/2.jpg");
    const auto doc = Album();
    test::FakeUserQuestions ui;
    bool onCardAtSave = false;
    CameraTransferHooks hooks;
    hooks.arrived = [&](std::size_t i, const TransferResult&) {
      if (i == 0) std::ofstream(card / "DCIM/100CANON/1.jpg", std::ios::app) << "mehr";
    };
    const CameraImportCounts n = ImportCamera(*doc, ui, disk, card.Folder(), 0, true, hooks, [&] {
      onCardAtSave = Left(card).size() == 2;
      return saves;
    });
    EXPECT_TRUE(onCardAtSave);
    EXPECT_EQ(n.added, 2);
    EXPECT_EQ(n.kept, saves ? 1 : 2);
    std::vector<std::string> left = {"DCIM/100CANON/1.jpg"};
    if (!saves) left.push_back("DCIM/100CANON/2.jpg");
    EXPECT_EQ(Left(card), left);
    ASSERT_EQ(ui.messages.size(), saves ? 1u : 0u);
    if (saves) {
      EXPECT_NE(ui.messages[0].text.find("1.jpg hat sich"), std::string::npos);
    }
    EmptyAlbumFolder();
  }
}

int g_killAt = 0;
void CountDown(std::uint64_t = 0) {
  if (--g_killAt == 0) ::raise(SIGKILL);
}

// kill -9 at every step of a move (each copy's progress, each arrival,
// each piece of the album's save): every picture stays on the card or is in
// the saved album, and the next import clears the hidden half copies.
TEST_F(CameraImportTest, AKilledMoveLosesNoPicture) {
  test::TempDir state;
  test::ScopedEnv stateHome("XDG_STATE_HOME", state.Path().string());
  const std::string path = album / "Album.kvo";
  const std::vector<std::string> names = {"1.jpg", "2.jpg"};
  int kills = 0, onCard = 0, inAlbum = 0;
  for (int step = 1;; ++step) {
    test::TempDir card;
    for (const std::string& name : names) Jpeg(card / ("DCIM/100CANON/" + name), kShot, 9000);
    {
      auto doc = Album();
      doc->SetAlbumInfo(std::string(6000, 'i'), doc->UpdateUrl(), 1);
      ASSERT_TRUE(doc->OnSaveDocument(path));
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
      g_killAt = step;
      SetSaveWriteHook([](std::uint64_t) { CountDown(); });
      CMeriskDoc doc(settings);
      test::FakeUserQuestions ui;
      if (!doc.OnOpenDocument(path)) ::_exit(2);
      CameraTransferHooks hooks;
      hooks.progress = [](const CameraImportProgress&) { CountDown(); };
      hooks.arrived = [](std::size_t, const TransferResult&) { CountDown(); };
      ImportCamera(doc, ui, disk, card.Folder(), 0, true, hooks,
                   [&] { return doc.OnSaveDocument(path); });
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    CMeriskDoc saved(settings);
    ASSERT_TRUE(saved.OnOpenDocument(path)) << "step " << step;
    for (const std::string& name : names) {
      const bool left = fs::exists(card / ("DCIM/100CANON/" + name));
      bool listed = false;
      for (std::int32_t id = 1; id <= 2; ++id)
        if (const PictureEntry* e = saved.Pictures().Find(id)) listed |= e->filename == name;
      EXPECT_TRUE(left || (listed && fs::exists(album / name))) << name << ", step " << step;
      onCard += left;
      inAlbum += listed;
    }
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), 0);
      EXPECT_TRUE(Left(card).empty());
      break;
    }
    ++kills;
    // The next import into the folder takes what a killed copy left.
    test::FakeUserQuestions ui;
    CMeriskDoc next(settings);
    ASSERT_TRUE(next.OnOpenDocument(path));
    ImportCamera(next, ui, disk, card.Folder(), 0, false);
    for (const auto& e : fs::directory_iterator(album.Path()))
      EXPECT_FALSE(e.path().filename().string().starts_with(".kolvaro-copy-")) << e.path();
    EmptyAlbumFolder();
  }
  std::printf("[          ] %d kills: %d pictures left on the card, %d in the saved album\n", kills,
              onCard, inAlbum);
  EXPECT_GT(kills, 8);
}

// A cancelled copy leaves neither a half file nor a changed target, and
// the card file stays, whether copying or moving.
TEST_F(CameraImportTest, CancelledTransferLeavesSourceAndTargetAsTheyWere) {
  for (const bool move : {false, true}) {
    test::TempDir card("/dev/shm");  // across file systems a move copies first
    Jpeg(card / "x.jpg", kShot, 3000);
    test::WriteFile(album / "x.jpg", "alt");
    TransferHooks hooks;
    hooks.askReplace = [](const std::string&, const std::string&) { return ReplaceChoice::Replace; };
    hooks.onBytes = [](std::uint64_t) { return false; };

    const TransferResult r = TransferFileSafely(card / "x.jpg", album.Folder(), move, hooks);

    EXPECT_EQ(r.status, Status::Cancelled);
    EXPECT_TRUE(fs::exists(card / "x.jpg"));
    EXPECT_EQ(test::ReadFile(album / "x.jpg"), "alt");
    EXPECT_EQ(std::distance(fs::directory_iterator(album.Path()), fs::directory_iterator()), 1);
    // An album never saved may have no folder: that is no target, not "/".
    const TransferResult none = TransferFileSafely(card / "x.jpg", "", move, hooks);
    EXPECT_TRUE(none.status == Status::Failed && none.targetFailed);
    EXPECT_TRUE(fs::exists(card / "x.jpg"));
  }
}

}  // namespace
}  // namespace kolvaro
