// kolvaro-cli import-persons ALBUM TEXTFILE

#include <unistd.h>

#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/logfolder.h"
#include "core/safefile.h"
#include "maintenance/importpersons.h"

namespace kolvaro::cli {

int RunImportPersons(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  if (!log.Take(args)) return UsageError(ctx, "import-persons");
  if (!args.empty() && args[0] == "--") args.erase(args.begin());
  if (args.size() != 2) return UsageError(ctx, "import-persons");
  // A missing or unreadable file leaves the album untouched.
  int error = 0;
  const int fd = OpenRegularFile(args[1], error);
  if (fd < 0) return Fail(ctx, PersonImportFailure(error, args[1]));
  ::close(fd);

  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  CMeriskDoc& doc = album.Doc();
  if (!log.Start(ctx, doc)) return kExitFailure;
  const PersonImportResult r = ImportPersons(doc, args[1]);
  if (!r.opened) {
    log.Finish(ctx, doc, false);
    return Fail(ctx, PersonImportFailure(r.error, args[1]));
  }
  if (!log.Finish(ctx, doc, album.Save())) return kExitFailure;
  ctx.out << PersonImportSummary(r) << '\n';
  return kExitOk;
}

}  // namespace kolvaro::cli
