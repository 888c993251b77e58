// kolvaro-cli new ALBUM

#include <filesystem>

#include "cli/album_io.h"

namespace kolvaro::cli {
namespace {

int RunNew(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(ctx, "new");
  const std::string& path = args[0];
  // Nobody is asked here, so an existing album is never replaced.
  std::error_code ec;
  if (std::filesystem::symlink_status(path, ec).type() != std::filesystem::file_type::not_found)
    return Fail(ctx, path + " existiert bereits.");
  CAlbumFile album(ctx);
  if (!album.New() || !album.Save(path)) return kExitFailure;
  return kExitOk;
}

const Registrar kRegistrar({"new", "new ALBUM",
                            "Legt ALBUM als neues, leeres Album an (eine vorhandene Datei "
                            "wird nicht überschrieben).",
                            &RunNew});

}  // namespace
}  // namespace kolvaro::cli
