// kolvaro-cli on pictures: exif, add, add-folder, select and delete, over
// JPEGs built byte by byte and albums written with the core.

#include <sys/stat.h>

#include "maintenance/capturedate.h"
#include "testsupport/cli.h"
#include "testsupport/jpeg_builder.h"
#include "testsupport/media_builder.h"

namespace kolvaro::test {
namespace {

constexpr char kShot[] = "2022:08:01 06:30:15";

class CliPictures : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    // Every run gets its own trash, whatever the caller's environment says.
    m_trashEnv = {{"XDG_DATA_HOME", (m_home / ".local/share").string()}};
  }

  fs::path Jpeg(const std::string& name, const char* date = kShot) {
    const fs::path path = m_dir / name;
    fs::create_directories(path.parent_path());
    JpegBuilder jpeg;
    jpeg.App0Jfif();
    if (date)
      jpeg.Exif(ExifBlock(ByteOrder::kLittle)
                    .Ascii(Ifd::kZero, 271, "Kamerawerk")
                    .Ascii(Ifd::kExif, 36867, date)
                    .Rational(Ifd::kExif, 33434, 1, 125));
    jpeg.Tables().Scan(400);
    test::WriteFile(path, std::span<const std::uint8_t>(jpeg.Data()));
    return path;
  }

  /// The album as the core reads it: stored name to record.
  std::map<std::string, PictureEntry> Pictures(const std::string& album) {
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    std::string error;
    EXPECT_TRUE(doc.OnOpenDocument((m_dir / album).string(), &error)) << error;
    std::map<std::string, PictureEntry> out;
    for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
      std::int32_t id;
      const PictureEntry& e = doc.Pictures().GetNextRef(p, id);
      out[e.filename] = e;
    }
    return out;
  }

  Env m_trashEnv;
};

TEST_F(CliPictures, ExifPrintsATagsText) {
  Jpeg("bild.jpg");
  const CliResult date = Run({"exif", "bild.jpg"});
  EXPECT_EQ(date.exitCode, 0) << date.err;
  EXPECT_EQ(date.out, std::string(kShot) + "\n");
  EXPECT_EQ(Run({"exif", "bild.jpg", "271"}).out, "Kamerawerk\n");
  EXPECT_EQ(Run({"exif", "bild.jpg", "0x829A"}).out, "0.01\n");

  const CliResult missing = Run({"exif", "bild.jpg", "272"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("272"), std::string::npos) << missing.err;

  WriteFile(m_dir / "kein.jpg", std::string("\x89PNG\r\n\x1A\n", 8));
  EXPECT_EQ(Run({"exif", "kein.jpg"}).exitCode, 1);
  EXPECT_EQ(Run({"exif", "gibtsnicht.jpg"}).exitCode, 1);
  for (const char* tag : {"65536", "-1", "x", "0x", ""})
    EXPECT_EQ(Run({"exif", "bild.jpg", tag}).exitCode, 2) << tag;
}

TEST_F(CliPictures, ExifAndAddFolderTakePhoneFiles) {
  fs::create_directories(m_dir / "fotos");
  WriteFile(m_dir / "fotos/IMG_0001.HEIC", std::span<const std::uint8_t>(Heif(false)));
  WriteFile(m_dir / "fotos/clip.mp4", std::span<const std::uint8_t>(Mp4(Mvhd(1, kMovieTime))));
  EXPECT_EQ(Run({"exif", "fotos/IMG_0001.HEIC"}).out, std::string(kMediaDate) + "\n");
  ASSERT_EQ(Run({"new", "album.kvo"}).exitCode, 0);
  const CliResult r = Run({"add-folder", "album.kvo", "fotos"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  const auto pictures = Pictures("album.kvo");
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures.begin()->second.timestamp, DateFromExifText(kMediaDate));
  EXPECT_EQ(std::next(pictures.begin())->second.timestamp, COleDateTime::FromTimeT(kMovieUnixTime));
}

TEST_F(CliPictures, AddReportsDuplicatesAndTheCountThenSaves) {
  ASSERT_EQ(Run({"new", "album.kvo"}).exitCode, 0);
  Jpeg("a.jpg");
  Jpeg("fotos/b.JPG", nullptr);
  const CliResult r = Run({"add", "album.kvo", "a.jpg", "fotos/b.JPG", "./A.jpg"});
  // "./A.jpg" does not exist on a case-sensitive file system.
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(Pictures("album.kvo").empty()) << "nothing changes when a file is missing";

  // On Linux a.jpg and A.jpg are two pictures.
  fs::copy_file(m_dir / "a.jpg", m_dir / "A.jpg");
  const CliResult ok = Run({"add", "album.kvo", "a.jpg", "fotos/b.JPG", "./A.jpg", "./a.jpg"});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_EQ(ok.out, "");
  EXPECT_EQ(ok.err,
            "Die Datei a.jpg ist bereits in der Datenbank abgelegt!\n"
            "3 Dateien hinzugefügt.\n");
  const auto pictures = Pictures("album.kvo");
  ASSERT_EQ(pictures.size(), 3u);
  EXPECT_EQ(pictures.at("a.jpg").timestamp, COleDateTime::FromCalendar(2022, 8, 1, 6, 30, 15));
  EXPECT_EQ(pictures.at("a.jpg").size, fs::file_size(m_dir / "a.jpg"));
  EXPECT_TRUE(pictures.at("fotos\\b.JPG").timestamp.IsValid());
  EXPECT_NE(pictures.at("fotos\\b.JPG").timestamp.Value(), 0.0) << "creation time, not 0.0";

  // Nothing new: the count, and the album file stays as it was.
  const std::string before = ReadFile(m_dir / "album.kvo");
  const CliResult again = Run({"add", "album.kvo", "fotos/b.JPG"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_NE(again.err.find("0 Dateien hinzugefügt."), std::string::npos) << again.err;
  EXPECT_EQ(ReadFile(m_dir / "album.kvo"), before);

  EXPECT_EQ(Run({"add", "album.kvo"}).exitCode, 2);
}

// A name the album cannot keep exactly is refused on stderr with exit code
// 1; the other files are added and saved.
TEST_F(CliPictures, AddRefusesNamesItCannotKeepExactly) {
  ASSERT_EQ(Run({"new", "album.kvo"}).exitCode, 0);
  const CliResult r = Run({"add", "album.kvo", Jpeg("a\\b.jpg").string(), Jpeg("x:y.jpg").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err.rfind("Die Datei " + (m_dir / "a\\b.jpg").string() +
                            " kann nicht in die Datenbank aufgenommen werden: ",
                        0),
            0u)
      << r.err;
  const auto pictures = Pictures("album.kvo");
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_TRUE(pictures.contains("x:y.jpg"));
}

// What is not a picture file is named for what it is, not as missing.
TEST_F(CliPictures, AddNamesWhyAFileCannotBeAdded) {
  ASSERT_EQ(Run({"new", "album.kvo"}).exitCode, 0);
  fs::create_directory(m_dir / "ordner");
  fs::create_symlink("fehlt.jpg", m_dir / "lose.jpg");
  fs::create_symlink("ordner", m_dir / "zum_ordner.jpg");
  fs::create_symlink("kreis.jpg", m_dir / "kreis.jpg");
  const std::pair<const char*, std::string> cases[] = {
      {"weg.jpg", "weg.jpg wurde nicht gefunden."},
      {"lose.jpg", "lose.jpg -> fehlt.jpg wurde nicht gefunden."},
      {"zum_ordner.jpg", "zum_ordner.jpg ist keine gew\xC3\xB6hnliche Datei."},
      {"kreis.jpg", "kreis.jpg ist keine gew\xC3\xB6hnliche Datei."},
  };
  for (const auto& [file, message] : cases) {
    const CliResult r = Run({"add", "album.kvo", file});
    EXPECT_EQ(r.exitCode, 1) << file;
    EXPECT_EQ(r.err, "kolvaro-cli: " + message + "\n") << file;
  }
  // A link to a picture is a picture.
  fs::create_symlink(Jpeg("bild.jpg").filename(), m_dir / "zum_bild.jpg");
  EXPECT_EQ(Run({"add", "album.kvo", "zum_bild.jpg"}).exitCode, 0);
}

TEST_F(CliPictures, AddFolderTakesTheFoldersJpegsSilently) {
  ASSERT_EQ(Run({"new", "album.kvo"}).exitCode, 0);
  Jpeg("urlaub/IMG_0001.JPG");
  Jpeg("urlaub/img_0002.jpg", nullptr);
  Jpeg("urlaub/notiz.txt");
  Jpeg("urlaub/tiefer/IMG_0003.jpg");
  ASSERT_EQ(Run({"add", "album.kvo", "urlaub/IMG_0001.JPG"}).exitCode, 0);

  const CliResult r = Run({"add-folder", "album.kvo", "urlaub"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "");
  const auto pictures = Pictures("album.kvo");
  ASSERT_EQ(pictures.size(), 2u);
  EXPECT_EQ(pictures.at("urlaub\\img_0002.jpg").timestamp, COleDateTime(COleDateTime::valid, 0.0))
      << "no EXIF date: 0.0 when a folder is added";

  EXPECT_EQ(Run({"add-folder", "album.kvo", "gibtsnicht"}).exitCode, 1);
  EXPECT_EQ(Run({"add-folder", "album.kvo"}).exitCode, 2);
}

TEST_F(CliPictures, SelectPrintsTheIdsInOrder) {
  // Names, dates and sizes each give another order.
  MakeAlbum(m_dir / "album.kvo", [&](CMeriskDoc& doc) {
    doc.AddOrUpdatePicture(1, (m_dir / "c.jpg").string(), COleDateTime(COleDateTime::valid, 3.0),
                           20, "");
    doc.AddOrUpdatePicture(2, (m_dir / "a.jpg").string(), COleDateTime(COleDateTime::valid, 1.0),
                           30, "");
    doc.AddOrUpdatePicture(3, (m_dir / "B.jpg").string(), COleDateTime(COleDateTime::valid, 2.0),
                           10, "");
    doc.AddOrUpdateTheme(5, "Urlaub");
    doc.AddThemeToPicture(5, 1);
    doc.AddThemeToPicture(5, 2);
    doc.AddOrUpdatePerson(7, "Renée");
    doc.AddOrUpdatePersonOnPicture(7, Rect{0, 0, 10, 10}, 2);
  });
  auto select = [&](std::vector<std::string> options) {
    options.insert(options.begin(), {"select", "album.kvo"});
    const CliResult r = Run(options);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
  };
  EXPECT_EQ(select({"--sort", "1"}), "3\n2\n1\n");
  EXPECT_EQ(select({"--sort", "2"}), "2\n3\n1\n");
  EXPECT_EQ(select({"--sort=3"}), "3\n1\n2\n");
  EXPECT_EQ(select({"--theme", "5", "--sort", "3"}), "1\n2\n");
  EXPECT_EQ(select({"--theme", "-2"}), "3\n");
  EXPECT_EQ(select({"--theme", "5", "--person", "-2"}), "1\n");
  EXPECT_EQ(select({"--person", "7", "--sort", "1"}), "2\n");
  EXPECT_EQ(select({"--theme", "6"}), "");
  // Words in file names, theme and person names, as the desktop program's search finds them.
  EXPECT_EQ(select({"--search", "URLAUB", "--sort", "1"}), "2\n1\n");
  EXPECT_EQ(select({"--search=rene urlaub"}), "2\n");
  EXPECT_EQ(select({"--search", "b.jpg", "--theme", "-2"}), "3\n");

  // Without a key: the album's own order, the same as key 4.
  const std::string plain = select({});
  EXPECT_EQ(plain.size(), 6u);
  EXPECT_EQ(select({"--sort", "4"}), plain);
  EXPECT_EQ(select({"--theme", "0", "--person", "0", "--sort", "0"}), plain);

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"select"},
                                              {"select", "album.kvo", "--theme"},
                                              {"select", "album.kvo", "--sort", "x"},
                                              {"select", "album.kvo", "--farbe", "1"},
                                              {"select", "album.kvo", "--sort", "99999999999"}})
    EXPECT_EQ(Run(bad).exitCode, 2) << bad.back();
  EXPECT_EQ(Run({"select", "fehlt.kvo"}).exitCode, 1);
}

TEST_F(CliPictures, DeleteRemovesThePictureAndOptionallyTrashesItsFile) {
  const fs::path a = Jpeg("Sommer ä/a.jpg");
  const fs::path b = Jpeg("b.jpg");
  MakeAlbum(m_dir / "album.kvo", [&](CMeriskDoc& doc) {
    doc.AddOrUpdatePicture(1, a.string(), COleDateTime(), 1, "");
    doc.AddOrUpdatePicture(2, b.string(), COleDateTime(), 1, "");
    doc.AddOrUpdateTheme(5, "Urlaub");
    doc.AddThemeToPicture(5, 1);
  });

  const CliResult keep = Run({"delete", "album.kvo", "2"}, m_trashEnv);
  EXPECT_EQ(keep.exitCode, 0) << keep.err;
  EXPECT_TRUE(fs::exists(b)) << "without --trash the file stays";
  EXPECT_EQ(Pictures("album.kvo").size(), 1u);

  const CliResult trash = Run({"delete", "album.kvo", "--trash", "1"}, m_trashEnv);
  EXPECT_EQ(trash.exitCode, 0) << trash.err;
  EXPECT_TRUE(Pictures("album.kvo").empty());
  const fs::path trashDir = m_home / ".local/share/Trash";
  EXPECT_FALSE(fs::exists(a));
  EXPECT_TRUE(fs::exists(trashDir / "files/a.jpg"));
  const std::string info = ReadFile(trashDir / "info/a.jpg.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + (m_dir / "Sommer%20%C3%A4/a.jpg").string() +
                           "\nDeletionDate=",
                       0),
            0u)
      << info;
  EXPECT_EQ(info.size(),
            std::string("[Trash Info]\nPath=\nDeletionDate=2022-08-01T06:30:15\n").size() +
                (m_dir / "Sommer%20%C3%A4/a.jpg").string().size());

  const CliResult unknown = Run({"delete", "album.kvo", "1"}, m_trashEnv);
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_NE(unknown.err.find("kein Bild 1"), std::string::npos) << unknown.err;
  EXPECT_EQ(Run({"delete", "album.kvo"}).exitCode, 2);
  EXPECT_EQ(Run({"delete", "album.kvo", "eins"}).exitCode, 2);
}

// Only the picture file of the album's name goes to the trash: never a
// file of the working folder, a folder, or the album's own folder.
TEST_F(CliPictures, DeleteTrashesOnlyThePictureFile) {
  const fs::path album = m_dir / "alben/album.kvo";
  const fs::path picture = Jpeg("alben/x:y.jpg");
  const fs::path unrelated = Jpeg("x:y.jpg");  // in the working folder
  fs::create_directories(m_dir / "opfer/ordner");
  MakeAlbum(album, [&](CMeriskDoc& doc) {
    for (const char* name : {"x:y.jpg", "..\\opfer\\ordner", "."})
      doc.AddOrUpdatePicture(doc.Pictures().NextId(), name, COleDateTime(), 1, "");
  });
  const struct {
    const char* id;
    int exitCode;
    fs::path stays;
  } cases[] = {{"1", 0, unrelated}, {"2", 1, m_dir / "opfer/ordner"}, {"3", 1, album}};
  for (const auto& c : cases) {
    const CliResult r = Run({"delete", album.string(), c.id, "--trash"}, m_trashEnv);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.id << r.err;
    EXPECT_TRUE(fs::exists(c.stays)) << c.id;
    if (c.exitCode != 0) {
      EXPECT_NE(r.err.find("wurde nicht in den Papierkorb verschoben. Unter diesem Namen steht ein "
                           "Ordner"),
                std::string::npos)
          << r.err;
    }
  }
  EXPECT_FALSE(fs::exists(picture)) << "the album's own x:y.jpg went to the trash";
  EXPECT_TRUE(Pictures("alben/album.kvo").empty()) << "every record is removed as asked";
}

TEST_F(CliPictures, TrashKeepsBothFilesOfTheSameName) {
  const fs::path first = Jpeg("eins/bild.jpg");
  const fs::path second = Jpeg("zwei/bild.jpg");
  MakeAlbum(m_dir / "album.kvo", [&](CMeriskDoc& doc) {
    doc.AddOrUpdatePicture(1, first.string(), COleDateTime(), 1, "");
    doc.AddOrUpdatePicture(2, second.string(), COleDateTime(), 1, "");
  });
  ASSERT_EQ(Run({"delete", "album.kvo", "1", "--trash"}, m_trashEnv).exitCode, 0);
  ASSERT_EQ(Run({"delete", "album.kvo", "2", "--trash"}, m_trashEnv).exitCode, 0);
  const fs::path trash = m_home / ".local/share/Trash";
  EXPECT_TRUE(fs::exists(trash / "files/bild.jpg"));
  EXPECT_TRUE(fs::exists(trash / "files/bild.2.jpg"));
  EXPECT_NE(ReadFile(trash / "info/bild.2.jpg.trashinfo").find("zwei/bild.jpg"), std::string::npos);
}

TEST_F(CliPictures, TrashRefusesFilesOfAnotherFileSystem) {
  struct stat shm {
  }, here{};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(m_dir.c_str(), &here) != 0 ||
      shm.st_dev == here.st_dev || ::access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "no second writable file system";
  const TempDir other("/dev/shm");
  const fs::path otherHome = other.Path();
  const fs::path a = Jpeg("a.jpg");
  MakeAlbum(m_dir / "album.kvo",
            [&](CMeriskDoc& doc) { doc.AddOrUpdatePicture(1, a.string(), COleDateTime(), 1, ""); });
  const CliResult r =
      Run({"delete", "album.kvo", "1", "--trash"}, {{"XDG_DATA_HOME", otherHome.string()}});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("nicht im Dateisystem des persönlichen Ordners"), std::string::npos)
      << r.err;
  EXPECT_TRUE(fs::exists(a)) << "the file stays where it was";
  EXPECT_TRUE(Pictures("album.kvo").empty()) << "the record is removed all the same";
}

}  // namespace
}  // namespace kolvaro::test
