// Importing persons from a text file chosen in the desktop program.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "core/meriskdoc.h"
#include "maintenance/importpersons.h"
#include "testsupport/album_bytes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

TEST(ImportPersonsTest, APipeIsRefusedWithoutWaitingForAWriter) {
  test::TempDir dir;
  const std::string fifo = dir.Folder() + "namen";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();

  auto import = std::async(std::launch::async, [&] { return ImportPersons(doc, fifo); });
  const bool finished = import.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  if (!finished) {
    // Let the blocked reader go, so the test fails instead of hanging.
    const int fd = ::open(fifo.c_str(), O_WRONLY);
    if (fd >= 0) ::close(fd);
  }
  const PersonImportResult result = import.get();
  EXPECT_TRUE(finished);
  EXPECT_FALSE(result.opened);
  EXPECT_EQ(doc.Persons().GetCount(), 0);
}

}  // namespace
}  // namespace kolvaro
