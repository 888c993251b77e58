// kolvaro-cli storage ALBUM [--mode 0|1] [--folder DIR]

#include <filesystem>
#include <optional>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "maintenance/albumsettings.h"

namespace kolvaro::cli {
namespace {

// "--name VALUE" or "--name=VALUE" taken out of `args`; false when the value
// is missing or the option comes twice.
bool TakeOption(std::vector<std::string>& args, const std::string& name,
                std::optional<std::string>& value) {
  for (std::size_t i = 0; i < args.size();) {
    std::optional<std::string> found;
    std::size_t used = 1;
    if (args[i] == name) {
      if (i + 1 >= args.size()) return false;
      found = args[i + 1];
      used = 2;
    } else if (args[i].starts_with(name + "=")) {
      found = args[i].substr(name.size() + 1);
    }
    if (!found) {
      ++i;
      continue;
    }
    if (value) return false;
    value = std::move(found);
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + used));
  }
  return true;
}

// Relative names must resolve wherever the album is opened from: a folder
// given relative to the working folder is kept absolute, with a trailing '/'.
std::string StorageFolderOf(const std::string& given) {
  if (given.empty()) return given;
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(given, ec);
  if (ec) p = given;
  return WithTrailingSlash(p.lexically_normal().string());
}

}  // namespace

int RunStorage(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  std::optional<std::string> modeText, folder;
  if (!TakeOption(args, "--mode", modeText) || !TakeOption(args, "--folder", folder) ||
      args.size() != 1)
    return UsageError(ctx, "storage");
  std::int32_t mode = 0;
  if (modeText && (!ParseInt(*modeText, mode) || (mode != 0 && mode != 1)))
    return UsageError(ctx, "storage");
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  CMeriskDoc& doc = album.Doc();
  if (modeText || folder) {
    ApplyStorageOptions(doc, modeText ? mode : doc.StorageMode(),
                        folder ? StorageFolderOf(*folder) : doc.StorageFolder());
    if (!album.Save()) return kExitFailure;
  }
  PrintStorage(ctx.out, doc);
  return kExitOk;
}

}  // namespace kolvaro::cli
