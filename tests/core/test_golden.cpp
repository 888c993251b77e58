// Albums of each format version, opened and saved again in their folder,
// against the bytes expected of the save: the version written is 2, each
// table's records come in the order reading left them, and a version 1
// album gains the new album's trailer.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/meriskdoc.h"
#include "core/ports/settings.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

TEST(GoldenAlbums, SavingAnOpenedAlbumWritesTheExpectedBytes) {
  const struct {
    const char* album;
    const char* saved;
  } cases[] = {
      {"version1.kvo", "version1.saved.kvo"},
      {"version3.kvo", "version3.saved.kvo"},
  };
  const test::EpochGuard epoch(test::kEpoch);  // the tables' change dates
  const std::string golden = std::string(KOLVARO_GOLDEN_DIR) + "/";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.album);
    // In /tmp whatever TMPDIR says: an absolute picture name is saved
    // relative to the album's folder, so that folder's depth is in the bytes.
    const test::TempDir dir("/tmp");
    const std::string path = dir / c.album;
    test::WriteFile(path, test::ReadFile(golden + c.album));
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    std::string error;
    ASSERT_TRUE(doc.OnOpenDocument(path, &error)) << error;
    ASSERT_TRUE(doc.OnSaveDocument(path, &error)) << error;
    const std::string saved = test::ReadFile(path);
    const std::string expected = test::ReadFile(golden + c.saved);
    ASSERT_FALSE(expected.empty()) << "missing " << c.saved;
    const auto at = std::mismatch(saved.begin(), saved.end(), expected.begin(), expected.end());
    EXPECT_TRUE(saved == expected) << "the bytes differ from offset " << (at.first - saved.begin());
  }
}

}  // namespace
}  // namespace kolvaro
