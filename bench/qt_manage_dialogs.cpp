// Opening the persons' management dialog with the 2 000 persons and the
// theme dialog with the 300 themes of the large album (100 000 pictures):
// constructing, showing and first painting (offscreen). Baselines in the
// same run: the same dialog on an empty album (what Qt needs for the
// window), and filling a plain list widget from a vector of the same names,
// without and with showing it.
//
// Counters: "open_ms" (target at most 100) and "x_target" = open /
// (3 x empty + fill); the target is at most 1. "x_shown" counts the plain
// list's first showing into the baseline: what any list of that many
// entries costs on screen.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <vector>

#include "large_album.h"
#include "maintenance/dialogs/assignthemesdlg.h"
#include "maintenance/dialogs/managelistdlg.h"
#include "testsupport/fakes.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace kolvaro;

struct Albums {
  CMemorySettings settings;
  CMeriskDoc large{settings};
  CMeriskDoc empty{settings};
  test::ScriptedQuestions ui{Answer::No};
  std::vector<QString> persons, themes;

  Albums() {
    QTemporaryDir dir;
    const std::string path = (dir.path() + QStringLiteral("/gross.kvo")).toStdString();
    bench::WriteLargeAlbum(path);
    std::string error;
    if (!large.OnOpenDocument(path, &error)) throw std::runtime_error(error);
    large.SelectPictures(-1, -1, 1);
    empty.OnNewDocument();
    for (const NameEntry& e : CManageList(large, CManageList::kPersons).Entries())
      persons.push_back(QString::fromStdString(e.name));
    for (const NameEntry& e : CManageList(large, CManageList::kThemes).Entries())
      themes.push_back(QString::fromStdString(e.name));
  }
};

Albums& Shared() {
  static Albums albums;
  return albums;
}

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename Make>
double OpenSeconds(Make make) {
  const auto start = Clock::now();
  std::unique_ptr<QDialog> dlg = make();
  dlg->show();
  QApplication::processEvents();  // layout and first paint
  const double seconds = Since(start);
  dlg->close();
  return seconds;
}

double ManageSeconds(CMeriskDoc& doc) {
  return OpenSeconds(
      [&doc] { return std::make_unique<CManageListDlg>(doc, CManageList::kPersons, Shared().ui); });
}

double AssignSeconds(CMeriskDoc& doc) {
  return OpenSeconds([&doc] { return std::make_unique<CAssignThemesDlg>(doc); });
}

double FillSeconds(const std::vector<QString>& texts, bool show) {
  QListWidget list;
  list.setUniformItemSizes(true);
  const auto start = Clock::now();
  for (const QString& t : texts) list.addItem(t);
  if (show) {
    list.show();
    QApplication::processEvents();
  }
  return Since(start);
}

template <typename F>
double Best(int n, F f) {
  double best = 1e9;
  for (int i = 0; i < n; ++i) best = std::min(best, f());
  return best;
}

template <typename Open>
void Report(benchmark::State& state, Open open, const std::vector<QString>& texts) {
  Albums& a = Shared();
  const double large = Best(5, [&] { return open(a.large); });
  const double empty = Best(5, [&] { return open(a.empty); });
  const double fill = Best(5, [&] { return FillSeconds(texts, false); });
  const double shown = Best(5, [&] { return FillSeconds(texts, true); });
  state.counters["open_ms"] = large * 1e3;
  state.counters["empty_ms"] = empty * 1e3;
  state.counters["fill_ms"] = fill * 1e3;
  state.counters["fill_shown_ms"] = shown * 1e3;
  state.counters["x_target"] = large / (3 * empty + fill);
  state.counters["x_shown"] = large / (3 * empty + shown);
}

void BM_ManagePersonsDialogOpens(benchmark::State& state) {
  Albums& a = Shared();
  for (auto _ : state) state.SetIterationTime(ManageSeconds(a.large));
  Report(state, ManageSeconds, a.persons);
}
BENCHMARK(BM_ManagePersonsDialogOpens)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_AssignThemesDialogOpens(benchmark::State& state) {
  Albums& a = Shared();
  for (auto _ : state) state.SetIterationTime(AssignSeconds(a.large));
  Report(state, AssignSeconds, a.themes);
}
BENCHMARK(BM_AssignThemesDialogOpens)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
