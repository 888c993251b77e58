// Transaction files: arbitrary bytes after a valid first line end in a
// message or a normal end, and the quick replay (re-selection only where it
// is seen) always ends exactly as re-selecting after every removal.
//
//   fuzz_import -rss_limit_mb=512 -max_len=65536 <corpus copy> ../fuzz/corpus/import

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <optional>
#include <string_view>
#include <vector>

#include "collab/transactionimport.h"
#include "core/archive.h"
#include "core/meriskdoc.h"
#include "core/ports/settings.h"
#include "core/ports/userquestions.h"

namespace {

using namespace kolvaro;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_import: %s\n", what);
  std::abort();
}

class CountingUi final : public IUserQuestions {
 public:
  Answer Show(const UserMessage&) override {
    ++messages;
    return Answer::Ok;
  }
  std::vector<std::string> GetOpenFileNames(const std::string&, const std::string&,
                                            const std::string&, bool) override {
    return {};
  }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  int messages = 0;
};

// A small album with links, so that removals have something to take along.
void FillAlbum(CMeriskDoc& d) {
  d.OnNewDocument();
  for (int i = 1; i <= 8; ++i) {
    d.AddOrUpdatePicture(i, "p" + std::to_string(i % 3) + ".jpg",
                         COleDateTime::FromCalendar(2020, 1 + i % 4, 1, 0, 0, 0),
                         static_cast<std::uint64_t>(i % 5), "");
    d.AddOrUpdatePersonOnPicture(1 + i % 3, Rect{i, i, i, i}, i);
    d.AddThemeToPicture(1 + i % 2, i);
  }
  for (int i = 1; i <= 3; ++i) d.AddOrUpdatePerson(i, "p");
  for (int i = 1; i <= 2; ++i) d.AddOrUpdateTheme(i, "t");
  d.SelectPictures(1, -1, 2);
}

std::string Store(CMeriskDoc& doc) {
  CArchive ar;
  doc.Serialize(ar);
  return ar.TakeBytes();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Equal change dates in both replays.
  ::setenv("SOURCE_DATE_EPOCH", "1796670770", 1);
  kolvaro::ReloadClockEnvironment();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string file = "<merisk-transaction-file>\r\n";
  file.append(reinterpret_cast<const char*>(data), size);

  CMemorySettings settings;
  CMeriskDoc quick(settings);
  CMeriskDoc eager(settings);
  FillAlbum(quick);
  FillAlbum(eager);
  CountingUi ui;
  const auto q = ImportTransactionBytes(quick, file, &ui, {false});
  const auto e = ImportTransactionBytes(eager, file, nullptr, {true});

  if (ui.messages != (q.result == TransactionImportResult::Done ? 0 : 1))
    Fail("wrong number of messages");
  if (q.result == TransactionImportResult::Cancelled) Fail("cancelled without a dialog");
  if (q.result != e.result || q.applied != e.applied) Fail("replays end differently");
  if (Store(quick) != Store(eager)) Fail("replays give different albums");
  if (quick.Selection() != eager.Selection() ||
      quick.CurrentPicture() != eager.CurrentPicture() ||
      quick.CurrentPosition() != eager.CurrentPosition())
    Fail("replays give different selections");
  return 0;
}
