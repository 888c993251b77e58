// kolvaro-cli sync ALBUM --log-folder DIR

#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/logfolder.h"
#include "collab/transactionsync.h"

namespace kolvaro::cli {

int RunSync(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  if (!log.Take(args) || !log.Given()) return UsageError(ctx, "sync");
  if (!args.empty() && args[0] == "--") args.erase(args.begin());
  if (args.size() != 1 || (args[0].size() > 1 && args[0].starts_with("--")))
    return UsageError(ctx, "sync");

  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  const SyncSummary summary =
      SyncTransactionFolder(album.Doc(), album.Path(), log.Folder(), [&](std::string& error) {
        if (album.Save()) return true;
        error = Text(IDS_CLI_ALBUM_NOT_SAVED);  // after Save's own reason
        return false;
      });
  ctx.out << SyncSummaryText(summary);
  if (!summary.error.empty()) return Fail(ctx, summary.error);
  return kExitOk;
}

}  // namespace kolvaro::cli
