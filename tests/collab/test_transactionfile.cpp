#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>

#include "collab/transactionfile.h"
#include "collab/transactionimport.h"
#include "testsupport/album_bytes.h"
#include "testsupport/collab.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

using test::CrLf;
using test::ListLogs;
using test::ReadFile;

/// A document that logs into `folder` whenever it starts a new album.
struct CollabDoc {
  explicit CollabDoc(const std::string& folder, TimestampTextFormatter formatter = {}) {
    settings.SetInt("Settings", "Zusammenarbeit", 1);
    settings.SetString("Settings", "TransactionFolder", folder);
    doc = std::make_unique<CMeriskDoc>(settings);
    doc->SetTransactionLogFactory(MakeTransactionFileFactory(nullptr, std::move(formatter)));
    doc->OnNewDocument();
  }
  CTransactionFile* Log() { return dynamic_cast<CTransactionFile*>(doc->TransactionLog()); }
  CMemorySettings settings;
  std::unique_ptr<CMeriskDoc> doc;
};

TEST(TransactionFile, SmallLogHasExactlyTheseBytes) {
  test::EpochGuard epoch(test::kEpoch);
  test::TempDir dir;
  {
    CollabDoc c(dir.Path());
    CMeriskDoc& d = *c.doc;
    d.AddOrUpdatePerson(1, "Jürgen");
    d.AddOrUpdatePicture(7, "urlaub\\a.jpg", COleDateTime::FromCalendar(2026, 12, 7, 19, 12, 50),
                         1234, "Zeile 1\nZeile 2 &# Łódź");
    d.AddOrUpdatePersonOnPicture(1, Rect{10, 20, 30, 40}, 7);
    d.AddOrUpdateTheme(3, "Städte");
    d.AddThemeToPicture(3, 7);
    d.RemoveThemeFromPicture(3, 7);
    d.RemovePersonFromPicture(1, 7);
    d.DeletePicture(7, false);
    d.RemoveTheme(3);
    d.RemovePerson(1);
  }
  const auto logs = ListLogs(dir.Path());
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_EQ(std::filesystem::path(logs[0]).filename(), "mrklog2026-12-07-19-12-50.xml");
  const std::string expected = CrLf({
      "<merisk-transaction-file>",
      "<add-update-person>", "\t<id-person>1</id-person>", "\t<name>J\xFCrgen</name>",
      "</add-update-person>",
      "<add-update-picture>", "\t<id-picture>7</id-picture>",
      "\t<filename>urlaub\\a.jpg</filename>", "\t<timestamp>46363.800579</timestamp>",
      "\t<timestamp-text>07.12.2026 19:12:50</timestamp-text>", "\t<size>1234</size>",
      "\t<title>Zeile 1&#10;Zeile 2 &#38;# &#321;\xF3" "d&#378;</title>",
      "</add-update-picture>",
      "<add-update-person-on-picture>", "\t<id-person>1</id-person>",
      "\t<id-picture>7</id-picture>", "\t<rectangle>", "\t\t<top>20</top>",
      "\t\t<bottom>40</bottom>", "\t\t<right>30</right>", "\t\t<left>10</left>",
      "\t</rectangle>", "</add-update-person-on-picture>",
      "<add-update-theme>", "\t<id-theme>3</id-theme>", "\t<theme>St\xE4" "dte</theme>",
      "</add-update-theme>",
      "<add-update-theme-of-picture-association>", "\t<id-theme>3</id-theme>",
      "\t<id-picture>7</id-picture>", "</add-update-theme-of-picture-association>",
      "<remove-theme-of-picture>", "\t<id-theme>3</id-theme>", "\t<id-picture>7</id-picture>",
      "</remove-theme-of-picture>",
      "<remove-person-on-picture>", "\t<id-person>1</id-person>",
      "\t<id-picture>7</id-picture>", "</remove-person-on-picture>",
      "<remove-picture>", "\t<id-picture>7</id-picture>", "</remove-picture>",
      "<remove-theme>", "\t<id-theme>3</id-theme>", "</remove-theme>",
      "<remove-person>", "\t<id-person>1</id-person>", "</remove-person>",
      "</merisk-transaction-file>",
  });
  EXPECT_EQ(ReadFile(logs[0]), expected);
}

TEST(TransactionFile, DatesWithoutCalendarFormAndLargeSizes) {
  test::TempDir dir;
  {
    CollabDoc c(dir.Path());
    c.doc->AddOrUpdatePicture(1, "a.jpg", COleDateTime(COleDateTime::invalid, 12.5),
                              3000000000u, "");
    c.doc->AddOrUpdatePicture(2, "b.jpg", COleDateTime(COleDateTime::null, 0.0), 0, "");
  }
  const std::string text = ReadFile(ListLogs(dir.Path()).at(0));
  // An invalid date keeps its raw value; the size keeps its low 32 bits, signed.
  EXPECT_NE(text.find("\t<timestamp>12.500000</timestamp>\r\n"
                      "\t<timestamp-text>Invalid DateTime</timestamp-text>\r\n"
                      "\t<size>-1294967296</size>\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\t<timestamp>0.000000</timestamp>\r\n"
                      "\t<timestamp-text></timestamp-text>\r\n"),
            std::string::npos);
}

TEST(TransactionFile, TimestampTextFollowsTheSystemsRules) {
  EXPECT_EQ(GermanTimestampText(COleDateTime::FromCalendar(2026, 12, 7, 19, 12, 50)),
            "07.12.2026 19:12:50");
  EXPECT_EQ(GermanTimestampText(COleDateTime::FromCalendar(2026, 12, 7, 0, 0, 0)), "07.12.2026");
  EXPECT_EQ(GermanTimestampText(COleDateTime(COleDateTime::valid, 0.75)), "18:00:00");
  EXPECT_EQ(GermanTimestampText(COleDateTime(COleDateTime::valid, 0.0)), "00:00:00");
  EXPECT_EQ(GermanTimestampText(COleDateTime(COleDateTime::invalid, 46363.5)), "Invalid DateTime");
  EXPECT_EQ(GermanTimestampText(COleDateTime(COleDateTime::null, 46363.5)), "");
  EXPECT_EQ(GermanTimestampText(COleDateTime(COleDateTime::valid, 1e9)), "Invalid DateTime");
}

TEST(TransactionFile, TheProgramsFormatterWritesValidDates) {
  test::TempDir dir;
  {
    CollabDoc c(dir.Path(), [](const COleDateTime&) { return std::string("7. Dez.\n2026"); });
    c.doc->AddOrUpdatePicture(1, "a.jpg", COleDateTime::FromCalendar(2026, 12, 7, 1, 2, 3), 1, "");
  }
  const std::string text = ReadFile(ListLogs(dir.Path()).at(0));
  EXPECT_NE(text.find("\t<timestamp-text>7. Dez.&#10;2026</timestamp-text>\r\n"),
            std::string::npos);
}

TEST(TransactionFile, AFileWithoutRecordsIsRemoved) {
  test::TempDir dir;
  {
    CollabDoc c(dir.Path());
    ASSERT_NE(c.Log(), nullptr);
    EXPECT_TRUE(c.Log()->IsOpen());
    EXPECT_EQ(ReadFile(c.Log()->GetFilePath()), "<merisk-transaction-file>\r\n");
    // A new album finishes the log of the last one.
    c.doc->OnNewDocument();
    c.doc->AddOrUpdateTheme(1, "x");
    c.doc->OnNewDocument();
    EXPECT_EQ(ListLogs(dir.Path()).size(), 2u);  // the one with a record, the new one
  }
  const auto logs = ListLogs(dir.Path());
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_NE(ReadFile(logs[0]).find("<add-update-theme>"), std::string::npos);
  EXPECT_NE(ReadFile(logs[0]).find("</merisk-transaction-file>\r\n"), std::string::npos);
}

TEST(TransactionFile, AnExistingFileOfTheSameNameIsNeverTruncated) {
  test::EpochGuard epoch(test::kEpoch);
  test::TempDir dir;
  const std::string taken = dir / "mrklog2026-12-07-19-12-50.xml";
  test::WriteFile(taken, "someone else's\r\n");
  CTransactionFile first(dir.Path());
  CTransactionFile second(dir.Path());
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(second.Open());
  EXPECT_EQ(std::filesystem::path(first.GetFilePath()).filename(),
            "mrklog2026-12-07-19-12-50_000002.xml");
  EXPECT_EQ(std::filesystem::path(second.GetFilePath()).filename(),
            "mrklog2026-12-07-19-12-50_000003.xml");
  first.WritePerson(1, "a");
  second.WritePerson(2, "b");
  EXPECT_EQ(test::ReadFile(taken), "someone else's\r\n");
  EXPECT_NE(ReadFile(first.GetFilePath()).find("<name>a</name>"), std::string::npos);
  EXPECT_EQ(ReadFile(first.GetFilePath()).find("<name>b</name>"), std::string::npos);
}

TEST(TransactionFile, NamesOfOneSecondSortInTheOrderOfWriting) {
  test::EpochGuard epoch(test::kEpoch);
  test::TempDir dir;
  std::vector<std::string> written;
  for (int i = 0; i < 1002; ++i) {
    // An earlier file that stays empty goes again: its name is not taken later.
    auto empty = i == 500 ? std::make_unique<CTransactionFile>(dir.Path()) : nullptr;
    if (empty) {
      ASSERT_TRUE(empty->Open());
    }
    CTransactionFile log(dir.Path());
    ASSERT_TRUE(log.Open()) << "file " << i + 1;
    log.WritePerson(i, "p");
    written.push_back(log.GetFilePath());
  }
  EXPECT_EQ(test::ListLogs(dir.Path()), written);
}

TEST(TransactionFile, TheOpenFileIsLockedAndEachRecordIsOnDiskAtOnce) {
  test::TempDir dir;
  CollabDoc c(dir.Path());
  c.doc->AddOrUpdatePerson(4, "Eva");
  const std::string path = c.Log()->GetFilePath();
  // Readable right away, before the writer is closed.
  EXPECT_NE(ReadFile(path).find("</add-update-person>\r\n"), std::string::npos);
  const int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_NE(::flock(fd, LOCK_SH | LOCK_NB), 0);
  ::close(fd);

  // An import of the file still being written applies nothing.
  CMemorySettings plain;
  CMeriskDoc other(plain);
  other.OnNewDocument();
  test::FakeUserQuestions ui;
  const auto outcome = ImportTransactionFile(other, path, &ui);
  EXPECT_EQ(outcome.result, TransactionImportResult::Damaged);
  EXPECT_EQ(other.Persons().GetCount(), 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Transaktionsdatei ist beschädigt.\nKeine Änderungen vorgenommen!");

  c.doc.reset();
  EXPECT_EQ(ImportTransactionFile(other, path, &ui).result, TransactionImportResult::Done);
  EXPECT_EQ(other.Persons().GetName(4), "Eva");
}

TEST(TransactionFile, AFolderThatCannotBeUsedWritesNothing) {
  test::TempDir dir;
  test::WriteFile(dir / "plain", "x");
  CollabDoc c(dir / "plain/sub");
  ASSERT_NE(c.Log(), nullptr);  // the writer stays, without a file
  EXPECT_FALSE(c.Log()->IsOpen());
  c.doc->AddOrUpdatePerson(1, "a");
  c.doc->DeletePicture(1, false);
  EXPECT_EQ(c.doc->Persons().GetName(1), "a");
  c.doc.reset();
  EXPECT_EQ(ReadFile(dir / "plain"), "x");
}

TEST(TransactionFile, TheDefaultFolderIsHome) {
  CMemorySettings settings;
  const char* home = std::getenv("HOME");
  if (!home || !*home) GTEST_SKIP();
  EXPECT_EQ(TransactionFolder(settings), home);
  settings.SetString("Settings", "TransactionFolder", "/srv/logs");
  EXPECT_EQ(TransactionFolder(settings), "/srv/logs");
}

TEST(TransactionFile, TwoAlbumsOpenedInTurnShareOneLog) {
  test::TempDir dir;
  CMemorySettings plain;
  for (const char* name : {"x.kvo", "y.kvo"}) {
    CMeriskDoc album(plain);
    album.OnNewDocument();
    ASSERT_TRUE(album.OnSaveDocument(dir / name));
  }
  std::filesystem::create_directory(dir / "logs");
  {
    CollabDoc c(dir / "logs");
    ASSERT_TRUE(c.doc->OnOpenDocument(dir / "x.kvo"));
    c.doc->AddOrUpdatePerson(1, "aus x");
    ASSERT_TRUE(c.doc->OnOpenDocument(dir / "y.kvo"));
    c.doc->AddOrUpdatePerson(1, "aus y");
  }
  const auto logs = ListLogs(dir / "logs");
  ASSERT_EQ(logs.size(), 1u);
  const std::string text = ReadFile(logs[0]);
  const auto x = text.find("<name>aus x</name>");
  const auto y = text.find("<name>aus y</name>");
  ASSERT_NE(x, std::string::npos);
  ASSERT_NE(y, std::string::npos);
  EXPECT_LT(x, y);
}

TEST(TransactionFile, AFailedWriteKeepsTheFileReadableAndStopsTheLog) {
  test::TempDir dir;
  test::FakeUserQuestions reporter;
  CTransactionFile log(dir.Path(), &reporter);
  ASSERT_TRUE(log.Open());
  log.WritePerson(1, "vorher");
  const std::string good = ReadFile(log.GetFilePath());

  // Let the file grow only a few bytes further.
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit tight = saved;
  tight.rlim_cur = good.size() + 10;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
  log.WritePerson(2, std::string(200, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);

  log.WritePerson(3, "nachher");
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].text, TransactionWriteErrorText(EFBIG, log.GetFilePath()));
  EXPECT_EQ(reporter.messages[0].kind, UserMessage::Kind::Warning);
  EXPECT_EQ(log.WriteError(), EFBIG);
  log.Close();
  // Only the complete first record, no partial one and nothing after it.
  EXPECT_EQ(ReadFile(log.GetFilePath()), good);
  CMemorySettings plain;
  CMeriskDoc other(plain);
  other.OnNewDocument();
  test::FakeUserQuestions ui;
  EXPECT_EQ(ImportTransactionFile(other, log.GetFilePath(), &ui).result,
            TransactionImportResult::Done);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(other.Persons().GetCount(), 1);
}

}  // namespace
}  // namespace kolvaro
