// kolvaro-cli save ALBUM [ZIEL]

#include <filesystem>

#include "cli/album_io.h"
#include "cli/commands.h"

namespace kolvaro::cli {

int RunSave(Context& ctx, const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) return UsageError(ctx, "save");
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  std::string target = args.size() == 2 ? args[1] : args[0];
  std::error_code ec;
  if (args.size() == 2 && std::filesystem::is_directory(target, ec))
    target = (std::filesystem::path(target) / std::filesystem::path(album.Path()).filename())
                 .string();
  return album.Save(target) ? kExitOk : kExitFailure;
}

}  // namespace kolvaro::cli
