// The album document: the file it writes and reads, failed opens and saves,
// re-basing picture names, and the record operations.

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/exifreader.h"
#include "core/meriskdoc.h"
#include "core/safefile.h"
#include "testsupport/album_bytes.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

namespace fs = std::filesystem;
using test::ByteWriter;
using test::Serialized;
using test::Hex;

constexpr std::int64_t kEpoch = 1700000000;
constexpr char kHelp[] = "/usr/share/kolvaro/help/Kolvaro.chm";
constexpr char kDefaultUrl[] =
    "mk:@MSITStore:/usr/share/kolvaro/help/Kolvaro.chm::/html/update_nopage.html";

double Now() { return test::OleOfUtcSeconds(kEpoch); }

/// The file of a new album saved at once, from the format's rules.
std::string NewAlbumBytes() {
  return ByteWriter()
      .Dword(2)           // file version
      .Str("")            // storage folder
      .Dword(0)           // storage mode
      .Dword(0)           // pictures: count
      .Date(0, 0.0)       //   changed: a fresh table's date
      .Dword(0)           // persons on pictures: count
      .Date(0, Now())     //   changed
      .Dword(0)           // persons: count
      .Date(0, Now())     //   changed
      .Dword(1)           // themes of pictures: count
      .Date(0, Now())     //   changed
      .Dword(0xFFFFFFFE)  //   placeholder link: key high half (theme -1, less picture -1's sign)
      .Dword(0xFFFFFFFF)  //   key low half (picture -1)
      .Date(0, Now())     //   linked
      .Dword(0)           // themes: count
      .Date(0, Now())     //   changed
      .Str("")            // trailer: album info
      .Str(kDefaultUrl)   //   update URL
      .Dword(1)           //   info dialog enabled
      .Bytes();
}

std::string NameOf(const CMeriskDoc& doc, std::int32_t id) {
  const PictureEntry* e = doc.Pictures().Find(id);
  return e ? e->filename : "<none>";
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

/// Runs `body` in a child process and returns what it returned; the child
/// may change its privileges or mounts without touching the test process.
std::string InChild(const std::function<std::string()>& body) {
  int fds[2];
  if (::pipe(fds) != 0) return "SKIP pipe";
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return "SKIP fork";
  if (pid == 0) {
    ::close(fds[0]);
    std::string result;
    try {
      result = body();
    } catch (const std::exception& e) {
      result = std::string("exception: ") + e.what();
    }
    const char* p = result.data();
    std::size_t left = result.size();
    while (left > 0) {
      const ssize_t n = ::write(fds[1], p, left);
      if (n <= 0) break;
      p += n;
      left -= static_cast<std::size_t>(n);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
    out.append(buf, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status)) return "child crashed";
  return out;
}

/// In a child: gives up root, so that file permissions apply.
bool DropRoot() {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

class AlbumTest : public ::testing::Test {
 protected:
  AlbumTest() { m_settings.SetInt("Settings", "Zusammenarbeit", 0); }

  std::unique_ptr<CMeriskDoc> NewDoc(PathStyle style = PathStyle::Posix) {
    auto doc = std::make_unique<CMeriskDoc>(m_settings, style);
    doc->SetHelpFilePath(kHelp);
    EXPECT_TRUE(doc->OnNewDocument());
    return doc;
  }

  /// A small album with pictures, persons, rectangles, themes and links.
  std::unique_ptr<CMeriskDoc> FilledDoc() {
    auto doc = NewDoc();
    doc->SetAlbumFolder(m_dir.Folder());
    doc->AddOrUpdatePicture(1, "urlaub\\a.jpg", COleDateTime(COleDateTime::valid, 45000.5), 100,
                            "Strand");
    doc->AddOrUpdatePicture(2, "b.jpg", COleDateTime(COleDateTime::invalid, 0.0), 200, "");
    doc->AddOrUpdatePerson(1, "Anna");
    doc->AddOrUpdateTheme(1, "Urlaub");
    doc->AddOrUpdatePersonOnPicture(1, Rect{1, 2, 3, 4}, 1);
    doc->AddThemeToPicture(1, 2);
    doc->SetAlbumInfo("Fotos: Anna", "https://example.org/update", 0);
    return doc;
  }

  test::ScopedEnv m_epoch{"SOURCE_DATE_EPOCH", std::to_string(kEpoch)};
  test::ScopedEnv m_tz{"TZ", "Europe/Berlin"};
  CMemorySettings m_settings;
  test::TempDir m_dir;
  bool NoJournal() const {
    const fs::path folder = m_state.Path() / "kolvaro";
    return !fs::exists(folder) || fs::is_empty(folder);
  }

  test::TempDir m_state;  // the rollback journals
  test::ScopedEnv m_stateHome{"XDG_STATE_HOME", m_state.Path().string()};
};

// ----------------------------------------------------------- the file

TEST_F(AlbumTest, NewAlbumBytes) {
  auto doc = NewDoc();
  EXPECT_EQ(Hex(Serialized(*doc)), Hex(NewAlbumBytes()));
  EXPECT_TRUE(doc->CanOpenAlbumInfo());
  EXPECT_FALSE(doc->CanOpenPictureFile());

  const std::string path = m_dir / "Neu.kvo";
  std::string error;
  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  EXPECT_EQ(Hex(test::ReadFile(path)), Hex(NewAlbumBytes()));
  EXPECT_EQ(doc->GetPathName(), path);
  EXPECT_EQ(doc->GetTitle(), "Neu.kvo");
  EXPECT_EQ(FolderEntries(m_dir.Path()), std::vector<std::string>{"Neu.kvo"})
      << "no temporary file is left behind";
}

TEST_F(AlbumTest, NewAlbumTakesItsFolderFromTheSettings) {
  m_settings.SetString("Pictures", "RootFolder", "/home/anna/Bilder");
  auto doc = NewDoc();
  EXPECT_EQ(doc->AlbumFolder(), "/home/anna/Bilder/");
  EXPECT_EQ(doc->MakeStoredPath("/home/anna/Bilder/Urlaub/A.jpg"), "Urlaub\\A.jpg");

  m_settings.SetString("Pictures", "RootFolder", "C|/Bilder/");
  auto win = NewDoc(PathStyle::Windows);
  EXPECT_EQ(win->AlbumFolderStored(), "C|/Bilder/");
  EXPECT_EQ(win->AlbumFolder(), "C:\\Bilder\\");
  EXPECT_EQ(win->MakeStoredPath("C:\\Bilder\\Urlaub\\A.jpg"), "urlaub\\A.jpg");
}

TEST_F(AlbumTest, VersionOneHasNoTrailerAndResetsIt) {
  const std::string v1 = ByteWriter()
                             .Dword(1)       // file version
                             .Str("")        // storage folder
                             .Dword(0)       // storage mode
                             .Dword(0)       // pictures: count
                             .Date(0, 1.0)   //   changed
                             .Dword(0)       // persons on pictures: count
                             .Date(0, 1.0)   //   changed
                             .Dword(1)       // persons: count
                             .Date(0, 1.0)   //   changed
                             .Dword(12)      //   id
                             .Str("Anna")    //   name
                             .Dword(0)       // themes of pictures: count
                             .Date(0, 1.0)   //   changed
                             .Dword(0)       // themes: count
                             .Date(0, 1.0)   //   changed; version 1 ends here
                             .Bytes();
  const std::string path = m_dir / "alt.kvo";
  test::WriteFile(path, v1);

  auto doc = FilledDoc();  // an album with its own trailer was open before
  std::string error;
  ASSERT_TRUE(doc->OnOpenDocument(path, &error)) << error;
  EXPECT_EQ(doc->FileVersion(), 1);
  EXPECT_EQ(doc->AlbumInfo(), "");
  EXPECT_EQ(doc->UpdateUrl(), kDefaultUrl);
  EXPECT_TRUE(doc->CanOpenAlbumInfo());
  EXPECT_EQ(doc->Persons().NextId(), 13);
  EXPECT_EQ(doc->Pictures().GetCount(), 0);

  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  const std::string saved = test::ReadFile(path);
  EXPECT_EQ(Hex(saved),
            Hex(ByteWriter().Dword(2).Raw(v1.substr(4)).Str("").Str(kDefaultUrl).Dword(1).Bytes()));
  EXPECT_EQ(doc->FileVersion(), 2);
}

TEST_F(AlbumTest, VersionThreeIsReadLikeTwoAndWrittenAsTwo) {
  ByteWriter file;
  file.Dword(3).Str("").Dword(0);                             // version, storage folder, mode
  for (int i = 0; i < 5; ++i) file.Dword(0).Date(0, 2.0);  // five empty tables: count, changed
  file.Str("Fotos: \xC4nne").Str("https://example.org").Dword(0);  // info, update URL, dialog off
  const std::string path = m_dir / "v3.kvo";
  test::WriteFile(path, file.Bytes());

  auto doc = NewDoc();
  std::string error;
  ASSERT_TRUE(doc->OnOpenDocument(path, &error)) << error;
  EXPECT_EQ(doc->FileVersion(), 3);
  EXPECT_EQ(doc->AlbumInfo(), "Fotos: Änne");
  EXPECT_EQ(doc->UpdateUrl(), "https://example.org");
  EXPECT_FALSE(doc->CanOpenAlbumInfo());
  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  const std::string saved = test::ReadFile(path);
  EXPECT_EQ(Hex(saved), Hex(ByteWriter().Dword(2).Raw(file.Bytes().substr(4)).Bytes()));

  doc->OnNewDocument();
  EXPECT_TRUE(doc->CanOpenAlbumInfo()) << "a new album enables the info dialog again";
}

// ------------------------------------------------- random albums round trip

struct Name {
  std::string narrow;   ///< code page 1252 bytes
  std::u16string wide;  ///< set for text outside code page 1252
  void Write(ByteWriter& w) const {
    if (!wide.empty())
      w.WideStr(wide);
    else
      w.Str(narrow);
  }
};

/// An album file with records in a chosen order, and what a save of it holds.
struct RandomAlbum {
  struct Picture {
    std::int32_t id;
    Name name;
    std::uint32_t status;
    double timestamp;
    std::uint32_t size;
    double changed;
    Name title;
  };
  struct Named {
    std::int32_t id;
    Name name;
  };
  struct Rectangle {
    std::int32_t person, picture;
    std::int32_t l, t, r, b;
    double date;
  };
  struct Link {
    std::int32_t theme, picture;
    double date;
  };
  std::uint32_t version = 2;
  double dates[5] = {};
  std::vector<Picture> pictures;
  std::vector<Rectangle> rects;
  std::vector<Named> persons;
  std::vector<Link> links;
  std::vector<Named> themes;
  Name info, url;
  std::int32_t infoEnabled = 1;

  std::string Bytes() const {
    ByteWriter w;
    w.Dword(version).Str("").Dword(0);
    w.Dword(static_cast<std::uint32_t>(pictures.size())).Date(0, dates[0]);
    for (const auto& p : pictures) {
      w.Int(p.id);
      p.name.Write(w);
      w.Date(p.status, p.timestamp).Dword(p.size).Date(0, p.changed);
      p.title.Write(w);
    }
    w.Dword(static_cast<std::uint32_t>(rects.size())).Date(0, dates[1]);
    for (const auto& r : rects)
      w.Int(r.person).Int(r.picture).Rect(r.l, r.t, r.r, r.b).Date(0, r.date);
    w.Dword(static_cast<std::uint32_t>(persons.size())).Date(1, dates[2]);
    for (const auto& p : persons) {
      w.Int(p.id);
      p.name.Write(w);
    }
    w.Dword(static_cast<std::uint32_t>(links.size())).Date(2, dates[3]);
    for (const auto& l : links) w.Int(l.theme).Int(l.picture).Date(0, l.date);
    w.Dword(static_cast<std::uint32_t>(themes.size())).Date(0, dates[4]);
    for (const auto& t : themes) {
      w.Int(t.id);
      t.name.Write(w);
    }
    if (version >= 2) {
      info.Write(w);
      url.Write(w);
      w.Int(infoEnabled);
    }
    return w.Bytes();
  }

  /// The album as a save writes it after reading this file: version 2 and
  /// every table in the order its map takes when the records are read.
  RandomAlbum Saved() const {
    RandomAlbum s = *this;
    s.version = 2;
    auto reorder = [](auto& records, auto keyOf) {
      using Key = std::int64_t;
      std::vector<Key> readOrder;
      std::map<Key, std::size_t> at;
      for (std::size_t i = 0; i < records.size(); ++i) {
        readOrder.push_back(keyOf(records[i]));
        at[keyOf(records[i])] = i;
      }
      auto copy = records;
      records.clear();
      for (const Key k : test::BucketOrderModel<Key>::AfterReading(readOrder))
        records.push_back(copy[at[k]]);
    };
    // Pair keys are listed by their two halves; the bucket comes from the low one.
    auto pair = [](std::int32_t high, std::int32_t low) {
      return static_cast<std::int64_t>(static_cast<std::uint64_t>(static_cast<std::uint32_t>(high))
                                           << 32 |
                                       static_cast<std::uint32_t>(low));
    };
    reorder(s.pictures, [](const Picture& p) {
      return static_cast<std::int64_t>(static_cast<std::uint32_t>(p.id));
    });
    reorder(s.rects, [&](const Rectangle& r) { return pair(r.person, r.picture); });
    reorder(s.persons, [](const Named& p) {
      return static_cast<std::int64_t>(static_cast<std::uint32_t>(p.id));
    });
    reorder(s.links, [&](const Link& l) { return pair(l.theme, l.picture); });
    reorder(s.themes, [](const Named& t) {
      return static_cast<std::int64_t>(static_cast<std::uint32_t>(t.id));
    });
    // A negative picture half lowers the other half by one at every reading.
    for (auto& r : s.rects)
      if (r.picture < 0)
        r.person = static_cast<std::int32_t>(static_cast<std::uint32_t>(r.person) - 1);
    for (auto& l : s.links)
      if (l.picture < 0)
        l.theme = static_cast<std::int32_t>(static_cast<std::uint32_t>(l.theme) - 1);
    if (version < 2) {
      s.info = Name{};
      s.url = Name{kDefaultUrl, {}};
      s.infoEnabled = 1;
    }
    return s;
  }
};

RandomAlbum MakeRandomAlbum(std::mt19937& rng) {
  RandomAlbum a;
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto name = [&](const std::string& stem) {
    const std::string digits = std::to_string(rng() % 100000);
    switch (pick(4)) {
      case 0: {
        std::u16string w = u"Ωmega ";
        for (const char c : stem + digits) w.push_back(static_cast<char16_t>(c));
        return Name{"", w};
      }
      case 1:
        return Name{"Fr\xFChling " + stem + digits + " \x80", {}};
      default:
        return Name{stem + digits, {}};
    }
  };
  auto distinct = [&](int count, int range) {
    std::set<std::int32_t> ids;
    while (static_cast<int>(ids.size()) < count) ids.insert(1 + pick(range));
    std::vector<std::int32_t> v(ids.begin(), ids.end());
    std::shuffle(v.begin(), v.end(), rng);
    return v;
  };
  auto date = [&] { return 30000.0 + pick(20000) + pick(86400) / 86400.0; };
  for (double& d : a.dates) d = date();
  const auto pictureIds = distinct(pick(60), 700);
  for (const auto id : pictureIds) {
    const char* folders[] = {"", "Urlaub\\", "urlaub\\Tag 1\\", "DCIM\\100CANON\\"};
    a.pictures.push_back({id, name(std::string(folders[pick(4)]) + "IMG_"),
                          static_cast<std::uint32_t>(pick(3)), date(),
                          static_cast<std::uint32_t>(rng()), date(),
                          pick(3) == 0 ? Name{} : name("Titel ")});
  }
  std::set<std::pair<std::int32_t, std::int32_t>> used;
  for (int i = pick(80); i > 0; --i) {
    const std::int32_t person = 1 + pick(12),
                       picture = pictureIds.empty() ? 1
                                                    : pictureIds[static_cast<std::size_t>(pick(
                                                          static_cast<int>(pictureIds.size())))];
    if (used.emplace(person, picture).second)
      a.rects.push_back(
          {person, picture, pick(500), pick(500), 500 + pick(500), 500 + pick(500), date()});
  }
  for (const auto id : distinct(pick(15), 40)) a.persons.push_back({id, name("Person ")});
  used.clear();
  if (pick(2) == 0) {
    used.emplace(-2, -1);
    a.links.push_back({-2, -1, date()});  // the placeholder every new album has
  }
  for (int i = pick(80); i > 0; --i) {
    const std::int32_t theme = 1 + pick(9), picture = 1 + pick(700);
    if (used.emplace(theme, picture).second) a.links.push_back({theme, picture, date()});
  }
  std::shuffle(a.links.begin(), a.links.end(), rng);
  for (const auto id : distinct(pick(10), 30)) a.themes.push_back({id, name("Thema ")});
  a.info = name("Info ");
  a.url = name("https://example.org/");
  a.infoEnabled = pick(2);
  a.version = 1 + static_cast<std::uint32_t>(pick(3));
  return a;
}

TEST_F(AlbumTest, RandomAlbumsSaveInTheOrderOfTheirMaps) {
  std::mt19937 rng(1234);
  const std::string path = m_dir / "Album.kvo";
  for (int round = 0; round < 40; ++round) {
    const RandomAlbum album = MakeRandomAlbum(rng);
    test::WriteFile(path, album.Bytes());
    std::string error;
    auto doc = NewDoc();
    ASSERT_TRUE(doc->OnOpenDocument(path, &error)) << error;
    EXPECT_EQ(doc->Pictures().NextId(),
              album.pictures.empty()
                  ? 1
                  : 1 + std::max_element(album.pictures.begin(), album.pictures.end(),
                                         [](auto& a, auto& b) { return a.id < b.id; })
                            ->id);
    ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
    const std::string first = test::ReadFile(path);
    ASSERT_EQ(Hex(first), Hex(album.Saved().Bytes())) << "round " << round;

    ASSERT_TRUE(doc->OnOpenDocument(path, &error)) << error;
    ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
    const std::string second = test::ReadFile(path);
    ASSERT_EQ(Hex(second), Hex(album.Saved().Saved().Bytes())) << "round " << round;

    auto other = NewDoc();
    ASSERT_TRUE(other->OnOpenDocument(path, &error)) << error;
    ASSERT_TRUE(other->OnSaveDocument(path, &error)) << error;
    const std::string third = test::ReadFile(path);
    ASSERT_EQ(Hex(third), Hex(album.Saved().Saved().Saved().Bytes())) << "round " << round;
    const bool placeholder = std::any_of(album.links.begin(), album.links.end(),
                                         [](const auto& l) { return l.picture < 0; });
    if (!placeholder) {
      ASSERT_EQ(third, first) << "two round trips give the bytes back";
    }
  }
}

// ------------------------------------------------------------ failed opens

TEST_F(AlbumTest, FailedOpenLeavesANewEmptyAlbum) {
  auto good = FilledDoc();
  const std::string bytes = Serialized(*good);
  const std::string path = m_dir / "kaputt.kvo";
  std::mt19937 rng(3);
  std::vector<std::size_t> cuts = {0, 1, 4, 5, 9, 10, bytes.size() - 1};
  for (int i = 0; i < 40; ++i) cuts.push_back(rng() % bytes.size());
  for (const std::size_t cut : cuts) {
    test::WriteFile(path, bytes.substr(0, cut));
    auto doc = FilledDoc();
    ASSERT_TRUE(doc->OnSaveDocument(m_dir / "gut.kvo"));
    doc->AddOrUpdatePerson(7, "Neu");
    std::string error;
    EXPECT_FALSE(doc->OnOpenDocument(path, &error)) << cut;
    EXPECT_EQ(error, "Unerwartetes Dateiformat.") << cut;
    EXPECT_EQ(doc->Pictures().GetCount(), 0);
    EXPECT_EQ(doc->Persons().GetCount(), 0);
    EXPECT_EQ(doc->PersonsOnPictures().GetCount(), 0);
    EXPECT_EQ(doc->Themes().GetCount(), 0);
    EXPECT_EQ(doc->ThemesOfPictures().GetCount(), 1);
    EXPECT_TRUE(doc->ThemesOfPictures().Lookup(-1, -1));
    EXPECT_EQ(doc->AlbumInfo(), "");
    EXPECT_EQ(doc->UpdateUrl(), kDefaultUrl);
    EXPECT_TRUE(doc->CanOpenAlbumInfo());
    EXPECT_EQ(doc->GetPathName(), "") << "a later save cannot overwrite any album";
    EXPECT_FALSE(doc->IsModified());
    EXPECT_EQ(doc->CurrentPicture(), -1);
  }
}

TEST_F(AlbumTest, HugeCountsFailAtOnce) {
  const std::string path = m_dir / "gross.kvo";
  test::WriteFile(path, ByteWriter()
                                 .Dword(2)                       // file version
                                 .Str("")                        // storage folder
                                 .Dword(0)                       // storage mode
                                 .Dword(2147483647)              // pictures: count
                                 .Raw(std::string(10, '\x01'))   //   and ten bytes for them
                                 .Bytes());
  auto doc = NewDoc();
  std::string error;
  test::AllocationProbe probe;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(doc->OnOpenDocument(path, &error));
  EXPECT_EQ(error, "Unerwartetes Dateiformat.");
  EXPECT_LT(probe.Largest(), 1u << 20);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST_F(AlbumTest, OpenFailuresOfTheFileSystem) {
  auto doc = FilledDoc();
  std::string error;
  const std::string missing = m_dir / "fehlt.kvo";
  EXPECT_FALSE(doc->OnOpenDocument(missing, &error));
  EXPECT_EQ(error, missing + " wurde nicht gefunden.");
  EXPECT_EQ(doc->Pictures().GetCount(), 2) << "an album that was never touched stays";

  EXPECT_FALSE(doc->OnOpenDocument(m_dir.Path().string(), &error));
  EXPECT_EQ(error, m_dir.Path().string() + " ist keine gewöhnliche Datei.");

  // A file nobody may read (root aside, which the child gives up).
  ASSERT_EQ(::chmod(m_dir.Path().c_str(), 0755), 0);
  const std::string secret = m_dir / "geheim.kvo";
  test::WriteFile(secret, NewAlbumBytes());
  ASSERT_EQ(::chmod(secret.c_str(), 0), 0);
  const std::string result = InChild([&] {
    if (!DropRoot()) return std::string("SKIP cannot drop root");
    CMemorySettings settings;
    CMeriskDoc child(settings);
    std::string err;
    if (child.OnOpenDocument(secret, &err)) return std::string("SKIP the file is readable anyway");
    return err;
  });
  if (result.starts_with("SKIP")) GTEST_SKIP() << result;
  EXPECT_EQ(result, "Zugriff auf " + secret + " wurde verweigert.");
}

// ------------------------------------------------------------ failed saves

TEST_F(AlbumTest, SaveKeepsTheModeOwnerAndGroupOfTheFileItReplaces) {
  auto doc = FilledDoc();
  const std::string path = m_dir / "Album.kvo";
  test::WriteFile(path, "alt");
  // Root may keep another user's ownership, everybody their own group.
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  }
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  struct stat old {};
  ASSERT_EQ(::stat(path.c_str(), &old), 0);
  std::string error;
  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_uid, old.st_uid);
  EXPECT_EQ(st.st_gid, old.st_gid);
  EXPECT_EQ(test::ReadFile(path), Serialized(*doc));
  EXPECT_EQ(FolderEntries(m_dir.Path()), std::vector<std::string>{"Album.kvo"});
}

TEST_F(AlbumTest, FailedSaveIntoAMissingFolderChangesNothing) {
  auto doc = FilledDoc();
  const std::string path = m_dir / "Album.kvo";
  std::string error;
  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  const std::string before = test::ReadFile(path);
  const std::string folder = doc->AlbumFolder();
  const std::string full = doc->GetPictureFullPath(1);

  const std::string target = m_dir / "fehlt/Album.kvo";
  EXPECT_FALSE(doc->OnSaveDocument(target, &error));
  EXPECT_EQ(error, "Fehler beim Speichern des Dokuments.");
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(doc->GetPathName(), path);
  EXPECT_EQ(doc->AlbumFolder(), folder) << "the album stays based where it is";
  EXPECT_EQ(doc->GetPictureFullPath(1), full);
  EXPECT_EQ(NameOf(*doc, 1), "urlaub\\a.jpg");
  EXPECT_EQ(test::ReadFile(path), before);

  // A directory in the way of the file.
  fs::create_directory(m_dir / "Ordner.kvo");
  EXPECT_FALSE(doc->OnSaveDocument(m_dir / "Ordner.kvo", &error));
  EXPECT_EQ(error, (m_dir / "Ordner.kvo") + " ist keine gewöhnliche Datei.");
  EXPECT_TRUE(fs::is_directory(m_dir / "Ordner.kvo"));
  EXPECT_EQ(FolderEntries(m_dir.Path()), (std::vector<std::string>{"Album.kvo", "Ordner.kvo"}));
}

// ------------------------------------------- what stands at the album's path

TEST_F(AlbumTest, SaveWritesTheTargetOfALinkAndKeepsTheLink) {
  auto doc = FilledDoc();
  fs::create_directory(m_dir / "echt");
  const std::string real = m_dir / "echt/Album.kvo";
  test::WriteFile(real, "alt");
  const std::string link = m_dir / "Album.kvo";
  fs::create_symlink("echt/Album.kvo", link);
  std::string error;
  ASSERT_TRUE(doc->OnSaveDocument(link, &error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(test::ReadFile(real), Serialized(*doc));
  EXPECT_EQ(FolderEntries(m_dir / "echt"), std::vector<std::string>{"Album.kvo"});
}

TEST(SafeFile, TheWriteBitOfTheUsersClassDecides) {
  struct Case {
    mode_t mode;
    uid_t uid;
    bool inGroup;
    bool may;
  };
  const Case cases[] = {
      {0644, 1000, false, true},  {0444, 1000, false, false}, {0464, 1000, true, false},
      {0644, 1001, true, false},  {0664, 1001, true, true},   {0646, 1001, true, false},
      {0646, 1001, false, true},  {0444, 0, false, false},    {0442, 0, false, true},
  };
  for (const Case& c : cases) {
    struct stat st {};
    st.st_mode = S_IFREG | c.mode;
    st.st_uid = 1000;
    EXPECT_EQ(ModeAllowsWrite(st, c.uid, c.inGroup), c.may)
        << std::oct << c.mode << std::dec << " uid " << c.uid << " group " << c.inGroup;
  }
}

TEST_F(AlbumTest, AnAlbumTheUserMayNotWriteIsRefusedAndKept) {
  ASSERT_EQ(::chmod(m_dir.Path().c_str(), 0777), 0);
  const std::string path = m_dir / "Album.kvo";
  test::WriteFile(path, "alt");
  auto refused = [&](const std::string& result) {
    EXPECT_EQ(result, "Zugriff auf " + path + " wurde verweigert.");
    EXPECT_EQ(test::ReadFile(path), "alt");
    EXPECT_EQ(FolderEntries(m_dir.Path()), std::vector<std::string>{"Album.kvo"});
  };
  // Marked read-only: refused for root as well.
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  auto doc = FilledDoc();
  std::string error;
  EXPECT_FALSE(doc->OnSaveDocument(path, &error));
  refused(error);

  // Another user's file in a folder everybody may write to.
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  refused(InChild([&] {
    if (!DropRoot()) return std::string("cannot drop root");
    CMemorySettings settings;
    CMeriskDoc child(settings);
    child.OnNewDocument();
    std::string err;
    child.OnSaveDocument(path, &err);
    return err;
  }));
}

TEST_F(AlbumTest, SaveWritesInPlaceWhereARenameCannotServe) {
  // Other hard links must see the change; a folder nobody may write to
  // (by its mode bits, so also for root) takes no new file.
  for (const bool linked : {true, false}) {
    SCOPED_TRACE(linked ? "hard link" : "read-only folder");
    const std::string folder = m_dir / (linked ? "verlinkt" : "nurlesen");
    fs::create_directory(folder);
    const std::string path = folder + "/Album.kvo";
    test::WriteFile(path, "alt");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    if (linked) fs::create_hard_link(path, folder + "/Zweit.kvo");
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    if (!linked) {
      ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    }

    auto doc = FilledDoc();
    std::string error;
    EXPECT_TRUE(doc->OnSaveDocument(path, &error)) << error;
    ::chmod(folder.c_str(), 0755);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(test::ReadFile(path), Serialized(*doc));
    if (linked) {
      EXPECT_EQ(test::ReadFile(folder + "/Zweit.kvo"), Serialized(*doc));
    }
    EXPECT_EQ(FolderEntries(folder).size(), linked ? 2u : 1u);
    EXPECT_FALSE(doc->ChangedOnDisk());
  }
}

TEST_F(AlbumTest, AFullDiskStopsTheSaveBeforeTheOldAlbumIsTouched) {
  // The file size limit stands in for a full disk, in a child of its own.
  for (const bool linked : {false, true}) {
    SCOPED_TRACE(linked ? "in place" : "by rename");
    const std::string folder = m_dir / (linked ? "verlinkt" : "einzeln");
    fs::create_directory(folder);
    const std::string path = folder + "/Album.kvo";
    auto doc = FilledDoc();
    std::string error;
    ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
    if (linked) fs::create_hard_link(path, folder + "/Zweit.kvo");
    const std::string before = test::ReadFile(path);
    const std::string result = InChild([&] {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{before.size() + 512, before.size() + 512};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
      doc->SetAlbumInfo(std::string(64 * 1024, 'x'), doc->UpdateUrl(), doc->InfoDialogEnabled());
      std::string err;
      if (doc->OnSaveDocument(path, &err)) return std::string("saved");
      return err;
    });
    EXPECT_EQ(result, "Beim Zugriff auf " + path + " wurde ein voller Datenträger gemeldet.");
    EXPECT_EQ(test::ReadFile(path), before);
    EXPECT_EQ(FolderEntries(folder).size(), linked ? 2u : 1u);
  }
}

TEST_F(AlbumTest, AKilledSaveLeavesNoTemporaryFileBehind) {
  const std::string path = m_dir / "Album.kvo";
  auto doc = FilledDoc();
  doc->SetAlbumInfo(std::string(4 << 20, 'x'), doc->UpdateUrl(), doc->InfoDialogEnabled());
  std::string error;
  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  // What a save killed before its rename left: only this album's, of
  // processes that are gone, goes with the next save.
  const pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ::waitpid(dead, nullptr, 0);
  const std::string gone = std::to_string(dead), alive = std::to_string(::getpid());
  const std::vector<std::string> kept = {"Album.kvo.tmp-" + alive + "-a1B2c3",
                                         "Album.kvo.tmp-" + gone + "-a1B2",
                                         "Anderes.kvo.tmp-" + gone + "-a1B2c3"};
  test::WriteFile(m_dir / ("Album.kvo.tmp-" + gone + "-a1B2c3"), "halb");
  for (const auto& name : kept) test::WriteFile(m_dir / name, "fremd");

  std::mt19937 random(7);
  for (int round = 0; round < 8; ++round) {
    std::fflush(nullptr);
    const pid_t saver = ::fork();
    if (saver == 0) {
      for (std::string err;;) doc->OnSaveDocument(path, &err);
    }
    ::usleep(static_cast<useconds_t>(random() % 40000));
    ::kill(saver, SIGKILL);
    ::waitpid(saver, nullptr, 0);
  }
  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  std::vector<std::string> expected = kept;
  expected.push_back("Album.kvo");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FolderEntries(m_dir.Path()), expected);
}

int g_killAtPiece = 0;
void KillAtPiece(std::uint64_t) {
  if (--g_killAtPiece == 0) ::raise(SIGKILL);
}

// A save killed after any piece it writes leaves the old album or the new
// one: by rename, and in place (a second hard link, a folder that takes no
// new file), growing and shrinking. The open after the kill undoes a cut-off
// in-place write and says so.
TEST_F(AlbumTest, ASaveKilledAnywhereLeavesTheOldOrTheNewAlbum) {
  for (const std::string kind : {"umbenannt", "verlinkt", "nurlesen"}) {
    SCOPED_TRACE(kind);
    const std::string folder = m_dir / kind;
    fs::create_directory(folder);
    const std::string path = folder + "/Album.kvo";
    auto doc = FilledDoc();
    std::string error;
    ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
    if (kind == "verlinkt") fs::create_hard_link(path, folder + "/Zweit.kvo");
    if (kind == "nurlesen") {
      ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    }
    int olds = 0, news = 0, restored = 0;
    for (const std::size_t infoSize : {9000, 10}) {
      const std::string before = test::ReadFile(path);
      doc->SetAlbumInfo(std::string(infoSize, 'i'), doc->UpdateUrl(), 1);
      const std::string after = Serialized(*doc);
      for (int piece = 1;; ++piece) {
        std::fflush(nullptr);
        const pid_t saver = ::fork();
        if (saver == 0) {
          g_killAtPiece = piece;
          SetSaveWriteHook(KillAtPiece);
          std::string err;
          ::_exit(doc->OnSaveDocument(path, &err) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(saver, &status, 0);
        test::FakeUserQuestions ui;
        CMeriskDoc reopened(m_settings);
        reopened.SetUserQuestions(&ui);
        ASSERT_TRUE(reopened.OnOpenDocument(path, &error)) << error << ", piece " << piece;
        const std::string now = test::ReadFile(path);
        ASSERT_TRUE(now == before || now == after) << "piece " << piece;
        ++(now == before ? olds : news);
        if (!ui.messages.empty()) {
          ++restored;
          EXPECT_NE(ui.messages[0].text.find(path), std::string::npos) << ui.messages[0].text;
        }
        if (kind == "verlinkt") {
          EXPECT_EQ(test::ReadFile(folder + "/Zweit.kvo"), now);
        }
        EXPECT_TRUE(NoJournal()) << "piece " << piece;
        if (WIFEXITED(status)) {
          EXPECT_EQ(WEXITSTATUS(status), 0);
          EXPECT_EQ(now, after);
          break;
        }
        test::WriteFile(path, before);  // in place: the next kill starts from the old album
      }
    }
    std::printf("[          ] %s: %d kills, %d old, %d new, %d restored on open\n", kind.c_str(),
                olds + news - 2, olds, news - 2, restored);
    EXPECT_GE(olds, 4);
    if (kind != "umbenannt") {
      EXPECT_GE(restored, 2);
    }
  }
}

TEST_F(AlbumTest, AnInPlaceSaveWhoseJournalFindsNoRoomLeavesTheAlbumAsItWas) {
  const std::string path = m_dir / "Album.kvo";
  auto doc = FilledDoc();
  doc->SetAlbumInfo(std::string(8192, 'i'), doc->UpdateUrl(), 1);
  std::string error;
  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  fs::create_hard_link(path, m_dir / "Zweit.kvo");
  const std::string before = test::ReadFile(path);
  const std::string result = InChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{before.size() / 2, before.size() / 2};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
    doc->SetAlbumInfo("kurz", doc->UpdateUrl(), 1);
    std::string err;
    return doc->OnSaveDocument(path, &err) ? std::string("saved") : err;
  });
  EXPECT_EQ(result.substr(0, result.find(". ")), "Vor dem Speichern von " + path +
                                                     " konnte keine Sicherungskopie in " +
                                                     (m_state / "kolvaro/") + " angelegt werden");
  EXPECT_EQ(test::ReadFile(path), before);
  EXPECT_TRUE(NoJournal());
}

TEST_F(AlbumTest, PipesAndDevicesAreNeverOpenedAsAlbumsOrPictures) {
  const std::string pipe = m_dir / "Rohr.kvo";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  // Without the check the child would wait for a writer until the alarm.
  const std::string result = InChild([&] {
    ::alarm(10);
    std::string out;
    for (const std::string& path : {pipe, std::string("/dev/zero")}) {
      CMemorySettings settings;
      CMeriskDoc doc(settings);
      doc.OnNewDocument();
      std::string err;
      if (!doc.OnOpenDocument(path, &err)) out += err + "\n";
      std::string date;
      if (CExifReader(path).GetCaptureDateText(date)) out += "exif read\n";
    }
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    std::string err;
    if (!doc.OnSaveDocument(pipe, &err)) out += err + "\n";
    return out;
  });
  EXPECT_EQ(result, pipe + " ist keine gewöhnliche Datei.\n/dev/zero ist keine gewöhnliche Datei.\n" +
                        pipe + " ist keine gewöhnliche Datei.\n");
  EXPECT_TRUE(fs::is_fifo(pipe)) << "a save never replaces what is not a file";
}

TEST_F(AlbumTest, AChangeOnDiskByAnotherProgramIsNoticed) {
  const std::string path = m_dir / "Album.kvo";
  auto doc = FilledDoc();
  std::string error;
  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  EXPECT_FALSE(doc->ChangedOnDisk());

  auto other = NewDoc();
  ASSERT_TRUE(other->OnOpenDocument(path, &error)) << error;
  other->AddOrUpdatePerson(9, "Neu");
  ASSERT_TRUE(other->OnSaveDocument(path, &error)) << error;
  EXPECT_TRUE(doc->ChangedOnDisk()) << "saved over by rename";
  EXPECT_FALSE(other->ChangedOnDisk());

  ASSERT_TRUE(doc->OnSaveDocument(path, &error)) << error;
  EXPECT_FALSE(doc->ChangedOnDisk());
  test::WriteFile(path, test::ReadFile(path) + "x");
  EXPECT_TRUE(doc->ChangedOnDisk()) << "written in place";

  ASSERT_TRUE(doc->OnOpenDocument(path, &error)) << error;
  EXPECT_FALSE(doc->ChangedOnDisk());
  fs::remove(path);
  EXPECT_FALSE(doc->ChangedOnDisk()) << "nothing on disk to lose";
}

TEST_F(AlbumTest, SaveOntoAFullDiskKeepsTheOldFile) {
  const std::string folder = m_dir / "klein";
  fs::create_directory(folder);
  const std::string path = folder + "/Album.kvo";
  // A 16 KiB file system of the child's own, in a mount namespace.
  const std::string result = InChild([&]() -> std::string {
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWNS) != 0) {
      if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return "SKIP no mount namespace";
      auto put = [](const char* file, const std::string& text) {
        const int fd = ::open(file, O_WRONLY);
        if (fd < 0) return;
        [[maybe_unused]] const ssize_t n = ::write(fd, text.data(), text.size());
        ::close(fd);
      };
      put("/proc/self/setgroups", "deny");
      put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1");
      put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
    }
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") != 0) return "SKIP no tmpfs";
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    std::string err;
    if (!doc.OnSaveDocument(path, &err)) return "small album failed: " + err;
    const std::string before = test::ReadFile(path);
    doc.SetAlbumInfo(std::string(64 * 1024, 'x'), doc.UpdateUrl(), doc.InfoDialogEnabled());
    if (doc.OnSaveDocument(path, &err)) return "SKIP the file system is not full";
    std::string entries;
    for (const auto& name : FolderEntries(folder)) entries += name + ";";
    return err + "\n" + (test::ReadFile(path) == before ? "intact" : "damaged") + "\n" +
           entries;
  });
  if (result.starts_with("SKIP")) GTEST_SKIP() << result;
  EXPECT_EQ(result, "Beim Zugriff auf " + path +
                        " wurde ein voller Datenträger gemeldet.\nintact\nAlbum.kvo;");
}

// ------------------------------------------------------ re-basing names

TEST_F(AlbumTest, SavingIntoAnotherFolderReBasesTheNames) {
  const std::string a = m_dir / "A";
  fs::create_directories(a + "/sub");
  fs::create_directories(m_dir / "B");
  const std::string urlaub = a + "/urlaub/a.jpg";
  const std::string fotos = m_dir / "fotos/b.jpg";
  for (const auto& file : {urlaub, fotos}) {
    fs::create_directories(fs::path(file).parent_path());
    test::WriteFile(file, "jpeg");
  }
  auto doc = NewDoc();
  doc->AddOrUpdatePicture(1, urlaub, COleDateTime(), 1, "");
  doc->AddOrUpdatePicture(2, fotos, COleDateTime(), 1, "");
  doc->AddOrUpdatePicture(3, "D:\\Bilder\\c.jpg", COleDateTime(), 1, "");
  doc->AddOrUpdatePicture(4, "", COleDateTime(), 1, "");
  struct Step {
    std::string album;
    const char* names[4];
  } steps[] = {
      {a + "/Album.kvo", {"urlaub\\a.jpg", "..\\fotos\\b.jpg", "D:\\Bilder\\c.jpg", ""}},
      {a + "/sub/Album.kvo",
       {"..\\urlaub\\a.jpg", "..\\..\\fotos\\b.jpg", "D:\\Bilder\\c.jpg", ""}},
      {m_dir / "B/Album.kvo",
       {"..\\A\\urlaub\\a.jpg", "..\\fotos\\b.jpg", "D:\\Bilder\\c.jpg", ""}},
      {a + "/Album.kvo", {"urlaub\\a.jpg", "..\\fotos\\b.jpg", "D:\\Bilder\\c.jpg", ""}},
  };
  const COleDateTime changed = doc->Pictures().Find(1)->changed;
  for (const auto& step : steps) {
    std::string error;
    ASSERT_TRUE(doc->OnSaveDocument(step.album, &error)) << error;
    for (std::int32_t id = 1; id <= 4; ++id)
      EXPECT_EQ(NameOf(*doc, id), step.names[id - 1]) << step.album << " #" << id;
    std::string canonical;
    ASSERT_TRUE(Canonicalize(PathStyle::Posix, doc->GetPictureFullPath(1), canonical));
    EXPECT_EQ(canonical, urlaub);
    ASSERT_TRUE(Canonicalize(PathStyle::Posix, doc->GetPictureFullPath(2), canonical));
    EXPECT_EQ(canonical, fotos);
    EXPECT_EQ(doc->Pictures().Find(1)->changed, changed) << "re-basing is no change of the picture";
    for (const std::int32_t id : {1, 2})
      EXPECT_TRUE(fs::exists(doc->GetPictureFullPath(id))) << doc->GetPictureFullPath(id);
    // A folder the album has left may go away.
    if (step.album == m_dir / "B/Album.kvo") fs::remove_all(a + "/sub");
  }
}

TEST_F(AlbumTest, StorageModeOneStoresCanonicalAbsoluteNames) {
  auto doc = NewDoc();
  doc->SetStorage(1, m_dir / "ablage/");
  doc->AddOrUpdatePicture(1, "urlaub\\a.jpg", COleDateTime(), 1, "");
  doc->AddOrUpdatePicture(2, "x\\..\\b.jpg", COleDateTime(), 1, "");
  doc->AddOrUpdatePicture(3, "D:\\c.jpg", COleDateTime(), 1, "");
  EXPECT_EQ(doc->GetPictureFullPath(1), m_dir / "ablage/urlaub/a.jpg");
  std::string error;
  ASSERT_TRUE(doc->OnSaveDocument(m_dir / "Album.kvo", &error)) << error;
  EXPECT_EQ(doc->AlbumFolder(), m_dir / "ablage/");
  EXPECT_EQ(NameOf(*doc, 1), m_dir / "ablage/urlaub/a.jpg");
  EXPECT_EQ(NameOf(*doc, 2), m_dir / "ablage/b.jpg");
  EXPECT_EQ(NameOf(*doc, 3), "D:\\c.jpg");
  EXPECT_EQ(doc->MakeStoredPath(m_dir / "ablage/neu/d.jpg"), "neu\\d.jpg");

  const std::string file = test::ReadFile(m_dir / "Album.kvo");
  EXPECT_EQ(file.substr(4, 1 + doc->StorageFolder().size()),
            ByteWriter().Str(doc->StorageFolder()).Bytes());
}

TEST_F(AlbumTest, WindowsStylePathsOfTheDocument) {
  auto doc = NewDoc(PathStyle::Windows);
  doc->SetAlbumFolder("C:\\Alben\\");
  doc->AddOrUpdatePicture(1, doc->MakeStoredPath("C:\\Alben\\Urlaub\\A.jpg"), COleDateTime(), 1,
                          "");
  doc->AddOrUpdatePicture(2, doc->MakeStoredPath("E:\\x.jpg"), COleDateTime(), 1, "");
  doc->AddOrUpdatePicture(3, "a.jpg", COleDateTime(), 1, "");
  EXPECT_EQ(NameOf(*doc, 1), "urlaub\\A.jpg");
  EXPECT_EQ(doc->GetPictureFullPath(1), "C:\\Alben\\urlaub\\A.jpg");
  EXPECT_EQ(doc->GetPictureFullPath(2), "E:\\x.jpg");
  EXPECT_EQ(doc->GetPictureFullPath(3), "C:\\Alben\\a.jpg");
  EXPECT_EQ(doc->GetPictureFullPath(99), "");
  // The names keep the base they were stored for until the save converts them.
  doc->SetStorage(1, "D:\\Fotos\\");
  EXPECT_EQ(doc->GetPictureFullPath(3), "C:\\Alben\\a.jpg");
  auto empty = NewDoc(PathStyle::Windows);
  empty->SetStorage(1, "D:\\Fotos\\");
  EXPECT_EQ(empty->MakeStoredPath("D:\\Fotos\\2024\\B.JPG"), "2024\\B.JPG");
}

// --------------------------------------------------- record operations

/// Writes one line per logged change, with what the album held at that moment.
class RecordingLog : public ITransactionLog {
 public:
  explicit RecordingLog(CMeriskDoc& doc) : m_doc(doc) {}
  std::vector<std::string> lines;

  void WritePicture(std::int32_t id, const std::string& filename, const COleDateTime&,
                    std::uint64_t size, const std::string& title) override {
    Add("picture " + std::to_string(id) + " " + filename + " " + std::to_string(size) + " " +
        title);
  }
  void WritePerson(std::int32_t id, const std::string& name) override {
    Add("person " + std::to_string(id) + " " + name);
  }
  void WritePersonOnPicture(std::int32_t person, const Rect& r, std::int32_t picture) override {
    Add("person-on-picture " + std::to_string(person) + " " + std::to_string(picture) +
        " rect=" + std::to_string(m_doc.PersonsOnPictures().Lookup(person, picture)) +
        " left=" + std::to_string(r.left));
  }
  void WriteTheme(std::int32_t id, const std::string& name) override {
    Add("theme " + std::to_string(id) + " " + name);
  }
  void WriteThemeOfPicture(std::int32_t theme, std::int32_t picture) override {
    Add("theme-of-picture " + std::to_string(theme) + " " + std::to_string(picture));
  }
  void WriteRemovePerson(std::int32_t person) override {
    Add("remove-person " + std::to_string(person) +
        " rects=" + std::to_string(m_doc.PersonsOnPictures().GetCount()) +
        " persons=" + std::to_string(m_doc.Persons().GetCount()));
  }
  void WriteRemovePersonOnPicture(std::int32_t person, std::int32_t picture) override {
    Add("remove-person-on-picture " + std::to_string(person) + " " + std::to_string(picture) +
        " rect=" + std::to_string(m_doc.PersonsOnPictures().Lookup(person, picture)));
  }
  void WriteRemovePicture(std::int32_t picture) override {
    Add("remove-picture " + std::to_string(picture));
  }
  void WriteRemoveTheme(std::int32_t theme) override {
    Add("remove-theme " + std::to_string(theme) +
        " links=" + std::to_string(m_doc.ThemesOfPictures().GetCount()) +
        " themes=" + std::to_string(m_doc.Themes().GetCount()));
  }
  void WriteRemoveThemeOfPicture(std::int32_t theme, std::int32_t picture) override {
    Add("remove-theme-of-picture " + std::to_string(theme) + " " + std::to_string(picture) +
        " linked=" + std::to_string(m_doc.ThemesOfPictures().Lookup(theme, picture)));
  }

 private:
  void Add(std::string line) {
    lines.push_back(std::move(line) + (m_doc.IsModified() ? " *" : ""));
  }
  CMeriskDoc& m_doc;
};

TEST_F(AlbumTest, RecordOperationsChangeLogAndMarkInTheirOrder) {
  m_settings.SetInt("Settings", "Zusammenarbeit", 1);
  RecordingLog* log = nullptr;
  CMeriskDoc doc(m_settings);
  doc.SetTransactionLogFactory([&log](CMeriskDoc& d) {
    auto l = std::make_unique<RecordingLog>(d);
    log = l.get();
    return l;
  });
  ASSERT_TRUE(doc.OnNewDocument());
  ASSERT_NE(log, nullptr);
  ASSERT_EQ(doc.TransactionLog(), log);

  doc.AddOrUpdatePicture(7, "a.jpg", COleDateTime(), 5, "T");
  doc.SetExplicitSelection({7});
  doc.SetCurrentIndex(0);
  doc.SetModifiedFlag(false);
  ::setenv("SOURCE_DATE_EPOCH", std::to_string(kEpoch + 60).c_str(), 1);
  ReloadClockEnvironment();
  doc.AddOrUpdatePersonOnPicture(3, Rect{10, 20, 30, 40}, -1);
  EXPECT_EQ(doc.Pictures().Find(7)->changed.Value(), test::OleOfUtcSeconds(kEpoch + 60))
      << "marking a person touches the picture";
  doc.AddOrUpdatePerson(3, "Anna");
  doc.AddOrUpdateTheme(4, "Urlaub");
  doc.AddThemeToPicture(4, -1);
  doc.AddThemeToPicture(4, 8);
  doc.RemoveThemeFromPicture(4, -1);
  doc.RemovePersonFromPicture(3, -1);
  doc.AddOrUpdatePersonOnPicture(3, Rect{1, 1, 2, 2}, 8);
  doc.RemovePerson(3);
  doc.RemoveTheme(4);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(doc.Pictures().Find(8) != nullptr)
      << "a link to an unknown picture touches it into being";

  const std::vector<std::string> expected = {
      "picture 7 a.jpg 5 T",
      "person-on-picture 3 7 rect=1 left=10",
      "person 3 Anna *",
      "theme 4 Urlaub *",
      "theme-of-picture 4 7 *",
      "theme-of-picture 4 8 *",
      "remove-theme-of-picture 4 7 linked=1 *",  // logged before the link goes
      "remove-person-on-picture 3 7 rect=0 *",
      "person-on-picture 3 8 rect=1 left=1 *",
      "remove-person 3 rects=0 persons=0 *",  // rectangles and person gone first
      "remove-theme 4 links=1 themes=0 *",    // only the placeholder link is left
  };
  EXPECT_EQ(log->lines, expected);
}

TEST_F(AlbumTest, TransactionLogLivesFromNewToNew) {
  int created = 0;
  CMeriskDoc doc(m_settings);
  doc.SetTransactionLogFactory([&created](CMeriskDoc& d) {
    ++created;
    return std::make_unique<RecordingLog>(d);
  });
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(doc.TransactionLog(), nullptr);
  m_settings.SetInt("Settings", "Zusammenarbeit", 1);
  ASSERT_TRUE(doc.OnNewDocument());
  ASSERT_NE(doc.TransactionLog(), nullptr);
  const ITransactionLog* log = doc.TransactionLog();

  const std::string path = m_dir / "a.kvo";
  test::WriteFile(path, NewAlbumBytes());
  ASSERT_TRUE(doc.OnOpenDocument(path));
  EXPECT_EQ(doc.TransactionLog(), log) << "opening an album keeps the log";
  m_settings.SetInt("Settings", "Zusammenarbeit", 0);
  ASSERT_TRUE(doc.OnNewDocument());
  EXPECT_EQ(doc.TransactionLog(), nullptr);
  EXPECT_EQ(created, 1);
}

TEST_F(AlbumTest, OpenSetsTheFolderFromThePath) {
  const std::string path = m_dir / "Album.kvo";
  test::WriteFile(path, NewAlbumBytes());
  auto doc = FilledDoc();
  doc->SetExplicitSelection({1});
  doc->SetCurrentIndex(0);
  std::string error;
  ASSERT_TRUE(doc->OnOpenDocument(path, &error)) << error;
  EXPECT_EQ(doc->AlbumFolder(), m_dir.Folder());
  EXPECT_EQ(doc->AlbumFolderStored(), m_dir.Folder());
  EXPECT_EQ(doc->GetPathName(), path);
  EXPECT_EQ(doc->GetTitle(), "Album.kvo");
  EXPECT_EQ(doc->CurrentPicture(), -1);
  EXPECT_FALSE(doc->IsModified());
}

// --------------------------------------------------------- notifications

struct Heard : IDocumentObserver {
  void OnUpdate(CDocument&, IDocumentObserver*, long) override {}
  void OnModifiedChanged(bool) override { ++modified; }
  void OnSelectionChanged() override { ++selection; }
  void OnContentsChanged() override { ++contents; }
  int modified = 0, selection = 0, contents = 0;
};

TEST_F(AlbumTest, OperationsNotifyWhatTheyChange) {
  const std::string path = m_dir / "Album.kvo";
  struct Case {
    const char* what;
    std::function<void(CMeriskDoc&)> run;
    int modified, selection, contents;
  };
  const Case cases[] = {
      {"unmodified again", [](CMeriskDoc& d) { d.SetModifiedFlag(false); }, 0, 0, 0},
      {"record operation", [](CMeriskDoc& d) { d.AddOrUpdatePerson(2, "Berta"); }, 1, 0, 1},
      {"two record operations",
       [](CMeriskDoc& d) {
         d.RemoveTheme(1);
         d.AddThemeToPicture(1, 1);
       },
       1, 0, 2},
      {"adding a picture", [](CMeriskDoc& d) { d.AddPicture("c.jpg", COleDateTime(), 1, ""); }, 1, 0, 1},
      {"album info", [](CMeriskDoc& d) { d.SetAlbumInfo("x", "y", 1); }, 1, 0, 1},
      {"storage", [](CMeriskDoc& d) { d.SetStorage(1, "/ablage/"); }, 1, 0, 1},
      {"album folder", [](CMeriskDoc& d) { d.SetAlbumFolder("/alben/"); }, 0, 0, 0},
      {"selection", [](CMeriskDoc& d) { d.SelectPictures(-1, -1, 1); }, 0, 1, 0},
      {"current picture", [](CMeriskDoc& d) { d.SetCurrentIndex(1); }, 0, 1, 0},
      {"deleting a picture", [](CMeriskDoc& d) { d.DeletePicture(2, false); }, 1, 1, 1},
      {"replayed removal", [](CMeriskDoc& d) { d.ReplayRemovePicture(2, {}, {}); }, 1, 0, 1},
      {"new album", [](CMeriskDoc& d) { d.OnNewDocument(); }, 0, 1, 1},
      {"save", [&path](CMeriskDoc& d) { d.OnSaveDocument(path); }, 0, 0, 0},
      {"change and save",
       [&path](CMeriskDoc& d) {
         d.AddOrUpdateTheme(1, "Reise");
         d.OnSaveDocument(path);
       },
       2, 0, 1},
      {"open", [&path](CMeriskDoc& d) { d.OnOpenDocument(path); }, 0, 1, 1},
  };
  for (const Case& c : cases) {
    auto doc = FilledDoc();
    ASSERT_TRUE(doc->OnSaveDocument(path));
    Heard heard;
    doc->AddView(&heard);
    c.run(*doc);
    doc->RemoveView(&heard);
    EXPECT_EQ(heard.modified, c.modified) << c.what;
    EXPECT_EQ(heard.selection, c.selection) << c.what;
    EXPECT_EQ(heard.contents, c.contents) << c.what;
  }
}

}  // namespace
}  // namespace kolvaro
