// 2 000 camera JPEGs (APP1 blocks of 10 to 60 KB with a thumbnail inside,
// 100 to 400 KB of image data): the EXIF reader's capture-date text, the
// capture-date rule, and adding them to an album of 100 000 pictures as a
// folder (ID_ADD_FOLDER) and as chosen files (ID_ADD_PICTURES). Baseline: reading the first
// 64 KiB of each file with plain read(2). The counter "x_read" is the ratio
// to it; targets: capture dates within 2x, adding within 3x. Times are the
// thread's CPU time (user and system), files come from the page cache.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/exifreader.h"
#include "core/meriskdoc.h"
#include "maintenance/addpictures.h"
#include "maintenance/capturedate.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

namespace {

namespace fs = std::filesystem;
using kolvaro::COleDateTime;
using kolvaro::test::ByteOrder;
using kolvaro::test::ExifBlock;
using kolvaro::test::Ifd;
using kolvaro::test::JpegBuilder;

constexpr int kFiles = 2000;
constexpr int kAlbumPictures = 100000;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

/// A camera's folder below a temporary parent, which the album is based in.
class CameraFolder {
 public:
  CameraFolder() {
    std::string pattern = (fs::temp_directory_path() / "kolvaro-bench-add-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_parent = pattern;
    m_folder = m_parent / "DCIM 100CANON";
    fs::create_directories(m_folder);
    std::mt19937 rng(1907);
    std::uniform_int_distribution<std::size_t> thumbnail(9000, 58000), image(100000, 400000);
    for (int i = 0; i < kFiles; ++i) {
      char date[20];
      std::snprintf(date, sizeof date, "2024:%02d:%02d %02d:%02d:%02d", 1 + i % 12, 1 + i % 28,
                    i % 24, i % 60, (i * 13) % 60);
      ExifBlock exif(i % 4 == 0 ? ByteOrder::kBig : ByteOrder::kLittle);
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
          JpegBuilder().App0Jfif().Exif(exif).Tables(6720, 4480).Scan(image(rng), i + 7).Data();
      const fs::path path = m_folder / ("IMG_" + std::to_string(5000 + i) + ".JPG");
      kolvaro::test::WriteFile(path, jpeg);
      m_paths.push_back(path.string());
    }
  }
  ~CameraFolder() {
    std::error_code ec;
    fs::remove_all(m_parent, ec);
  }
  std::string Parent() const { return m_parent.string() + "/"; }
  std::string Folder() const { return m_folder.string(); }
  const std::vector<std::string>& Paths() const { return m_paths; }

 private:
  fs::path m_parent, m_folder;
  std::vector<std::string> m_paths;
};

const CameraFolder& Camera() {
  static const CameraFolder folder;
  return folder;
}

/// Answers nothing and shows nothing: the benchmark's user.
class SilentUser : public kolvaro::IUserQuestions {
 public:
  kolvaro::Answer Show(const kolvaro::UserMessage&) override { return kolvaro::Answer::Ok; }
  std::vector<std::string> GetOpenFileNames(const std::string&, const std::string&,
                                            const std::string&, bool) override {
    return {};
  }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

/// 100 000 pictures in folders beside the camera's.
class LargeAlbum {
 public:
  LargeAlbum() : doc(settings) {
    doc.OnNewDocument();
    doc.SetAlbumFolder(Camera().Parent());
    for (int id = 1; id <= kAlbumPictures; ++id) {
      char name[64];
      std::snprintf(name, sizeof name, "Urlaub %d\\IMG_%05d.JPG", 1995 + id % 30, id % 100000);
      doc.AddOrUpdatePicture(id, name, COleDateTime(COleDateTime::valid, 40000.0 + id), 3000000,
                                 "");
    }
  }
  /// Takes out what a benchmark pass added.
  void Reset() {
    for (std::int32_t id = doc.Pictures().m_nMaxId; doc.Pictures().GetCount() > kAlbumPictures;
         --id)
      doc.ReplayRemovePicture(id, {}, {});  // no links, no re-selection
  }

  kolvaro::CMemorySettings settings;
  kolvaro::CMeriskDoc doc;
};

LargeAlbum& Album() {
  static LargeAlbum album;
  return album;
}

double ReadFirst64KiB() {
  std::vector<char> buffer(64 * 1024);
  const std::vector<std::string>& paths = Camera().Paths();
  const double start = CpuSeconds();
  for (const std::string& path : paths) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    benchmark::DoNotOptimize(got);
    benchmark::DoNotOptimize(buffer.data());
  }
  return CpuSeconds() - start;
}

// Measured once on first use (median of 9 passes), whatever order the
// benchmarks run in.
double BaselineSeconds() {
  static const double seconds = [] {
    std::vector<double> runs;
    for (int i = 0; i < 9; ++i) runs.push_back(ReadFirst64KiB());
    std::nth_element(runs.begin(), runs.begin() + 4, runs.end());
    return runs[4];
  }();
  return seconds;
}

void Report(benchmark::State& state, double seconds) {
  state.SetItemsProcessed(state.iterations() * kFiles);
  state.counters["x_read"] = seconds / static_cast<double>(state.iterations()) / BaselineSeconds();
}

void BM_AddBaseline_Read64KiB(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(ReadFirst64KiB());
  Report(state, BaselineSeconds() * static_cast<double>(state.iterations()));
}
BENCHMARK(BM_AddBaseline_Read64KiB)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ExifCaptureDate(benchmark::State& state) {
  const std::vector<std::string>& paths = Camera().Paths();
  std::string date;
  double seconds = 0.0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    for (const std::string& path : paths) {
      const kolvaro::CExifReader reader(path);
      if (!reader.GetCaptureDateText(date) || date.size() != 19)
        state.SkipWithError("capture date missing");
      benchmark::DoNotOptimize(date.data());
    }
    const double s = CpuSeconds() - start;
    state.SetIterationTime(s);
    seconds += s;
  }
  Report(state, seconds);
}
BENCHMARK(BM_ExifCaptureDate)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_CaptureDates(benchmark::State& state) {
  const std::vector<std::string>& paths = Camera().Paths();
  double seconds = 0.0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    for (const std::string& path : paths) {
      const kolvaro::FileStatus status = kolvaro::QueryFileStatus(path);
      const COleDateTime date =
          kolvaro::CaptureDate(path, status, kolvaro::DateFallback::kInvalidOnly);
      if (date.Value() == 0.0) state.SkipWithError("capture date missing");
      benchmark::DoNotOptimize(date);
    }
    const double s = CpuSeconds() - start;
    state.SetIterationTime(s);
    seconds += s;
  }
  Report(state, seconds);
}
BENCHMARK(BM_CaptureDates)->UseManualTime()->Unit(benchmark::kMillisecond);

// One pass adds every camera file to the large album; the album is reset after it.
template <typename Add>
void AddToLargeAlbum(benchmark::State& state, Add add) {
  LargeAlbum& album = Album();
  SilentUser user;
  double seconds = 0.0;
  for (auto _ : state) {
    const double start = CpuSeconds();
    const int added = add(album.doc, user);
    const double s = CpuSeconds() - start;
    if (added != kFiles) state.SkipWithError("not every file was added");
    state.SetIterationTime(s);
    seconds += s;
    album.Reset();
  }
  Report(state, seconds);
}

void BM_AddFolderToLargeAlbum(benchmark::State& state) {
  AddToLargeAlbum(state, [](kolvaro::CMeriskDoc& doc, SilentUser& user) {
    return kolvaro::AddFolderPictures(doc, user, Camera().Folder());
  });
}
BENCHMARK(BM_AddFolderToLargeAlbum)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_AddFilesToLargeAlbum(benchmark::State& state) {
  AddToLargeAlbum(state, [](kolvaro::CMeriskDoc& doc, SilentUser& user) {
    return kolvaro::AddPictureFiles(doc, user, Camera().Paths());
  });
}
BENCHMARK(BM_AddFilesToLargeAlbum)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
