// kolvaro-cli check ALBUM

#include <filesystem>
#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/json.h"

namespace kolvaro::cli {
namespace {

bool PictureFileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace

int RunCheck(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(ctx, "check");
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  const CMeriskDoc& doc = album.Doc();

  int missing = 0;
  for (POSITION pos = doc.Pictures().GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id;
    const PictureEntry& e = doc.Pictures().GetNextRef(pos, id);
    const std::string path = doc.GetPictureFullPath(id);
    if (PictureFileExists(path)) continue;
    ++missing;
    const std::string shown = path.empty() ? Text(IDS_CLI_NO_FILE_NAME) : TerminalText(path);
    ctx.out << Text(IDS_CLI_PICTURE_MISSING, {static_cast<long long>(id), shown});
    if (e.filename != path) ctx.out << Text(IDS_CLI_STORED_AS, {TerminalText(e.filename)});
    ctx.out << '\n';
  }
  const int total = doc.Pictures().GetCount();
  if (missing == 0) {
    if (total == 0)
      ctx.out << Text(IDS_CLI_NO_PICTURES) << '\n';
    else if (total == 1)
      ctx.out << Text(IDS_CLI_ONE_FILE_FOUND) << '\n';
    else
      ctx.out << Text(IDS_CLI_ALL_FILES_FOUND, {static_cast<long long>(total)}) << '\n';
    return kExitOk;
  }
  return Fail(ctx, Text(missing == 1 ? IDS_CLI_ONE_FILE_MISSING : IDS_CLI_FILES_MISSING,
                        {static_cast<long long>(missing), static_cast<long long>(total)}));
}

}  // namespace kolvaro::cli
