#pragma once
// Reading and writing album files without harm to what stands at their path:
// pipes and devices are never opened, links and permissions are kept, and a
// save either replaces the file whole or, where a rename cannot, rewrites it
// in place after the new contents are complete.

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace kolvaro {

/// Writes all of `bytes` at the file's position, going on after signals;
/// 0, or the errno value that stopped it (ENOSPC when nothing more would go).
int WriteAll(int fd, std::string_view bytes);

/// Not an errno value: the path names a folder, a pipe, a device or a socket.
inline constexpr int kNotARegularFile = -1;

/// "%1 ist keine gewöhnliche Datei." for `path`.
std::string NotARegularFileText(const std::string& path);

/// Opens `path` for reading without ever waiting on a pipe or a device.
/// Returns the descriptor, or -1 with `error` an errno value or kNotARegularFile.
int OpenRegularFile(const std::string& path, int& error);

/// The whole of the regular file `path` (opened as OpenRegularFile does). A
/// file over `limit` bytes, also one that grows past it while read, is not
/// read: false with EFBIG.
bool ReadRegularFile(const std::string& path, std::string& bytes, int& error,
                     std::uint64_t limit = UINT64_MAX);

/// What tells one state of a file on disk from another.
struct FileIdentity {
  bool known = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  std::timespec mtime{};

  static FileIdentity Of(const struct stat& st);
  /// The file at `path` (links followed); unknown when there is none.
  static FileIdentity OfPath(const std::string& path);
  bool operator==(const FileIdentity& o) const;
};

/// Whether the mode bits let `uid` (in the file's group or not) write the
/// file. Root may write where any write bit is set: a file marked read-only
/// stays so for root as well.
bool ModeAllowsWrite(const struct stat& st, uid_t uid, bool inGroup);

/// How long a program waits for another one's lock on an album: 10 s, or the
/// milliseconds in KOLVARO_LOCK_TIMEOUT_MS.
std::chrono::milliseconds LockWaitLimit();

/// An exclusive advisory lock on an album file, held for one command's whole
/// read-change-save. A save that replaces the file locks the new file before
/// it takes the name, so a waiting command never reads between two saves.
class CFileLock {
 public:
  CFileLock() = default;
  ~CFileLock() { Release(); }
  CFileLock(const CFileLock&) = delete;
  CFileLock& operator=(const CFileLock&) = delete;

  /// Waits at most `timeout` for the lock on the file at `path`. Returns 0,
  /// ETIMEDOUT, kNotARegularFile or the errno of the failed open.
  int Acquire(const std::string& path, std::chrono::milliseconds timeout);
  void Release();
  bool Held() const { return m_fd >= 0; }
  /// Takes over `fd`, the new file of a save, already locked.
  void Adopt(int fd);

 private:
  int m_fd = -1;
};

/// Not an errno value: the rollback journal of an in-place save could not be
/// written (its errno in `journalError`); the file is unchanged.
inline constexpr int kJournalNotWritten = -2;

/// Where in-place saves keep the old bytes until the new ones are safe:
/// $XDG_STATE_HOME/kolvaro/ (when absolute), else ~/.local/state/kolvaro/;
/// "" when neither is known.
std::string JournalFolder();

enum class SaveRecovery {
  kNone,      ///< no interrupted save, or its file is complete (old or new)
  kRestored,  ///< the old bytes are back
  kFailed,    ///< the file could not be put back; the journal stays
};

/// Before the file at `path` is read: an in-place save of it that was cut
/// off (its journal there, its process gone) is undone unless the file holds
/// the new bytes complete. On kFailed `journal` gets the journal's path.
SaveRecovery RecoverInterruptedSave(const std::string& path, std::string* journal);

/// Tests only: after each piece of at most 4 KiB that a save writes (journal
/// and file), called with the bytes written since the hook was set.
void SetSaveWriteHook(void (*hook)(std::uint64_t written));

/// Saves `bytes` as the file at `path`: a symbolic link's target is written
/// and the link kept; a file the user may not write (EACCES) or that is not a
/// regular file (kNotARegularFile) is refused; the old file's mode, owner and
/// group are kept. A file with several hard links, or in a folder where no
/// file may be created, is rewritten in place once its old bytes are in a
/// rollback journal and room for the new contents is reserved. Returns 0,
/// an errno value or kJournalNotWritten; `identity` gets the saved file's.
int SaveFileSafely(const std::string& path, const std::string& bytes, CFileLock* lock,
                   FileIdentity* identity, int* journalError = nullptr);

/// Whether `entry` names a temporary file of a save of `albumName`
/// ("<album>.tmp-<pid>-XXXXXX"); `pid` gets the saving process.
bool IsSaveTemporaryOf(const std::string& entry, const std::string& albumName, pid_t* pid);
/// "<name>.tmp-<pid>-": the start of this process's temporaries for `name`.
std::string SaveTemporaryPrefix(const std::string& name);
/// Removes the temporaries of `name` in the folder `dfd` that a killed save
/// left: only regular files of the pattern above whose process is gone.
void RemoveStaleSaveTemporaries(int dfd, const std::string& name);

}  // namespace kolvaro
