// Narrowing the selection as the user types, on the large album (100 000
// pictures with headlines, 2 000 persons, 300 themes). Target: every
// keystroke within 50 ms, the first search (which folds the album's texts)
// included. "x_plain" is the ratio to the same selection without a search
// (its fastest of five runs).
// Times are the thread's CPU time, as in the selection benchmark.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "core/meriskdoc.h"
#include "large_album.h"

namespace {

using kolvaro::CMeriskDoc;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct LargeAlbum {
  LargeAlbum() : doc(settings) {
    std::string dir = (std::filesystem::temp_directory_path() / "kolvaro-bench-XXXXXX").string();
    if (!mkdtemp(dir.data())) throw std::runtime_error("mkdtemp failed");
    const std::string path = dir + "/gross.kvo";
    kolvaro::bench::WriteLargeAlbum(path);
    std::string error;
    const bool ok = doc.OnOpenDocument(path, &error);
    std::filesystem::remove_all(dir);
    if (!ok) throw std::runtime_error(error);
  }
  kolvaro::CMemorySettings settings;
  CMeriskDoc doc;
};

CMeriskDoc& Album() {
  static LargeAlbum album;
  return album.doc;
}

const char* const kTyped[] = {"m",    "mue", "mueller", "strand k\xC3\xB6ln", "anna mueller urlaub",
                              "img_0"};

double Select(CMeriskDoc& doc, const char* search, std::int32_t key) {
  const double start = CpuSeconds();
  doc.SelectPictures(-1, -1, key, search);
  return CpuSeconds() - start;
}

// One keystroke: the album's texts are folded already.
void BM_SearchKeystroke(benchmark::State& state) {
  CMeriskDoc& doc = Album();
  const char* search = kTyped[state.range(0)];
  const auto key = static_cast<std::int32_t>(state.range(1));
  Select(doc, search, key);
  double seconds = 0;
  for (auto _ : state) {
    const double s = Select(doc, search, key);
    state.SetIterationTime(s);
    seconds += s;
  }
  double plain = 1e9;
  for (int i = 0; i < 5; ++i) plain = std::min(plain, Select(doc, "", key));
  Select(doc, search, key);
  state.counters["selected"] = static_cast<double>(doc.Selection().size());
  state.counters["x_plain"] = seconds / static_cast<double>(state.iterations()) / plain;
}
BENCHMARK(BM_SearchKeystroke)
    ->ArgNames({"typed", "key"})
    ->ArgsProduct({{0, 1, 2, 3, 4, 5}, {1, 2}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The first search after a change of the album folds its texts again.
void BM_SearchAfterChange(benchmark::State& state) {
  CMeriskDoc& doc = Album();
  std::string name = doc.Themes().GetName(1);
  for (auto _ : state) {
    doc.AddOrUpdateTheme(1, name);
    state.SetIterationTime(Select(doc, "mueller", 2));
  }
}
BENCHMARK(BM_SearchAfterChange)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
