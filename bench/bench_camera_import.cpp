// Camera import of 2 000 JPEGs (EXIF header, 50 to 150 KB each) from a card
// folder DCIM/100CANON into an empty album folder, copying: the whole
// ImportCamera (scan, transfer with its syncs, capture dates, album) against
// "/bin/cp -r" of the same folder in the same iteration, both from the page
// cache onto the same file system. Wall-clock time; the counter "x_cp" is
// the ratio of the import to cp, "x_cp_sync" to cp followed by sync (the
// import's copies are on the disk when it ends, cp's are not). Target:
// within 1.5x of cp.

#include <benchmark/benchmark.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "core/filetransfer.h"
#include "core/meriskdoc.h"
#include "maintenance/cameraimport.h"
#include "testsupport/fakes.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace kolvaro;

constexpr int kFiles = 2000;

class Card {
 public:
  Card() {
    fs::create_directories(m_dir.Path() / "card" / "DCIM" / "100CANON");
    std::mt19937 rng(2026);
    std::uniform_int_distribution<std::size_t> image(50000, 150000);
    for (int i = 0; i < kFiles; ++i) {
      char date[20];
      std::snprintf(date, sizeof date, "2025:%02d:%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28,
                    i % 24, i % 60, (i * 7) % 60);
      test::ExifBlock exif;
      exif.Ascii(test::Ifd::kZero, 271, "Canon").Ascii(test::Ifd::kExif, 36867, date);
      const auto jpeg = test::JpegBuilder().App0Jfif().Exif(exif).Tables().Scan(image(rng), i).Data();
      char name[32];
      std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
      test::WriteFile(m_dir.Path() / "card" / "DCIM" / "100CANON" / name, jpeg);
    }
  }
  std::string Source() const { return (m_dir.Path() / "card").string(); }
  std::string Target(int n) const { return (m_dir.Path() / ("ziel" + std::to_string(n))).string(); }

 private:
  test::TempDir m_dir;
};

class Disk : public IFileOperations {
 public:
  bool MoveToTrash(const std::string&) override { return false; }
  bool OpenWithDefaultProgram(const std::string&) override { return false; }
  TransferResult TransferFile(const std::string& s, const std::string& f, bool move,
                              const TransferHooks& h) override {
    return TransferFileSafely(s, f, move, h);
  }
};

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void RunCp(const std::string& from, const std::string& to) {
  const char* argv[] = {"/bin/cp", "-r", from.c_str(), to.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    throw std::runtime_error("cp");
  int status = 0;
  waitpid(pid, &status, 0);
}

void BM_CameraImportVsCp(benchmark::State& state) {
  static const Card card;
  int round = 0;
  double importTotal = 0, cpTotal = 0, cpSyncedTotal = 0;
  for (auto _ : state) {
    const std::string album = card.Target(round++) + "/";
    const std::string copy = card.Target(round++);
    fs::create_directories(album);
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    doc.SetAlbumFolder(album);
    Disk disk;
    test::ScriptedQuestions ui{Answer::No};

    // Each starts with nothing of the other left unwritten; the order
    // alternates, as the file system serves the first one better.
    double cp = 0, cpSynced = 0, import = 0;
    CameraImportCounts n;
    auto runCp = [&] {
      ::sync();
      const auto start = std::chrono::steady_clock::now();
      RunCp(card.Source(), copy);
      cp = Seconds(start);
      ::sync();
      cpSynced = Seconds(start);
    };
    auto runImport = [&] {
      ::sync();
      const auto start = std::chrono::steady_clock::now();
      n = ImportCamera(doc, ui, disk, card.Source(), 0, false);
      import = Seconds(start);
    };
    if (round % 4 == 2) {
      runCp();
      runImport();
    } else {
      runImport();
      runCp();
    }
    if (n.added != kFiles) state.SkipWithError("not every file was imported");
    state.SetIterationTime(import);
    importTotal += import;
    cpTotal += cp;
    cpSyncedTotal += cpSynced;
    fs::remove_all(album);
    fs::remove_all(copy);
  }
  state.counters["cp_ms"] = cpTotal * 1000 / static_cast<double>(state.iterations());
  state.counters["x_cp"] = importTotal / cpTotal;
  state.counters["x_cp_sync"] = importTotal / cpSyncedTotal;
}
BENCHMARK(BM_CameraImportVsCp)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace
