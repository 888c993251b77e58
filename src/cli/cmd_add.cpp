// kolvaro-cli add ALBUM FILE...
// kolvaro-cli add-folder ALBUM FOLDER

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "cli/album_io.h"
#include "cli/cliplatform.h"
#include "cli/commands.h"
#include "cli/logfolder.h"
#include "core/safefile.h"
#include "maintenance/addpictures.h"
#include "res/strings.h"

namespace kolvaro::cli {

namespace fs = std::filesystem;

namespace {

// Why `file` cannot be added as a picture file, or "" when it can: a link
// names what it leads to, a folder or pipe says what it is.
std::string NotAddable(const std::string& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0)
    return S_ISREG(st.st_mode) ? std::string() : NotARegularFileText(file);
  const int error = errno;
  std::error_code ec;
  const bool isLink = fs::is_symlink(fs::symlink_status(file, ec));
  if (isLink && error == ENOENT) {
    const fs::path target = fs::read_symlink(file, ec);
    return FormatMessage(LoadString(IDS_FILE_NOT_FOUND), {file + " -> " + target.string()});
  }
  if (isLink && error == ELOOP) return NotARegularFileText(file);
  const std::string_view cause = FileFailureText(FileFailureOf(error));
  if (error == ENOENT || cause.empty())
    return FormatMessage(LoadString(IDS_FILE_NOT_FOUND), {file});
  return file + ": " + std::string(cause);
}

}  // namespace

// As the open-file dialog, which accepts only files that exist.
int RunAdd(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  if (!log.Take(args) || args.size() < 2) return UsageError(ctx, "add");
  const std::vector<std::string> files(args.begin() + 1, args.end());
  for (const std::string& f : files)
    if (const std::string why = NotAddable(f); !why.empty()) return Fail(ctx, why);
  CAlbumFile album(ctx);
  if (!album.Open(args[0]) || !log.Start(ctx, album.Doc())) return kExitFailure;
  CCliUserQuestions ui(ctx.err);
  ui.SetChosenFiles(files);
  album.Doc().SetUserQuestions(&ui);
  OnAddPictures(album.Doc(), ui);
  // Nothing added leaves the album as it was on disk.
  const bool saved = !album.Doc().IsModified() || album.Save();
  if (!log.Finish(ctx, album.Doc(), saved)) return kExitFailure;
  // The other files are in; a refused one is not, so the command failed.
  return ui.Warnings() > 0 ? kExitFailure : kExitOk;
}

int RunAddFolder(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  if (!log.Take(args) || args.size() != 2) return UsageError(ctx, "add-folder");
  std::error_code ec;
  if (!fs::is_directory(args[1], ec)) return Fail(ctx, FormatMessage(LoadString(IDS_NOT_A_FOLDER), {args[1]}));
  CAlbumFile album(ctx);
  if (!album.Open(args[0]) || !log.Start(ctx, album.Doc())) return kExitFailure;
  CCliUserQuestions ui(ctx.err);
  ui.SetChosenFolder(args[1]);
  album.Doc().SetUserQuestions(&ui);
  OnAddFolder(album.Doc(), ui);
  if (!log.Finish(ctx, album.Doc(), album.Save())) return kExitFailure;
  return ui.Warnings() > 0 ? kExitFailure : kExitOk;
}

}  // namespace kolvaro::cli
