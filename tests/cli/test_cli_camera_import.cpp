// kolvaro-cli camera-import: a card's files into the album folder, saved
// with their theme links; what the command refuses.

#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

class CliCameraImport : public CliTest {
 protected:
  static int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(CliCameraImport, MovesTheCardIntoTheAlbumFolderWithTheThemeAndKeepsWhatItCannotPlace) {
  fs::create_directories(m_dir / "karte" / "DCIM" / "100CANON");
  fs::create_directories(m_dir / "album");
  WriteFile(m_dir / "karte" / "DCIM" / "100CANON" / "IMG_0001.JPG", "\xFF\xD8\xFF\xD9");
  WriteFile(m_dir / "karte" / "DCIM" / "b.jpg", "\xFF\xD8\xFF\xD9");
  // Nobody can answer the question before replacing: the card's file stays.
  WriteFile(m_dir / "karte" / "DCIM" / "c.jpg", "neu");
  WriteFile(m_dir / "album" / "c.jpg", "alt");
  // A linked folder leads off the card: nothing of it is taken.
  fs::create_directories(m_dir / "draussen");
  WriteFile(m_dir / "draussen" / "fremd.jpg", "\xFF\xD8\xFF\xD9");
  fs::create_directory_symlink("../../draussen", m_dir / "karte" / "DCIM" / "102LINK");
  ASSERT_EQ(Run({"new", "album/a.kvo"}).exitCode, 0);
  ASSERT_EQ(Run({"theme", "add", "album/a.kvo", "Urlaub"}).exitCode, 0);

  const CliResult r = Run({"camera-import", "album/a.kvo", "karte", "--move", "--theme", "1",
                           "--log-folder", "log"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_EQ(
      r.out,
      "karte/DCIM/102LINK ist eine symbolische Verknüpfung und wurde übergangen.\n"
      "2 Dateien ins Album aufgenommen, 0 waren schon darin, 1 sind auf der Karte geblieben.\n");
  EXPECT_TRUE(fs::exists(m_dir / "draussen" / "fremd.jpg"));
  EXPECT_FALSE(fs::exists(m_dir / "album" / "fremd.jpg"));
  EXPECT_NE(r.err.find("c.jpg; sie wird nicht ersetzt"), std::string::npos) << r.err;
  EXPECT_EQ(ReadFile(m_dir / "album" / "c.jpg"), "alt");
  EXPECT_TRUE(fs::exists(m_dir / "karte" / "DCIM" / "c.jpg"));
  EXPECT_FALSE(fs::exists(m_dir / "karte" / "DCIM" / "b.jpg"));

  const std::string dump = Run({"dump", "album/a.kvo"}).out;
  for (const char* name : {"\"filename\": \"IMG_0001.JPG\"", "\"filename\": \"b.jpg\""})
    EXPECT_NE(dump.find(name), std::string::npos) << name;
  // The theme links are shared with other editors, the pictures are not.
  ASSERT_TRUE(fs::is_directory(m_dir / "log"));
  const std::string logged = ReadFile(fs::directory_iterator(m_dir / "log")->path());
  EXPECT_EQ(Count(logged, "<add-update-theme-of-picture-association>"), 2) << logged;
  EXPECT_EQ(Count(logged, "<add-update-picture>"), 0) << logged;
}

TEST_F(CliCameraImport, RefusesAMissingSourceAnUnknownThemeAndBadOptions) {
  ASSERT_EQ(Run({"new", "a.kvo"}).exitCode, 0);
  fs::create_directories(m_dir / "karte");
  const struct {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  } cases[] = {
      {{"camera-import", "a.kvo", "fehlt"}, 1, "fehlt ist kein Verzeichnis."},
      {{"camera-import", "a.kvo", "karte", "--theme", "9"}, 1, "Das Album enthält kein Thema 9."},
      {{"camera-import", "a.kvo", "karte", "--theme", "x"}, 2, "Aufruf: kolvaro-cli camera-import"},
      {{"camera-import", "a.kvo", "karte", "--move", "--move"}, 2, "Aufruf: kolvaro-cli camera-import"},
  };
  for (const auto& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.message;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace kolvaro::test
