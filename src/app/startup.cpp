#include "app/startup.h"

#include <QLoggingCategory>
#include <string_view>

#include "core/paths.h"
#include "res/strings.h"
#include "res/version.h"

namespace kolvaro {

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      cl.help = true;
    } else if (!optionsEnded && (arg == "--version" || arg == "-v")) {
      cl.version = true;
    } else if (!optionsEnded && arg == "--quit-after-show") {
      cl.quitAfterShow = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      cl.error = FormatMessage(LoadString(IDS_UNKNOWN_OPTION), {arg});
    } else if (cl.file.empty()) {
      cl.file = arg;
    } else {
      cl.error = FormatMessage(LoadString(IDS_ONE_ALBUM_ONLY), {arg});
    }
  }
  return cl;
}

std::string UsageText() {
  return std::string(LoadString(IDS_USAGE));
}

std::string StoredRootFolder(std::string_view folder) {
  std::string stored = ToStoredFolder(PathStyle::Posix, folder);
  if (stored.empty() || stored.back() != '/') stored += '/';
  return stored;
}

std::optional<std::string> NormalizeRootFolder(const std::string& value) {
  // Byte-wise is multibyte-safe here: in UTF-8 no byte of a longer
  // character equals '\' or ':'.
  std::string slashes = value;
  for (char& c : slashes)
    if (c == '\\') c = '/';
  std::string stored = StoredRootFolder(slashes);
  if (stored == value) return std::nullopt;
  return stored;
}

void QuietenImageLibraries() {
  QLoggingCategory::setFilterRules(
      QStringLiteral("qt.gui.imageio.info=false\nqt.gui.imageio.warning=false"));
}

}  // namespace kolvaro
