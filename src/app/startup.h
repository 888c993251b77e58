#pragma once
// Pieces of start-up that need no window: the command line, the help path
// and the picture root folder.

#include <optional>
#include <string>
#include <string_view>
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

/// A folder in the stored form of "RootFolder": ':' written as '|', ending in '/'.
std::string StoredRootFolder(std::string_view folder);

/// A "RootFolder" value in its stored form, also from a Windows value: '\'
/// becomes '/', then as StoredRootFolder. Returns nothing when the value
/// needs no change.
std::optional<std::string> NormalizeRootFolder(const std::string& value);

/// Keeps the English warnings of the image libraries (libpng's "iCCP: known
/// incorrect sRGB profile" and the like) off standard error: what goes wrong
/// with a picture the program says itself. QT_LOGGING_RULES still wins.
void QuietenImageLibraries();

}  // namespace kolvaro
