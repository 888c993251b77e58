#include "core/helpfolder.h"

#include <sys/stat.h>

#include "core/meriskdoc.h"

namespace kolvaro {
namespace {

bool HasContents(const std::string& folder) {
  struct stat st {};
  return ::stat((folder + "index.html").c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string FindHelpFolder(const std::string& programPath) {
  const std::string beside = HelpFolderOf(programPath);
  if (HasContents(beside)) return beside;
  // "<prefix>/bin/" gives "<prefix>/share/kolvaro/help/", written without
  // "..", since it ends up in the update URL of every new album.
  const auto cut = programPath.find_last_of('/');
  if (cut != std::string::npos && cut > 0) {
    const auto parent = programPath.find_last_of('/', cut - 1);
    const std::string dir = programPath.substr(parent == std::string::npos ? 0 : parent + 1,
                                               cut - (parent == std::string::npos ? 0 : parent + 1));
    if (parent != std::string::npos && !dir.empty() && dir != ".." && dir != ".") {
      const std::string shared = programPath.substr(0, parent + 1) + "share/kolvaro/help/";
      if (HasContents(shared)) return shared;
    }
  }
  return beside;
}

}  // namespace kolvaro
