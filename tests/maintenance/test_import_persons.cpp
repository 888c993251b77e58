// Importing persons from a text file chosen in the desktop program.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>

#include "core/meriskdoc.h"
#include "maintenance/importpersons.h"
#include "res/strings.h"
#include "testsupport/album_bytes.h"
#include "testsupport/fakes.h"
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

// Blank lines and names the album has add nobody; names lose their blanks;
// the user hears what came in, as the command line prints it.
TEST(ImportPersonsTest, TakesEachNameOnceTrimmedAndSaysWhatItSkipped) {
  test::TempDir dir;
  const std::string file = dir.Folder() + "namen.txt";
  test::WriteFile(file, "\xEF\xBB\xBF Anna\r\n\r\n \t \nBernd  \nAnna\nCarla\n");
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  doc.AddOrUpdatePerson(doc.Persons().NextId(), "Carla");
  test::FakeUserQuestions ui;
  ui.chosenFiles = {file};
  OnImportPersons(doc, ui);
  std::vector<std::string> names;
  for (POSITION pos = doc.Persons().GetStartPosition(); pos;) {
    std::int32_t id = 0;
    std::string name;
    doc.Persons().GetNext(pos, id, name);
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Anna", "Bernd", "Carla"}));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, FormatMessage(LoadString(IDS_PERSONS_IMPORTED), {2LL, 4LL}));
}

}  // namespace
}  // namespace kolvaro
