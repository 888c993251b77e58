// Reading the capture date of 2 000 camera JPEGs, against reading the first
// 64 KiB of each with plain read(2). The counter "x_read" is the ratio of the
// two; the reader should stay within 2x.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/jpeg_builder.h"
#include "core/exifreader.h"

namespace {

namespace fs = std::filesystem;
using kolvaro::test::ByteOrder;
using kolvaro::test::ExifBlock;
using kolvaro::test::Ifd;
using kolvaro::test::JpegBuilder;

constexpr int kFileCount = 2000;

/// A folder of camera-like JPEGs: APP0, an APP1 of 10 to 60 KB with a
/// thumbnail inside, tables, then 100 to 400 KB of image data.
class CameraFiles {
 public:
  CameraFiles() {
    std::string pattern = (fs::temp_directory_path() / "kolvaro-bench-exif-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_dir = pattern;
    std::mt19937 rng(20240714);
    std::uniform_int_distribution<std::size_t> thumbnail(9000, 58000);
    std::uniform_int_distribution<std::size_t> image(100000, 400000);
    for (int i = 0; i < kFileCount; ++i) {
      ExifBlock exif(i % 3 == 0 ? ByteOrder::kBig : ByteOrder::kLittle);
      char date[20];
      std::snprintf(date, sizeof date, "2023:%02d:%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28,
                    i % 24, i % 60, (i * 7) % 60);
      exif.Ascii(Ifd::kZero, 271, "Canon")
          .Ascii(Ifd::kZero, 272, "Canon EOS 5D Mark IV")
          .Short(Ifd::kZero, 274, 1)
          .Rational(Ifd::kZero, 282, 72, 1)
          .Rational(Ifd::kZero, 283, 72, 1)
          .Short(Ifd::kZero, 296, 2)
          .Ascii(Ifd::kZero, 305, "Firmware Version 1.1.2")
          .Ascii(Ifd::kZero, 306, date)
          .Short(Ifd::kZero, 531, 2)
          .Rational(Ifd::kExif, 33434, 1, 250)
          .Rational(Ifd::kExif, 33437, 56, 10)
          .Short(Ifd::kExif, 34850, 2)
          .Short(Ifd::kExif, 34855, 400)
          .Ascii(Ifd::kExif, 36867, date)
          .Ascii(Ifd::kExif, 36868, date)
          .Rational(Ifd::kExif, 37377, 8, 1)
          .Rational(Ifd::kExif, 37378, 5, 1)
          .Rational(Ifd::kExif, 37380, 0, 3)
          .Short(Ifd::kExif, 37383, 5)
          .Short(Ifd::kExif, 37385, 16)
          .Rational(Ifd::kExif, 37386, 50, 1)
          .Ascii(Ifd::kExif, 37520, "42")
          .Short(Ifd::kExif, 40961, 1)
          .Long(Ifd::kExif, 40962, 6720)
          .Long(Ifd::kExif, 40963, 4480)
          .Ascii(Ifd::kInterop, 1, "R98")
          .Thumbnail(kolvaro::test::FakeThumbnail(thumbnail(rng)));
      const auto jpeg =
          JpegBuilder().App0Jfif().Exif(exif).Tables(6720, 4480).Scan(image(rng), i + 1).Data();
      const fs::path path = m_dir / ("IMG_" + std::to_string(1000 + i) + ".JPG");
      kolvaro::test::WriteFile(path, jpeg);
      m_paths.push_back(path.string());
    }
  }
  ~CameraFiles() {
    std::error_code ec;
    fs::remove_all(m_dir, ec);
  }
  const std::vector<std::string>& Paths() const { return m_paths; }

 private:
  fs::path m_dir;
  std::vector<std::string> m_paths;
};

const CameraFiles& Files() {
  static const CameraFiles files;
  return files;
}

double g_readSecondsPerPass = 0.0;

void BM_Read64KiB(benchmark::State& state) {
  const auto& paths = Files().Paths();
  std::vector<char> buffer(64 * 1024);
  std::size_t bytes = 0;
  double seconds = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : paths) {
      const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      const ssize_t got = ::read(fd, buffer.data(), buffer.size());
      ::close(fd);
      benchmark::DoNotOptimize(buffer.data());
      bytes += got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  g_readSecondsPerPass = seconds / static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations() * kFileCount);
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_Read64KiB)->Unit(benchmark::kMillisecond);

void BM_ExifCaptureDate(benchmark::State& state) {
  const auto& paths = Files().Paths();
  std::string date;
  double seconds = 0.0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : paths) {
      const kolvaro::CExifReader reader(path);
      if (!reader.GetCaptureDateText(date) || date.size() != 19) {
        state.SkipWithError("capture date missing");
        return;
      }
      benchmark::DoNotOptimize(date.data());
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.SetItemsProcessed(state.iterations() * kFileCount);
  if (g_readSecondsPerPass > 0.0)
    state.counters["x_read"] =
        seconds / static_cast<double>(state.iterations()) / g_readSecondsPerPass;
}
BENCHMARK(BM_ExifCaptureDate)->Unit(benchmark::kMillisecond);

}  // namespace
