// kolvaro-cli and collaboration: the editing commands with --log-folder
// write transaction files, replay reads them into another copy.

#include <sys/stat.h>

#include <algorithm>
#include <sstream>
#include <tuple>

#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

/// Every record of an album except the change dates, in file order.
std::string Records(const fs::path& album) {
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  std::string error;
  if (!doc.OnOpenDocument(album.string(), &error)) return "cannot open: " + error;
  std::ostringstream out;
  std::int32_t id, a, b;
  for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
    const PictureEntry& e = doc.Pictures().GetNextRef(p, id);
    out << "picture " << id << " [" << e.filename << "] [" << e.title << "] "
        << e.timestamp.GetStatus() << ' ' << e.timestamp.Value() << ' ' << e.size << '\n';
  }
  std::string name;
  for (POSITION p = doc.Persons().GetStartPosition(); p != kNullPosition;) {
    doc.Persons().GetNext(p, id, name);
    out << "person " << id << " [" << name << "]\n";
  }
  for (POSITION p = doc.Themes().GetStartPosition(); p != kNullPosition;) {
    doc.Themes().GetNext(p, id, name);
    out << "theme " << id << " [" << name << "]\n";
  }
  Rect r;
  for (POSITION p = doc.PersonsOnPictures().GetStartPosition(); p != kNullPosition;) {
    doc.PersonsOnPictures().GetNext(p, a, b, &r);
    out << "mark " << a << ' ' << b << ' ' << r.left << ' ' << r.top << ' ' << r.right << ' '
        << r.bottom << '\n';
  }
  for (POSITION p = doc.ThemesOfPictures().GetStartPosition(); p != kNullPosition;) {
    doc.ThemesOfPictures().GetNext(p, a, b);
    out << "link " << a << ' ' << b << '\n';
  }
  return out.str();
}

/// The records as a sorted list, without the placeholder link: every save
/// turns the order inside a bucket round and moves that link on, and the two
/// copies were saved a different number of times.
std::vector<std::string> Sorted(const std::string& records) {
  std::vector<std::string> lines;
  std::istringstream in(records);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("link -", 0) != 0) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<fs::path> Logs(const fs::path& folder) {
  std::vector<fs::path> logs;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec))
    if (e.path().filename().string().rfind("mrklog", 0) == 0) logs.push_back(e.path());
  std::sort(logs.begin(), logs.end());
  return logs;
}

class CliCollab : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    MakeAlbum(m_dir / "a.kvo", [](CMeriskDoc& d) {
      for (int i = 1; i <= 3; ++i)
        d.AddOrUpdatePicture(i, "bild" + std::to_string(i) + ".jpg",
                             COleDateTime::FromCalendar(2022, 8, i, 6, 30, 15), 1000u * i,
                             "Bild " + std::to_string(i));
      d.AddOrUpdatePerson(1, "Anna");
      d.AddOrUpdateTheme(1, "Urlaub");
      d.AddThemeToPicture(1, 1);
    });
    fs::copy_file(m_dir / "a.kvo", m_dir / "b.kvo");
  }

  /// Runs one change at its own moment, so the logs sort as they were made.
  CliResult Change(const std::vector<std::string>& args) {
    return Run(args, {{"SOURCE_DATE_EPOCH", std::to_string(1796670770 + 10 * ++m_runs)}});
  }

  int m_runs = 0;
};

TEST_F(CliCollab, ChangesLoggedOnOneCopyReplayIntoTheOther) {
  WriteFile(m_dir / "neu.jpg", "\xFF\xD8\xFF\xD9");
  WriteFile(m_dir / "namen.txt", "\xEF\xBB\xBF" "Jürgen\r\nAnna </name> Berg\n\nZo\xEB\n");
  const std::vector<std::vector<std::string>> session = {
      {"title", "a.kvo", "2", "Am Strand\nzweite Zeile", "--log-folder", "logs"},
      {"date", "--log-folder", "logs", "a.kvo", "3", "2023-01-02 03:04:05"},
      {"person", "add", "--log-folder=logs", "a.kvo", "Łukasz Żółw"},
      {"person", "rename", "a.kvo", "1", "Anna Müller", "--log-folder", "logs"},
      {"theme", "add", "a.kvo", "Städte & Plätze", "--log-folder", "logs"},
      {"theme", "assign", "a.kvo", "2", "3", "--log-folder", "logs"},
      {"theme", "unassign", "a.kvo", "1", "1", "--log-folder", "logs"},
      {"mark", "a.kvo", "2", "3", "10", "20", "110", "220", "--log-folder", "logs"},
      {"mark", "a.kvo", "1", "3", "1", "2", "3", "4", "--log-folder", "logs"},
      {"unmark", "a.kvo", "1", "3", "--log-folder", "logs"},
      {"import-persons", "a.kvo", "namen.txt", "--log-folder", "logs"},
      {"person", "remove", "a.kvo", "1", "--log-folder", "logs"},
      {"theme", "remove", "a.kvo", "1", "--log-folder", "logs"},
      {"delete", "a.kvo", "1", "--log-folder", "logs"},
      {"add", "a.kvo", "neu.jpg", "--log-folder", "logs"},
  };
  for (const auto& args : session) {
    const CliResult r = Change(args);
    ASSERT_EQ(r.exitCode, 0) << args[0] << ": " << r.err;
  }
  // Adding pictures writes no record, so its file is gone again.
  const auto logs = Logs(m_dir / "logs");
  ASSERT_EQ(logs.size(), session.size() - 1);
  EXPECT_NE(ReadFile(logs.back()).find("<remove-picture>\r\n\t<id-picture>1</id-picture>\r\n"),
            std::string::npos);
  // One file per run, each with the records of its change.
  EXPECT_NE(ReadFile(logs[0]).find("\t<title>Am Strand&#10;zweite Zeile</title>\r\n"),
            std::string::npos);
  EXPECT_NE(ReadFile(logs[2]).find("\t<name>&#321;ukasz &#379;\xF3&#322;w</name>\r\n"),
            std::string::npos);
  EXPECT_NE(ReadFile(logs[10]).find("\t<name>Anna </name> Berg</name>\r\n"), std::string::npos);

  for (const fs::path& log : logs) {
    const CliResult r = Run({"replay", "b.kvo", log.string()});
    ASSERT_EQ(r.exitCode, 0) << log << ": " << r.err;
  }
  // The added picture is the one change no record carries.
  std::string edited = Records(m_dir / "a.kvo");
  const auto added = edited.find("picture 4 [neu.jpg]");
  ASSERT_NE(added, std::string::npos) << edited;
  edited.erase(added, edited.find('\n', added) + 1 - added);
  EXPECT_EQ(Sorted(Records(m_dir / "b.kvo")), Sorted(edited));
  EXPECT_EQ(edited.find("picture 1 "), std::string::npos);
  EXPECT_NE(edited.find("person 3 [Jürgen]"), std::string::npos);
  EXPECT_NE(edited.find("person 5 [Zoë]"), std::string::npos);
  EXPECT_NE(edited.find("[Am Strand\nzweite Zeile]"), std::string::npos);
}

// Headlines, names, album info and URLs are printed with their control
// characters escaped, so that an album cannot drive the terminal.
TEST_F(CliCollab, AlbumTextsCannotSendEscapeSequences) {
  const std::string evil = "\x1b]0;x\x07\xc2\x9b" "2J\x7f";
  MakeAlbum(m_dir / "böse.kvo", [&](CMeriskDoc& d) {
    d.AddOrUpdatePicture(1, "fehlt" + evil + ".jpg", COleDateTime(), 1, evil);
    d.AddOrUpdatePerson(1, evil);
    d.SetAlbumInfo(evil, evil, d.InfoDialogEnabled());
    d.SetStorage(d.StorageMode(), evil);
  });
  for (const char* command : {"info", "check", "dump"}) {
    const CliResult r = Run({command, "böse.kvo"});
    for (const std::string& text : {r.out, r.err})
      for (const std::string_view bad : {"\x1b", "\x07", "\xc2\x9b", "\x7f"})
        EXPECT_EQ(text.find(bad), std::string::npos) << command << ":\n" << text;
    EXPECT_NE(r.out.find("\\x1B") == std::string::npos ? r.out.find("\\u001b") : 0,
              std::string::npos)
        << command << ":\n" << r.out;
  }
}

TEST_F(CliCollab, PersonAddPrintsTheNewNumber) {
  const CliResult r = Run({"person", "add", "a.kvo", "Bernd"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "2\n");
  EXPECT_EQ(Run({"theme", "add", "a.kvo", "--", "--Sommer--"}).out, "2\n");
  EXPECT_NE(Records(m_dir / "a.kvo").find("theme 2 [--Sommer--]"), std::string::npos);
}

TEST_F(CliCollab, RefusedChangesLeaveAlbumAndFolderAlone) {
  const std::string before = ReadFile(m_dir / "a.kvo");
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"title", "a.kvo", "9", "x"}, "Das Album enthält kein Bild 9."},
      {{"date", "a.kvo", "1", "2023-02-30 00:00:00"}, "Ungültiges Datum"},
      {{"date", "a.kvo", "1", "2023-2-3 0:0:0"}, "Ungültiges Datum"},
      {{"person", "rename", "a.kvo", "7", "x"}, "Das Album enthält keine Person 7."},
      {{"theme", "remove", "a.kvo", "7"}, "Das Album enthält kein Thema 7."},
      {{"theme", "unassign", "a.kvo", "1", "2"}, "Das Bild 2 gehört nicht zum Thema 1."},
      {{"mark", "a.kvo", "1", "1", "5", "5", "4", "6"}, "Rechteck"},
      {{"unmark", "a.kvo", "1", "2"}, "Die Person 1 ist auf Bild 2 nicht markiert."},
  };
  for (auto [args, message] : refused) {
    args.insert(args.end(), {"--log-folder", "logs"});
    const CliResult r = Run(args);
    EXPECT_EQ(r.exitCode, 1) << args[0];
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadFile(m_dir / "a.kvo"), before);
  EXPECT_TRUE(Logs(m_dir / "logs").empty());

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"title", "a.kvo", "1", "x", "--log-folder"},
        {"title", "a.kvo", "1", "x", "--log-folder="},
        {"title", "a.kvo", "1", "x", "--log-folder", "l1", "--log-folder", "l2"},
        {"title", "a.kvo", "eins", "x"},
        {"title", "a.kvo", "1", "x", "--unbekannt"},
        {"person", "add", "a.kvo"},
        {"person", "assign", "a.kvo", "1", "1"},
        {"replay", "a.kvo"}})
    EXPECT_EQ(Run(args).exitCode, 2) << args[0] << ' ' << args.back();

  // A folder that cannot hold the file: nothing is changed at all.
  WriteFile(m_dir / "datei", "x");
  const CliResult r = Run({"title", "a.kvo", "1", "x", "--log-folder", "datei/sub"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("kann keine Änderungsdatei angelegt werden"), std::string::npos);
  EXPECT_EQ(ReadFile(m_dir / "a.kvo"), before);
}

TEST_F(CliCollab, ReplayOfDamagedFiles) {
  const std::string root = "<merisk-transaction-file>\r\n";
  const std::string good =
      "<add-update-person>\r\n\t<id-person>8</id-person>\r\n\t<name>Neu</name>\r\n"
      "</add-update-person>\r\n";
  const std::string broken =
      "<add-update-person>\r\n\t<id-person>9</id-person>\r\n\r\n\t<name>x</name>\r\n"
      "</add-update-person>\r\n";
  WriteFile(m_dir / "kaputt1.xml", "<merisk>\r\n" + good);
  WriteFile(m_dir / "kaputt2.xml", root + good + "Unsinn\r\n");
  WriteFile(m_dir / "kaputt3.xml", root + good + broken);
  const std::string before = ReadFile(m_dir / "b.kvo");

  for (const char* file : {"kaputt1.xml", "kaputt2.xml"}) {
    const CliResult r = Run({"replay", "b.kvo", file, "--keep-applied"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Transaktionsdatei ist beschädigt.\nKeine Änderungen vorgenommen!"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(m_dir / "b.kvo"), before);
  }

  CliResult r = Run({"replay", "b.kvo", "kaputt3.xml"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("Transaktionsdatei ist beschädigt.\nBitte alle Änderungen verwerfen!"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadFile(m_dir / "b.kvo"), before);

  r = Run({"replay", "--keep-applied", "b.kvo", "kaputt3.xml"});
  EXPECT_EQ(r.exitCode, 1);
  const std::string kept = Records(m_dir / "b.kvo");
  EXPECT_NE(kept.find("person 8 [Neu]"), std::string::npos);
  EXPECT_EQ(kept.find("person 9"), std::string::npos);

  r = Run({"replay", "b.kvo", "fehlt.xml"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("fehlt.xml wurde nicht gefunden."), std::string::npos);
}

TEST_F(CliCollab, ReplayedChangesAreNotLoggedAgain) {
  ASSERT_EQ(Change({"person", "add", "a.kvo", "Carla", "--log-folder", "logs"}).exitCode, 0);
  const auto logs = Logs(m_dir / "logs");
  ASSERT_EQ(logs.size(), 1u);
  const CliResult r = Run({"replay", "b.kvo", logs[0].string(), "--log-folder", "eigene"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "1 Änderungen eingespielt.\n");
  EXPECT_TRUE(Logs(m_dir / "eigene").empty());
  EXPECT_NE(Records(m_dir / "b.kvo").find("person 2 [Carla]"), std::string::npos);
}

TEST_F(CliCollab, ImportPersonsTakesEveryNameOnceAndSaysWhatItSkipped) {
  WriteFile(m_dir / "leer.txt", "");
  WriteFile(m_dir / "namen.txt", "A\r\n\r\n  B \n \t\nA\nC");
  CliResult r = Run({"import-persons", "a.kvo", "leer.txt"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "0 Personen neu angelegt, 0 Zeilen übersprungen (leer oder Name schon vorhanden).\n");
  r = Run({"import-persons", "a.kvo", "namen.txt"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out,
            "3 Personen neu angelegt, 3 Zeilen übersprungen (leer oder Name schon vorhanden).\n");
  const std::string records = Records(m_dir / "a.kvo");
  EXPECT_NE(records.find("person 2 [A]\n"), std::string::npos);
  EXPECT_NE(records.find("person 3 [B]\n"), std::string::npos);
  EXPECT_NE(records.find("person 4 [C]\n"), std::string::npos);
  EXPECT_EQ(records.find("person 5"), std::string::npos);
  // Nothing read, nothing changed, and the reason named.
  r = Run({"import-persons", "a.kvo", "fehlt.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("fehlt.txt wurde nicht gefunden."), std::string::npos) << r.err;
  const std::string pipe = (m_dir / "rohr").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  r = Run({"import-persons", "a.kvo", pipe});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(pipe + " ist keine gewöhnliche Datei."), std::string::npos) << r.err;
}

}  // namespace
}  // namespace kolvaro::test
