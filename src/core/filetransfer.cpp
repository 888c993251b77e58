#include "core/filetransfer.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <vector>

#include "core/safefile.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

using Status = TransferResult::Status;

constexpr int kCancelled = kCopyCancelled;
constexpr char kCopyMark[] = ".kolvaro-copy-";
constexpr time_t kStaleCopySeconds = 600;
constexpr std::size_t kChunk = 4 << 20;

std::string Cause(int error) {
  const std::string_view text = FileFailureText(FileFailureOf(error));
  return text.empty() ? std::string(std::strerror(error)) : std::string(text);
}

bool IsFullOrReadOnly(int error) {
  return error == ENOSPC || error == EDQUOT || error == EROFS || error == EFBIG;
}

// Closes the descriptor and, unless released, removes the half-written file.
class ScopedTemp {
 public:
  ScopedTemp(std::string path, int fd) : m_path(std::move(path)), m_fd(fd) {}
  ~ScopedTemp() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_path.empty()) ::unlink(m_path.c_str());
  }
  ScopedTemp(const ScopedTemp&) = delete;
  ScopedTemp& operator=(const ScopedTemp&) = delete;
  int Fd() const { return m_fd; }
  const std::string& Path() const { return m_path; }
  int Close() {
    const int rc = ::close(m_fd);
    m_fd = -1;
    return rc == 0 ? 0 : errno;
  }
  void Release() { m_path.clear(); }

 private:
  std::string m_path;
  int m_fd;
};

// Copies the open `in` (a regular file described by `st`) to `target`
// through a synced temporary file in `folder`. 0, kCancelled or an errno;
// `targetSide` tells whether the target folder failed rather than the source.
int CopyInto(int in, const struct stat& st, const std::string& target, const std::string& folder,
             const TransferHooks& hooks, bool sync, bool& targetSide) {
  targetSide = true;
  std::string name = folder + kCopyMark + std::to_string(::getpid()) + "-XXXXXX";
  const int out = ::mkostemp(name.data(), O_CLOEXEC);
  if (out < 0) return errno;
  ScopedTemp temp(name, out);

  std::uint64_t copied = 0;
  bool kernelCopy = true;
  std::vector<char> buffer;
  // Up to the size the file had when opened: one call less per file than
  // reading on to the end. A size of 0 may be a file the kernel makes up
  // (under /proc): read to its end, so that a failure shows.
  const auto size = static_cast<std::uint64_t>(st.st_size);
  while (size == 0 || copied < size) {
    ssize_t n = -1;
    if (kernelCopy) {
      n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
      // Not offered between these two file systems: copy by hand.
      if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) &&
          copied == 0) {
        kernelCopy = false;
        continue;
      }
    } else {
      if (buffer.empty()) buffer.resize(kChunk);
      n = ::read(in, buffer.data(), buffer.size());
      if (n > 0) {
        if (const int error =
                WriteAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(n))))
          return error;
      }
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      // copy_file_range reports either side's errors; these are the target's.
      const int error = errno;
      targetSide = kernelCopy && IsFullOrReadOnly(error);
      return error;
    }
    if (n == 0) break;
    copied += static_cast<std::uint64_t>(n);
    if (hooks.onBytes && !hooks.onBytes(copied)) return kCancelled;
  }
  // Memory cards know no modes: not worth failing for. The modification
  // time stays, since capture dates may fall back on it.
  (void)::fchmod(out, st.st_mode & 07777);
  const struct timespec times[2] = {st.st_atim, st.st_mtim};
  (void)::futimens(out, times);
  if (sync && ::fsync(out) != 0) return errno;
  // The caller's one sync at the end then finds little left to write.
  if (!sync) (void)::sync_file_range(out, 0, 0, SYNC_FILE_RANGE_WRITE);
  if (const int error = temp.Close()) return error;
  if (::rename(temp.Path().c_str(), target.c_str()) != 0) return errno;
  temp.Release();
  return 0;
}

// Makes a rename or a new name in `folder` durable.
int SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int rc = ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
  ::close(fd);
  return rc;
}

}  // namespace

int CopyFileThroughTemporary(const std::string& source, const std::string& target,
                             const std::string& folder,
                             const std::function<bool(std::uint64_t)>& onBytes) {
  // Non-blocking: a pipe put in place after the check must not hang the copy.
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return errno;
  ScopedTemp input({}, in);
  struct stat st {};
  if (::fstat(in, &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
  TransferHooks hooks;
  hooks.onBytes = onBytes;
  bool targetSide = false;
  const std::string dir = folder.empty() || folder.back() != '/' ? folder + '/' : folder;
  return CopyInto(in, st, target, dir, hooks, true, targetSide);
}

int RemoveStaleCopies(const std::string& folder) {
  const int dfd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return 0;
  DIR* dir = ::fdopendir(dfd);
  if (!dir) {
    ::close(dfd);
    return 0;
  }
  std::vector<std::string> stale;
  const std::time_t now = std::time(nullptr);
  while (const dirent* e = ::readdir(dir)) {
    const std::string_view name = e->d_name;
    if (!name.starts_with(kCopyMark)) continue;
    struct stat st {};
    if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    // "<mark><pid>-XXXXXX"; older versions wrote "<mark>XXXXXX" without the pid.
    const std::string_view rest = name.substr(std::strlen(kCopyMark));
    long long pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    const bool ownerGone = ec == std::errc() && *end == '-' && pid > 0 && pid <= INT32_MAX &&
                           ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    if (ownerGone || now - st.st_ctim.tv_sec > kStaleCopySeconds) stale.emplace_back(name);
  }
  int removed = 0;
  for (const std::string& name : stale) removed += ::unlinkat(dfd, name.c_str(), 0) == 0;
  ::closedir(dir);
  return removed;
}

bool SourceUnchanged(const std::string& path, const TransferResult& transfer) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         st.st_size == transfer.sourceSize &&
         st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec == transfer.sourceModified;
}

int SyncFileSystemOf(const std::string& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int rc = ::syncfs(fd) == 0 ? 0 : errno;
  ::close(fd);
  return rc;
}

TransferResult TransferFileSafely(const std::string& source, const std::string& targetFolder,
                                  bool move, const TransferHooks& hooks) {
  std::string folder = targetFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  const std::size_t slash = source.rfind('/');
  const std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
  const std::string target = folder + name;
  auto fail = [&](const std::string& cause, bool targetFailed = false) {
    const std::string text = FormatMessage(LoadString(move ? IDS_MOVE_FAILED : IDS_COPY_FAILED),
                                           {source, targetFolder, cause});
    return TransferResult{Status::Failed, text, targetFailed};
  };

  struct stat dir {};
  // No folder (an album never saved may have none) is no target, not "/".
  if (targetFolder.empty()) return fail(std::string(LoadString(IDS_TARGET_FOLDER_NOT_FOUND)), true);
  if (::stat(folder.c_str(), &dir) != 0)
    return fail(
        errno == ENOENT ? std::string(LoadString(IDS_TARGET_FOLDER_NOT_FOUND)) : Cause(errno),
        true);
  if (!S_ISDIR(dir.st_mode)) return fail(std::string(LoadString(IDS_TARGET_NOT_A_FOLDER)), true);

  // Non-blocking: a pipe put in place of the file must not hang the copy.
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return fail(Cause(errno));
  ScopedTemp input({}, in);
  struct stat src {};
  if (name.empty() || ::fstat(in, &src) != 0) return fail(Cause(name.empty() ? EISDIR : errno));
  if (!S_ISREG(src.st_mode)) return fail(std::string(LoadString(IDS_SOURCE_NOT_A_FILE)));
  auto done = [&src](std::string warning = {}) {
    TransferResult r{Status::Done, std::move(warning), false};
    r.sourceSize = src.st_size;
    r.sourceModified = src.st_mtim.tv_sec * 1000000000LL + src.st_mtim.tv_nsec;
    return r;
  };

  struct stat existing {};
  if (::lstat(target.c_str(), &existing) == 0) {
    struct stat resolved {};
    const bool found = ::stat(target.c_str(), &resolved) == 0;
    if (found && resolved.st_dev == src.st_dev && resolved.st_ino == src.st_ino)
      return fail(std::string(LoadString(IDS_SAME_FILE)));
    if (found && S_ISDIR(resolved.st_mode))
      return fail(std::string(LoadString(IDS_FOLDER_OF_THAT_NAME)));
    switch (hooks.askReplace ? hooks.askReplace(source, target) : ReplaceChoice::Skip) {
      case ReplaceChoice::Replace: break;
      case ReplaceChoice::Skip: return {Status::Skipped, {}, false};
      case ReplaceChoice::Cancel: return {Status::Cancelled, {}, false};
    }
  }

  if (move) {
    if (::rename(source.c_str(), target.c_str()) == 0) {
      // The name is in its new folder only once that folder is on the disk.
      (void)SyncFolder(folder);
      return done();
    }
    const int error = errno;
    if (error != EXDEV) return fail(Cause(error), IsFullOrReadOnly(error));
  }
  bool targetSide = false;
  const bool sync = move || !hooks.syncLater;
  const int result = CopyInto(in, src, target, folder, hooks, sync, targetSide);
  if (result == kCancelled) return {Status::Cancelled, {}, false};
  if (result != 0) return fail(Cause(result), targetSide);
  if (const int error = sync ? SyncFolder(folder) : 0) return fail(Cause(error), true);
  if (move && ::unlink(source.c_str()) != 0) {
    const int error = errno;
    return done(
        FormatMessage(LoadString(IDS_MOVED_COPY_KEPT), {source, targetFolder, Cause(error)}));
  }
  return done();
}

}  // namespace kolvaro
