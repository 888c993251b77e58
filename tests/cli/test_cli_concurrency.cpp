// kolvaro-cli beside itself: commands on one album at the same time, and
// paths that are no files (pipes, devices) that must never make it wait.

#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <chrono>
#include <set>
#include <thread>

#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

using namespace std::chrono_literals;

class CliConcurrency : public CliTest {
 protected:
  /// Starts kolvaro-cli in m_dir without waiting; its output goes to files named after `tag`.
  pid_t Start(const std::vector<std::string>& args, const std::string& tag, const Env& env = {}) {
    std::vector<std::string> strings{KOLVARO_CLI};
    strings.insert(strings.end(), args.begin(), args.end());
    Env vars = {{"HOME", m_home.string()}, {"XDG_CONFIG_HOME", (m_home / ".config").string()}};
    vars.insert(env.begin(), env.end());
    const std::string out = (m_dir / (tag + ".out")).string();
    const std::string err = (m_dir / (tag + ".err")).string();
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      for (const auto& [k, v] : vars) ::setenv(k.c_str(), v.c_str(), 1);
      std::vector<char*> argv;
      for (auto& s : strings) argv.push_back(s.data());
      argv.push_back(nullptr);
      const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0 || ::chdir(m_dir.c_str()) != 0)
        ::_exit(127);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    return pid;
  }

  /// The exit code, or -1 for a process still running after `limit` (then killed).
  static int Wait(pid_t pid, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
      }
      std::this_thread::sleep_for(5ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

  std::string Err(const std::string& tag) { return ReadFile(m_dir / (tag + ".err")); }

  void MakePictures(const fs::path& album, int count) {
    MakeAlbum(album, [count](CMeriskDoc& d) {
      for (int i = 1; i <= count; ++i)
        d.AddOrUpdatePicture(i, "bild" + std::to_string(i) + ".jpg", COleDateTime(), 1, "");
    });
  }
};

TEST_F(CliConcurrency, CommandsOnOneAlbumAtOnceLoseNoChange) {
  const fs::path album = m_dir / "a.kvo";
  constexpr int kEach = 8;
  MakePictures(album, kEach);
  std::vector<pid_t> running;
  for (int i = 1; i <= kEach; ++i) {
    const std::string n = std::to_string(i);
    running.push_back(Start({"title", "a.kvo", n, "Titel " + n}, "title" + n));
    running.push_back(Start({"theme", "add", "a.kvo", "Thema " + n}, "theme" + n));
  }
  for (const pid_t pid : running) EXPECT_EQ(Wait(pid, 60s), 0);

  CMemorySettings settings;
  CMeriskDoc doc(settings);
  ASSERT_TRUE(doc.OnOpenDocument(album.string()));
  std::set<std::string> themes;
  for (std::int32_t id = 1; id <= 2 * kEach; ++id)
    if (std::string name; doc.Themes().Lookup(id, name)) themes.insert(name);
  EXPECT_EQ(themes.size(), static_cast<std::size_t>(kEach));
  for (int i = 1; i <= kEach; ++i)
    EXPECT_EQ(doc.Pictures().Find(i)->title, "Titel " + std::to_string(i));
}

TEST_F(CliConcurrency, ACommandWaitsForTheLockOnlySoLong) {
  const fs::path album = m_dir / "a.kvo";
  MakePictures(album, 1);
  const std::string before = ReadFile(album);
  const int held = ::open(album.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  const pid_t pid = Start({"title", "a.kvo", "1", "Neu"}, "title", {{"KOLVARO_LOCK_TIMEOUT_MS", "200"}});
  EXPECT_EQ(Wait(pid, 30s), 1);
  EXPECT_EQ(Err("title"), "kolvaro-cli: a.kvo wird gerade von einem anderen Befehl bearbeitet; das "
                          "Warten darauf wurde abgebrochen. Bitte später noch einmal versuchen.\n");
  EXPECT_EQ(ReadFile(album), before);

  // Released while the command waits: it goes on.
  const pid_t waiting = Start({"title", "a.kvo", "1", "Neu"}, "title");
  std::this_thread::sleep_for(100ms);
  ::close(held);
  EXPECT_EQ(Wait(waiting, 30s), 0) << Err("title");
  EXPECT_NE(ReadFile(album), before);
}

TEST_F(CliConcurrency, PipesAndDevicesAreRefusedWithoutWaiting) {
  const std::string pipe = (m_dir / "rohr.kvo").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  for (const std::string& path : {pipe, std::string("/dev/zero")}) {
    for (const char* command : {"info", "check", "dump", "exif"}) {
      SCOPED_TRACE(std::string(command) + " " + path);
      const pid_t pid = Start({command, path}, command);
      EXPECT_EQ(Wait(pid, 10s), 1);
      EXPECT_EQ(Err(command), "kolvaro-cli: " + path + " ist keine gewöhnliche Datei.\n");
    }
  }
}

}  // namespace
}  // namespace kolvaro::test
