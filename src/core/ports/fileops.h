#pragma once
// File operations on picture files, as the core asks for them. The program
// implements them with the desktop's services; tests record the calls.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kolvaro {

/// The answer to "replace the file of that name?" in a transfer of one file.
enum class ReplaceChoice { Replace, Skip, Cancel };

/// What a transfer of one file asks its caller, on the transfer's thread.
struct TransferHooks {
  /// The target exists; unset skips the file.
  std::function<ReplaceChoice(const std::string& source, const std::string& target)> askReplace;
  /// Bytes of this file copied so far; false cancels the copy. May be unset.
  std::function<bool(std::uint64_t)> onBytes;
  /// A copy is not synced file by file: the caller syncs the target's file
  /// system once after the last file. A move always syncs its copy before
  /// the original goes.
  bool syncLater = false;
};

/// How a transfer of one file ended.
struct TransferResult {
  enum class Status { Done, Skipped, Cancelled, Failed };
  Status status = Status::Failed;
  /// German text for the user: why it failed, or on Done a warning (a moved
  /// file whose original could not be removed).
  std::string message;
  /// The failure lies with the target (full, read-only, missing), so every
  /// further file would fail the same way.
  bool targetFailed = false;
  /// The source as the transfer began (size; modification time in
  /// nanoseconds), so that a later removal can see whether it changed since.
  std::int64_t sourceSize = -1;
  std::int64_t sourceModified = 0;
};

class IFileOperations {
 public:
  virtual ~IFileOperations() = default;
  /// Moves one file into the desktop's trash without asking; false on failure.
  /// Implementations take only what ExaminePictureFile (core/paths.h) calls
  /// a regular file, so a folder, a link or a pipe never goes; the album's
  /// callers check first and tell the user why a file stayed.
  virtual bool MoveToTrash(const std::string& path) = 0;
  /// Opens a file with its associated program; the result is only a hint.
  virtual bool OpenWithDefaultProgram(const std::string& path) = 0;

  /// Copies each file of `sources` (full paths) into `targetFolder` (with or
  /// without a trailing '/') under its own name, with progress shown under
  /// `title`. Before an existing file is replaced the user is asked: "Ja"
  /// replaces it, "Nein" skips this file, "Abbrechen" stops. Each copy is
  /// written under a temporary name in the target folder and renamed into
  /// place once complete, so a cancelled or failed copy leaves no partial
  /// file and the file it would have replaced intact. The first failure is
  /// reported to the user and stops the transfer. True only when every file
  /// arrived: a skipped file, a cancel or a failure gives false; files
  /// transferred before stay where they are.
  virtual bool CopyFiles(const std::vector<std::string>& /*sources*/,
                         const std::string& /*targetFolder*/, const std::string& /*title*/) {
    return false;
  }
  /// As CopyFiles, but each file is moved: renamed, or across file systems
  /// copied and then deleted from its old place.
  virtual bool MoveFiles(const std::vector<std::string>& /*sources*/,
                         const std::string& /*targetFolder*/, const std::string& /*title*/) {
    return false;
  }
  /// Copies or moves one file into `targetFolder` showing nothing, so that a
  /// worker thread may call it; questions and progress go through `hooks`.
  /// The safety rules of CopyFiles hold, and a moved file leaves its old
  /// place only after its copy is complete and on the disk.
  virtual TransferResult TransferFile(const std::string& /*source*/,
                                      const std::string& /*targetFolder*/, bool /*move*/,
                                      const TransferHooks& /*hooks*/) {
    return {};
  }
};

}  // namespace kolvaro
