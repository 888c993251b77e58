// kolvaro-cli's command line: help, version, wrong usage, broken files, and
// the user's settings left alone.

#include <sys/stat.h>

#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

class CliUsage : public CliTest {};

TEST_F(CliUsage, VersionAndHelp) {
  const CliResult v = Run({"--version"});
  EXPECT_EQ(v.exitCode, 0);
  EXPECT_EQ(v.out, "kolvaro-cli 2.4 Build 6.0\n");

  for (const char* flag : {"--help", "-h"}) {
    const CliResult h = Run({flag});
    EXPECT_EQ(h.exitCode, 0) << flag;
    EXPECT_EQ(h.err, "");
    for (const char* usage : {"new ALBUM", "info ALBUM", "dump ALBUM", "save ALBUM [ZIEL]",
                              "check ALBUM", "Aufruf: kolvaro-cli BEFEHL", "--version"})
      EXPECT_NE(h.out.find(usage), std::string::npos) << usage << " missing in\n" << h.out;
  }
  const CliResult one = Run({"save", "--help"});
  EXPECT_EQ(one.exitCode, 0);
  EXPECT_EQ(one.out.rfind("Aufruf: kolvaro-cli save ALBUM [ZIEL]\n", 0), 0u) << one.out;
}

TEST_F(CliUsage, WrongUsageExitsWithTwoAndAGermanHint) {
  const std::vector<std::vector<std::string>> calls = {
      {},
      {"gibtsnicht"},
      {"--gibtsnicht"},
      {"--version", "x"},
      {"new"},
      {"new", "a.kvo", "b.kvo"},
      {"info"},
      {"dump", "a.kvo", "b.kvo"},
      {"save"},
      {"save", "a.kvo", "b.kvo", "c.kvo"},
      {"check"},
  };
  for (const auto& args : calls) {
    std::string call;
    for (const auto& a : args) call += a + " ";
    const CliResult r = Run(args);
    EXPECT_EQ(r.exitCode, 2) << call;
    EXPECT_EQ(r.out, "") << call;
    EXPECT_NE(r.err.find("Aufruf: kolvaro-cli "), std::string::npos) << call << r.err;
  }
  // A wrong call creates nothing.
  EXPECT_FALSE(fs::exists(m_dir / "a.kvo"));
}

// A broken album is reported, and never replaced by what could be read.
TEST_F(CliUsage, BrokenAlbumFailsWithTheFormatMessage) {
  // Version 2, empty storage folder, storage mode, then a picture count
  // promising records the file does not hold.
  const std::string broken("\x02\0\0\0\0\0\0\0\0\x05\0\0\0", 13);
  WriteFile(m_dir / "kaputt.kvo", broken);
  for (const char* command : {"info", "dump", "check", "save"}) {
    const CliResult r = Run({command, "kaputt.kvo"});
    EXPECT_EQ(r.exitCode, 1) << command;
    EXPECT_EQ(r.out, "") << command;
    EXPECT_EQ(r.err, "kolvaro-cli: Unerwartetes Dateiformat.\n") << command;
  }
  const CliResult saveAs = Run({"save", "kaputt.kvo", "kopie.kvo"});
  EXPECT_EQ(saveAs.exitCode, 1);
  EXPECT_FALSE(fs::exists(m_dir / "kopie.kvo"));
  EXPECT_EQ(ReadFile(m_dir / "kaputt.kvo"), broken);

  const CliResult missing = Run({"dump", "fehlt.kvo"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find((m_dir / "fehlt.kvo").string() + " wurde nicht gefunden."),
            std::string::npos)
      << missing.err;

  const CliResult noFolder = Run({"new", "gibtsnicht/neu.kvo"});
  EXPECT_EQ(noFolder.exitCode, 1);
  EXPECT_NE(noFolder.err.find("Fehler beim Speichern des Dokuments."), std::string::npos)
      << noFolder.err;
}

// The tool reads the user's settings like the desktop program, and writes none.
TEST_F(CliUsage, SettingsAreReadButNeverWritten) {
  ASSERT_EQ(Run({"new", "a.kvo"}).exitCode, 0);
  EXPECT_FALSE(fs::exists(m_home / ".config" / "Kolvaro")) << "a settings folder was created";

  const fs::path conf = m_home / ".config" / "Kolvaro" / "Kolvaro.conf";
  fs::create_directories(conf.parent_path());
  const std::string settings =
      "[Pictures]\nRootFolder=D|/Bilder\n\n[Settings]\nZusammenarbeit=1\n";
  WriteFile(conf, settings);
  ::chmod(conf.c_str(), 0400);
  const auto stamp = fs::last_write_time(conf);
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"new", "b.kvo"}, {"info", "b.kvo"},
                                             {"dump", "b.kvo"}, {"save", "b.kvo"},
                                             {"check", "b.kvo"}}) {
    const CliResult r = Run(args);
    EXPECT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
  }
  EXPECT_EQ(ReadFile(conf), settings);
  EXPECT_EQ(fs::last_write_time(conf), stamp);
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(m_home)) files.push_back(e.path());
  EXPECT_EQ(files.size(), 3u) << "only .config, Kolvaro and Kolvaro.conf";
}

}  // namespace
}  // namespace kolvaro::test
