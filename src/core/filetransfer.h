#pragma once
// Copying and moving one picture file into a folder without any window:
// the part of the file operations that a worker thread and kolvaro-cli can
// run. Nothing at the target is replaced before the new copy is complete.

#include <cstdint>
#include <functional>
#include <string>

#include "core/ports/fileops.h"

namespace kolvaro {

/// IFileOperations::TransferFile on the local file systems: the copy is
/// written under a temporary name beside the target, synced and renamed
/// into place; a move renames, or across file systems copies, syncs and
/// only then deletes the original. Only a regular file is taken.
TransferResult TransferFileSafely(const std::string& source, const std::string& targetFolder,
                                  bool move, const TransferHooks& hooks);

/// What CopyFileThroughTemporary returns when `onBytes` said stop.
inline constexpr int kCopyCancelled = -1;

/// Copies the regular file `source` to `target` through a synced temporary
/// file in `folder`, keeping its permissions and modification time. 0,
/// kCopyCancelled or the errno of the failure; on anything but 0 the target
/// is as it was.
int CopyFileThroughTemporary(const std::string& source, const std::string& target,
                             const std::string& folder,
                             const std::function<bool(std::uint64_t)>& onBytes);

/// Removes the hidden temporary copies a killed copy into `folder` left:
/// those of processes that no longer run, and any not written to for ten
/// minutes. Returns how many went.
int RemoveStaleCopies(const std::string& folder);

/// Whether the file at `path` is still what a transfer began from: a
/// regular file (not a link) of that size and modification time.
bool SourceUnchanged(const std::string& path, const TransferResult& transfer);

/// Writes everything of the file system that holds `folder` to the disk:
/// the one sync after copies made with TransferHooks::syncLater. 0 or errno.
int SyncFileSystemOf(const std::string& folder);

}  // namespace kolvaro
