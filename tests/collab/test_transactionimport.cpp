#include <fcntl.h>
#include <sys/stat.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <cmath>
#include <random>

#include "collab/transactionfile.h"
#include "collab/transactionimport.h"
#include "collab/transactionreader.h"
#include "res/strings.h"
#include "testsupport/album_bytes.h"
#include "testsupport/collab.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

using test::CrLf;
using R = TransactionImportResult;

const std::string kDamaged(LoadString(IDS_TRANSACTION_DAMAGED));
const std::string kDiscard(LoadString(IDS_TRANSACTION_DISCARD));

/// The album both editors start from: six pictures, three persons, two
/// themes, some rectangles and links, shown sorted by date.
void FillStartAlbum(CMeriskDoc& d) {
  d.OnNewDocument();
  for (int i = 1; i <= 6; ++i)
    d.AddOrUpdatePicture(i, "bilder\\p" + std::to_string(i) + ".jpg",
                         COleDateTime::FromCalendar(2020, 1, 7 - i, 10, 0, 0),
                         1000u * static_cast<unsigned>(i), "Bild " + std::to_string(i));
  d.AddOrUpdatePerson(1, "Anna");
  d.AddOrUpdatePerson(2, "Bernd");
  d.AddOrUpdatePerson(3, "Clara");
  d.AddOrUpdateTheme(1, "Urlaub");
  d.AddOrUpdateTheme(2, "Familie");
  d.AddOrUpdatePersonOnPicture(1, Rect{1, 2, 3, 4}, 1);
  d.AddOrUpdatePersonOnPicture(2, Rect{5, 6, 7, 8}, 1);
  d.AddOrUpdatePersonOnPicture(1, Rect{9, 9, 19, 19}, 2);
  d.AddOrUpdatePersonOnPicture(3, Rect{0, 0, 50, 60}, 4);
  d.AddThemeToPicture(1, 1);
  d.AddThemeToPicture(2, 1);
  d.AddThemeToPicture(1, 3);
  d.AddThemeToPicture(2, 5);
  d.SelectPictures(-1, -1, 2);
  d.SetModifiedFlag(false);
}

/// One editor's session: every record kind, and values that the plain
/// format could not carry.
void ScriptedSession(CMeriskDoc& d) {
  d.AddOrUpdatePicture(2, "bilder\\p2.jpg", COleDateTime::FromCalendar(2021, 3, 4, 5, 6, 7),
                       2000, "Am Strand\nzweite Zeile\r\ndritte\r");
  d.AddOrUpdatePicture(3, "Fotos\\Überblick &#1; Łódź.jpg",
                       COleDateTime::FromCalendar(1899, 12, 29, 23, 59, 59), 3000000000u,
                       "Größe: 3 GB — 😀");
  d.AddOrUpdatePicture(4, "bilder\\p4.jpg", COleDateTime(COleDateTime::invalid, 0.0), 4000, "");
  d.AddOrUpdatePicture(5, "bilder\\p5.jpg", COleDateTime(COleDateTime::null, 0.0), 5000, "\t");
  d.AddOrUpdatePerson(4, "Jürgen Weiß");
  d.AddOrUpdatePerson(5, "Łukasz Żółw");
  d.AddOrUpdatePerson(6, "Anna </name> Berg");
  d.AddOrUpdatePerson(1, "  Anna Müller  ");
  d.AddOrUpdateTheme(3, "Städte & Plätze </theme>");
  d.AddOrUpdatePersonOnPicture(4, Rect{-5, 10, 200, 300}, 3);
  d.AddOrUpdatePersonOnPicture(5, Rect{1, 1, 2, 2}, -1);  // the current picture
  d.AddThemeToPicture(3, 2);
  d.AddThemeToPicture(3, -1);
  d.RemoveThemeFromPicture(1, 3);
  d.RemovePersonFromPicture(1, 2);
  d.RemovePerson(2);
  d.RemoveTheme(2);
  d.DeletePicture(1, false);
  d.DeletePicture(42, false);
  d.AddOrUpdatePicture(7, "neu.jpg", COleDateTime::FromCalendar(2026, 12, 7, 0, 0, 0), 1, "neu");
  d.AddThemeToPicture(1, 7);
}

/// An album file with the start state, and a fixed "now" for everything.
class TransactionImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CMeriskDoc d(plain);
    FillStartAlbum(d);
    startPath = dir / "a.kvo";
    ASSERT_TRUE(d.OnSaveDocument(startPath));
  }

  std::unique_ptr<CMeriskDoc> OpenStart() {
    auto d = std::make_unique<CMeriskDoc>(plain);
    d->OnNewDocument();
    EXPECT_TRUE(d->OnOpenDocument(startPath));
    return d;
  }

  TransactionImportOutcome Import(CMeriskDoc& d, const std::string& bytes,
                                  TransactionImportOptions options = {}) {
    const std::string path = dir / ("in" + std::to_string(++files) + ".xml");
    test::WriteFile(path, bytes);
    return ImportTransactionFile(d, path, &ui, options);
  }

  test::EpochGuard epoch{test::kEpoch};
  test::TempDir dir;
  CMemorySettings plain;
  std::string startPath;
  test::FakeUserQuestions ui;
  int files = 0;
};

const std::string kRoot = CrLf({"<merisk-transaction-file>"});
const std::string kEnd = CrLf({"</merisk-transaction-file>"});

std::string Person(int id, const std::string& name) {
  return CrLf({"<add-update-person>", "\t<id-person>" + std::to_string(id) + "</id-person>",
               "\t<name>" + name + "</name>", "</add-update-person>"});
}

TEST_F(TransactionImportTest, AReplayedSessionGivesTheSameAlbum) {
  CMemorySettings collab;
  collab.SetInt("Settings", "Zusammenarbeit", 1);
  collab.SetString("Settings", "TransactionFolder", dir / "logs");
  std::string edited;
  std::vector<std::int32_t> editedSelection;
  {
    CMeriskDoc a(collab);
    a.SetTransactionLogFactory(MakeTransactionFileFactory());
    a.OnNewDocument();
    ASSERT_TRUE(a.OnOpenDocument(startPath));
    ScriptedSession(a);
    edited = test::Serialized(a);
    editedSelection = a.Selection();
  }
  const auto logs = test::ListLogs(dir / "logs");
  ASSERT_EQ(logs.size(), 1u);

  auto b = OpenStart();
  const auto outcome = ImportTransactionFile(*b, logs[0], &ui);
  EXPECT_EQ(outcome.result, R::Done);
  EXPECT_EQ(outcome.applied, 21u);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(b->IsModified());
  EXPECT_EQ(test::Serialized(*b), edited);
  EXPECT_EQ(b->Selection(), editedSelection);

  // The values the plain format would have broken, one by one.
  PictureEntry e;
  ASSERT_TRUE(b->Pictures().Lookup(2, e));
  EXPECT_EQ(e.title, "Am Strand\nzweite Zeile\r\ndritte\r");
  ASSERT_TRUE(b->Pictures().Lookup(3, e));
  EXPECT_EQ(e.filename, "Fotos\\Überblick &#1; Łódź.jpg");
  EXPECT_EQ(e.title, "Größe: 3 GB — 😀");
  EXPECT_EQ(e.size, 3000000000u);
  ASSERT_TRUE(b->Pictures().Lookup(4, e));
  EXPECT_EQ(e.timestamp.GetStatus(), COleDateTime::invalid);
  EXPECT_EQ(b->Persons().GetName(5), "Łukasz Żółw");
  EXPECT_EQ(b->Persons().GetName(6), "Anna </name> Berg");
  EXPECT_EQ(b->Themes().GetName(3), "Städte & Plätze </theme>");
}

TEST_F(TransactionImportTest, TheCommandAsksForTheFileInTheAlbumFolder) {
  auto d = OpenStart();
  auto* log = new test::CountingLog;
  d->SetTransactionLog(std::unique_ptr<ITransactionLog>(log));
  test::CountingView view;
  d->AddView(&view);

  EXPECT_EQ(OnImportTransactionFile(*d, ui), R::Cancelled);
  EXPECT_EQ(ui.openDialogs.size(), 1u);
  EXPECT_EQ(ui.openDialogs.at(0).filter, "Merisk Protokolldateien|mrklog*.xml|Alle Dateien (*.*)|*.*||");
  EXPECT_EQ(ui.openDialogs.at(0).initialFolder, d->AlbumFolder());
  EXPECT_FALSE(ui.openDialogs.at(0).multiple);
  EXPECT_EQ(view.updates, 1);
  EXPECT_EQ(d->TransactionLog(), log);

  test::WriteFile(dir / "mrklog1.xml", kRoot + Person(9, "Neu") + kEnd);
  ui.chosenFiles = {dir / "mrklog1.xml"};
  EXPECT_EQ(OnImportTransactionFile(*d, ui), R::Done);
  EXPECT_EQ(d->Persons().GetName(9), "Neu");
  EXPECT_EQ(view.updates, 2);
  EXPECT_EQ(ui.waitDepth, 0);
  EXPECT_EQ(d->TransactionLog(), log);
  EXPECT_EQ(log->writes, 0);
  d->RemoveView(&view);
}

TEST_F(TransactionImportTest, AWrongFirstLineAppliesNothing) {
  auto d = OpenStart();
  const std::string before = test::Serialized(*d);
  test::CountingView view;
  d->AddView(&view);
  const std::string body = Person(1, "x") + kEnd;
  for (const std::string& first :
       {std::string(), std::string("\r\n"), std::string("<merisk-transaction-file> \r\n"),
        std::string("\xEF\xBB\xBF<merisk-transaction-file>\r\n"),
        std::string("<MERISK-TRANSACTION-FILE>\r\n"), std::string("\t<merisk-transaction-file>\n")}) {
    ui.messages.clear();
    const auto outcome = Import(*d, first + body);
    EXPECT_EQ(outcome.result, R::Damaged);
    EXPECT_EQ(outcome.applied, 0u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, kDamaged);
    EXPECT_EQ(ui.messages[0].kind, UserMessage::Kind::Warning);
  }
  EXPECT_EQ(test::Serialized(*d), before);
  EXPECT_FALSE(d->IsModified());
  EXPECT_EQ(view.updates, 0);
  // Missing, a folder, or not a regular file: the same.
  EXPECT_EQ(ImportTransactionFile(*d, dir / "fehlt.xml", &ui).result, R::Damaged);
  EXPECT_EQ(ImportTransactionFile(*d, dir.Path(), &ui).result, R::Damaged);
  EXPECT_EQ(ImportTransactionFile(*d, "/dev/null", &ui).result, R::Damaged);
  d->RemoveView(&view);
}

TEST_F(TransactionImportTest, EndsOfTheFile) {
  auto d = OpenStart();
  test::CountingView view;
  d->AddView(&view);
  // Only the two root lines: nothing changes, the views are refreshed.
  EXPECT_EQ(Import(*d, kRoot + kEnd).result, R::Done);
  EXPECT_FALSE(d->IsModified());
  EXPECT_EQ(view.updates, 1);
  // No root closing line, LF only, no line end at all after the last record.
  EXPECT_EQ(Import(*d, kRoot + Person(7, "a")).result, R::Done);
  EXPECT_EQ(Import(*d, "<merisk-transaction-file>\n<remove-person>\n\t<id-person>7</id-person>\n"
                       "</remove-person>")
                .result,
            R::Done);
  EXPECT_EQ(d->Persons().GetName(7), "");
  // Lines after the root closing line are never read.
  const auto outcome = Import(*d, kRoot + Person(8, "b") + kEnd + "Unsinn\r\n" + Person(9, "c"));
  EXPECT_EQ(outcome.result, R::Done);
  EXPECT_EQ(outcome.applied, 1u);
  EXPECT_EQ(d->Persons().GetName(9), "");
  EXPECT_TRUE(ui.messages.empty());
  d->RemoveView(&view);
}

TEST_F(TransactionImportTest, BrokenRecordsStopTheImport) {
  auto d = OpenStart();
  test::CountingView view;
  d->AddView(&view);
  // An extra blank line inside a record shifts its closing line.
  auto outcome = Import(*d, kRoot + Person(10, "vorher") +
                                CrLf({"<add-update-person>", "\t<id-person>11</id-person>", "",
                                      "\t<name>x</name>", "</add-update-person>"}) +
                                Person(12, "nachher"));
  EXPECT_EQ(outcome.result, R::DamagedDiscard);
  EXPECT_EQ(outcome.applied, 1u);
  EXPECT_EQ(d->Persons().GetName(10), "vorher");
  std::string name;
  EXPECT_FALSE(d->Persons().Lookup(11, name));
  EXPECT_EQ(d->Persons().GetName(12), "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kDiscard);
  EXPECT_EQ(view.updates, 0);

  // A blank line between records is no record.
  ui.messages.clear();
  outcome = Import(*d, kRoot + Person(13, "a") + "\r\n" + Person(14, "b"));
  EXPECT_EQ(outcome.result, R::Damaged);
  EXPECT_EQ(d->Persons().GetName(13), "a");
  EXPECT_EQ(d->Persons().GetName(14), "");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kDamaged);

  // A closing tag that differs in case or trailing blanks does not match.
  outcome = Import(*d, kRoot + CrLf({"<remove-theme>", "\t<id-theme>1</id-theme>",
                                     "</remove-theme> "}));
  EXPECT_EQ(outcome.result, R::DamagedDiscard);
  EXPECT_EQ(d->Themes().GetName(1), "Urlaub");

  // Changed indentation is not examined; the values are then read wrong.
  outcome = Import(*d, kRoot + CrLf({"<add-update-person>", "  <id-person>15</id-person>",
                                     "\t<name>y</name>", "</add-update-person>"}));
  EXPECT_EQ(outcome.result, R::Done);
  EXPECT_EQ(d->Persons().GetName(0), "y");
  d->RemoveView(&view);
}

TEST_F(TransactionImportTest, ATruncatedFileImportsItsCompleteRecords) {
  std::string full = kRoot;
  std::vector<std::size_t> recordEnds;  // offsets just past each closing tag
  for (int i = 1; i <= 4; ++i) {
    full += Person(20 + i, "P" + std::to_string(i));
    recordEnds.push_back(full.size() - 2);
  }
  for (std::size_t cut = kRoot.size(); cut <= full.size(); ++cut) {
    auto d = OpenStart();
    ui.messages.clear();
    const auto outcome = ImportTransactionBytes(*d, std::string_view(full).substr(0, cut), &ui);
    std::size_t complete = 0;
    bool atBoundary = cut == kRoot.size();
    for (const std::size_t end : recordEnds) {
      if (cut >= end) ++complete;
      if (cut >= end && cut <= end + 2) atBoundary = true;
    }
    EXPECT_EQ(outcome.applied, complete) << "cut at " << cut;
    for (std::size_t i = 1; i <= 4; ++i)
      EXPECT_EQ(d->Persons().GetName(static_cast<std::int32_t>(20 + i)),
                i <= complete ? "P" + std::to_string(i) : "")
          << "cut at " << cut;
    if (atBoundary)
      EXPECT_EQ(outcome.result, R::Done) << "cut at " << cut;
    else
      EXPECT_NE(outcome.result, R::Done) << "cut at " << cut;
  }
}

TEST_F(TransactionImportTest, TheSameFileTwice) {
  CMemorySettings collab;
  collab.SetInt("Settings", "Zusammenarbeit", 1);
  collab.SetString("Settings", "TransactionFolder", dir / "logs");
  {
    CMeriskDoc a(collab);
    a.SetTransactionLogFactory(MakeTransactionFileFactory());
    a.OnNewDocument();
    ASSERT_TRUE(a.OnOpenDocument(startPath));
    ScriptedSession(a);
  }
  const std::string log = test::ListLogs(dir / "logs").at(0);
  auto d = OpenStart();
  ASSERT_EQ(ImportTransactionFile(*d, log, &ui).result, R::Done);
  const std::string once = test::Serialized(*d);
  d->SetModifiedFlag(false);
  ASSERT_EQ(ImportTransactionFile(*d, log, &ui).result, R::Done);
  EXPECT_EQ(test::Serialized(*d), once);
  EXPECT_TRUE(d->IsModified());
}

TEST_F(TransactionImportTest, ReplayedChangesAreNeverLoggedAgain) {
  const std::string file = kRoot + Person(30, "a") +
                           CrLf({"<remove-picture>", "\t<id-picture>2</id-picture>",
                                 "</remove-picture>"}) +
                           CrLf({"<remove-theme>", "\t<id-theme>1</id-theme>", "</remove-theme>"});
  // With a real log: it stays empty, so no file remains.
  CMemorySettings collab;
  collab.SetInt("Settings", "Zusammenarbeit", 1);
  collab.SetString("Settings", "TransactionFolder", dir / "own");
  {
    CMeriskDoc d(collab);
    d.SetTransactionLogFactory(MakeTransactionFileFactory());
    d.OnNewDocument();
    ASSERT_TRUE(d.OnOpenDocument(startPath));
    EXPECT_EQ(Import(d, file).result, R::Done);
    EXPECT_EQ(d.Persons().GetName(30), "a");
    ASSERT_NE(d.TransactionLog(), nullptr);
  }
  EXPECT_TRUE(test::ListLogs(dir / "own").empty());

  // Every way out of the import puts the same log back.
  for (const std::string& bytes :
       {file, std::string("junk"), kRoot + Person(1, "x") + "junk\r\n",
        kRoot + "<remove-picture>\r\n\t<id-picture>3</id-picture>\r\n"}) {
    auto d = OpenStart();
    auto* log = new test::CountingLog;
    d->SetTransactionLog(std::unique_ptr<ITransactionLog>(log));
    Import(*d, bytes);
    EXPECT_EQ(d->TransactionLog(), log);
    EXPECT_EQ(log->writes, 0);
    d->AddOrUpdatePerson(99, "danach");
    EXPECT_EQ(log->writes, 1);
  }
}

TEST_F(TransactionImportTest, RemovingAPictureNeverTouchesItsFile) {
  auto d = OpenStart();
  std::filesystem::create_directories(dir / "bilder");
  test::WriteFile(dir / "bilder/p3.jpg", "jpeg");
  ASSERT_EQ(d->GetPictureFullPath(3), dir / "bilder/p3.jpg");
  test::FakeFileOperations ops;
  d->SetFileOperations(&ops);
  const std::string remove3 =
      CrLf({"<remove-picture>", "\t<id-picture>3</id-picture>", "</remove-picture>"});
  for (const bool eager : {false, true}) {
    EXPECT_EQ(Import(*d, kRoot + remove3, {eager}).result, R::Done);
    EXPECT_TRUE(ops.trashed.empty() && ops.opened.empty());
    EXPECT_EQ(test::ReadFile(dir / "bilder/p3.jpg"), "jpeg");
  }
  EXPECT_EQ(d->Pictures().Find(3), nullptr);
  EXPECT_FALSE(d->ThemesOfPictures().Lookup(1, 3));
}

/// Bytes: the valid first line, then a line that never ends.
class EndlessSource final : public ITransactionByteSource {
 public:
  explicit EndlessSource(std::string head) : m_head(std::move(head)) {}
  long long Read(char* buffer, std::size_t size) override {
    std::size_t n = 0;
    while (n < size && m_pos < m_head.size()) buffer[n++] = m_head[m_pos++];
    while (n < size) buffer[n++] = 'x';
    delivered += n;
    return static_cast<long long>(n);
  }
  std::size_t delivered = 0;

 private:
  std::string m_head;
  std::size_t m_pos = 0;
};

TEST(TransactionParser, AnEndlessLineIsNeverHeldWhole) {
  constexpr std::size_t kLimit = std::size_t{1} << 20;
  EndlessSource atRecord(kRoot);
  CTransactionParser p1(atRecord, kLimit);
  ASSERT_TRUE(p1.ReadHeader());
  TransactionRecordData r;
  EXPECT_EQ(p1.Next(r), CTransactionParser::Status::NotARecord);
  EXPECT_LT(atRecord.delivered, kLimit + (std::size_t{1} << 18));

  EndlessSource inRecord(kRoot + "<add-update-person>\r\n\t<id-person>1</id-person>\r\n\t<name>");
  CTransactionParser p2(inRecord, kLimit);
  ASSERT_TRUE(p2.ReadHeader());
  EXPECT_EQ(p2.Next(r), CTransactionParser::Status::Damaged);
  EXPECT_LT(inRecord.delivered, kLimit + (std::size_t{1} << 18));

  // The longest line accepted still is.
  const std::string name(kLimit - 14, 'n');
  const std::string file = kRoot + Person(1, name);
  CMemoryByteSource longest(file);
  CTransactionParser p3(longest, kLimit);
  ASSERT_TRUE(p3.ReadHeader());
  ASSERT_EQ(p3.Next(r), CTransactionParser::Status::Record);
  EXPECT_EQ(r.text, name);
  EXPECT_EQ(p3.Next(r), CTransactionParser::Status::End);
}

TEST_F(TransactionImportTest, ASixteenMegabyteHeadlineRoundTrips) {
  std::string title(std::size_t{16} << 20, 'x');
  title.replace(title.size() / 2, 3, "\xC3\xA4\n");  // an umlaut and a line break inside
  CTransactionText log;
  log.WritePicture(3, "bilder\\p3.jpg", COleDateTime::FromCalendar(2020, 1, 1, 0, 0, 0), 1, title);
  auto d = OpenStart();
  const auto outcome = Import(*d, log.Bytes());
  EXPECT_EQ(outcome.result, R::Done);
  EXPECT_EQ(d->Pictures().Find(3)->title, title);
}

TEST_F(TransactionImportTest, APipeOrADeviceIsRefusedWithoutWaiting) {
  const std::string fifo = dir / "mrklog-pipe.xml";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string(dir / "")}) {
    auto d = OpenStart();
    ui.messages.clear();
    EXPECT_EQ(ImportTransactionFile(*d, path, &ui).result, R::Damaged) << path;
    ASSERT_EQ(ui.messages.size(), 1u) << path;
    EXPECT_NE(ui.messages[0].text.find(path + " ist keine gewöhnliche Datei"), std::string::npos)
        << ui.messages[0].text;
    EXPECT_FALSE(d->IsModified());
  }
}

TEST_F(TransactionImportTest, BinaryBytesEndInAMessage) {
  std::mt19937 rng(7);
  for (int round = 0; round < 50; ++round) {
    std::string bytes = kRoot;
    const int n = static_cast<int>(rng() % 2000);
    for (int i = 0; i < n; ++i) bytes += static_cast<char>(rng() % 256);
    auto d = OpenStart();
    ui.messages.clear();
    const auto outcome = ImportTransactionBytes(*d, bytes, &ui);
    EXPECT_NE(outcome.result, R::Cancelled);
    EXPECT_EQ(ui.messages.size(), outcome.result == R::Done ? 0u : 1u);
  }
}

// ----------------------------------------------- re-selection after removals

// Stands for the picture id -1, which the writer never writes: replaced by
// -1 in the file's bytes.
constexpr std::int32_t kCurrent = 999999;

std::string WithCurrentPicture(std::string bytes) {
  const std::string mark = ">" + std::to_string(kCurrent) + "<";
  for (std::size_t at; (at = bytes.find(mark)) != std::string::npos;) bytes.replace(at, mark.size(), ">-1<");
  return bytes;
}

TEST_F(TransactionImportTest, MinusOneIsNeverWrittenAndReplaysAsTheCurrentPicture) {
  CTransactionText log;
  log.WritePicture(-1, "a.jpg", COleDateTime(), 1, "neu");
  log.WritePersonOnPicture(1, Rect{}, -1);
  log.WriteThemeOfPicture(1, -1);
  log.WriteRemovePersonOnPicture(1, -1);
  log.WriteRemoveThemeOfPicture(1, -1);
  EXPECT_EQ(log.RecordCount(), 0u);

  // A -1 written by another program stands for the importing album's
  // current picture, whichever that is.
  CTransactionText foreign;
  foreign.WritePicture(kCurrent, "a.jpg", COleDateTime(), 1, "neu");
  auto d = OpenStart();
  const std::int32_t current = d->CurrentPicture();
  ASSERT_NE(current, -1);
  EXPECT_EQ(Import(*d, WithCurrentPicture(foreign.Bytes())).result, R::Done);
  EXPECT_EQ(d->Pictures().Find(current)->title, "neu");
  EXPECT_EQ(d->Pictures().Find(-1), nullptr);
}

void RandomRecords(ITransactionLog& log, std::mt19937& rng, int count) {
  auto pick = [&](int lo, int hi) {
    return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
  };
  auto picture = [&] { return pick(0, 99) < 4 ? kCurrent : pick(1, 14); };
  for (int i = 0; i < count; ++i) {
    switch (pick(0, 11)) {
      case 0:
      case 1:
        log.WritePicture(pick(0, 16) == 0 ? kCurrent : pick(-1, 16), "f" + std::to_string(pick(0, 5)) + ".jpg",
                         pick(0, 9) == 0 ? COleDateTime(COleDateTime::valid, std::nan(""))
                                         : COleDateTime::FromCalendar(2020, pick(1, 3), 1, 0, 0, 0),
                         static_cast<std::uint64_t>(pick(0, 3)), "t");
        break;
      case 2:
        log.WritePerson(pick(1, 5), "p");
        break;
      case 3:
        log.WritePersonOnPicture(pick(1, 5), Rect{1, 2, 3, pick(4, 9)}, picture());
        break;
      case 4:
        log.WriteTheme(pick(1, 4), "t");
        break;
      case 5:
        log.WriteThemeOfPicture(pick(1, 4), picture());
        break;
      case 6:
        log.WriteRemovePersonOnPicture(pick(1, 5), picture());
        break;
      case 7:
        log.WriteRemoveThemeOfPicture(pick(1, 4), picture());
        break;
      case 8:
        if (pick(0, 3) == 0) log.WriteRemovePerson(pick(1, 5));
        else log.WriteRemoveTheme(pick(1, 4));
        break;
      default:
        log.WriteRemovePicture(pick(0, 10) == 0 ? pick(-2, 0) : pick(1, 14));
        break;
    }
  }
}

struct SelectionState {
  std::vector<std::int32_t> selection;
  std::int32_t current, position, count, theme, person, kind;
  bool modified;
  friend bool operator==(const SelectionState&, const SelectionState&) = default;
};

SelectionState StateOf(const CMeriskDoc& d) {
  return {d.Selection(),    d.CurrentPicture(), d.CurrentPosition(), d.SelectedCount(),
          d.FilterTheme(), d.FilterPerson(),   d.SelectionKind(),   d.IsModified()};
}

TEST_F(TransactionImportTest, DeferredReselectionEndsAsReselectingEveryTime) {
  struct Filter {
    std::int32_t theme, person, kind;
  };
  const Filter filters[] = {{-1, -1, 2}, {1, -1, 1}, {-2, 3, 3}, {-1, -2, 4}, {2, 1, 2},
                            {-2, -2, 2}, {0, 2, 1}, {3, -1, 0}};
  for (unsigned seed = 1; seed <= 160; ++seed) {
    std::mt19937 rng(seed);
    CTransactionText text;
    RandomRecords(text, rng, 150);
    std::string bytes = WithCurrentPicture(text.Bytes());
    // Some files stop early, in the middle of a record.
    if (seed % 4 == 0) bytes.resize(bytes.size() * 2 / 3);
    const Filter f = filters[seed % std::size(filters)];

    auto quick = OpenStart();
    auto eager = OpenStart();
    for (CMeriskDoc* d : {quick.get(), eager.get()}) {
      // Dates that are no number have an order of their own.
      d->AddOrUpdatePicture(9, "n.jpg", COleDateTime(COleDateTime::valid, std::nan("")), 9, "");
      d->AddThemeToPicture(1, 9);
      d->SelectPictures(f.theme, f.person, f.kind);
      d->SetCurrentIndex(1);
    }
    const auto q = ImportTransactionBytes(*quick, bytes, nullptr, {false});
    const auto e = ImportTransactionBytes(*eager, bytes, nullptr, {true});
    EXPECT_EQ(q.result, e.result) << "seed " << seed;
    EXPECT_EQ(q.applied, e.applied) << "seed " << seed;
    EXPECT_EQ(test::Serialized(*quick), test::Serialized(*eager)) << "seed " << seed;
    EXPECT_EQ(StateOf(*quick), StateOf(*eager)) << "seed " << seed;
  }
}

TEST_F(TransactionImportTest, ManyRecordsBehindARemovalAndThenTheCurrentPicture) {
  CTransactionText log;
  log.WriteRemovePicture(6);
  for (int i = 0; i < 5000; ++i) log.WritePicture(100 + i, "x.jpg", COleDateTime(), 1, "");
  log.WriteRemovePicture(5);
  log.WritePicture(200000, "y.jpg", COleDateTime(), 1, "");
  log.WriteThemeOfPicture(1, kCurrent);  // needs the selection made at the last removal
  log.WritePicture(200001, "z.jpg", COleDateTime(), 1, "");
  const std::string bytes = WithCurrentPicture(log.Bytes());

  auto quick = OpenStart();
  auto eager = OpenStart();
  ImportTransactionBytes(*quick, bytes, nullptr, {false});
  ImportTransactionBytes(*eager, bytes, nullptr, {true});
  EXPECT_EQ(test::Serialized(*quick), test::Serialized(*eager));
  EXPECT_EQ(StateOf(*quick), StateOf(*eager));
  // The selection was made before the later pictures existed.
  EXPECT_EQ(quick->SelectedCount(), 5004);
  EXPECT_TRUE(quick->ThemesOfPictures().Lookup(1, quick->CurrentPicture()));
}

/// What the document told, and what of it had come when a message showed.
struct Heard : IDocumentObserver, test::FakeUserQuestions {
  int selection = 0, contents = 0, contentsAtMessage = -1;
  void OnUpdate(CDocument&, IDocumentObserver*, long) override {}
  void OnSelectionChanged() override { ++selection; }
  void OnContentsChanged() override { ++contents; }
  Answer Show(const UserMessage& message) override {
    contentsAtMessage = contents;
    return FakeUserQuestions::Show(message);
  }
};

TEST_F(TransactionImportTest, ObserversHearOfAReplayOnceAndBeforeItsMessage) {
  CTransactionText log;
  log.WritePerson(7, "Eva");
  log.WriteTheme(3, "Zoo");
  log.WriteRemovePicture(6);
  log.WriteThemeOfPicture(3, kCurrent);
  for (int i = 0; i < 20; ++i) log.WritePicture(100 + i, "x.jpg", COleDateTime(), 1, "");
  const std::string whole = WithCurrentPicture(log.Bytes());
  for (const bool cut : {false, true}) {
    auto d = OpenStart();
    Heard heard;
    d->AddView(&heard);
    const auto outcome =
        ImportTransactionBytes(*d, cut ? whole.substr(0, whole.size() / 2) : whole, &heard);
    d->RemoveView(&heard);
    EXPECT_GT(outcome.applied, 4u) << cut;
    EXPECT_EQ(heard.selection, 1) << cut;
    EXPECT_EQ(heard.contents, 1) << cut;
    EXPECT_EQ(heard.contentsAtMessage, cut ? 1 : -1);
  }
}

}  // namespace
}  // namespace kolvaro
