// kolvaro-cli relocate on the large album against kolvaro-cli save of the
// same album, both in one run: relocate opens, rewrites every one of the
// 100 000 stored paths and saves; the target is at most twice save's time.

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "cli/commands.h"
#include "large_album.h"

namespace kolvaro::bench {
namespace {

namespace fs = std::filesystem;

struct Folder {
  Folder() {
    path = fs::temp_directory_path() / ("kolvaro-bench-relocate-" + std::to_string(::getpid()));
    fs::create_directories(path);
    WriteLargeAlbum((path / "gross.kvo").string());
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  fs::path path;
};

double Run(int (*command)(cli::Context&, const std::vector<std::string>&),
           const std::vector<std::string>& args) {
  CMemorySettings settings;
  std::ostringstream out, err;
  cli::Context ctx{settings, out, err, ""};
  const auto t0 = std::chrono::steady_clock::now();
  const int rc = command(ctx, args);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - t0;
  if (rc != 0) throw std::runtime_error(err.str());
  return took.count();
}

void BM_RelocateAgainstSave(benchmark::State& state) {
  static const Folder folder;
  const std::string pristine = (folder.path / "gross.kvo").string();
  const std::string work = (folder.path / "arbeit.kvo").string();
  double save = 0, relocate = 0;
  for (auto _ : state) {
    fs::copy_file(pristine, work, fs::copy_options::overwrite_existing);
    save += Run(&cli::RunSave, {work});
    fs::copy_file(pristine, work, fs::copy_options::overwrite_existing);
    // An empty beginning matches every stored path.
    const double took = Run(&cli::RunRelocate, {work, "", "fotos\\"});
    relocate += took;
    state.SetIterationTime(took);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["save_ms"] = save / n * 1000;
  state.counters["relocate_ms"] = relocate / n * 1000;
  state.counters["ratio"] = relocate / save;
}
BENCHMARK(BM_RelocateAgainstSave)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace kolvaro::bench
