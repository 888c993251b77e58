// kolvaro-cli sync: album copies kept in step through one transaction folder.

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "collab/transactionfile.h"
#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

std::string Dump(const fs::path& album) {
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  if (!doc.OnOpenDocument(album.string())) return "cannot open";
  std::vector<std::string> lines;
  std::int32_t id, a, b;
  for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
    const PictureEntry& e = doc.Pictures().GetNextRef(p, id);
    lines.push_back("picture " + std::to_string(id) + " [" + e.title + "]");
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
                    std::to_string(r.left));
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

class CliSync : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    MakeAlbum(m_dir / "a.kvo", [](CMeriskDoc& d) {
      for (int i = 1; i <= kPictures; ++i)
        d.AddOrUpdatePicture(i, "bild" + std::to_string(i) + ".jpg",
                             COleDateTime::FromCalendar(2022, 8, 1, 6, 30, 15), 1000u,
                             "Bild " + std::to_string(i));
      d.AddOrUpdatePerson(1, "Anna");
      d.AddOrUpdatePerson(2, "Bernd");
      d.AddOrUpdateTheme(1, "Urlaub");
      d.AddOrUpdateTheme(2, "Familie");
    });
    fs::create_directories(m_dir / "logs");
  }

  CliResult Change(const std::vector<std::string>& args) {
    return Run(args, {{"SOURCE_DATE_EPOCH", std::to_string(1796670770 + 10 * ++m_runs)}});
  }

  static constexpr int kPictures = 3000;
  int m_runs = 0;
};

TEST_F(CliSync, TwoCopiesEditingTheSameFieldsAgreeAndListTheConflict) {
  fs::copy_file(m_dir / "a.kvo", m_dir / "b.kvo");
  const std::vector<std::vector<std::string>> session = {
      {"title", "a.kvo", "1", "von A"},
      {"person", "rename", "a.kvo", "1", "Anna A"},
      {"title", "b.kvo", "1", "von B"},
      {"theme", "assign", "b.kvo", "2", "3"},
      {"mark", "a.kvo", "2", "4", "10", "20", "110", "220"},
  };
  for (auto args : session) {
    args.insert(args.end(), {"--log-folder", "logs"});
    ASSERT_EQ(Change(args).exitCode, 0) << args[0];
  }
  const CliResult a = Run({"sync", "a.kvo", "--log-folder", "logs"});
  const CliResult b = Run({"sync", "--log-folder=logs", "b.kvo"});
  ASSERT_EQ(a.exitCode, 0) << a.err;
  ASSERT_EQ(b.exitCode, 0) << b.err;
  EXPECT_EQ(Dump(m_dir / "a.kvo"), Dump(m_dir / "b.kvo"));
  EXPECT_NE(Dump(m_dir / "a.kvo").find("picture 1 [von B]"), std::string::npos);
  // B changed the title after A's file began: B's summary names both values.
  EXPECT_NE(b.out.find("„von A“"), std::string::npos) << b.out;
  EXPECT_EQ(a.out.find("Konflikt"), std::string::npos) << a.out;
  EXPECT_NE(a.out.find("eigene Datei"), std::string::npos) << a.out;
  const CliResult again = Run({"sync", "a.kvo", "--log-folder", "logs"});
  EXPECT_TRUE(again.out.starts_with("0 Änderungen übernommen")) << again.out;
  EXPECT_EQ(Run({"sync", "a.kvo"}).exitCode, 2);  // no folder
}

/// Starts kolvaro-cli sync and kills it after `delay`.
void KilledSync(const fs::path& dir, const fs::path& home, const std::string& album,
                std::chrono::microseconds delay) {
  std::vector<std::string> args = {KOLVARO_CLI, "sync", album, "--log-folder", "logs"};
  std::vector<char*> argv;
  for (auto& s : args) argv.push_back(s.data());
  argv.push_back(nullptr);
  const std::string homeVar = "HOME=" + home.string();
  const std::string configVar = "XDG_CONFIG_HOME=" + (home / ".config").string();
  std::vector<std::string> env = {homeVar, configVar, "TZ=Europe/Berlin", "LC_ALL=C.UTF-8"};
  std::vector<char*> envp;
  for (auto& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  const std::string workDir = dir.string();
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    if (null < 0 || ::dup2(null, 1) < 0 || ::dup2(null, 2) < 0 || ::chdir(workDir.c_str()) != 0)
      ::_exit(127);
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  std::this_thread::sleep_for(delay);
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
}

TEST_F(CliSync, SyncKilledAtAnyMomentEndsAsAnUninterruptedOne) {
  std::mt19937 rng(7);
  for (int file = 0; file < 3; ++file) {
    CTransactionText t;
    for (int i = 0; i < 3000; ++i) {
      const int pic = static_cast<int>(rng() % kPictures) + 1;
      switch (rng() % 4) {
        case 0:
          t.WritePicture(pic, "bild" + std::to_string(pic) + ".jpg",
                         COleDateTime::FromCalendar(2022, 8, 1, 6, 30, 15), 1000,
                         "f" + std::to_string(file) + "-" + std::to_string(i));
          break;
        case 1:
          t.WritePersonOnPicture(1 + static_cast<int>(rng() % 2), {i, 1, i + 5, 9}, pic);
          break;
        case 2: t.WriteThemeOfPicture(1 + static_cast<int>(rng() % 2), pic); break;
        default: t.WriteRemoveThemeOfPicture(1 + static_cast<int>(rng() % 2), pic); break;
      }
    }
    // Files of other editors, arriving in the order opposite to their names.
    WriteFile(m_dir / "logs" / ("mrklog2026-01-01-10-00-0" + std::to_string(5 - file) + ".xml"),
              t.Bytes(file != 2));
  }
  fs::copy_file(m_dir / "a.kvo", m_dir / "ref.kvo");
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(Run({"sync", "ref.kvo", "--log-folder", "logs"}).exitCode, 0);
  const auto took = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  const std::string expected = Dump(m_dir / "ref.kvo");
  ASSERT_NE(expected, Dump(m_dir / "a.kvo"));

  // Kill points spread over one whole run, and one at random.
  std::vector<int> delaysUs;
  for (int k = 0; k <= 24; ++k) delaysUs.push_back(static_cast<int>(took * k / 24));
  delaysUs.push_back(static_cast<int>(rng() % static_cast<unsigned>(took + 1)));
  for (std::size_t i = 0; i < delaysUs.size(); ++i) {
    const int us = delaysUs[i];
    const std::string album = "k" + std::to_string(i) + ".kvo";
    fs::copy_file(m_dir / "a.kvo", m_dir / album);
    KilledSync(m_dir, m_home, album, std::chrono::microseconds(us));
    KilledSync(m_dir, m_home, album, std::chrono::microseconds(us / 2));
    const CliResult r = Run({"sync", album, "--log-folder", "logs"});
    ASSERT_EQ(r.exitCode, 0) << us << ": " << r.err;
    EXPECT_EQ(Dump(m_dir / album), expected) << "killed after " << us << " us";
    EXPECT_TRUE(
        Run({"sync", album, "--log-folder", "logs"}).out.starts_with("0 Änderungen übernommen"));
  }
}

}  // namespace
}  // namespace kolvaro::test
