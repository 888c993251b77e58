// Replaying a transaction file of 100 000 records (99 % add-update records of
// every kind, 1 % remove-picture) into an album of 100 000 pictures, against
// reading the same file line by line without applying anything.
//
// Counter "x_baseline": mean time of a replay divided by the time of the
// line-by-line pass (best of five, same reader); "x_getline" the same against
// std::getline. The target is a replay within 5x of the line pass. Set TMPDIR
// to put the file on another file system.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "collab/transactionfile.h"
#include "collab/transactionimport.h"
#include "collab/transactionreader.h"
#include "core/archive.h"
#include "core/meriskdoc.h"
#include "core/ports/settings.h"

namespace {

using namespace kolvaro;
using Clock = std::chrono::steady_clock;

constexpr int kPictures = 100000;
constexpr int kPersons = 2000;
constexpr int kThemes = 300;
constexpr int kRecords = 100000;

struct Fixture {
  std::string album;  // the album's bytes
  std::string path;   // the transaction file
  std::size_t fileBytes = 0;
  double lineSeconds = 0;     // best line-by-line pass
  double getlineSeconds = 0;  // best std::getline pass

  Fixture() {
    CMemorySettings settings;
    std::mt19937 rng(2024);
    {
      CMeriskDoc doc(settings);
      doc.OnNewDocument();
      for (int i = 1; i <= kPictures; ++i)
        doc.AddOrUpdatePicture(
            i, "2019\\urlaub\\dsc" + std::to_string(10000 + i) + ".jpg",
            COleDateTime::FromCalendar(2000 + static_cast<int>(rng() % 25),
                                       1 + static_cast<int>(rng() % 12), 1 + static_cast<int>(rng() % 28),
                                       static_cast<int>(rng() % 24), 0, 0),
            1000000 + rng() % 5000000, "Bild " + std::to_string(i));
      for (int i = 1; i <= kPersons; ++i) doc.AddOrUpdatePerson(i, "Person " + std::to_string(i));
      for (int i = 1; i <= kThemes; ++i) doc.AddOrUpdateTheme(i, "Thema " + std::to_string(i));
      for (int i = 0; i < 150000; ++i)
        doc.AddOrUpdatePersonOnPicture(1 + static_cast<int>(rng() % kPersons), Rect{10, 20, 110, 140}, 1 + static_cast<int>(rng() % kPictures));
      for (int i = 0; i < 200000; ++i)
        doc.AddThemeToPicture(1 + static_cast<int>(rng() % kThemes),
                                           1 + static_cast<int>(rng() % kPictures));
      CArchive ar;
      doc.Serialize(ar);
      album = ar.TakeBytes();
    }

    CTransactionText log;
    auto picture = [&] { return 1 + static_cast<int>(rng() % kPictures); };
    for (int i = 0; i < kRecords; ++i) {
      if (i % 100 == 99) {
        log.WriteRemovePicture(picture());
        continue;
      }
      switch (i % 5) {
        case 0:
          log.WritePicture(picture(), "2019\\urlaub\\dsc" + std::to_string(i) + ".jpg",
                           COleDateTime::FromCalendar(2021, 5, 6, 7, 8, 9), 2345678,
                           "Überschrift für Bild " + std::to_string(i));
          break;
        case 1:
          log.WritePerson(1 + static_cast<int>(rng() % (kPersons + 100)), "Jürgen Weiß " + std::to_string(i));
          break;
        case 2:
          log.WritePersonOnPicture(1 + static_cast<int>(rng() % kPersons), Rect{1, 2, 300, 400},
                                   picture());
          break;
        case 3:
          log.WriteTheme(1 + static_cast<int>(rng() % (kThemes + 10)), "Städte " + std::to_string(i));
          break;
        default:
          log.WriteThemeOfPicture(1 + static_cast<int>(rng() % kThemes), picture());
          break;
      }
    }
    const std::string bytes = log.Bytes();
    fileBytes = bytes.size();
    const char* tmp = std::getenv("TMPDIR");
    path = std::string(tmp && *tmp ? tmp : "/tmp") + "/kolvaro-bench-replay-" +
           std::to_string(::getpid()) + ".xml";
    std::ofstream(path, std::ios::binary) << bytes;

    lineSeconds = Best([&] { return ReadLines(); });
    getlineSeconds = Best([&] { return ReadGetline(); });
  }
  ~Fixture() { std::filesystem::remove(path); }

  template <typename F>
  static double Best(F pass) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
      const auto start = Clock::now();
      benchmark::DoNotOptimize(pass());
      best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
  }

  std::size_t ReadLines() const {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + path);
    CFileByteSource source(fd);
    CTransactionLineReader reader(source);
    std::string_view line;
    std::size_t total = 0;
    while (reader.Next(line) == CTransactionLineReader::Status::Line) total += line.size();
    ::close(fd);
    return total;
  }

  std::size_t ReadGetline() const {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::size_t total = 0;
    while (std::getline(in, line)) total += line.size();
    return total;
  }

  std::unique_ptr<CMeriskDoc> LoadAlbum(CMemorySettings& settings) const {
    auto doc = std::make_unique<CMeriskDoc>(settings);
    CArchive ar(album);
    doc->Serialize(ar);
    doc->SelectPictures(-1, -1, 2);
    return doc;
  }
};

const Fixture& Shared() {
  static const Fixture fixture;
  return fixture;
}

void Replay(benchmark::State& state, bool everyRemoval) {
  const Fixture& f = Shared();
  CMemorySettings settings;
  double total = 0;
  for (auto _ : state) {
    auto doc = f.LoadAlbum(settings);
    const auto start = Clock::now();
    const auto outcome = ImportTransactionFile(*doc, f.path, nullptr, {everyRemoval});
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
    if (outcome.result != TransactionImportResult::Done || outcome.applied != kRecords)
      state.SkipWithError("replay did not end normally");
    benchmark::DoNotOptimize(doc->CurrentPicture());
  }
  const double mean = total / static_cast<double>(state.iterations());
  state.counters["x_baseline"] = mean / f.lineSeconds;
  state.counters["x_getline"] = mean / f.getlineSeconds;
  state.counters["records/s"] = static_cast<double>(kRecords) / mean;
  state.SetBytesProcessed(static_cast<std::int64_t>(f.fileBytes) * state.iterations());
}

void BM_ReadLines(benchmark::State& state) {
  const Fixture& f = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(f.ReadLines());
  state.SetBytesProcessed(static_cast<std::int64_t>(f.fileBytes) * state.iterations());
}
BENCHMARK(BM_ReadLines)->Unit(benchmark::kMillisecond);

void BM_ReadGetline(benchmark::State& state) {
  const Fixture& f = Shared();
  for (auto _ : state) benchmark::DoNotOptimize(f.ReadGetline());
  state.SetBytesProcessed(static_cast<std::int64_t>(f.fileBytes) * state.iterations());
}
BENCHMARK(BM_ReadGetline)->Unit(benchmark::kMillisecond);

void BM_Replay(benchmark::State& state) { Replay(state, false); }
BENCHMARK(BM_Replay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor: the add-update records alone, parsed beforehand and handed
// straight to the document's record operations (no file, no removals).
void BM_RecordOperationsOnly(benchmark::State& state) {
  const Fixture& f = Shared();
  std::vector<TransactionRecordData> records;
  {
    const int fd = ::open(f.path.c_str(), O_RDONLY | O_CLOEXEC);
    CFileByteSource source(fd);
    CTransactionParser parser(source);
    parser.ReadHeader();
    TransactionRecordData r;
    while (parser.Next(r) == CTransactionParser::Status::Record)
      if (r.kind != TransactionRecord::RemovePicture) records.push_back(r);
    ::close(fd);
  }
  CMemorySettings settings;
  double total = 0;
  for (auto _ : state) {
    auto doc = f.LoadAlbum(settings);
    const auto start = Clock::now();
    for (const TransactionRecordData& r : records) {
      switch (r.kind) {
        case TransactionRecord::AddUpdatePicture:
          doc->AddOrUpdatePicture(r.a, r.text, r.timestamp, r.size, r.title);
          break;
        case TransactionRecord::AddUpdatePerson:
          doc->AddOrUpdatePerson(r.a, r.text);
          break;
        case TransactionRecord::AddUpdatePersonOnPicture:
          doc->AddOrUpdatePersonOnPicture(r.a, r.rect, r.b);
          break;
        case TransactionRecord::AddUpdateTheme:
          doc->AddOrUpdateTheme(r.a, r.text);
          break;
        default:
          doc->AddThemeToPicture(r.a, r.b);
          break;
      }
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
  }
  state.counters["x_baseline"] = total / static_cast<double>(state.iterations()) / f.lineSeconds;
}
BENCHMARK(BM_RecordOperationsOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

// For comparison: the selection re-run at every removal as it happens.
void BM_ReplaySelectEveryRemoval(benchmark::State& state) { Replay(state, true); }
BENCHMARK(BM_ReplaySelectEveryRemoval)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

// ---------------------------------------------------------------------------
// One record kind at a time, and a hostile mix, replayed from memory into the
// same album of 100 000 pictures. The target is at least 100 000 records a
// second for every case ("records/s"); before the change, 2 000 remove-picture
// records with negative ids took 22 s and 20 000 remove-theme records 8.6 s.
// KOLVARO_BENCH_RECORDS sets the record count of each case (default 100 000).

namespace kinds {

int RecordCount() {
  const char* env = std::getenv("KOLVARO_BENCH_RECORDS");
  const int n = env ? std::atoi(env) : 0;
  return n > 0 ? n : 100000;
}

// Stands for the picture id -1, which the writer never writes.
constexpr int kCurrent = 999999;

// A record with the picture id -1.
std::string CurrentPictureRecord(int i) {
  return "<add-update-picture>\r\n\t<id-picture>-1</id-picture>\r\n\t<filename>x" +
         std::to_string(i) + ".jpg</filename>\r\n\t<timestamp>" + std::to_string(30000 + i % 9000) +
         ".000000</timestamp>\r\n\t<timestamp-text></timestamp-text>\r\n\t<size>" +
         std::to_string(i) + "</size>\r\n\t<title>t</title>\r\n</add-update-picture>\r\n";
}

std::string Build(const std::string& kind, int n) {
  std::mt19937 rng(7);
  auto picture = [&] { return 1 + static_cast<int>(rng() % kPictures); };
  CTransactionText log;
  const std::size_t header = log.Bytes(false).size();
  std::string bytes = log.Bytes(false);
  // Each record is written alone and its lines appended, so that the
  // hand-made ones can sit between them.
  auto add = [&](auto write) {
    CTransactionText one;
    write(one);
    bytes.append(one.Bytes(false), header);
  };
  for (int i = 0; i < n; ++i) {
    if (kind == "add-update-picture")
      add([&](auto& l) {
        l.WritePicture(picture(), "neu\\b" + std::to_string(i) + ".jpg",
                       COleDateTime::FromCalendar(2021, 5, 6, 7, 8, 9), 1234, "Titel");
      });
    else if (kind == "add-update-person")
      add([&](auto& l) { l.WritePerson(1 + static_cast<int>(rng() % (kPersons * 2)), "Person"); });
    else if (kind == "add-update-person-on-picture")
      add([&](auto& l) {
        l.WritePersonOnPicture(1 + static_cast<int>(rng() % kPersons), Rect{1, 2, 3, 4}, picture());
      });
    else if (kind == "add-update-theme")
      add([&](auto& l) { l.WriteTheme(1 + static_cast<int>(rng() % (kThemes * 2)), "Thema"); });
    else if (kind == "add-update-theme-of-picture-association")
      add([&](auto& l) { l.WriteThemeOfPicture(1 + static_cast<int>(rng() % kThemes), picture()); });
    else if (kind == "remove-person")
      add([&](auto& l) { l.WriteRemovePerson(1 + static_cast<int>(rng() % (kPersons * 20))); });
    else if (kind == "remove-person-on-picture")
      add([&](auto& l) {
        l.WriteRemovePersonOnPicture(1 + static_cast<int>(rng() % kPersons), picture());
      });
    else if (kind == "remove-picture")
      add([&](auto& l) { l.WriteRemovePicture(picture()); });
    else if (kind == "remove-picture-negative")
      add([&](auto& l) { l.WriteRemovePicture(-1 - static_cast<int>(rng() % 1000)); });
    else if (kind == "remove-theme")
      add([&](auto& l) { l.WriteRemoveTheme(1 + static_cast<int>(rng() % (kThemes * 100))); });
    else if (kind == "remove-theme-of-picture")
      add([&](auto& l) {
        l.WriteRemoveThemeOfPicture(1 + static_cast<int>(rng() % kThemes), picture());
      });
    else  // hostile mix: removals, each followed by records that read the current picture
      switch (i % 8) {
        case 0: add([&](auto& l) { l.WriteRemovePicture(picture()); }); break;
        case 1: add([&](auto& l) { l.WriteThemeOfPicture(5, kCurrent); }); break;
        case 2: add([&](auto& l) { l.WriteRemovePicture(-1 - static_cast<int>(rng() % 1000)); }); break;
        case 3: add([&](auto& l) { l.WritePersonOnPicture(7, Rect{1, 2, 3, 4}, kCurrent); }); break;
        case 4: add([&](auto& l) { l.WriteRemoveTheme(1 + static_cast<int>(rng() % kThemes)); }); break;
        case 5: add([&](auto& l) { l.WriteRemoveThemeOfPicture(5, kCurrent); }); break;
        case 6: add([&](auto& l) { l.WriteRemovePerson(1 + static_cast<int>(rng() % kPersons)); }); break;
        default: bytes += CurrentPictureRecord(i); break;
      }
  }
  // The writer never writes -1; another program might.
  const std::string mark = ">" + std::to_string(kCurrent) + "<";
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = bytes.find(mark, from)) != std::string::npos; from = at + mark.size())
    out.append(bytes, from, at - from).append(">-1<");
  bytes = out.append(bytes, from);
  return bytes + std::string(kTransactionRootClose) + "\r\n";
}

void ReplayKind(benchmark::State& state, const std::string& kind) {
  const Fixture& f = Shared();
  const int n = RecordCount();
  const std::string bytes = Build(kind, n);
  CMemorySettings settings;
  double total = 0;
  for (auto _ : state) {
    auto doc = f.LoadAlbum(settings);
    // The hostile mix runs under a theme filter, sorted by date.
    if (kind == "hostile") doc->SelectPictures(5, -1, 2);
    const auto start = Clock::now();
    const auto outcome = ImportTransactionBytes(*doc, bytes, nullptr);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    total += seconds;
    if (outcome.result != TransactionImportResult::Done ||
        outcome.applied != static_cast<std::size_t>(n))
      state.SkipWithError("replay did not end normally");
    benchmark::DoNotOptimize(doc->CurrentPicture());
  }
  state.counters["records/s"] = n / (total / static_cast<double>(state.iterations()));
}

}  // namespace kinds

#define KOLVARO_REPLAY_KIND(name, kind)                                               \
  void BM_ReplayKind_##name(benchmark::State& state) { kinds::ReplayKind(state, kind); } \
  BENCHMARK(BM_ReplayKind_##name)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3)

KOLVARO_REPLAY_KIND(AddUpdatePicture, "add-update-picture");
KOLVARO_REPLAY_KIND(AddUpdatePerson, "add-update-person");
KOLVARO_REPLAY_KIND(AddUpdatePersonOnPicture, "add-update-person-on-picture");
KOLVARO_REPLAY_KIND(AddUpdateTheme, "add-update-theme");
KOLVARO_REPLAY_KIND(AddUpdateThemeOfPicture, "add-update-theme-of-picture-association");
KOLVARO_REPLAY_KIND(RemovePerson, "remove-person");
KOLVARO_REPLAY_KIND(RemovePersonOnPicture, "remove-person-on-picture");
KOLVARO_REPLAY_KIND(RemovePicture, "remove-picture");
KOLVARO_REPLAY_KIND(RemovePictureNegativeIds, "remove-picture-negative");
KOLVARO_REPLAY_KIND(RemoveTheme, "remove-theme");
KOLVARO_REPLAY_KIND(RemoveThemeOfPicture, "remove-theme-of-picture");
KOLVARO_REPLAY_KIND(HostileMix, "hostile");
