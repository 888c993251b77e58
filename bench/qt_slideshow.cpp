// The slideshow at its shortest pause (250 ms) over 50 photographs of
// 6000 x 4000 pixels in the picture view (offscreen, 1600 x 1000): how late
// each tick's picture is on screen, measured from the moment the tick was
// due to the end of the picture control's paint. The next picture is decoded
// ahead on a worker, so a tick should only swap it in.
//
// Counters: "worst_tick_ms" (target at most 20), "mean_tick_ms";
// "worst_handling_ms", the worst time from the timer's event reaching the
// slideshow to the painted picture (the rest is the event loop's lateness,
// which a loaded machine adds); and the
// baseline "sync_step_ms", one step that reads and decodes the same picture
// on the spot (what a tick would cost without decoding ahead);
// "x_baseline" = worst tick / sync step. "decoded_ahead" counts the ticks
// that found their picture decoded ahead (all 50 when the worker keeps up).
// The slideshow holds at most one decoded picture beside the shown one.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "core/ports/settings.h"
#include "res/commands.h"
#include "testsupport/fakes.h"
#include "views/imagedescription.h"
#include "views/picturectrl.h"
#include "views/slideshow.h"

namespace {

// Notes when the slideshow's timer event arrives.
class TimerArrival : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer) at = clock.nsecsElapsed();
    return false;
  }
  QElapsedTimer clock;
  qint64 at = 0;
};

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kDistinct = 5;
constexpr int kPictures = 50;
constexpr int kInterval = 250;

// Noise over gradients and blocks: entropy-coded data about the size of a
// camera's at quality 90.
QImage MakePhoto(int seed) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  std::uint32_t noise = 2463534242u + static_cast<std::uint32_t>(seed) * 7919u;
  for (int y = 0; y < kHeight; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kWidth; ++x) {
      noise ^= noise << 13;
      noise ^= noise >> 17;
      noise ^= noise << 5;
      const int grain = static_cast<int>(noise % 31) - 15;
      const int block = ((x / 240 + y / 200 + seed) % 3) * 30;
      line[x] = qRgb(std::clamp(60 + x * 150 / kWidth + grain + block, 0, 255),
                     std::clamp(50 + y * 150 / kHeight + grain, 0, 255),
                     std::clamp(160 - block + grain + ((x ^ y) & 15), 0, 255));
    }
  }
  return image;
}

// Five different photographs, each under ten names: decoding costs the same
// as fifty different ones.
QString Folder() {
  static const QString dir = [] {
    const QString d = QDir::temp().filePath(QStringLiteral("kolvaro-bench-slideshow"));
    QDir().mkpath(d);
    for (int i = 0; i < kPictures; ++i) {
      const QString path = d + QStringLiteral("/p%1.jpg").arg(i, 2, 10, QLatin1Char('0'));
      if (QFileInfo::exists(path)) continue;
      const QString source = d + QStringLiteral("/p%1.jpg").arg(i % kDistinct, 2, 10, QLatin1Char('0'));
      if (i < kDistinct) {
        QImageWriter writer(path + QStringLiteral(".part"), "jpg");
        writer.setQuality(90);
        if (!writer.write(MakePhoto(i)) || !QFile::rename(path + QStringLiteral(".part"), path))
          throw std::runtime_error("cannot write " + path.toStdString());
      } else if (!QFile::copy(source, path)) {
        throw std::runtime_error("cannot copy " + path.toStdString());
      }
    }
    return d;
  }();
  return dir;
}

void BM_SlideshowTickLatency(benchmark::State& state) {
  using namespace kolvaro;
  const QString dir = Folder();
  CMemorySettings settings;
  settings.SetInt("Settings", "Diashow", kInterval);
  CMeriskDoc doc{settings};
  test::FakeUserQuestions ui;
  doc.OnNewDocument();
  doc.SetAlbumFolder(dir.toStdString() + "/");
  doc.SetUserQuestions(&ui);
  for (int i = 0; i < kPictures; ++i)
    doc.AddOrUpdatePicture(doc.Pictures().NextId(),
                           QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')).toStdString(),
                           COleDateTime::FromCalendar(2024, 5, 1, 12, 0, i), 9000000, "");
  doc.SelectPictures(-1, -1, 1);
  CImageDescription view(doc, ui);
  view.resize(1600, 1000);
  view.show();
  view.OnInitialUpdate();
  CPictureCtrl* ctrl = view.PictureCtrl();

  // Baseline: steps that read and decode on the spot.
  double syncBest = 1e9;
  for (int i = 1; i <= 5; ++i) {
    QElapsedTimer t;
    t.start();
    ctrl->Load(QStringLiteral("%1/p%2.jpg").arg(dir).arg(i, 2, 10, QLatin1Char('0')));
    ctrl->repaint();
    syncBest = std::min(syncBest, static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  view.OnInitialUpdate();

  for (auto _ : state) {
    double worst = 0;
    double worstHandling = 0;
    TimerArrival arrival;
    view.Slideshow()->installEventFilter(&arrival);
    double sum = 0;
    int ticks = 0;
    const int handOvers = view.Slideshow()->HandOvers();
    QEventLoop loop;
    QElapsedTimer clock;
    const QMetaObject::Connection c = QObject::connect(view.Slideshow(), &CSlideshow::Ticked, [&] {
      ctrl->repaint();  // on screen, not merely asked for
      ++ticks;
      worstHandling =
          std::max(worstHandling, static_cast<double>(arrival.clock.nsecsElapsed() - arrival.at) / 1e6);
      const double late = static_cast<double>(clock.nsecsElapsed()) / 1e6 - ticks * kInterval;
      worst = std::max(worst, late);
      sum += late;
      if (ticks == kPictures) loop.quit();
    });
    clock.start();
    arrival.clock = clock;
    view.OnCommand(ID_SLIDESHOW);
    QTimer::singleShot(kPictures * kInterval * 4, &loop, &QEventLoop::quit);
    loop.exec();
    view.OnCommand(ID_SLIDESHOW);
    QObject::disconnect(c);
    view.Slideshow()->removeEventFilter(&arrival);
    if (ticks < kPictures) state.SkipWithError("the slideshow did not tick 50 times");
    state.counters["worst_tick_ms"] = worst;
    state.counters["mean_tick_ms"] = ticks ? sum / ticks : 0;
    state.counters["worst_handling_ms"] = worstHandling;
    state.counters["sync_step_ms"] = syncBest;
    state.counters["x_baseline"] = worst / syncBest;
    state.counters["decoded_ahead"] = view.Slideshow()->HandOvers() - handOvers;
    state.counters["shown"] = static_cast<double>(doc.CurrentPosition());
  }
}
BENCHMARK(BM_SlideshowTickLatency)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
