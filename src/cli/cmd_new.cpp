// kolvaro-cli new ALBUM

#include <filesystem>

#include "cli/album_io.h"
#include "cli/commands.h"

namespace kolvaro::cli {

int RunNew(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(ctx, "new");
  const std::string& path = args[0];
  // Nobody is asked here, so an existing album is never replaced.
  std::error_code ec;
  if (std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found)
    return Fail(ctx, Text(IDS_CLI_ALREADY_EXISTS, {path}));
  CAlbumFile album(ctx);
  if (!album.New() || !album.Save(path)) return kExitFailure;
  return kExitOk;
}

}  // namespace kolvaro::cli
