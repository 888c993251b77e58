// kolvaro-cli replay ALBUM LOGFILE [--keep-applied]

#include <filesystem>
#include <ostream>

#include "cli/album_io.h"
#include "cli/cliplatform.h"
#include "cli/commands.h"
#include "cli/logfolder.h"
#include "collab/transactionimport.h"

namespace kolvaro::cli {

int RunReplay(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  if (!log.Take(args)) return UsageError(ctx, "replay");
  bool keepApplied = false;
  std::vector<std::string> pos;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      pos.insert(pos.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (args[i] == "--keep-applied")
      keepApplied = true;
    else if (args[i].size() > 2 && args[i].compare(0, 2, "--") == 0)
      return UsageError(ctx, "replay");
    else
      pos.push_back(args[i]);
  }
  if (pos.size() != 2) return UsageError(ctx, "replay");
  std::error_code ec;
  if (!std::filesystem::exists(pos[1], ec)) return Fail(ctx, Text(IDS_FILE_NOT_FOUND, {pos[1]}));

  CAlbumFile album(ctx);
  if (!album.Open(pos[0])) return kExitFailure;
  CMeriskDoc& doc = album.Doc();
  if (!log.Start(ctx, doc)) return kExitFailure;
  CCliUserQuestions ui(ctx.err);
  const TransactionImportOutcome outcome = ImportTransactionFile(doc, pos[1], &ui);
  switch (outcome.result) {
    case TransactionImportResult::Done: {
      if (!log.Finish(ctx, doc, album.Save())) return kExitFailure;
      ctx.out << Text(IDS_CLI_CHANGES_APPLIED, {static_cast<long long>(outcome.applied)}) << '\n';
      return kExitOk;
    }
    case TransactionImportResult::DamagedDiscard:
      if (keepApplied) {
        if (log.Finish(ctx, doc, album.Save()))
          Fail(ctx, Text(IDS_CLI_APPLIED_KEPT, {static_cast<long long>(outcome.applied)}));
        return kExitFailure;
      }
      log.Finish(ctx, doc, false);
      return Fail(ctx, Text(IDS_CLI_ALBUM_NOT_SAVED));
    default:
      log.Finish(ctx, doc, false);
      return Fail(ctx, Text(IDS_CLI_ALBUM_NOT_SAVED));
  }
}

}  // namespace kolvaro::cli
