// kolvaro-cli xmp-export and xmp-import: what one album writes, another
// takes over; a dry run and a second import leave the album as it was.

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <functional>

#include "testsupport/cli.h"
#include "testsupport/jpeg_builder.h"

namespace kolvaro::test {
namespace {

class CliXmp : public CliTest {
 protected:
  void Album(const std::string& album) {
    ASSERT_EQ(Run({"new", album}).exitCode, 0);
    ASSERT_EQ(Run({"add", album, "see.jpg"}).exitCode, 0);
  }
  static bool Has(const std::string& text, const std::string& what) {
    return text.find(what) != std::string::npos;
  }
};

TEST_F(CliXmp, WhatOneAlbumExportsAnotherTakesOverOnceAndNotOnADryRun) {
  JpegBuilder jpeg;
  jpeg.App0Jfif().Tables(4000, 3000).Scan(400);
  WriteFile(m_dir / "see.jpg", std::span<const std::uint8_t>(jpeg.Data()));
  Album("a.kvo");
  for (const std::vector<std::string>& edit :
       {std::vector<std::string>{"person", "add", "a.kvo", "Anna Müller"},
        {"theme", "add", "a.kvo", "Urlaub"},
        {"theme", "assign", "a.kvo", "1", "1"},
        {"mark", "a.kvo", "1", "1", "1000", "600", "1800", "1500"},
        {"title", "a.kvo", "1", "Am See"}})
    ASSERT_EQ(Run(edit).exitCode, 0) << edit[0];

  const CliResult exported = Run({"xmp-export", "a.kvo"});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  EXPECT_EQ(exported.out, "XMP-Daten von 1 Bildern geschrieben.\n");
  const std::string sidecar = ReadFile(m_dir / "see.jpg.xmp");
  for (const char* part : {"Anna Müller", "Urlaub", "Am See", "mwg-rs:Regions"})
    EXPECT_TRUE(Has(sidecar, part)) << part;

  Album("b.kvo");
  const std::string before = ReadFile(m_dir / "b.kvo");
  const CliResult dry = Run({"xmp-import", "b.kvo", "--dry-run"});
  EXPECT_EQ(dry.exitCode, 0) << dry.err;
  for (const char* part : {"Neue Personen: Anna Müller", "Neue Themen: Urlaub", "Probelauf"})
    EXPECT_TRUE(Has(dry.out, part)) << dry.out;
  EXPECT_EQ(ReadFile(m_dir / "b.kvo"), before);

  const CliResult taken = Run({"xmp-import", "b.kvo", "--log-folder", "log"});
  EXPECT_EQ(taken.exitCode, 0) << taken.err;
  const std::string dump = Run({"dump", "b.kvo"}).out;
  for (const char* part : {"Anna Müller", "Urlaub", "Am See"}) EXPECT_TRUE(Has(dump, part)) << part;
  EXPECT_TRUE(fs::is_directory(m_dir / "log"));

  const std::string after = ReadFile(m_dir / "b.kvo");
  const CliResult again = Run({"xmp-import", "b.kvo"});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_TRUE(Has(again.out, "nichts, was das Album nicht schon hat")) << again.out;
  EXPECT_EQ(ReadFile(m_dir / "b.kvo"), after);
}

TEST_F(CliXmp, SidecarThatIsNoPlainFileIsNotWrittenThrough) {
  JpegBuilder jpeg;
  jpeg.App0Jfif().Tables(400, 300).Scan(400);
  WriteFile(m_dir / "see.jpg", std::span<const std::uint8_t>(jpeg.Data()));
  Album("a.kvo");
  ASSERT_EQ(Run({"title", "a.kvo", "1", "Am See"}).exitCode, 0);
  fs::create_directories(m_dir / "anderswo");
  WriteFile(m_dir / "anderswo" / "da.xmp", "bleibt");
  const fs::path sidecar = m_dir / "see.jpg.xmp";
  const struct {
    const char* name;
    std::function<void()> make;
    const char* message;
  } cases[] = {
      {"dangling link", [&] { fs::create_symlink(m_dir / "anderswo" / "neu.xmp", sidecar); },
       "symbolische Verknüpfung"},
      {"link", [&] { fs::create_symlink(m_dir / "anderswo" / "da.xmp", sidecar); }, "symbolische Verknüpfung"},
      {"folder", [&] { fs::create_directory(sidecar); }, "keine gewöhnliche Datei"},
      {"pipe", [&] { ::mkfifo(sidecar.c_str(), 0644); }, "keine gewöhnliche Datei"},
      {"device", [&] { ::mknod(sidecar.c_str(), S_IFCHR | 0666, makedev(1, 3)); }, "keine gewöhnliche Datei"},
  };
  for (const auto& c : cases) {
    fs::remove_all(sidecar);
    c.make();
    if (!fs::exists(fs::symlink_status(sidecar))) continue;  // devices need root
    const CliResult r = Run({"xmp-export", "a.kvo"});
    EXPECT_EQ(r.exitCode, 1) << c.name;
    EXPECT_TRUE(Has(r.err, c.message)) << c.name << ": " << r.err;
    EXPECT_FALSE(fs::exists(m_dir / "anderswo" / "neu.xmp")) << c.name;
    EXPECT_EQ(ReadFile(m_dir / "anderswo" / "da.xmp"), "bleibt") << c.name;
  }
}

TEST_F(CliXmp, RefusesBadFormsAndArguments) {
  ASSERT_EQ(Run({"new", "a.kvo"}).exitCode, 0);
  const struct {
    std::vector<std::string> args;
    int exitCode;
    const char* message;
  } cases[] = {
      {{"xmp-export", "a.kvo", "--sidecar", "bild.txt"}, 1, "bild.txt"},
      {{"xmp-export", "a.kvo", "--sidecar"}, 2, "Aufruf: kolvaro-cli xmp-export"},
      {{"xmp-export"}, 2, "Aufruf: kolvaro-cli xmp-export"},
      {{"xmp-import", "a.kvo", "b.kvo"},
       2,
       "Aufruf: kolvaro-cli xmp-import ALBUM [--dry-run] [--log-folder"},
      {{"xmp-import", "fehlt.kvo"}, 1, "fehlt.kvo"},
  };
  for (const auto& c : cases) {
    const CliResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.message;
    EXPECT_TRUE(Has(r.err, c.message)) << r.err;
  }
}

TEST_F(CliXmp, ImportFailsOnWhatItCannotReadAfterTakingTheRestAndMarksStayOnThePicture) {
  JpegBuilder jpeg;
  jpeg.App0Jfif().Tables(4000, 3000).Scan(400);
  WriteFile(m_dir / "see.jpg", std::span<const std::uint8_t>(jpeg.Data()));
  WriteFile(m_dir / "zw\x1b[2Jei.jpg", std::span<const std::uint8_t>(jpeg.Data()));
  Album("a.kvo");
  ASSERT_EQ(Run({"add", "a.kvo", "zw\x1b[2Jei.jpg"}).exitCode, 0);
  WriteFile(m_dir / "see.jpg.xmp",
            std::string(R"(<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">
<dc:subject><rdf:Bag><rdf:li>Urlaub</rdf:li></rdf:Bag></dc:subject></rdf:Description></rdf:RDF></x:xmpmeta>)"));
  WriteFile(m_dir / "zw\x1b[2Jei.jpg.xmp", std::string("kein XMP"));

  const CliResult taken = Run({"xmp-import", "a.kvo"});
  EXPECT_EQ(taken.exitCode, 1);
  EXPECT_TRUE(Has(taken.out, "Bildern übernommen:") && !Has(taken.out, "würden")) << taken.out;
  EXPECT_FALSE(Has(taken.out, "\x1b")) << "paths are shown escaped";
  EXPECT_TRUE(Has(Run({"dump", "a.kvo"}).out, "Urlaub"));

  ASSERT_EQ(Run({"person", "add", "a.kvo", "Anna"}).exitCode, 0);
  const CliResult beside = Run({"mark", "a.kvo", "1", "1", "4000", "0", "4100", "50"});
  EXPECT_EQ(beside.exitCode, 1);
  EXPECT_TRUE(Has(beside.err, "nicht auf dem Bild (4000 x 3000 Pixel)")) << beside.err;
  EXPECT_EQ(Run({"mark", "a.kvo", "1", "1", "3990", "0", "4100", "50"}).exitCode, 0) << "partly on it";
}

}  // namespace
}  // namespace kolvaro::test
