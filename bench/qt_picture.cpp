// Stepping to the next photograph in the picture control: a 6000 x 4000 JPEG
// loaded and painted in a 1280 x 853 control (offscreen, rendered into an
// image). Baseline in the same run: libjpeg-turbo decoding the same file at
// 1/4 scale, the least any viewer must do to show it at that size.
//
// Counter "x_baseline" = control / turbojpeg (best of several alternating
// rounds); the target is at most 1.5. BM_PictureStepMemory reports the peak
// memory of one step ("step_peak_MB") beside that of one full-size decoding.

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <turbojpeg.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "views/picturectrl.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kPictures = 3;
const QSize kControl(1280, 853);

// Something with the texture of a photograph (smooth areas, edges, fine
// detail and sensor noise), so that the entropy-coded data has a realistic
// size: about 1 to 1.5 bytes a pixel at quality 90.
QImage MakePhoto(int seed) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  std::uint32_t noise = 2463534242u + static_cast<std::uint32_t>(seed) * 7919u;
  for (int y = 0; y < kHeight; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kWidth; ++x) {
      noise ^= noise << 13;
      noise ^= noise >> 17;
      noise ^= noise << 5;
      const double fx = x / static_cast<double>(kWidth);
      const double fy = y / static_cast<double>(kHeight);
      const double detail = std::sin(x * 0.07 + seed) * std::cos(y * 0.05) * 30.0 +
                            std::sin((x + y) * 0.013 * (1 + seed)) * 25.0;
      const int grain = static_cast<int>(noise % 25) - 12;
      const int block = ((x / 240 + y / 200 + seed) % 3) * 30;
      const int r = static_cast<int>(90 + 100 * fx + detail) + grain + block;
      const int g = static_cast<int>(70 + 120 * fy - detail * 0.5) + grain;
      const int b = static_cast<int>(140 - 80 * fx * fy + detail * 0.3) + grain - block / 2;
      line[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
    }
  }
  return image;
}

// The benchmark pictures, made once and kept in the temporary folder.
const std::vector<QString>& Pictures() {
  static const std::vector<QString> paths = [] {
    const QString dir = QDir::temp().filePath(QStringLiteral("kolvaro-bench-pictures"));
    QDir().mkpath(dir);
    std::vector<QString> result;
    for (int i = 0; i < kPictures; ++i) {
      const QString path = dir + QStringLiteral("/step%1-%2x%3-q90.jpg").arg(i).arg(kWidth).arg(kHeight);
      if (!QFileInfo::exists(path)) {
        QImageWriter writer(path + QStringLiteral(".part"), "jpg");
        writer.setQuality(90);
        if (!writer.write(MakePhoto(i)) || !QFile::rename(path + QStringLiteral(".part"), path))
          throw std::runtime_error("cannot write " + path.toStdString());
      }
      result.push_back(path);
    }
    return result;
  }();
  return paths;
}

std::vector<unsigned char> ReadFile(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary | std::ios::ate);
  std::vector<unsigned char> bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// The baseline: read the file and decode it at 1/4 scale into 32-bit pixels,
// the layout Qt's own decoder writes.
class TurboQuarter {
 public:
  TurboQuarter() : m_handle(tjInitDecompress()) {}
  ~TurboQuarter() { tjDestroy(m_handle); }
  TurboQuarter(const TurboQuarter&) = delete;
  TurboQuarter& operator=(const TurboQuarter&) = delete;

  void Decode(const QString& path) {
    std::vector<unsigned char> jpeg = ReadFile(path);
    int w = 0, h = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(m_handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &w, &h, &subsampling,
                            &colourspace) != 0)
      throw std::runtime_error(tjGetErrorStr2(m_handle));
    const tjscalingfactor quarter{1, 4};
    const int sw = TJSCALED(w, quarter);
    const int sh = TJSCALED(h, quarter);
    m_pixels.resize(static_cast<std::size_t>(sw) * sh * 4);
    if (tjDecompress2(m_handle, jpeg.data(), static_cast<unsigned long>(jpeg.size()), m_pixels.data(), sw, 0, sh,
                      TJPF_BGRX, 0) != 0)
      throw std::runtime_error(tjGetErrorStr2(m_handle));
    benchmark::DoNotOptimize(m_pixels.data());
  }

 private:
  tjhandle m_handle;
  std::vector<unsigned char> m_pixels;
};

// What the user waits for: Load, then a paint of the whole control.
class Viewer {
 public:
  Viewer() : m_target(kControl, QImage::Format_ARGB32_Premultiplied) { m_ctrl.resize(kControl); }
  void Step(const QString& path) {
    m_ctrl.Load(path);
    m_ctrl.render(&m_target);
    benchmark::DoNotOptimize(m_target.constBits());
  }
  const kolvaro::CPictureCtrl& Ctrl() const { return m_ctrl; }

 private:
  kolvaro::CPictureCtrl m_ctrl;
  QImage m_target;
};

long StatusKb(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  return -1;
}

// Lets VmHWM start again from the current resident set (Linux 4.0 and later).
bool ResetPeak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return static_cast<bool>(out);
}

void BM_PictureStepTurboJpegQuarter(benchmark::State& state) {
  const std::vector<QString>& pictures = Pictures();
  TurboQuarter turbo;
  std::size_t next = 0;
  for (auto _ : state) turbo.Decode(pictures[next++ % pictures.size()]);
}
BENCHMARK(BM_PictureStepTurboJpegQuarter)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PictureStepControl(benchmark::State& state) {
  const std::vector<QString>& pictures = Pictures();
  Viewer viewer;
  viewer.Step(pictures.back());  // plugins loaded, caches warm
  std::size_t next = 0;
  for (auto _ : state) viewer.Step(pictures[next++ % pictures.size()]);

  // No full-resolution copy is kept: the image paints draw from has the
  // display rectangle's size.
  const QSize cached = viewer.Ctrl().CachedImageSize();
  const QRect display = viewer.Ctrl().DisplayRect();
  state.counters["cached_px"] = static_cast<double>(cached.width()) * cached.height();
  if (cached.width() > display.width() || cached.height() > display.height())
    state.SkipWithError("the control holds more than the display size");
}
BENCHMARK(BM_PictureStepControl)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Both, alternating on the same files, so that the ratio is not skewed by
// the machine's load drifting between two separate runs.
void BM_PictureStepRatio(benchmark::State& state) {
  const std::vector<QString>& pictures = Pictures();
  TurboQuarter turbo;
  Viewer viewer;
  viewer.Step(pictures.back());
  double bestTurbo = 1e9;
  double bestControl = 1e9;
  double sumTurbo = 0;
  double sumControl = 0;
  std::size_t next = 0;
  for (auto _ : state) {
    const QString& path = pictures[next++ % pictures.size()];
    auto t0 = Clock::now();
    turbo.Decode(path);
    auto t1 = Clock::now();
    viewer.Step(path);
    auto t2 = Clock::now();
    const double turboSeconds = std::chrono::duration<double>(t1 - t0).count();
    const double controlSeconds = std::chrono::duration<double>(t2 - t1).count();
    bestTurbo = std::min(bestTurbo, turboSeconds);
    bestControl = std::min(bestControl, controlSeconds);
    sumTurbo += turboSeconds;
    sumControl += controlSeconds;
  }
  state.counters["turbo_ms"] = bestTurbo * 1e3;
  state.counters["control_ms"] = bestControl * 1e3;
  state.counters["x_baseline"] = bestControl / bestTurbo;
  state.counters["x_baseline_mean"] = sumControl / sumTurbo;
}
BENCHMARK(BM_PictureStepRatio)->Unit(benchmark::kMillisecond)->Iterations(30);

// Memory of one step: the rise of the resident set's peak while a new
// picture is loaded and painted, against one decoding at full size (what
// printing will do). Runs last: it makes every allocation of 256 KiB or more
// a mapping of its own, returned when freed, so that the peak is not hidden
// in reused heap; that would slow the timed runs.
void BM_PictureStepMemory(benchmark::State& state) {
  const std::vector<QString>& pictures = Pictures();
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
  Viewer viewer;
  viewer.Step(pictures.back());
  double stepPeak = 0;
  std::size_t next = 0;
  for (auto _ : state) {
    malloc_trim(0);  // free heap left by the runs before is touched anew, and so counted
    const long before = StatusKb("VmRSS");
    if (!ResetPeak()) {
      state.SkipWithError("cannot reset the peak resident set");
      return;
    }
    viewer.Step(pictures[next++ % pictures.size()]);
    stepPeak = std::max(stepPeak, (StatusKb("VmHWM") - before) / 1024.0);
  }
  malloc_trim(0);
  const long before = StatusKb("VmRSS");
  ResetPeak();
  const kolvaro::CLoadedPicture& picture = viewer.Ctrl().Picture();
  benchmark::DoNotOptimize(picture.Decode(picture.DisplayedSize()).constBits());
  state.counters["step_peak_MB"] = stepPeak;
  state.counters["full_decode_peak_MB"] = (StatusKb("VmHWM") - before) / 1024.0;
  state.counters["file_MB"] = QFileInfo(pictures.front()).size() / 1048576.0;
}
BENCHMARK(BM_PictureStepMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
