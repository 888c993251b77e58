// Keeping an album copy in step with a transaction folder.
//
// BM_SyncTenFiles: 10 files of 10 000 records each into an album of 100 000
// pictures, against replaying the same files one after another with the
// import (BM_ImportTenFiles). Counter "x_import": mean sync time divided by
// the mean import time; the target is within 2x. The album is not saved in
// either; the sync's state file is written.
//
// BM_CheckMostlyApplied: a folder of 10 000 files of which 9 990 are applied
// already. Counter "x_list": the sync's time divided by listing the folder
// and reading the 10 new files (best of five); the target is that it costs
// no more than that, that is no re-reading of applied files. BM_NewsMostlyApplied:
// the same for the look whether anything is new.

#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "collab/transactionfile.h"
#include "collab/transactionimport.h"
#include "collab/transactionsync.h"
#include "core/archive.h"
#include "core/meriskdoc.h"
#include "core/ports/settings.h"

namespace {

using namespace kolvaro;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPictures = 100000;
constexpr int kFiles = 10;
constexpr int kRecordsPerFile = 10000;
constexpr int kManyFiles = 10000;
constexpr int kNewFiles = 10;

std::string Two(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

// One file per second, in name order.
std::string Stamp(int n) {
  const int h = n / 3600;
  return "2026-01-" + Two(1 + h / 24) + '-' + Two(h % 24) + '-' + Two(n / 60 % 60) + '-' +
         Two(n % 60);
}

void Write(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct Fixture {
  fs::path dir;
  std::string album;  // the album's bytes
  fs::path albumPath;
  fs::path ten;   // 10 big files
  fs::path many;  // 10 000 small files
  std::string manyState;
  std::size_t records = 0;

  Fixture() {
    const char* tmp = std::getenv("TMPDIR");
    dir =
        fs::path(tmp && *tmp ? tmp : "/tmp") / ("kolvaro-bench-sync-" + std::to_string(::getpid()));
    fs::create_directories(dir / "ten");
    fs::create_directories(dir / "many");
    ten = dir / "ten";
    many = dir / "many";
    albumPath = dir / "album.kvo";
    CMemorySettings settings;
    std::mt19937 rng(2026);
    {
      CMeriskDoc doc(settings);
      doc.OnNewDocument();
      for (int i = 1; i <= kPictures; ++i)
        doc.AddOrUpdatePicture(i, "2019\\urlaub\\dsc" + std::to_string(10000 + i) + ".jpg",
                               COleDateTime::FromCalendar(2020, 1, 1 + i % 28, 10, 0, 0), 1000000,
                               "Bild " + std::to_string(i));
      for (int i = 1; i <= 2000; ++i) doc.AddOrUpdatePerson(i, "Person " + std::to_string(i));
      for (int i = 1; i <= 300; ++i) doc.AddOrUpdateTheme(i, "Thema " + std::to_string(i));
      CArchive ar;
      doc.Serialize(ar);
      album = ar.TakeBytes();
    }
    auto picture = [&] { return 1 + static_cast<int>(rng() % kPictures); };
    for (int f = 0; f < kFiles; ++f) {
      CTransactionText log;
      for (int i = 0; i < kRecordsPerFile; ++i) {
        switch (i % 5) {
          case 0: {
            // Edits of pictures this copy has under the same name, as sync takes no other.
            const int p = picture();
            log.WritePicture(p, "2019\\urlaub\\dsc" + std::to_string(10000 + p) + ".jpg",
                             COleDateTime::FromCalendar(2021, 5, 6, 7, 8, 9), 2345678,
                             "Überschrift " + std::to_string(i));
            break;
          }
          case 1:
            log.WritePerson(1 + static_cast<int>(rng() % 2100), "Name " + std::to_string(i));
            break;
          case 2:
            log.WritePersonOnPicture(1 + static_cast<int>(rng() % 2000), Rect{1, 2, 300, 400},
                                     picture());
            break;
          case 3:
            log.WriteTheme(1 + static_cast<int>(rng() % 310), "Thema " + std::to_string(i));
            break;
          default: log.WriteThemeOfPicture(1 + static_cast<int>(rng() % 300), picture()); break;
        }
      }
      Write(ten / ("mrklog" + Stamp(f) + ".xml"), log.Bytes());
      records += log.RecordCount();
    }
    for (int f = 0; f < kManyFiles; ++f) {
      CTransactionText log;
      const int p = picture();
      log.WritePicture(p, "2019\\urlaub\\dsc" + std::to_string(10000 + p) + ".jpg",
                       COleDateTime::FromCalendar(2021, 5, 6, 7, 8, 9), 1, "Titel " + std::to_string(f));
      const fs::path path = many / ("mrklog" + Stamp(f) + ".xml");
      if (f < kManyFiles - kNewFiles) {
        Write(path, log.Bytes());
      } else {
        Write(dir / path.filename(), log.Bytes());  // arrives later
      }
    }
    // The state after the first 9 990.
    auto doc = LoadAlbum(settings);
    SyncTransactionFolder(*doc, albumPath.string(), many.string(),
                          [](std::string&) { return true; });
    std::ifstream in(SyncStatePath(albumPath.string()), std::ios::binary);
    manyState.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    for (int f = kManyFiles - kNewFiles; f < kManyFiles; ++f) {
      const std::string name = "mrklog" + Stamp(f) + ".xml";
      fs::rename(dir / name, many / name);
    }
  }
  ~Fixture() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  std::unique_ptr<CMeriskDoc> LoadAlbum(CMemorySettings& settings) const {
    auto doc = std::make_unique<CMeriskDoc>(settings);
    CArchive ar(album);
    doc->Serialize(ar);
    doc->SelectPictures(-1, -1, 2);
    return doc;
  }

  void ResetState(const std::string& text) const {
    const std::string path = SyncStatePath(albumPath.string());
    fs::remove(path);
    if (!text.empty()) Write(path, text);
  }

  /// Lists the folder and reads the files named after `from` (in name order).
  std::size_t ListAndRead(int from) const {
    std::size_t total = 0;
    DIR* d = ::opendir(many.c_str());
    while (const dirent* e = ::readdir(d)) total += std::strlen(e->d_name);
    ::closedir(d);
    for (int f = from; f < kManyFiles; ++f) {
      std::ifstream in(many / ("mrklog" + Stamp(f) + ".xml"), std::ios::binary);
      total +=
          std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()).size();
    }
    return total;
  }
};

const Fixture& Shared() {
  static const Fixture fixture;
  return fixture;
}

double g_importMean = 0;

void BM_ImportTenFiles(benchmark::State& state) {
  const Fixture& f = Shared();
  CMemorySettings settings;
  double total = 0;
  for (auto _ : state) {
    auto doc = f.LoadAlbum(settings);
    const auto start = Clock::now();
    std::size_t applied = 0;
    for (int i = 0; i < kFiles; ++i)
      applied +=
          ImportTransactionFile(*doc, (f.ten / ("mrklog" + Stamp(i) + ".xml")).string(), nullptr)
              .applied;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
    if (applied != f.records) state.SkipWithError("import did not apply every record");
  }
  g_importMean = total / static_cast<double>(state.iterations());
}
BENCHMARK(BM_ImportTenFiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SyncTenFiles(benchmark::State& state) {
  const Fixture& f = Shared();
  CMemorySettings settings;
  double total = 0;
  for (auto _ : state) {
    auto doc = f.LoadAlbum(settings);
    f.ResetState("");
    const auto start = Clock::now();
    const SyncSummary s = SyncTransactionFolder(*doc, f.albumPath.string(), f.ten.string(),
                                                [](std::string&) { return true; });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
    if (s.applied + s.overtaken != f.records || !s.error.empty())
      state.SkipWithError("sync missed records");
  }
  const double mean = total / static_cast<double>(state.iterations());
  if (g_importMean > 0) state.counters["x_import"] = mean / g_importMean;
  state.counters["records/s"] = static_cast<double>(f.records) / mean;
}
BENCHMARK(BM_SyncTenFiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

/// Listing the folder and reading the new files, best of five: the baseline of a look.
double BestListAndRead(const Fixture& f) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(f.ListAndRead(kManyFiles - kNewFiles));
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

void BM_CheckMostlyApplied(benchmark::State& state) {
  const Fixture& f = Shared();
  const double best = BestListAndRead(f);
  CMemorySettings settings;
  double total = 0;
  for (auto _ : state) {
    auto doc = f.LoadAlbum(settings);
    f.ResetState(f.manyState);
    const auto start = Clock::now();
    const SyncSummary s = SyncTransactionFolder(*doc, f.albumPath.string(), f.many.string(),
                                                [](std::string&) { return true; });
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
    if (s.files.size() != kNewFiles) state.SkipWithError("other files than the new ones were read");
  }
  state.counters["x_list"] = total / static_cast<double>(state.iterations()) / best;
}
BENCHMARK(BM_CheckMostlyApplied)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The look the desktop program takes whenever the folder changes: whether
// anything is new, without applying it.
void BM_NewsMostlyApplied(benchmark::State& state) {
  const Fixture& f = Shared();
  const double best = BestListAndRead(f);
  f.ResetState(f.manyState);
  double total = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const SyncNews news = SyncFolderNews(f.albumPath.string(), f.many.string());
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
    if (news.files != kNewFiles) state.SkipWithError("not the new files");
  }
  state.counters["x_list"] = total / static_cast<double>(state.iterations()) / best;
}
BENCHMARK(BM_NewsMostlyApplied)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
