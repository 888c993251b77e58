#include "core/helpfolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "testsupport/files.h"

namespace kolvaro {
namespace {

TEST(HelpFolder, FoundBesideTheProgramOrUnderShare) {
  struct Case {
    bool beside, shared;
    const char* expected;  // below the prefix
  };
  const Case cases[] = {
      {true, true, "bin/help/"},  // the build tree, or an unpacked copy
      {false, true, "share/kolvaro/help/"},
      {false, false, "bin/help/"},  // nothing found: where it belongs
  };
  for (const Case& c : cases) {
    test::TempDir dir;
    const std::filesystem::path prefix = dir.Path();
    std::filesystem::create_directories(prefix / "bin/help");
    std::filesystem::create_directories(prefix / "share/kolvaro/help");
    if (c.beside) std::ofstream(prefix / "bin/help/index.html") << "x";
    if (c.shared) std::ofstream(prefix / "share/kolvaro/help/index.html") << "x";
    EXPECT_EQ(FindHelpFolder((prefix / "bin/kolvaro").string()), prefix.string() + "/" + c.expected);
  }
}

}  // namespace
}  // namespace kolvaro
