#pragma once
// Where the help pages are: beside the program (the build tree, an unpacked
// copy) or, installed, under share/ beside its bin/.

#include <string>

namespace kolvaro {

/// The help folder (ending in '/') for the program at `programPath`: the
/// first of "<program dir>/help/" and "<program dir>/../share/kolvaro/help/"
/// that holds the table of contents "index.html"; without one the first,
/// as HelpFolderOf gives it. The desktop program and kolvaro-cli installed
/// side by side find the same folder, so new albums get the same update URL.
std::string FindHelpFolder(const std::string& programPath);

}  // namespace kolvaro
