// kolvaro-cli over real album files: new, dump, info, save, check.

#include <cmath>
#include <limits>

#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

// 2023-11-15 12:00:00 UTC: OLE day 45245 (25569 days from 1899-12-30 to
// 1970-01-01, plus 19676) and half a day.
const Env kFixedNow = {{"SOURCE_DATE_EPOCH", "1700049600"}};

class CliAlbum : public CliTest {};

TEST_F(CliAlbum, NewAlbumDumpsAsTheFormatPrescribes) {
  ASSERT_EQ(Run({"new", "neu.kvo"}, kFixedNow).exitCode, 0);
  const CliResult r = Run({"dump", "neu.kvo"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const std::string now = R"({"status": 0, "value": 45245.5})";
  // The placeholder link is the pair key of (-1, -1); writing its halves
  // gives -2 as the high one, since the low -1 borrows from it.
  const std::string expected =
      "{\n"
      "  \"version\": 2,\n"
      "  \"storageFolder\": \"\",\n"
      "  \"storageMode\": 0,\n"
      "  \"pictures\": {\n"
      "    \"changed\": {\"status\": 0, \"value\": 0},\n"
      "    \"records\": []\n"
      "  },\n"
      "  \"personsOnPictures\": {\n"
      "    \"changed\": " + now + ",\n"
      "    \"records\": []\n"
      "  },\n"
      "  \"persons\": {\n"
      "    \"changed\": " + now + ",\n"
      "    \"records\": []\n"
      "  },\n"
      "  \"themesOfPictures\": {\n"
      "    \"changed\": " + now + ",\n"
      "    \"records\": [\n"
      "      {\n"
      "        \"theme\": -2,\n"
      "        \"picture\": -1,\n"
      "        \"date\": " + now + "\n"
      "      }\n"
      "    ]\n"
      "  },\n"
      "  \"themes\": {\n"
      "    \"changed\": " + now + ",\n"
      "    \"records\": []\n"
      "  },\n"
      "  \"albumInfo\": \"\",\n"
      "  \"updateUrl\": \"mk:@MSITStore:" + ProgramDir() +
      "help/Kolvaro.chm::/html/update_nopage.html\",\n"
      "  \"infoDialogEnabled\": 1\n"
      "}\n";
  EXPECT_EQ(r.out, expected);
}

// The same steps give the same bytes, whatever the machine's time zone.
TEST_F(CliAlbum, NewIsReproducibleAndNeverOverwrites) {
  Env berlin = kFixedNow;
  Env auckland = kFixedNow;
  auckland["TZ"] = "Pacific/Auckland";
  ASSERT_EQ(Run({"new", "a.kvo"}, berlin).exitCode, 0);
  ASSERT_EQ(Run({"new", "b.kvo"}, auckland).exitCode, 0);
  const std::string a = ReadFile(m_dir / "a.kvo");
  EXPECT_FALSE(a.empty());
  EXPECT_EQ(a, ReadFile(m_dir / "b.kvo"));

  const CliResult again = Run({"new", "a.kvo"}, {{"SOURCE_DATE_EPOCH", "1"}});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("a.kvo existiert bereits."), std::string::npos) << again.err;
  EXPECT_EQ(ReadFile(m_dir / "a.kvo"), a);
}

TEST_F(CliAlbum, DumpKeepsFileOrderEscapesTextAndSurvivesOddNumbers) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const std::string title = "Zitat \"a\\b\"\nTab\tSteuer\x01 Grüße €";
  MakeAlbum(m_dir / "album.kvo", [&](CMeriskDoc& doc) {
    // Ids 1 to 15 share the first bucket, new keys go to its head; 16 opens
    // the next one: the file holds 3, 2, 1, 16.
    for (const std::int32_t id : {1, 2, 3, 16})
      doc.AddOrUpdatePicture(id, (m_dir / ("p" + std::to_string(id) + ".jpg")).string(),
                             COleDateTime(COleDateTime::valid, 0.1), 1000 + id, "Bild");
    doc.AddOrUpdatePicture(2, (m_dir / "p2.jpg").string(), COleDateTime(COleDateTime::valid, nan),
                           4000000000u, title);
    doc.AddOrUpdatePicture(3, (m_dir / "p3.jpg").string(), COleDateTime(COleDateTime::null, -inf),
                           0, "");
    doc.AddOrUpdatePerson(7, "Renée");
    doc.AddOrUpdatePersonOnPicture(7, Rect{-5, 10, 200, 300}, 16);
    doc.AddOrUpdateTheme(4, "Urlaub");
    doc.AddThemeToPicture(4, 1);
    doc.SetAlbumInfo("© Familie\r\nZweite Zeile", doc.UpdateUrl(), 0);
  });

  const CliResult r = Run({"dump", "album.kvo"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  Json dump;
  ASSERT_NO_THROW(dump = Json::Parse(r.out)) << r.out;

  EXPECT_EQ(dump.Keys(), (std::vector<std::string>{
                             "version", "storageFolder", "storageMode", "pictures",
                             "personsOnPictures", "persons", "themesOfPictures", "themes",
                             "albumInfo", "updateUrl", "infoDialogEnabled"}));
  const Json& pictures = dump["pictures"]["records"];
  ASSERT_EQ(pictures.items.size(), 4u);
  std::vector<double> ids;
  for (const Json& p : pictures.items) ids.push_back(p["id"].number);
  EXPECT_EQ(ids, (std::vector<double>{3, 2, 1, 16}));

  const Json& p3 = pictures[0];
  EXPECT_EQ(p3["filename"].text, "p3.jpg");  // stored relative to the album
  EXPECT_EQ(p3["timestamp"]["status"].number, 2);
  EXPECT_EQ(p3["timestamp"]["value"].kind, Json::Null);
  const Json& p2 = pictures[1];
  EXPECT_EQ(p2["title"].text, title);
  EXPECT_EQ(p2["timestamp"]["value"].kind, Json::Null);
  EXPECT_EQ(p2["size"].number, 4000000000.0);
  const Json& p1 = pictures[2];
  // Seventeen digits carry every double exactly.
  EXPECT_EQ(p1["timestamp"]["value"].number, 0.1);
  EXPECT_NE(r.out.find("\"value\": 0.10000000000000001}"), std::string::npos);
  EXPECT_EQ(p1["size"].number, 1001);

  const Json& rects = dump["personsOnPictures"]["records"];
  ASSERT_EQ(rects.items.size(), 1u);
  EXPECT_EQ(rects[0]["person"].number, 7);
  EXPECT_EQ(rects[0]["picture"].number, 16);
  std::vector<double> rect;
  for (const Json& v : rects[0]["rect"].items) rect.push_back(v.number);
  EXPECT_EQ(rect, (std::vector<double>{-5, 10, 200, 300}));

  EXPECT_EQ(dump["persons"]["records"][0]["name"].text, "Renée");
  EXPECT_EQ(dump["themes"]["records"][0]["name"].text, "Urlaub");
  const Json& links = dump["themesOfPictures"]["records"];
  ASSERT_EQ(links.items.size(), 2u);  // the placeholder and theme 4 on picture 1
  bool linked = false;
  for (const Json& l : links.items)
    linked |= l["theme"].number == 4 && l["picture"].number == 1 && l["date"]["status"].number == 0;
  EXPECT_TRUE(linked);
  EXPECT_EQ(dump["albumInfo"].text, "© Familie\r\nZweite Zeile");
  EXPECT_EQ(dump["infoDialogEnabled"].number, 0);
}

// Little-endian album values, written by hand so that the file can hold
// what Kolvaro never writes itself.
struct Bytes {
  std::string data;
  Bytes& Int(std::int32_t v) {
    for (int i = 0; i < 4; ++i) data += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return *this;
  }
  Bytes& Str(const std::string& ascii) {
    data += static_cast<char>(ascii.size());
    data += ascii;
    return *this;
  }
  Bytes& Date() { return Int(0).Int(0).Int(0); }
};

// The records come out as the file lists them, even out of bucket order and
// with an id twice; a version 1 file has no trailer and shows the defaults.
TEST_F(CliAlbum, DumpFollowsTheFileNotTheTables) {
  Bytes b;
  b.Int(1).Str("").Int(0);
  b.Int(2).Date();  // pictures: 16 lies in bucket 1, 1 in bucket 0
  for (const std::int32_t id : {16, 1}) b.Int(id).Str("b.jpg").Date().Int(7).Date().Str("");
  b.Int(0).Date();                                            // persons on pictures
  b.Int(2).Date().Int(5).Str("Erst").Int(5).Str("Dann");      // persons: id 5 twice
  b.Int(0).Date();                                            // themes of pictures
  b.Int(-3).Date();                                           // themes: a negative count is none
  WriteFile(m_dir / "alt.kvo", b.data);

  const CliResult r = Run({"dump", "alt.kvo"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Json dump = Json::Parse(r.out);
  EXPECT_EQ(dump["version"].number, 1);
  ASSERT_EQ(dump["pictures"]["records"].items.size(), 2u);
  EXPECT_EQ(dump["pictures"]["records"][0]["id"].number, 16);
  EXPECT_EQ(dump["pictures"]["records"][1]["id"].number, 1);
  EXPECT_EQ(dump["pictures"]["records"][1]["size"].number, 7);
  const Json& persons = dump["persons"]["records"];
  ASSERT_EQ(persons.items.size(), 2u);
  EXPECT_EQ(persons[0]["name"].text, "Erst");
  EXPECT_EQ(persons[1]["name"].text, "Dann");
  EXPECT_TRUE(dump["themes"]["records"].items.empty());
  EXPECT_EQ(dump["albumInfo"].text, "");
  EXPECT_EQ(dump["updateUrl"].text,
            "mk:@MSITStore:" + ProgramDir() + "help/Kolvaro.chm::/html/update_nopage.html");
  EXPECT_EQ(dump["infoDialogEnabled"].number, 1);

  // One byte short: no half a dump on stdout.
  b.data.pop_back();
  WriteFile(m_dir / "alt.kvo", b.data);
  const CliResult cut = Run({"dump", "alt.kvo"});
  EXPECT_EQ(cut.exitCode, 1);
  EXPECT_EQ(cut.out, "");
  EXPECT_EQ(cut.err, "kolvaro-cli: Unerwartetes Dateiformat.\n");
}

TEST_F(CliAlbum, InfoShowsCountsStorageAndLock) {
  MakeAlbum(m_dir / "album.kvo", [&](CMeriskDoc& doc) {
    doc.AddOrUpdatePicture(1, "/bilder/a.jpg", COleDateTime(), 1, "");
    doc.AddOrUpdatePicture(2, "/bilder/b.jpg", COleDateTime(), 1, "");
    doc.AddOrUpdatePerson(1, "Anna");
    doc.AddOrUpdatePersonOnPicture(1, Rect{0, 0, 1, 1}, 2);
    doc.SetStorage(1, "/bilder/");
    doc.SetAlbumInfo("Erste Zeile\r\nZweite Zeile", "https://example.org/update", 0);
  });
  const CliResult r = Run({"info", "album.kvo"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const char* line : {"Album:                  " , "Dateiversion:           2\n",
                           "Bilder:                 2\n", "Personen auf Bildern:   1\n",
                           "Personen:               1\n", "Themen der Bilder:      1\n",
                           "Themen:                 0\n",
                           "Dateiablage:            1 (Kolvaro für Verzeichnis ...)\n",
                           "Ablageverzeichnis:      /bilder/\n",
                           "Bilder relativ zu:      /bilder/\n",
                           "Beschreibung:           Erste Zeile\n"
                           "                        Zweite Zeile\n",
                           "URL für Update:         https://example.org/update\n",
                           "Album-Info-Dialog:      gesperrt\n"})
    EXPECT_NE(r.out.find(line), std::string::npos) << "missing: " << line << "\nin:\n" << r.out;
  EXPECT_NE(r.out.find((m_dir / "album.kvo").string()), std::string::npos);

  ASSERT_EQ(Run({"new", "neu.kvo"}).exitCode, 0);
  const CliResult fresh = Run({"info", "neu.kvo"});
  EXPECT_NE(fresh.out.find("Dateiablage:            0 (Kolvaro-Datei liegt im Bilderverzeichnis)"),
            std::string::npos)
      << fresh.out;
  EXPECT_NE(fresh.out.find("Album-Info-Dialog:      freigegeben"), std::string::npos);
}

// Relative names follow the album into its new folder; the original stays.
TEST_F(CliAlbum, SaveIntoAnotherFolderRebasesRelativeNames) {
  fs::create_directories(m_dir / "alt" / "fotos");
  fs::create_directories(m_dir / "neu");
  WriteFile(m_dir / "alt" / "fotos" / "a.jpg", "jpeg");
  MakeAlbum(m_dir / "alt" / "album.kvo", [&](CMeriskDoc& doc) {
    doc.AddOrUpdatePicture(1, (m_dir / "alt" / "fotos" / "a.jpg").string(), COleDateTime(), 4, "");
    doc.AddOrUpdatePicture(2, "/anderswo/b.jpg", COleDateTime(), 4, "");
  });
  const std::string before = ReadFile(m_dir / "alt" / "album.kvo");

  const CliResult r = Run({"save", "alt/album.kvo", "neu"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(ReadFile(m_dir / "alt" / "album.kvo"), before);

  CMemorySettings settings;
  CMeriskDoc doc(settings);
  ASSERT_TRUE(doc.OnOpenDocument((m_dir / "neu" / "album.kvo").string()));
  EXPECT_EQ(doc.Pictures().Find(1)->filename, "..\\alt\\fotos\\a.jpg");
  EXPECT_EQ(fs::weakly_canonical(doc.GetPictureFullPath(1)),
            fs::canonical(m_dir / "alt" / "fotos" / "a.jpg"));
  // On this machine "/anderswo" shares the root with the album, so it
  // becomes relative as well, and still resolves to the same place.
  EXPECT_EQ(fs::path(doc.GetPictureFullPath(2)).lexically_normal(), "/anderswo/b.jpg");

  // A file as ZIEL; the pictures are still found from there.
  ASSERT_EQ(Run({"save", "neu/album.kvo", "neu/kopie.kvo"}).exitCode, 0);
  const CliResult check = Run({"check", "neu/kopie.kvo"});
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_EQ(check.out.find("Bild 1 "), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("Bild 2 fehlt: "), std::string::npos) << check.out;
}

TEST_F(CliAlbum, CheckListsMissingPictures) {
  fs::create_directories(m_dir / "fotos");
  WriteFile(m_dir / "fotos" / "da.jpg", "jpeg");
  fs::create_directories(m_dir / "fotos" / "ordner.jpg");  // a folder is no picture
  MakeAlbum(m_dir / "album.kvo", [&](CMeriskDoc& doc) {
    doc.AddOrUpdatePicture(1, (m_dir / "fotos" / "da.jpg").string(), COleDateTime(), 4, "");
    doc.AddOrUpdatePicture(2, (m_dir / "fotos" / "weg.jpg").string(), COleDateTime(), 4, "");
    doc.AddOrUpdatePicture(3, (m_dir / "fotos" / "ordner.jpg").string(), COleDateTime(), 4, "");
    doc.AddOrUpdatePicture(4, "C:\\Bilder\\windows.jpg", COleDateTime(), 4, "");
  });
  const CliResult r = Run({"check", "album.kvo"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out.find("Bild 1 "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Bild 2 fehlt: " + (m_dir / "fotos" / "weg.jpg").string() +
                       " (gespeichert als fotos\\weg.jpg)\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Bild 3 fehlt: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Bild 4 fehlt: C:\\Bilder\\windows.jpg\n"), std::string::npos) << r.out;
  EXPECT_NE(r.err.find("3 von 4 Bilddateien fehlen."), std::string::npos) << r.err;

  fs::remove(m_dir / "album.kvo");
  MakeAlbum(m_dir / "album.kvo", [&](CMeriskDoc& doc) {
    doc.AddOrUpdatePicture(1, (m_dir / "fotos" / "da.jpg").string(), COleDateTime(), 4, "");
  });
  const CliResult ok = Run({"check", "album.kvo"});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_EQ(ok.err, "");
}

}  // namespace
}  // namespace kolvaro::test
