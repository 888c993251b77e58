#pragma once
// The album a subcommand works on, set up as the desktop program sets up its
// document: the user's settings (read only, unless a command changes one on
// purpose), POSIX paths, and the help file beside the program. Failures go
// to ctx.err as "kolvaro-cli: <German message>".
//
//   int RunRenameTheme(Context& ctx, const std::vector<std::string>& args) {
//     std::int32_t id;
//     if (args.size() != 3 || !ParseInt(args[1], id)) return UsageError(ctx, "rename-theme");
//     CAlbumFile album(ctx);
//     if (!album.Open(args[0])) return kExitFailure;
//     std::string old;
//     if (!album.Doc().Themes().Lookup(id, old))
//       return Fail(ctx, Text(IDS_CLI_NO_SUCH_THEME, {args[1]}));
//     album.Doc().AddOrUpdateTheme(id, args[2]);
//     return album.Save() ? kExitOk : kExitFailure;
//   }
//
// declared in commands.h and listed in commands.cpp as
//   {"rename-theme", IDS_CLI_USAGE_RENAME_THEME, IDS_CLI_ABOUT_RENAME_THEME, &RunRenameTheme},
// with its usage line and summary in the string table.
//
// The document has no transaction log and no file operations; a command
// that needs them sets them through Doc() before it changes anything.

#include <string>

#include "cli/command.h"
#include "core/meriskdoc.h"
#include "core/safefile.h"

namespace kolvaro::cli {

class CAlbumFile {
 public:
  explicit CAlbumFile(Context& ctx);
  CAlbumFile(const CAlbumFile&) = delete;
  CAlbumFile& operator=(const CAlbumFile&) = delete;

  CMeriskDoc& Doc() { return m_doc; }
  const CMeriskDoc& Doc() const { return m_doc; }
  Context& Ctx() { return m_ctx; }

  /// Starts a new, empty album (the document's OnNewDocument).
  bool New();
  /// Locks the album file for the command's whole read-change-save (a
  /// second command waits for it, see LockWaitLimit) and opens it; false after
  /// reporting why not.
  bool Open(const std::string& path);
  /// Saves the album, applying the save steps (stored paths, version 2,
  /// re-basing of relative names). An empty `path` means the file it was
  /// opened from or last saved to. False after reporting why not.
  bool Save(const std::string& path = {});

  /// The absolute path of the album file, or "" for a new album not saved yet.
  const std::string& Path() const { return m_doc.GetPathName(); }

 private:
  Context& m_ctx;
  CFileLock m_lock;  // declared before the document: held until after its last save
  CMeriskDoc m_doc;
};

}  // namespace kolvaro::cli
