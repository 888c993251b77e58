#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>

#include "collab/transactionfile.h"
#include "collab/transactionimport.h"
#include "collab/transactionsync.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;

using Fill = std::function<void(CTransactionText&)>;

std::string Bytes(const Fill& fill, bool closed = true) {
  CTransactionText text;
  fill(text);
  return text.Bytes(closed);
}

void StartAlbum(CMeriskDoc& d) {
  d.OnNewDocument();
  for (int i = 1; i <= 5; ++i)
    d.AddOrUpdatePicture(i, "p" + std::to_string(i) + ".jpg",
                         COleDateTime::FromCalendar(2020, 1, i, 10, 0, 0), 100u * i,
                         "Bild " + std::to_string(i));
  d.AddOrUpdatePerson(1, "Anna");
  d.AddOrUpdatePerson(2, "Bernd");
  d.AddOrUpdateTheme(1, "Urlaub");
  d.AddOrUpdateTheme(2, "Familie");
  d.AddThemeToPicture(1, 1);
  d.AddOrUpdatePersonOnPicture(2, {1, 2, 3, 4}, 2);
}

/// The five tables, sorted, without change dates.
std::string Dump(const CMeriskDoc& doc) {
  std::vector<std::string> lines;
  std::int32_t id, a, b;
  for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
    const PictureEntry& e = doc.Pictures().GetNextRef(p, id);
    std::ostringstream l;
    l << "picture " << id << " [" << e.filename << "] [" << e.title << "] " << e.size;
    lines.push_back(l.str());
  }
  std::string name;
  for (POSITION p = doc.Persons().GetStartPosition(); p != kNullPosition;) {
    doc.Persons().GetNext(p, id, name);
    lines.push_back("person " + std::to_string(id) + " [" + name + "]");
  }
  for (POSITION p = doc.Themes().GetStartPosition(); p != kNullPosition;) {
    doc.Themes().GetNext(p, id, name);
    lines.push_back("theme " + std::to_string(id) + " [" + name + "]");
  }
  Rect r;
  for (POSITION p = doc.PersonsOnPictures().GetStartPosition(); p != kNullPosition;) {
    doc.PersonsOnPictures().GetNext(p, a, b, &r);
    lines.push_back("mark " + std::to_string(a) + ' ' + std::to_string(b) + ' ' +
                    std::to_string(r.left) + ' ' + std::to_string(r.bottom));
  }
  for (POSITION p = doc.ThemesOfPictures().GetStartPosition(); p != kNullPosition;) {
    doc.ThemesOfPictures().GetNext(p, a, b);
    if (a >= 0) lines.push_back("link " + std::to_string(a) + ' ' + std::to_string(b));
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const auto& l : lines) out += l + '\n';
  return out;
}

class TransactionSyncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_logs);
    CMeriskDoc doc(m_settings);
    StartAlbum(doc);
    ASSERT_TRUE(doc.OnSaveDocument(m_album));
  }

  void Put(const std::string& name, const std::string& bytes) {
    test::WriteFile(m_logs / name, bytes);
  }

  SyncSummary Sync() {
    CMeriskDoc doc(m_settings);
    EXPECT_TRUE(doc.OnOpenDocument(m_album));
    return SyncTransactionFolder(doc, m_album, m_logs.string(), [&](std::string& error) {
      return doc.OnSaveDocument(m_album, &error);
    });
  }

  std::string Album() {
    CMeriskDoc doc(m_settings);
    EXPECT_TRUE(doc.OnOpenDocument(m_album));
    return Dump(doc);
  }

  /// The start album with the files replayed by hand in the given order.
  std::string Replayed(const std::vector<std::string>& files) {
    CMeriskDoc doc(m_settings);
    StartAlbum(doc);
    for (const auto& bytes : files) ImportTransactionBytes(doc, bytes, nullptr);
    return Dump(doc);
  }

  CMemorySettings m_settings;
  test::TempDir m_temp;
  fs::path m_logs = m_temp.Path() / "logs";
  std::string m_album = (m_temp.Path() / "album.kvo").string();
};

struct Named {
  std::string name;
  std::string bytes;
};

// Three editors' files, one of them a sync engine's conflict copy of the
// same second, change the same fields.
std::vector<Named> ThreeEditors() {
  return {
      {"mrklog2026-01-01-10-00-00.xml", Bytes([](CTransactionText& t) {
         t.WritePicture(1, "p1.jpg", COleDateTime::FromCalendar(2020, 1, 1, 10, 0, 0), 100, "A1");
         t.WriteTheme(1, "Urlaub A");
         t.WriteThemeOfPicture(2, 2);
         t.WritePersonOnPicture(1, {5, 6, 7, 8}, 3);
       })},
      {"mrklog2026-01-01-10-00-05.xml", Bytes([](CTransactionText& t) {
         t.WritePicture(1, "p1.jpg", COleDateTime::FromCalendar(2020, 1, 1, 10, 0, 0), 100, "B1");
         t.WriteRemoveThemeOfPicture(1, 1);
         t.WritePerson(1, "Anna B");
         t.WriteRemovePerson(2);
       })},
      {"mrklog2026-01-01-10-00-05.sync-conflict-20260101-100010-ABCDEFG.xml",
       Bytes([](CTransactionText& t) {
         t.WritePicture(2, "p2.jpg", COleDateTime::FromCalendar(2020, 1, 2, 10, 0, 0), 200, "C");
         t.WriteTheme(2, "Familie C");
       })},
      {"mrklog2026-01-01-10-00-09.xml", Bytes([](CTransactionText& t) {
         t.WritePicture(1, "p1.jpg", COleDateTime::FromCalendar(2020, 1, 1, 10, 0, 0), 100, "A2");
         t.WriteTheme(1, "Urlaub A2");
         t.WriteRemoveThemeOfPicture(2, 2);
       })},
  };
}

TEST_F(TransactionSyncTest, EveryArrivalOrderGivesTheAlbumOfTheOneOrder) {
  const auto files = ThreeEditors();
  std::vector<std::string> inOrder;
  for (const auto& f : files) inOrder.push_back(f.bytes);
  const std::string expected = Replayed(inOrder);
  ASSERT_NE(expected.find("[A2]"), std::string::npos);

  std::vector<int> arrival = {0, 1, 2, 3};
  do {
    SetUp();
    fs::remove_all(m_logs);
    fs::remove(SyncStatePath(m_album));
    fs::create_directories(m_logs);
    std::string order;
    for (const int i : arrival) {
      order += std::to_string(i);
      Put(files[i].name, files[i].bytes);
      Sync();
      EXPECT_EQ(Sync().applied, 0u) << "arrival " << order;
    }
    EXPECT_EQ(Album(), expected) << "arrival " << order;
  } while (std::next_permutation(arrival.begin(), arrival.end()));
}

TEST_F(TransactionSyncTest, LateRecordLosesAgainstALaterOneAndCountsAsOvertaken) {
  const auto files = ThreeEditors();
  Put(files[3].name, files[3].bytes);
  EXPECT_EQ(Sync().applied, 3u);
  Put(files[0].name, files[0].bytes);
  const SyncSummary late = Sync();
  EXPECT_EQ(late.applied, 1u);  // the mark; the link was removed later
  EXPECT_EQ(late.overtaken, 3u);
  EXPECT_NE(Album().find("picture 1 [p1.jpg] [A2]"), std::string::npos);
}

TEST_F(TransactionSyncTest, GrowingFileIsTakenRecordByRecordExactlyOnce) {
  const std::string full = Bytes([](CTransactionText& t) {
    t.WriteTheme(3, "Neu");
    t.WriteThemeOfPicture(3, 4);
    t.WritePersonOnPicture(1, {1, 1, 9, 9}, 5);
    t.WriteRemovePersonOnPicture(1, 5);
    t.WritePersonOnPicture(1, {2, 2, 8, 8}, 5);
  });
  const std::string expected = Replayed({full});
  const std::string name = "mrklog2026-01-01-10-00-00.xml";
  const std::vector<std::vector<std::size_t>> cuts = {
      {10, 27, 40, full.size() - 5, full.size()},
      {1, 2, 3, 60, 61, 62, 150, full.size()},
      {full.size() - 28, full.size()},
      {full.size()},
  };
  for (const auto& steps : cuts) {
    SetUp();
    fs::remove(SyncStatePath(m_album));
    std::size_t applied = 0;
    for (const std::size_t cut : steps) {
      // A sync engine writes a hidden temporary first, then renames it.
      Put(".syncthing." + name + ".tmp", full);
      applied += Sync().applied;
      fs::remove(m_logs / (".syncthing." + name + ".tmp"));
      Put(name, full.substr(0, cut));
      applied += Sync().applied;
    }
    EXPECT_EQ(applied, 5u) << steps.size();
    EXPECT_EQ(Album(), expected);
    EXPECT_EQ(Sync().applied, 0u);
  }
}

TEST_F(TransactionSyncTest, NewsAreOtherEditorsNewOrGrownFilesUntilTheSyncTakesThem) {
  const std::string full = Bytes([](CTransactionText& t) {
    t.WriteTheme(3, "Neu");
    t.WriteThemeOfPicture(3, 4);
  });
  const std::string own = "mrklog2026-01-01-09-00-00.xml";
  Put(own, "");
  ASSERT_TRUE(NoteOwnTransactionFile(m_album, (m_logs / own).string()));
  Put(own, full);
  Put(".syncthing.mrklog2026-01-01-10-00-00.xml.tmp", full);
  fs::create_symlink(m_album, m_logs / "mrklog2026-01-01-11-00-00.xml");
  EXPECT_EQ(SyncFolderNews(m_album, m_logs.string()).files, 0u);

  const std::string name = "mrklog2026-01-01-10-00-00.xml";
  Put(name, full.substr(0, full.size() / 2));
  EXPECT_EQ(SyncFolderNews(m_album, m_logs.string()).files, 1u);
  const std::size_t first = Sync().applied;
  EXPECT_EQ(SyncFolderNews(m_album, m_logs.string()).files, 0u);
  Put(name, full);
  EXPECT_EQ(SyncFolderNews(m_album, m_logs.string()).files, 1u);
  EXPECT_EQ(first + Sync().applied, 2u);
  EXPECT_EQ(SyncFolderNews(m_album, m_logs.string()).files, 0u);
}

TEST_F(TransactionSyncTest, EditsNeverLandOnAnotherFileOfTheSameNumber) {
  Put("mrklog2026-01-01-10-00-00.xml", Bytes([](CTransactionText& t) {
        const auto when = COleDateTime::FromCalendar(2020, 1, 1, 10, 0, 0);
        t.WritePicture(1, "/home/bernd/anderes.jpg", when, 7, "Fremd");
        t.WriteThemeOfPicture(2, 1);
        t.WritePicture(2, "/home/bernd/Bilder/P2.JPG", when, 200, "Neu");
      }));
  const SyncSummary s = Sync();
  EXPECT_EQ(s.applied, 1u);
  ASSERT_EQ(s.otherPictures.size(), 1u);
  EXPECT_NE(SyncSummaryText(s).find("Bild 1 ist hier p1.jpg"), std::string::npos);
  const std::string album = Album();
  EXPECT_NE(album.find("picture 1 [p1.jpg] [Bild 1]"), std::string::npos) << album;
  EXPECT_EQ(album.find("link 2 1"), std::string::npos) << album;
  EXPECT_NE(album.find("picture 2 [p2.jpg] [Neu]"), std::string::npos) << "this copy's path kept";
}

TEST_F(TransactionSyncTest, ConflictCopyOfAnAppliedFileIsNotAppliedAgain) {
  const auto files = ThreeEditors();
  const std::string name = "mrklog2026-01-01-10-00-05.xml";
  Put(name, files[1].bytes);
  EXPECT_EQ(Sync().applied, 4u);
  // The engine renames the file taken already and puts another editor's
  // file of the same name in its place.
  fs::rename(m_logs / name,
             m_logs / "mrklog2026-01-01-10-00-05.sync-conflict-20260101-100011-XYZ.xml");
  Put(name, files[2].bytes);
  const SyncSummary s = Sync();
  EXPECT_EQ(s.applied, 2u);
  EXPECT_EQ(Album(), Replayed({files[1].bytes, files[2].bytes}));
}

TEST_F(TransactionSyncTest, OwnFilesAreSkippedAndSameFieldChangesListed) {
  const std::string own = "mrklog2026-01-01-10-00-07.xml";
  Put(own, "");
  ASSERT_TRUE(NoteOwnTransactionFile(m_album, (m_logs / own).string()));
  Put(own, Bytes([](CTransactionText& t) {
        t.WritePicture(1, "p1.jpg", COleDateTime::FromCalendar(2020, 1, 1, 10, 0, 0), 100, "Mein");
        t.WritePerson(2, "Bernd");
      }));
  {
    CMeriskDoc doc(m_settings);
    ASSERT_TRUE(doc.OnOpenDocument(m_album));
    doc.AddOrUpdatePicture(1, "p1.jpg", COleDateTime::FromCalendar(2020, 1, 1, 10, 0, 0), 100,
                           "Mein");
    ASSERT_TRUE(doc.OnSaveDocument(m_album));
  }
  // Begun before the own change (it loses) and after it (it wins, no conflict).
  Put("mrklog2026-01-01-10-00-06.xml", Bytes([](CTransactionText& t) {
        t.WritePicture(1, "p1.jpg", COleDateTime::FromCalendar(2020, 1, 1, 10, 0, 0), 100, "Dein");
        t.WritePerson(1, "Anna D");
      }));
  Put("mrklog2026-01-01-10-00-08.xml",
      Bytes([](CTransactionText& t) { t.WritePerson(2, "Bernd S"); }));
  const SyncSummary s = Sync();
  EXPECT_EQ(s.applied, 2u);
  ASSERT_EQ(s.conflicts.size(), 1u);
  EXPECT_EQ(s.conflicts[0].a, 1);
  EXPECT_EQ(s.conflicts[0].mine, "Mein");
  EXPECT_EQ(s.conflicts[0].theirs, "Dein");
  EXPECT_FALSE(s.conflicts[0].theirsWon);
  EXPECT_EQ(s.conflicts[0].file, "mrklog2026-01-01-10-00-06.xml");
  const std::string album = Album();
  EXPECT_NE(album.find("[Mein]"), std::string::npos);
  EXPECT_NE(album.find("person 1 [Anna D]"), std::string::npos);
  EXPECT_NE(album.find("person 2 [Bernd S]"), std::string::npos);
  EXPECT_NE(SyncSummaryText(s).find("Mein"), std::string::npos);

  // The losing value taken with one click is a change the others follow.
  CMeriskDoc doc(m_settings);
  ASSERT_TRUE(doc.OnOpenDocument(m_album));
  std::vector<std::string> logged;
  doc.SetTransactionLog(std::make_unique<test::RecordingLog>(logged));
  ASSERT_TRUE(TakeSyncConflict(doc, s.conflicts[0]));
  EXPECT_EQ(doc.Pictures().Find(1)->title, "Dein");
  EXPECT_EQ(doc.Pictures().Find(1)->size, 100u);
  EXPECT_EQ(logged, std::vector<std::string>{"picture 1"});
}

TEST_F(TransactionSyncTest, HostileFilesAreListedReadOnceAndChangeNothing) {
  const std::string valid = Bytes([](CTransactionText& t) { t.WriteTheme(1, "Fremd"); });
  test::WriteFile(m_temp.Path() / "outside.xml", valid);
  fs::create_symlink(m_temp.Path() / "outside.xml", m_logs / "mrklog2026-01-01-10-00-01.xml");
  ASSERT_EQ(::mkfifo((m_logs / "mrklog2026-01-01-10-00-02.xml").c_str(), 0600), 0);
  Put("mrklog2026-01-01-10-00-03.xml", std::string("\x7f"
                                                   "ELF\0\0\xff\n\n",
                                                   9));
  Put("mrklog2026-01-01-10-00-04.xml",
      Bytes([](CTransactionText& t) { t.WriteTheme(2, "Gut"); }, false) + "<junk>\r\n");
  const SyncSummary s = Sync();
  EXPECT_EQ(s.applied, 1u);
  ASSERT_EQ(s.files.size(), 4u);
  for (const auto& f : s.files) EXPECT_FALSE(f.problem.empty()) << f.name;
  EXPECT_EQ(Album(), Replayed({Bytes([](CTransactionText& t) { t.WriteTheme(2, "Gut"); })}));
  // The damaged ones are not read again; the link and the pipe are only looked at.
  EXPECT_EQ(Sync().files.size(), 2u);
}

TEST_F(TransactionSyncTest, DamagedStateStopsTheSyncBeforeAnyChange) {
  Put("mrklog2026-01-01-10-00-00.xml", Bytes([](CTransactionText& t) { t.WriteTheme(1, "X"); }));
  test::WriteFile(SyncStatePath(m_album), "kolvaro-sync 1\nfile kaputt\n");
  const std::string before = test::ReadFile(m_album);
  const SyncSummary s = Sync();
  EXPECT_FALSE(s.error.empty());
  EXPECT_EQ(s.applied, 0u);
  EXPECT_EQ(test::ReadFile(m_album), before);
}

TEST(SyncOrder, ConflictCopyKeepsTheTimeAndNumberOfItsName) {
  const struct {
    const char* name;
    const char* stamp;
    int number;
  } cases[] = {
      {"mrklog2026-01-01-10-00-05.xml", "2026-01-01-10-00-05", 1},
      {"mrklog2026-01-01-10-00-05_000002.xml", "2026-01-01-10-00-05", 2},
      {"mrklog2026-01-01-10-00-05_000003.sync-conflict-20260101-100011-XYZ.xml",
       "2026-01-01-10-00-05", 3},
      {"mrklogirgendwas.xml", "", 1},
  };
  for (const auto& c : cases) {
    const SyncOrder o = SyncOrderOfName(c.name);
    EXPECT_EQ(o.stamp, c.stamp) << c.name;
    EXPECT_EQ(o.number, c.number) << c.name;
  }
  EXPECT_FALSE(IsSyncedTransactionName(".syncthing.mrklog2026-01-01-10-00-05.xml.tmp"));
}

}  // namespace
}  // namespace kolvaro
