// XMP export of 2 000 pictures into new sidecars (each picture read for its
// size and orientation, two face regions, two keywords and a title merged
// and saved atomically, durable after one flush per group), against writing
// 2 000 small files of the sidecars' size with plain open/write/close in the
// same run, and against the same writes made durable by one flush of the
// file system as the export does. Counters "x_plain" and "x_synced" are the
// ratios of the fastest of each, so that other load on the machine weighs
// little; target: within 5x of the plain writes. Times are
// wall-clock: the work is file I/O. (Before sidecars were flushed in groups,
// a flush per file made the export 150x the plain writes on a disk.)

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <limits>
#include <filesystem>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "core/safefile.h"  // WriteAll
#include "maintenance/xmpexchange.h"
#include "testsupport/files.h"
#include "testsupport/jpeg_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace kolvaro;

constexpr int kPictures = 2000;
constexpr std::size_t kSidecarBytes = 1900;  // what one picture's sidecar holds here

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Album {
  Album() {
    doc.OnNewDocument();
    doc.AddOrUpdatePerson(1, "Anna Beispiel");
    doc.AddOrUpdatePerson(2, "Bernd Muster");
    doc.AddOrUpdateTheme(1, "Urlaub");
    doc.AddOrUpdateTheme(2, "Familie");
    test::ExifBlock exif;
    exif.Ascii(test::Ifd::kZero, 271, "Canon").Short(test::Ifd::kZero, 274, 6);
    test::JpegBuilder jpeg;
    jpeg.App0Jfif().Exif(exif).Tables(4000, 3000).Scan(60000);
    fs::create_directories(dir.Path() / "bilder");
    for (int i = 0; i < kPictures; ++i) {
      const std::string path = dir / ("bilder/IMG_" + std::to_string(1000 + i) + ".JPG");
      test::WriteFile(path, jpeg.Data());
      const std::int32_t id = doc.AddPicture(path, COleDateTime(), 0, "Bild " + std::to_string(i));
      pictures.push_back(id);
      doc.AddOrUpdatePersonOnPicture(1, {100 + i % 50, 200, 900, 1100}, id);
      doc.AddOrUpdatePersonOnPicture(2, {2000, 300 + i % 70, 2600, 1000}, id);
      doc.AddThemeToPicture(1, id);
      doc.AddThemeToPicture(2, id);
    }
  }
  void RemoveSidecars() {
    for (const auto& e : fs::directory_iterator(dir.Path() / "bilder"))
      if (e.path().extension() == ".xmp") fs::remove(e.path());
  }
  test::TempDir dir;
  CMemorySettings settings;
  CMeriskDoc doc{settings};
  std::vector<std::int32_t> pictures;
};

double WritePlain(const fs::path& folder, const std::string& bytes, bool synced) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kPictures; ++i) {
    const std::string path = (folder / ("f" + std::to_string(i) + ".xmp")).string();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || WriteAll(fd, bytes) != 0) throw std::runtime_error("write failed");
    ::close(fd);
  }
  if (synced) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    ::syncfs(fd);
    ::close(fd);
  }
  return Seconds(start);
}

void BM_XmpExportSidecars(benchmark::State& state) {
  Album album;
  auto store = CreateXmpStore();
  const std::string bytes(kSidecarBytes, 'x');
  const fs::path small = album.dir.Path() / "klein";
  double plain = std::numeric_limits<double>::max(), synced = plain, exported = plain;
  for (auto _ : state) {
    album.RemoveSidecars();
    fs::remove_all(small);
    fs::create_directories(small);
    plain = std::min(plain, WritePlain(small, bytes, false));
    fs::remove_all(small);
    fs::create_directories(small);
    synced = std::min(synced, WritePlain(small, bytes, true));
    const auto start = std::chrono::steady_clock::now();
    const XmpExportResult result = ExportXmp(album.doc, album.pictures, {}, *store);
    const double seconds = Seconds(start);
    if (result.written != kPictures) state.SkipWithError("export failed");
    exported = std::min(exported, seconds);
    state.SetIterationTime(seconds);
  }
  state.counters["x_plain"] = exported / plain;
  state.counters["x_synced"] = exported / synced;
  state.counters["plain_ms"] = 1000 * plain;
  state.counters["export_ms"] = 1000 * exported;
}
BENCHMARK(BM_XmpExportSidecars)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
