#pragma once
// "--log-folder DIR": collaboration switched on for one run of a command
// that changes an album, with the transaction file in DIR.
//
//   int RunDelete(Context& ctx, const std::vector<std::string>& argsIn) {
//     std::vector<std::string> args = argsIn;
//     CLogFolderOption log;
//     if (!log.Take(args)) return UsageError(ctx, "delete");
//     CAlbumFile album(ctx);
//     if (!album.Open(args[0]) || !log.Start(ctx, album.Doc())) return kExitFailure;
//     album.Doc().DeletePicture(id, false);             // logged
//     return log.Finish(ctx, album.Doc(), album.Save()) ? kExitOk : kExitFailure;
//   }

#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/meriskdoc.h"

namespace kolvaro::cli {

class CLogFolderOption {
 public:
  /// Takes every "--log-folder DIR" and "--log-folder=DIR" out of `args`,
  /// wherever they stand (up to a "--", which stays). False when DIR is
  /// missing or empty, or the option is given twice.
  bool Take(std::vector<std::string>& args);

  bool Given() const { return m_folder.has_value(); }
  const std::string& Folder() const { return *m_folder; }

  /// Call after opening the album, before changing it: with the option,
  /// starts a transaction file in the folder (created when missing), which
  /// then receives a record for each change through the record operations.
  /// False after reporting that the file cannot be created.
  bool Start(Context& ctx, CMeriskDoc& doc);

  /// Call after saving (or failing to save): finishes the transaction file.
  /// When the album was not saved, the file is removed, since the changes it
  /// describes never reached the album. Returns `saved`, or false after
  /// reporting that writing the file failed.
  bool Finish(Context& ctx, CMeriskDoc& doc, bool saved);

 private:
  std::optional<std::string> m_folder;
};

}  // namespace kolvaro::cli
