// Capture dates of 2 000 phone files of each kind: HEIC (49 items, the Exif
// item in the media data behind the item tables), PNG (eXIf before 1 MB of
// image data) and MP4 (the movie box behind 3 MB of media data). The image
// and media data are holes in sparse files. Baseline: reading the first
// 64 KiB of each file of the same kind with plain read(2); the counter
// "x_read" is the ratio to it, the target is within 2x. Times are the
// thread's CPU time, files come from the page cache.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/exifreader.h"
#include "maintenance/capturedate.h"
#include "testsupport/media_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace kolvaro::test;

constexpr int kFiles = 2000;
enum Kind { kHeic, kPng, kMp4, kKinds };
constexpr const char* kNames[kKinds] = {"heic", "png", "mp4"};

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// A phone's EXIF block: some 10 KB with the maker note.
Bytes PhoneTiff(int i) {
  char date[20];
  std::snprintf(date, sizeof date, "2024:%02d:%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28, i % 24,
                i % 60, (i * 7) % 60);
  return ExifBlock()
      .Ascii(Ifd::kZero, 271, "Apple")
      .Ascii(Ifd::kZero, 272, "iPhone 15 Pro")
      .Short(Ifd::kZero, 274, 6)
      .Ascii(Ifd::kZero, 306, date)
      .Rational(Ifd::kExif, 33434, 1, 120)
      .Rational(Ifd::kExif, 33437, 178, 100)
      .Short(Ifd::kExif, 34855, 64)
      .Ascii(Ifd::kExif, 36867, date)
      .Ascii(Ifd::kExif, 36868, date)
      .Undefined(Ifd::kExif, 37500, Bytes(9000, 0x41))
      .Tiff();
}

Bytes FullBox(std::string_view type, std::uint32_t versionFlags, const Bytes& payload) {
  return Box(type, Cat({Be(versionFlags, 4), payload}));
}

// The header part of a HEIC; the media data's header ends it, `dataSize` bytes follow.
Bytes HeicHead(const Bytes& exifItem, std::uint64_t dataSize) {
  constexpr int kTiles = 48;
  Bytes infes;
  for (int id = 1; id <= kTiles + 1; ++id)
    infes =
        Cat({infes, FullBox("infe", 0x02000000,
                            Cat({Be(id, 2), Be(0, 2), B(id <= kTiles ? "hvc1" : "Exif"), {0}}))});
  const Bytes iinf = FullBox("iinf", 0, Cat({Be(kTiles + 1, 2), infes}));
  const Bytes ftyp = Box("ftyp", B("heic\0\0\0\0mif1heicmiaf"sv));
  const Bytes other = Cat({FullBox("hdlr", 0, Cat({Be(0, 4), B("pict"), Bytes(13)})),
                           FullBox("pitm", 0, Be(1, 2)), Box("iprp", Box("ipco", Bytes(600)))});
  const std::uint64_t tile = (dataSize - exifItem.size()) / kTiles;
  auto meta = [&](std::uint64_t data) {
    Bytes items;
    for (int id = 1; id <= kTiles; ++id)
      items = Cat({items, Be(id, 2), Be(0, 2), Be(1, 2),
                   Be(data + exifItem.size() + (id - 1) * tile, 4), Be(tile, 4)});
    items =
        Cat({items, Be(kTiles + 1, 2), Be(0, 2), Be(1, 2), Be(data, 4), Be(exifItem.size(), 4)});
    const Bytes iloc = FullBox("iloc", 0, Cat({{0x44, 0x00}, Be(kTiles + 1, 2), items}));
    return FullBox("meta", 0, Cat({other, iinf, iloc}));
  };
  const std::uint64_t data = ftyp.size() + meta(0).size() + 8;
  return Cat({ftyp, meta(data), Be(dataSize + 8, 4), B("mdat")});
}

/// Writes `head` and then `tail` at `tailAt`, leaving a hole between.
void WriteSparse(const std::string& path, const Bytes& head, std::uint64_t tailAt,
                 const Bytes& tail) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || ::pwrite(fd, head.data(), head.size(), 0) != static_cast<ssize_t>(head.size()) ||
      ::pwrite(fd, tail.data(), tail.size(), static_cast<off_t>(tailAt)) !=
          static_cast<ssize_t>(tail.size()))
    throw std::runtime_error("cannot write " + path);
  ::close(fd);
}

class PhoneFolder {
 public:
  PhoneFolder() {
    std::string pattern = (fs::temp_directory_path() / "kolvaro-bench-media-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_folder = pattern;
    for (int i = 0; i < kFiles; ++i) {
      const Bytes tiff = PhoneTiff(i);
      char name[32];
      std::snprintf(name, sizeof name, "IMG_%04d.", i);
      const std::string base = (m_folder / name).string();
      // HEIC: the Exif item first in the media data, the tiles behind it.
      const Bytes item = Cat({Be(6, 4), B("Exif\0\0"sv), tiff});
      const std::uint64_t heicData = 1500000 + 997 * static_cast<std::uint64_t>(i);
      const Bytes heic = Cat({HeicHead(item, heicData), item});
      WriteSparse(base + "heic", heic, heic.size() + heicData - item.size() - 1, {0});
      // PNG: 1 MB of image data behind eXIf.
      auto chunk = [](std::string_view type, const Bytes& data) {
        return Cat({Be(data.size(), 4), B(type), data, Be(0, 4)});
      };
      const std::uint64_t idat = 1000000 + 991 * static_cast<std::uint64_t>(i);
      const Bytes png = Cat({B("\x89PNG\r\n\x1A\n"), chunk("IHDR", Bytes(13)), chunk("eXIf", tiff),
                             Be(idat, 4), B("IDAT")});
      m_paths[kPng].push_back(base + "png");
      WriteSparse(m_paths[kPng].back(), png, png.size() + idat, Cat({Be(0, 4), chunk("IEND", {})}));
      // MP4: 3 MB of media data, then the movie box as cameras and ffmpeg without
      // "faststart" write it.
      const std::uint64_t mdat = 3000000 + 1009 * static_cast<std::uint64_t>(i);
      const Bytes mp4Head = Cat({Box("ftyp", B("isom\0\0\x02\0isomiso2avc1mp41"sv)), Be(1, 4),
                                 B("mdat"), Be(mdat + 16, 8)});
      const Bytes moov =
          Box("moov", Cat({Mvhd(0, kMovieTime + static_cast<std::uint64_t>(i) * 3600),
                           Box("trak", Bytes(20000)), Box("udta", Bytes(300))}));
      m_paths[kMp4].push_back(base + "mp4");
      WriteSparse(m_paths[kMp4].back(), mp4Head, mp4Head.size() + mdat, moov);
      m_paths[kHeic].push_back(base + "heic");
    }
  }
  ~PhoneFolder() {
    std::error_code ec;
    fs::remove_all(m_folder, ec);
  }
  const std::vector<std::string>& Paths(int kind) const { return m_paths[kind]; }

 private:
  fs::path m_folder;
  std::vector<std::string> m_paths[kKinds];
};

const PhoneFolder& Phone() {
  static const PhoneFolder folder;
  return folder;
}

double ReadFirst64KiB(int kind) {
  std::vector<char> buffer(64 * 1024);
  const double start = CpuSeconds();
  for (const std::string& path : Phone().Paths(kind)) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    benchmark::DoNotOptimize(got);
    benchmark::DoNotOptimize(buffer.data());
  }
  return CpuSeconds() - start;
}

// Median of 9 passes, measured once per kind on first use.
double BaselineSeconds(int kind) {
  static double seconds[kKinds] = {};
  if (seconds[kind] == 0.0) {
    std::vector<double> runs;
    for (int i = 0; i < 9; ++i) runs.push_back(ReadFirst64KiB(kind));
    std::nth_element(runs.begin(), runs.begin() + 4, runs.end());
    seconds[kind] = runs[4];
  }
  return seconds[kind];
}

void BM_MediaBaseline_Read64KiB(benchmark::State& state) {
  Phone();  // made before any timing
  const int kind = static_cast<int>(state.range(0));
  state.SetLabel(kNames[kind]);
  for (auto _ : state) state.SetIterationTime(ReadFirst64KiB(kind));
  state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_MediaBaseline_Read64KiB)
    ->DenseRange(0, kKinds - 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The capture-date rule as the folder command runs it, file status included.
void BM_MediaCaptureDates(benchmark::State& state) {
  Phone();  // made before any timing
  const int kind = static_cast<int>(state.range(0));
  state.SetLabel(kNames[kind]);
  double seconds = 0.0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    for (const std::string& path : Phone().Paths(kind)) {
      const kolvaro::FileStatus status = kolvaro::QueryFileStatus(path);
      const kolvaro::COleDateTime date =
          kolvaro::CaptureDate(path, status, kolvaro::DateFallback::kInvalidOnly);
      if (date.Value() == 0.0) state.SkipWithError("capture date missing");
      benchmark::DoNotOptimize(date);
    }
    const double s = CpuSeconds() - start;
    state.SetIterationTime(s);
    seconds += s;
  }
  state.SetItemsProcessed(state.iterations() * kFiles);
  state.counters["x_read"] =
      seconds / static_cast<double>(state.iterations()) / BaselineSeconds(kind);
}
BENCHMARK(BM_MediaCaptureDates)
    ->DenseRange(0, kKinds - 1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
