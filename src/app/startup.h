#pragma once
// Pieces of start-up that need no window: the command line, the help path
// and the picture root folder.

#include <optional>
#include <string>
#include <vector>

namespace kolvaro {

struct CommandLine {
  std::string file;          // album to open; empty for none
  bool help = false;         // --help: print the usage and end
  bool version = false;      // --version
  bool quitAfterShow = false;// --quit-after-show: end once the main window is painted (timing, checks)
  std::string error;         // German message for a wrong argument
};

CommandLine ParseCommandLine(const std::vector<std::string>& args);

/// The German usage text of `kolvaro --help`.
std::string UsageText();

/// "RootFolder" in its stored form: '\' becomes '/', ':' becomes '|', and a
/// trailing '/' is added. Returns nothing when the value needs no change.
std::optional<std::string> NormalizeRootFolder(const std::string& value);

}  // namespace kolvaro
