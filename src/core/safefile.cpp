#include "core/safefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "res/strings.h"

namespace kolvaro {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit for one lookup
constexpr char kTempMark[] = ".tmp-";

bool WriteAllAt(int fd, const std::string& bytes, off_t at) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::pwrite(fd, p, left, at);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    at += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a chain of symbolic links ends at (which need not exist yet).
int FollowLinks(std::string path, std::string& target) {
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target = std::move(path);
      return 0;
    }
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
    const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
    if (n < 0) return errno;
    link.resize(static_cast<std::size_t>(n));
    path = link.starts_with('/') ? link : FolderOf(path) + "/" + link;
  }
  return ELOOP;
}

bool InGroup(gid_t gid) {
  if (gid == ::getegid()) return true;
  const int n = ::getgroups(0, nullptr);
  if (n <= 0) return false;
  std::vector<gid_t> groups(static_cast<std::size_t>(n));
  const int got = ::getgroups(n, groups.data());
  for (int i = 0; i < got; ++i)
    if (groups[static_cast<std::size_t>(i)] == gid) return true;
  return false;
}

// The mode bits decide for root too; for everybody else the kernel's own
// answer counts as well (access lists, read-only mounts).
bool MayWrite(const std::string& path, const struct stat& st, int extra = 0) {
  const uid_t uid = ::geteuid();
  if (!ModeAllowsWrite(st, uid, InGroup(st.st_gid))) return false;
  return uid == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK | extra, AT_EACCESS) == 0;
}

// Temporary files of this album left by a save that was killed: only names
// of the save's own pattern, and only of processes that no longer run.
void RemoveStaleTemporaries(int dfd, const std::string& name) {
  const int scan = ::openat(dfd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (scan < 0) return;
  DIR* dir = ::fdopendir(scan);
  if (!dir) {
    ::close(scan);
    return;
  }
  std::vector<std::string> stale;
  while (const dirent* e = ::readdir(dir)) {
    pid_t pid = 0;
    if (IsSaveTemporaryOf(e->d_name, name, &pid) && ::kill(pid, 0) != 0 && errno == ESRCH)
      stale.emplace_back(e->d_name);
  }
  ::closedir(dir);
  for (const std::string& s : stale) {
    struct stat st {};
    if (::fstatat(dfd, s.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      ::unlinkat(dfd, s.c_str(), 0);
  }
}

std::string TempPrefix(const std::string& name) {
  return name + kTempMark + std::to_string(::getpid()) + "-";
}

struct RenameResult {
  int error = 0;
  bool couldNotCreate = false;  // no file may be made in the folder
};

// Writes the new file unnamed where the file system allows it, so a killed
// save leaves nothing; it gets a name only for the moment before the rename.
RenameResult ReplaceByRename(const std::string& target, const std::string& bytes,
                             const struct stat* old, CFileLock* lock, FileIdentity* identity) {
  const std::string name = NameOf(target);
  const int dfd = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return {errno};
  RemoveStaleTemporaries(dfd, name);

  std::string tempName;
  // The unnamed file gets its name through /proc; without /proc it is named from the start.
  static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
  int fd = procMounted ? ::openat(dfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
  if (!procMounted) errno = EOPNOTSUPP;
  const bool unnamed = fd >= 0;
  if (!unnamed) {
    const int err = errno;
    if (err == EACCES || err == EPERM || err == EROFS) {
      ::close(dfd);
      return {err, err != EROFS};
    }
    tempName = TempPrefix(name) + "XXXXXX";
    std::string full = FolderOf(target) + "/" + tempName;
    fd = ::mkostemp(full.data(), O_CLOEXEC);
    if (fd < 0) {
      const int e = errno;
      ::close(dfd);
      return {e, e == EACCES || e == EPERM};
    }
    tempName = NameOf(full);
  }

  int err = 0;
  mode_t mode;
  if (old) {
    // Owner first: a change of owner clears the set-id bits the mode restores.
    if (::fchown(fd, old->st_uid, old->st_gid) != 0)
      (void)::fchown(fd, static_cast<uid_t>(-1), old->st_gid);
    mode = old->st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  if (::fchmod(fd, mode) != 0 || !WriteAllAt(fd, bytes, 0) || ::fsync(fd) != 0) err = errno;
  // Nobody else knows the new file yet, so this never waits.
  if (err == 0 && lock) ::flock(fd, LOCK_EX | LOCK_NB);
  if (err == 0 && unnamed) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0;; ++attempt) {
      tempName = TempPrefix(name) + std::to_string(100000 + random() % 900000);
      if (::linkat(AT_FDCWD, self.c_str(), dfd, tempName.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      if (errno != EEXIST || attempt == 100) {
        err = errno;
        tempName.clear();
        break;
      }
    }
  }
  if (err == 0 && ::renameat(dfd, tempName.c_str(), dfd, name.c_str()) != 0) err = errno;
  if (err != 0) {
    if (!tempName.empty()) ::unlinkat(dfd, tempName.c_str(), 0);
    ::close(fd);
    ::close(dfd);
    return {err};
  }
  ::fsync(dfd);  // the rename itself must survive a crash
  ::close(dfd);
  struct stat now {};
  if (identity) *identity = ::fstat(fd, &now) == 0 ? FileIdentity::Of(now) : FileIdentity{};
  if (lock)
    lock->Adopt(fd);
  else
    ::close(fd);
  return {};
}

// The other links must see the change, so the file itself is rewritten: the
// room is reserved first, so a full disk stops the save before any byte of
// the old album is overwritten.
int WriteInPlace(const std::string& target, const std::string& bytes, FileIdentity* identity) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  int err = 0;
  if (::fstat(fd, &st) != 0) {
    err = errno;
  } else if (!S_ISREG(st.st_mode)) {
    err = kNotARegularFile;
  } else if (static_cast<off_t>(bytes.size()) > st.st_size) {
    const int r = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
    if (r != 0 && r != EOPNOTSUPP && r != EINVAL) err = r;
  }
  if (err == 0 && (!WriteAllAt(fd, bytes, 0) ||
                   ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0))
    err = errno;
  if (err == 0 && identity)
    *identity = ::fstat(fd, &st) == 0 ? FileIdentity::Of(st) : FileIdentity{};
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

}  // namespace

int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return ENOSPC;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

std::string NotARegularFileText(const std::string& path) {
  return FormatMessage(LoadString(IDS_NOT_A_REGULAR_FILE), {path});
}

int OpenRegularFile(const std::string& path, int& error) {
  // O_NONBLOCK: opening a pipe nobody writes to would wait forever.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = errno;
    return -1;
  }
  struct stat st {};
  error = ::fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : kNotARegularFile;
  if (error != 0) {
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

FileIdentity FileIdentity::Of(const struct stat& st) {
  FileIdentity id;
  id.known = true;
  id.dev = st.st_dev;
  id.ino = st.st_ino;
  id.size = st.st_size;
  id.mtime = st.st_mtim;
  return id;
}

FileIdentity FileIdentity::OfPath(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? Of(st) : FileIdentity{};
}

bool FileIdentity::operator==(const FileIdentity& o) const {
  return known == o.known && dev == o.dev && ino == o.ino && size == o.size &&
         mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
}

bool ModeAllowsWrite(const struct stat& st, uid_t uid, bool inGroup) {
  if (uid == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  if (uid == st.st_uid) return (st.st_mode & S_IWUSR) != 0;
  if (inGroup) return (st.st_mode & S_IWGRP) != 0;
  return (st.st_mode & S_IWOTH) != 0;
}

std::chrono::milliseconds LockWaitLimit() {
  long ms = 10000;
  if (const char* env = std::getenv("KOLVARO_LOCK_TIMEOUT_MS")) {
    char* end = nullptr;
    const long value = std::strtol(env, &end, 10);
    if (end != env && *end == '\0' && value >= 0) ms = value;
  }
  return std::chrono::milliseconds(ms);
}

int CFileLock::Acquire(const std::string& path, std::chrono::milliseconds timeout) {
  Release();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    int err = 0;
    const int fd = OpenRegularFile(path, err);
    if (fd < 0) return err;
    for (;;) {
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
      if (errno != EWOULDBLOCK && errno != EINTR) {
        err = errno;
        ::close(fd);
        return err;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        ::close(fd);
        return ETIMEDOUT;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The holder may have saved meanwhile: its new file took the name, and
    // the lock belongs on that one.
    struct stat held {}, named {};
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      m_fd = fd;
      return 0;
    }
    ::close(fd);
  }
}

void CFileLock::Release() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
}

void CFileLock::Adopt(int fd) {
  Release();
  m_fd = fd;
}

bool IsSaveTemporaryOf(const std::string& entry, const std::string& albumName, pid_t* pid) {
  const std::string prefix = albumName + kTempMark;
  if (!entry.starts_with(prefix)) return false;
  std::size_t at = prefix.size();
  const std::size_t digits = at;
  long long value = 0;
  while (at < entry.size() && entry[at] >= '0' && entry[at] <= '9' && at - digits < 10)
    value = value * 10 + (entry[at++] - '0');
  if (at == digits || at >= entry.size() || entry[at] != '-' || entry.size() - at - 1 != 6)
    return false;
  for (std::size_t i = at + 1; i < entry.size(); ++i) {
    const char c = entry[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
      return false;
  }
  if (value <= 0) return false;
  if (pid) *pid = static_cast<pid_t>(value);
  return true;
}

int SaveFileSafely(const std::string& path, const std::string& bytes, CFileLock* lock,
                   FileIdentity* identity) {
  std::string target;
  if (const int err = FollowLinks(path, target); err != 0) return err;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (!exists && errno != ENOENT) return errno;
  if (exists) {
    if (!S_ISREG(st.st_mode)) return kNotARegularFile;
    if (!MayWrite(target, st)) return EACCES;
  }
  bool inPlace = exists && st.st_nlink > 1;
  if (exists && !inPlace) {
    struct stat dir {};
    const std::string folder = FolderOf(target);
    inPlace = ::stat(folder.c_str(), &dir) == 0 && !MayWrite(folder, dir, X_OK);
  }
  if (!inPlace) {
    const RenameResult r = ReplaceByRename(target, bytes, exists ? &st : nullptr, lock, identity);
    if (!(exists && r.couldNotCreate)) return r.error;
  }
  return WriteInPlace(target, bytes, identity);
}

}  // namespace kolvaro
