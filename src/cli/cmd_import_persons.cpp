// kolvaro-cli import-persons ALBUM TEXTFILE

#include <filesystem>
#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/logfolder.h"
#include "maintenance/importpersons.h"

namespace kolvaro::cli {

int RunImportPersons(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  if (!log.Take(args)) return UsageError(ctx, "import-persons");
  if (!args.empty() && args[0] == "--") args.erase(args.begin());
  if (args.size() != 2) return UsageError(ctx, "import-persons");
  std::error_code ec;
  if (!std::filesystem::is_regular_file(args[1], ec))
    return Fail(ctx, Text(IDS_FILE_NOT_FOUND, {args[1]}));

  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  CMeriskDoc& doc = album.Doc();
  if (!log.Start(ctx, doc)) return kExitFailure;
  const PersonImportResult r = ImportPersons(doc, args[1]);
  if (!r.opened) {
    log.Finish(ctx, doc, false);
    return Fail(ctx, Text(IDS_ACCESS_DENIED, {args[1]}));
  }
  if (!log.Finish(ctx, doc, album.Save())) return kExitFailure;
  ctx.out << Text(IDS_CLI_PERSONS_IMPORTED, {static_cast<long long>(r.count)}) << '\n';
  return kExitOk;
}

}  // namespace kolvaro::cli
