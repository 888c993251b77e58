// Start-up of the desktop program: from process start to the main window
// painted, with the large album opened and selected by date. Baselines in the
// same run: `kolvaro-cli info` of the same album (reading it without any
// window) and the program showing an empty album (what Qt needs for a window).
//
// Counter "x_target" = (album start - empty start) / cli info; the target is
// at most 2, that is: the album costs the window at most twice what reading
// it costs the command-line tool.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <chrono>
#include <stdexcept>

#include "large_album.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Setup {
  QTemporaryDir dir;
  QString album;
  Setup() {
    album = dir.path() + QStringLiteral("/gross.kvo");
    kolvaro::bench::WriteLargeAlbum(album.toStdString());
  }
};

const Setup& Shared() {
  static const Setup setup;
  return setup;
}

double RunSeconds(const char* program, const QStringList& args) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) && !env.contains(QStringLiteral("DISPLAY")))
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  // A fresh settings folder for every run: no recent album sneaks in.
  QTemporaryDir config;
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
  p.setProcessEnvironment(env);
  const auto start = Clock::now();
  p.start(QString::fromUtf8(program), args);
  if (!p.waitForFinished(120000) || p.exitCode() != 0)
    throw std::runtime_error(program + std::string(" failed: ") + p.readAllStandardError().toStdString());
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Best(int n, const char* program, const QStringList& args) {
  double best = 1e9;
  for (int i = 0; i < n; ++i) best = std::min(best, RunSeconds(program, args));
  return best;
}

void BM_StartupCliInfo(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(RunSeconds(KOLVARO_CLI, {QStringLiteral("info"), Shared().album}));
}
BENCHMARK(BM_StartupCliInfo)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StartupEmptyWindow(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(RunSeconds(KOLVARO_EXE, {QStringLiteral("--quit-after-show")}));
}
BENCHMARK(BM_StartupEmptyWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StartupWithLargeAlbum(benchmark::State& state) {
  const QStringList args = {Shared().album, QStringLiteral("--quit-after-show")};
  for (auto _ : state) state.SetIterationTime(RunSeconds(KOLVARO_EXE, args));
  const double cli = Best(3, KOLVARO_CLI, {QStringLiteral("info"), Shared().album});
  const double empty = Best(3, KOLVARO_EXE, {QStringLiteral("--quit-after-show")});
  const double album = Best(3, KOLVARO_EXE, args);
  state.counters["cli_ms"] = cli * 1e3;
  state.counters["empty_window_ms"] = empty * 1e3;
  state.counters["album_ms"] = album * 1e3;
  state.counters["x_target"] = (album - empty) / cli;
}
BENCHMARK(BM_StartupWithLargeAlbum)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
