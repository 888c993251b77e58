// kolvaro-cli delete ALBUM ID [--trash]

#include <charconv>

#include "cli/album_io.h"
#include "cli/cliplatform.h"
#include "cli/commands.h"
#include "cli/logfolder.h"

namespace kolvaro::cli {

int RunDelete(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  if (!log.Take(args)) return UsageError(ctx, "delete");
  std::vector<std::string> positional;
  bool trash = false;
  for (const std::string& a : args) {
    if (a == "--trash")
      trash = true;
    else
      positional.push_back(a);
  }
  if (positional.size() != 2) return UsageError(ctx, "delete");
  const std::string& idText = positional[1];
  std::int32_t id = 0;
  const auto r = std::from_chars(idText.data(), idText.data() + idText.size(), id);
  if (r.ec != std::errc() || r.ptr != idText.data() + idText.size() || idText.empty())
    return UsageError(ctx, "delete");

  CAlbumFile album(ctx);
  if (!album.Open(positional[0])) return kExitFailure;
  CMeriskDoc& doc = album.Doc();
  if (!doc.Pictures().Find(id)) return Fail(ctx, Text(IDS_CLI_NO_SUCH_PICTURE, {idText}));
  if (!log.Start(ctx, doc)) return kExitFailure;
  CCliFileOperations files(ctx.err);
  CCliUserQuestions ui(ctx.err);
  doc.SetFileOperations(&files);
  doc.SetUserQuestions(&ui);
  doc.DeletePicture(id, trash);
  doc.SetFileOperations(nullptr);
  doc.SetUserQuestions(nullptr);
  if (!log.Finish(ctx, doc, album.Save())) return kExitFailure;
  // The record is gone either way; a file that stayed behind (refused, as a
  // folder or a link, or failed to move) is a failure.
  return files.Failed() || ui.Warnings() > 0 ? kExitFailure : kExitOk;
}

}  // namespace kolvaro::cli
