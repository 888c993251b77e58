// Thumbnails, each against its baseline in the same run:
//
// BM_ThumbnailsCold/1 and /0: 2 000 camera JPEGs of 4000 x 3000 pixels with
// (1) or without (0) an EXIF preview of 160 x 120, made into the shared
// cache on two threads from an empty cache, against libjpeg-turbo decoding
// the same files at 1/8 scale on two threads, in turns of 100 files.
// "x_baseline" = ours / turbo in wall time ("x_baseline_cpu" in the threads'
// CPU time, which a loaded machine disturbs less); target at most 1.2: the
// cache gets the picture's own pixels, preview or not. With the preview,
// "x_screen" is the same for the preview the strip shows at once, before the
// cache is filled; target at most 0.2.
//
// BM_ThumbnailsWarm: a screenful (20) of thumbnails already in the cache,
// shown by the strip from an empty memory, against reading their PNG files
// one after the other. Target "x_baseline" at most 2.
//
// BM_Strip100k: a selection of 100 000 pictures: "ready_ms" from the
// selection to the strip's first paint (target 50), and "worst_frame_ms",
// the longest the interface thread is held while the strip scrolls from end
// to end a page at a time (target 16; "p99_frame_ms" and "frames_over_16ms"
// tell a loaded machine's preemption apart from the strip's own work).
//
// BM_Grid100k: the same for the overview grid, 1200 x 800 pixels, scrolled
// from top to bottom; the same targets.

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <thread>
#include <time.h>
#include <unistd.h>
#include <vector>

#include "core/meriskdoc.h"
#include "qt/gui/thumbnailmaker.h"
#include "core/ports/settings.h"
#include "testsupport/jpeg_builder.h"
#include "views/thumbnailgrid.h"
#include "views/thumbnailstrip.h"

namespace {

using Clock = std::chrono::steady_clock;
using kolvaro::ThumbnailResult;

constexpr int kFiles = 2000;
constexpr int kDistinct = 4;
constexpr int kThreads = 2;

// Smooth areas, edges and sensor noise: about a byte a pixel at quality 90.
QImage MakePhoto(int seed) {
  QImage image(4000, 3000, QImage::Format_RGB32);
  std::uint32_t noise = 2463534242u + static_cast<std::uint32_t>(seed) * 7919u;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      noise ^= noise << 13;
      noise ^= noise >> 17;
      noise ^= noise << 5;
      const int grain = static_cast<int>(noise % 31) - 15;
      const int block = ((x / 250 + y / 190 + seed) % 4) * 25;
      line[x] = qRgb(std::clamp(60 + x / 25 + block + grain, 0, 255), std::clamp(50 + y / 18 + grain, 0, 255),
                     std::clamp(160 - x / 40 + ((x ^ y) & 31) - block / 2 + grain, 0, 255));
    }
  }
  return image;
}

QByteArray JpegBytes(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 90);
  return bytes;
}

// As a camera writes it: the EXIF block with the preview behind IFD1 right after SOI.
QByteArray WithPreview(const QByteArray& jpeg, const QImage& photo) {
  const QByteArray preview = JpegBytes(photo.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  kolvaro::test::ExifBlock block;
  block.Short(kolvaro::test::Ifd::kZero, 274, 1).Thumbnail(kolvaro::test::Bytes(preview.begin(), preview.end()));
  const kolvaro::test::Bytes tiff = block.Tiff();
  QByteArray app1("Exif\0\0", 6);
  app1.append(reinterpret_cast<const char*>(tiff.data()), static_cast<qsizetype>(tiff.size()));
  const auto length = static_cast<int>(app1.size() + 2);
  QByteArray segment("\xFF\xE1", 2);
  segment.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF)).append(app1);
  return jpeg.left(2) + segment + jpeg.mid(2);
}

// The 2 000 files of each kind: links to a few distinct photographs, made once.
const std::vector<std::string>& CameraFiles(bool preview) {
  static std::vector<std::string> files[2];
  std::vector<std::string>& result = files[preview ? 1 : 0];
  if (!result.empty()) return result;
  const QString dir = QDir::temp().filePath(QStringLiteral("kolvaro-bench-thumbnails"));
  QDir().mkpath(dir);
  for (int d = 0; d < kDistinct; ++d) {
    const QString master = dir + QStringLiteral("/master%1-%2.jpg").arg(d).arg(preview ? "exif" : "plain");
    if (!QFileInfo::exists(master)) {
      const QImage photo = MakePhoto(d);
      const QByteArray jpeg = JpegBytes(photo);
      QFile out(master + QStringLiteral(".part"));
      if (!out.open(QIODevice::WriteOnly) || out.write(preview ? WithPreview(jpeg, photo) : jpeg) < 0 ||
          !out.flush() || !QFile::rename(out.fileName(), master))
        throw std::runtime_error("cannot write " + master.toStdString());
    }
  }
  for (int i = 0; i < kFiles; ++i) {
    const QString name = dir + QStringLiteral("/%1-%2.jpg").arg(preview ? "exif" : "plain").arg(i, 4, 10, QLatin1Char('0'));
    const QString master = dir + QStringLiteral("/master%1-%2.jpg").arg(i % kDistinct).arg(preview ? "exif" : "plain");
    if (!QFileInfo::exists(name) && ::link(master.toLocal8Bit().constData(), name.toLocal8Bit().constData()) != 0)
      throw std::runtime_error("cannot link " + name.toStdString());
    result.push_back(name.toStdString());
  }
  return result;
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

struct Times {
  double wall = 0;  // seconds
  double cpu = 0;   // seconds of the worker threads together
};

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs `job` over files [from, to) on kThreads threads.
template <typename Job>
Times OnTwoThreads(const std::vector<std::string>& files, std::size_t from, std::size_t to, Job job) {
  std::atomic<std::size_t> next{from};
  std::atomic<long long> cpuNs{0};
  const auto start = Clock::now();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&] {
      const double cpu0 = ThreadCpuSeconds();
      auto state = job.Start();
      for (std::size_t i; (i = next++) < to;) job.Run(state, files[i]);
      job.Finish(state);
      cpuNs += static_cast<long long>((ThreadCpuSeconds() - cpu0) * 1e9);
    });
  for (std::thread& t : threads) t.join();
  return {std::chrono::duration<double>(Clock::now() - start).count(), static_cast<double>(cpuNs) * 1e-9};
}

struct TurboEighth {
  tjhandle Start() { return tjInitDecompress(); }
  void Run(tjhandle handle, const std::string& path) {
    std::vector<unsigned char> jpeg = ReadFile(path);
    int w = 0, h = 0, sub = 0, colours = 0;
    if (tjDecompressHeader3(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &w, &h, &sub, &colours))
      throw std::runtime_error(tjGetErrorStr2(handle));
    const tjscalingfactor eighth{1, 8};
    std::vector<unsigned char> pixels(static_cast<std::size_t>(TJSCALED(w, eighth)) * TJSCALED(h, eighth) * 4);
    if (tjDecompress2(handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), pixels.data(), TJSCALED(w, eighth),
                      0, TJSCALED(h, eighth), TJPF_BGRX, 0))
      throw std::runtime_error(tjGetErrorStr2(handle));
    benchmark::DoNotOptimize(pixels.data());
  }
  void Finish(tjhandle handle) { tjDestroy(handle); }
};

struct Thumbnails {
  const kolvaro::CThumbnailCache& cache;
  std::atomic<int>& embedded;
  kolvaro::EmbeddedPreview preview = kolvaro::EmbeddedPreview::kNever;
  int Start() { return 0; }
  void Run(int, const std::string& path) {
    const ThumbnailResult r =
        kolvaro::MakeThumbnail(cache, path, kolvaro::ThumbnailSize::kNormal, preview);
    if (r.image.isNull() || (preview == kolvaro::EmbeddedPreview::kNever && !r.stored))
      throw std::runtime_error("no thumbnail for " + path);
    if (r.from == ThumbnailResult::From::kEmbedded) ++embedded;
  }
  void Finish(int) {}
};

void BM_ThumbnailsCold(benchmark::State& state) {
  const bool preview = state.range(0) != 0;
  const std::vector<std::string>& files = CameraFiles(preview);
  Times turbo, ours, screen;
  int embedded = 0;
  for (auto _ : state) {
    QTemporaryDir cacheHome;
    const kolvaro::CThumbnailCache cache(cacheHome.filePath(QStringLiteral("thumbnails")).toStdString());
    std::atomic<int> fromPreview{0};
    // In turns of 100 files, so that the machine's load drifting hits all alike.
    for (std::size_t from = 0; from < files.size(); from += 100) {
      const std::size_t to = std::min(files.size(), from + 100);
      const Times t = OnTwoThreads(files, from, to, TurboEighth{});
      if (preview) {
        // What the strip shows at once, while the cache is still empty.
        const Times s = OnTwoThreads(
            files, from, to, Thumbnails{cache, fromPreview, kolvaro::EmbeddedPreview::kForScreen});
        screen.wall += s.wall, screen.cpu += s.cpu;
      }
      const Times o = OnTwoThreads(files, from, to, Thumbnails{cache, fromPreview});
      turbo.wall += t.wall, turbo.cpu += t.cpu, ours.wall += o.wall, ours.cpu += o.cpu;
    }
    embedded = fromPreview;
  }
  state.counters["turbo_s"] = turbo.wall;
  state.counters["ours_s"] = ours.wall;
  state.counters["x_baseline"] = ours.wall / turbo.wall;
  state.counters["x_baseline_cpu"] = ours.cpu / turbo.cpu;
  state.counters["from_preview"] = embedded;
  if (preview) {
    state.counters["screen_s"] = screen.wall;
    state.counters["x_screen"] = screen.wall / turbo.wall;
    state.counters["x_screen_cpu"] = screen.cpu / turbo.cpu;
  }
}
BENCHMARK(BM_ThumbnailsCold)->Arg(1)->Arg(0)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_ThumbnailsWarm(benchmark::State& state) {
  constexpr int kShown = 20;
  const std::vector<std::string>& files = CameraFiles(true);
  QTemporaryDir cacheHome;
  const kolvaro::CThumbnailCache cache(cacheHome.filePath(QStringLiteral("thumbnails")).toStdString());
  kolvaro::CMemorySettings settings;
  kolvaro::CMeriskDoc doc(settings);
  doc.OnNewDocument();
  std::vector<std::int32_t> ids;
  std::vector<QString> pngs;
  for (int i = 0; i < kShown; ++i) {
    kolvaro::MakeThumbnail(cache, files[static_cast<std::size_t>(i)], kolvaro::ThumbnailSize::kNormal);
    ids.push_back(i + 1);
    doc.AddOrUpdatePicture(i + 1, files[static_cast<std::size_t>(i)], kolvaro::COleDateTime::Now(), 1000, "");
    const kolvaro::ThumbnailSource source = kolvaro::ThumbnailSource::Of(files[static_cast<std::size_t>(i)]);
    pngs.push_back(QString::fromStdString(cache.PathFor(source.uri, kolvaro::ThumbnailSize::kNormal)));
  }
  double bestPng = 1e9, bestStrip = 1e9;
  for (auto _ : state) {
    auto t0 = Clock::now();
    for (const QString& png : pngs) benchmark::DoNotOptimize(QImage(png, "png").constBits());
    bestPng = std::min(bestPng, std::chrono::duration<double>(Clock::now() - t0).count());

    doc.SetExplicitSelection({});
    kolvaro::CThumbnailStrip strip(doc, {}, cache);
    strip.resize(kShown * 104 + 40, strip.height());
    strip.show();
    QApplication::processEvents();
    t0 = Clock::now();
    doc.SetExplicitSelection(ids);
    while (strip.Memory().Count() < static_cast<std::size_t>(kShown)) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    strip.viewport()->repaint();
    bestStrip = std::min(bestStrip, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  state.counters["png_ms"] = bestPng * 1e3;
  state.counters["strip_ms"] = bestStrip * 1e3;
  state.counters["x_baseline"] = bestStrip / bestPng;
}
BENCHMARK(BM_ThumbnailsWarm)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

// A new selection of 100 000 pictures, then scrolling from end to end a
// page at a time, in the strip or the grid.
template <typename View>
void Scroll100k(
    benchmark::State& state, QSize size, QScrollBar* (View::*bar)() const,
    std::function<std::unique_ptr<View>(kolvaro::CMeriskDoc&, kolvaro::CThumbnailCache)> make) {
  constexpr int kPictures = 100000;
  kolvaro::CMemorySettings settings;
  kolvaro::CMeriskDoc doc(settings);
  doc.OnNewDocument();
  std::vector<std::int32_t> ids;
  for (int id = 1; id <= kPictures; ++id) {
    // Nowhere to be found: the workers answer at once and the view shows placeholders.
    doc.AddOrUpdatePicture(id, "/kolvaro-bench/none/img_" + std::to_string(id) + ".jpg",
                           kolvaro::COleDateTime::Now(), 1000, "Bild " + std::to_string(id));
    ids.push_back(id);
  }
  QTemporaryDir cacheHome;
  std::unique_ptr<View> view = make(doc, kolvaro::CThumbnailCache(cacheHome.path().toStdString()));
  view->resize(size.width(), size.height() ? size.height() : view->height());
  view->show();
  QApplication::processEvents();
  double ready = 1e9;
  std::vector<double> frames;
  for (auto _ : state) {
    doc.SetExplicitSelection({});
    QApplication::processEvents();
    auto t0 = Clock::now();
    doc.SetExplicitSelection(ids);
    QApplication::processEvents();  // the posted layout of the new rows
    view->viewport()->repaint();
    ready = std::min(ready, std::chrono::duration<double>(Clock::now() - t0).count());

    QScrollBar* scroll = ((*view).*bar)();
    for (int value = 0; value <= scroll->maximum(); value += scroll->pageStep()) {
      t0 = Clock::now();
      scroll->setValue(value);
      QApplication::processEvents();
      view->viewport()->repaint();
      frames.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
    }
  }
  // A loaded machine preempts the thread now and then: the share of long
  // frames tells that apart from work the view does.
  std::sort(frames.begin(), frames.end());
  state.counters["ready_ms"] = ready * 1e3;
  state.counters["worst_frame_ms"] = frames.back() * 1e3;
  state.counters["p99_frame_ms"] = frames[frames.size() * 99 / 100] * 1e3;
  state.counters["frames_over_16ms"] =
      static_cast<double>(frames.end() - std::upper_bound(frames.begin(), frames.end(), 0.016));
  state.counters["frames"] = static_cast<double>(frames.size());
}

void BM_Strip100k(benchmark::State& state) {
  Scroll100k<kolvaro::CThumbnailStrip>(
      state, QSize(1600, 0), &kolvaro::CThumbnailStrip::horizontalScrollBar,
      [](kolvaro::CMeriskDoc& doc, kolvaro::CThumbnailCache cache) {
        return std::make_unique<kolvaro::CThumbnailStrip>(doc, std::function<void(int)>(),
                                                          std::move(cache));
      });
}
BENCHMARK(BM_Strip100k)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

// The overview: the same targets as the strip's, on a window-sized grid.
void BM_Grid100k(benchmark::State& state) {
  Scroll100k<kolvaro::CThumbnailGrid>(
      state, QSize(1200, 800), &kolvaro::CThumbnailGrid::verticalScrollBar,
      [](kolvaro::CMeriskDoc& doc, kolvaro::CThumbnailCache cache) {
        return std::make_unique<kolvaro::CThumbnailGrid>(
            doc, std::function<void(int)>(), std::function<void(int)>(), std::move(cache));
      });
}
BENCHMARK(BM_Grid100k)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
