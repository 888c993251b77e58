// kolvaro-cli storage: showing and setting the album's file storage.

#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

class CliStorage : public CliTest {};

TEST_F(CliStorage, ShowsSetsAndRefusesAsTheUsageSays) {
  ASSERT_EQ(Run({"new", "a.kvo"}).exitCode, 0);
  const std::string dir = m_dir.string() + "/";
  const struct { std::vector<std::string> args; int exitCode; std::string shown; } cases[] = {
      {{"storage", "a.kvo"}, 0, "Bilder relativ zu:      " + dir + "\n"},
      {{"storage", "a.kvo", "--mode", "2"}, 2, ""},
      {{"storage", "a.kvo", "--mode"}, 2, ""},
      {{"storage", "a.kvo", "--folder", "x", "--folder=y"}, 2, ""},
      {{"storage", "a.kvo", "--folder=bilder", "--mode", "1"}, 0, "Ablageverzeichnis:      " + dir + "bilder/\n"},
      {{"info", "a.kvo"}, 0, "Dateiablage:            1 "},
  };
  for (const auto& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << r.err;
    EXPECT_NE(r.out.find(c.shown), std::string::npos) << r.out;
  }
}

TEST_F(CliStorage, SavedAlbumStoresItsPicturesForTheNewBase) {
  ASSERT_EQ(Run({"new", "a.kvo"}).exitCode, 0);
  fs::create_directories(m_dir / "pics");
  WriteFile(m_dir / "pics/x.jpg", std::string("\xFF\xD8\xFF\xD9", 4));
  ASSERT_EQ(Run({"add", "a.kvo", "pics/x.jpg"}).exitCode, 0);
  ASSERT_EQ(Run({"storage", "a.kvo", "--mode", "1", "--folder", "anderswo"}).exitCode, 0);
  const std::string absolute = "\"filename\": \"" + (m_dir / "pics/x.jpg").string() + "\"";
  EXPECT_NE(Run({"dump", "a.kvo"}).out.find(absolute), std::string::npos);
  ASSERT_EQ(Run({"storage", "a.kvo", "--mode", "0"}).exitCode, 0);
  EXPECT_NE(Run({"dump", "a.kvo"}).out.find(R"("filename": "pics\\x.jpg")"), std::string::npos);
}

}  // namespace
}  // namespace kolvaro::test
