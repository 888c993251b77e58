// kolvaro-cli camera-import ALBUM QUELLE [--move] [--theme NUMMER] [--log-folder VERZEICHNIS]

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "cli/album_io.h"
#include "cli/cliplatform.h"
#include "cli/commands.h"
#include "cli/logfolder.h"
#include "maintenance/cameraimport.h"

namespace kolvaro::cli {
namespace {

struct Options {
  bool move = false;
  std::int32_t theme = 0;
};

// Takes "--move" and "--theme ID" (or "--theme=ID") out of `args`; false on
// a missing or bad number, or an option given twice.
bool TakeOptions(std::vector<std::string>& args, Options& options) {
  bool themeGiven = false;
  for (std::size_t i = 0; i < args.size();) {
    std::string value;
    std::size_t used = 1;
    if (args[i] == "--") break;
    if (args[i] == "--move") {
      if (options.move) return false;
      options.move = true;
    } else if (args[i] == "--theme" || args[i].starts_with("--theme=")) {
      if (themeGiven) return false;
      if (args[i] == "--theme") {
        if (i + 1 >= args.size()) return false;
        value = args[i + 1];
        used = 2;
      } else {
        value = args[i].substr(8);
      }
      if (!ParseInt(value, options.theme) || options.theme <= 0) return false;
      themeGiven = true;
    } else {
      ++i;
      continue;
    }
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + used));
  }
  if (!args.empty() && args[0] == "--") args.erase(args.begin());
  return true;
}

}  // namespace

int RunCameraImport(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  Options options;
  if (!log.Take(args) || !TakeOptions(args, options) || args.size() != 2)
    return UsageError(ctx, "camera-import");
  std::error_code ec;
  if (!std::filesystem::is_directory(args[1], ec)) return Fail(ctx, Text(IDS_NOT_A_FOLDER, {args[1]}));

  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  CMeriskDoc& doc = album.Doc();
  std::string themeName;
  if (options.theme != 0 && !doc.Themes().Lookup(options.theme, themeName))
    return Fail(ctx, Text(IDS_CLI_NO_SUCH_THEME, {static_cast<long long>(options.theme)}));
  if (!log.Start(ctx, doc)) return kExitFailure;

  CCliUserQuestions ui(ctx.err);
  CCliFileOperations ops(ctx.err);
  doc.SetUserQuestions(&ui);
  CameraTransferHooks hooks;
  // Nobody is there to answer: a file of that name in the album folder stays.
  hooks.askReplace = [&ui](const std::string&, const std::string& target) {
    ui.Warn(Text(IDS_CAMERA_REPLACE_KEPT, {target}));
    return ReplaceChoice::Skip;
  };
  const bool terminal = &ctx.out == &std::cout && ::isatty(STDOUT_FILENO) == 1;
  if (terminal)
    hooks.progress = [&ctx](const CameraImportProgress& p) {
      std::string line = CameraProgressText(p);
      std::replace(line.begin(), line.end(), '\n', ' ');
      ctx.out << "\r\033[K" << line << std::flush;
    };

  // Nothing added leaves the album as it was on disk.
  bool saved = true;
  auto save = [&] { return saved = !doc.IsModified() || album.Save(); };
  const CameraImportCounts n =
      ImportCamera(doc, ui, ops, args[1], options.theme, options.move, hooks, save);
  if (terminal) ctx.out << "\r\033[K";
  if (!saved && options.move) ctx.err << "kolvaro-cli: " << Text(IDS_CAMERA_NOT_SAVED_KEPT) << '\n';
  if (!log.Finish(ctx, doc, saved)) return kExitFailure;
  for (const std::string& link : n.links)
    ctx.out << Text(IDS_CAMERA_LINK_SKIPPED, {PrintableName(link)}) << '\n';
  const long long found = n.added + n.duplicates + n.failed + n.refused;
  if (found == 0) {
    ctx.out << Text(IDS_CAMERA_NO_FILES, {args[1]}) << '\n';
    return kExitOk;
  }
  ctx.out << Text(IDS_CAMERA_SUMMARY, {static_cast<long long>(n.added),
                                       static_cast<long long>(n.duplicates),
                                       static_cast<long long>(n.failed + n.refused)})
          << '\n';
  if (n.kept > 0)
    ctx.out << Text(IDS_CAMERA_KEPT_ON_CARD, {static_cast<long long>(n.kept)}) << '\n';
  if (n.stopped) ctx.err << "kolvaro-cli: " << Text(IDS_CAMERA_STOPPED) << '\n';
  return n.failed + n.refused + n.kept > 0 || n.stopped || ui.Warnings() > 0 ? kExitFailure
                                                                             : kExitOk;
}

}  // namespace kolvaro::cli
