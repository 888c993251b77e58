#include "core/safefile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <thread>
#include <vector>

#include "res/strings.h"

namespace kolvaro {
namespace {

constexpr int kMaxLinks = 40;  // as the kernel's own limit for one lookup
constexpr char kTempMark[] = ".tmp-";

void (*g_writeHook)(std::uint64_t) = nullptr;
std::uint64_t g_written = 0;

bool WriteAllAt(int fd, std::string_view bytes, off_t at) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    // With a hook, a test may stop the process between any two small pieces.
    const std::size_t piece = g_writeHook ? std::min<std::size_t>(left, 4096) : left;
    const ssize_t n = ::pwrite(fd, p, piece, at);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    at += n;
    left -= static_cast<std::size_t>(n);
    if (g_writeHook) g_writeHook(g_written += static_cast<std::uint64_t>(n));
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
  RemoveStaleSaveTemporaries(dfd, name);

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
    tempName = SaveTemporaryPrefix(name) + "XXXXXX";
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
      tempName = SaveTemporaryPrefix(name) + std::to_string(100000 + random() % 900000);
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

// ------------------------------------------------------- rollback journal
//
// A file rewritten in place is half old, half new while the write runs. So
// the old bytes go first to a journal of their own, synced, and the journal
// goes only once the new bytes are synced: whatever stops the save, the next
// open finds either the new file complete or the journal to restore.
//
// Layout: 8 bytes "KVOJRNL1", then as 64-bit little-endian numbers the old
// size, the old bytes' hash, the new size, the new bytes' hash and the length
// of the album's path; the path; the old bytes.

constexpr char kJournalMagic[] = "KVOJRNL1";
constexpr std::size_t kJournalHeader = 8 + 5 * 8;
constexpr std::uint64_t kMaxJournalPath = 64 * 1024;
constexpr std::size_t kCopyPiece = 1 << 20;  // a multiple of 8, for Hash
constexpr std::uint64_t kHashStart = 14695981039346656037ull;

// FNV-1a over 8-byte words: the journal must only tell its own two contents
// from all others, at the speed of the disk. Bytes hashed in pieces give the
// hash of the whole as long as every piece but the last is a multiple of 8.
std::uint64_t Hash(std::uint64_t h, std::string_view bytes) {
  constexpr std::uint64_t kPrime = 1099511628211ull;
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    h = (h ^ word) * kPrime;
  }
  for (; at < bytes.size(); ++at) h = (h ^ static_cast<unsigned char>(bytes[at])) * kPrime;
  return h;
}

struct JournalHead {
  std::uint64_t oldSize = 0, oldHash = 0, newSize = 0, newHash = 0, pathSize = 0;
};

std::string EncodeHead(const JournalHead& h) {
  std::string out(kJournalMagic, 8);
  for (const std::uint64_t v : {h.oldSize, h.oldHash, h.newSize, h.newHash, h.pathSize})
    for (int i = 0; i < 8; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

bool DecodeHead(std::string_view in, JournalHead& h) {
  if (in.size() != kJournalHeader || in.substr(0, 8) != std::string_view(kJournalMagic, 8))
    return false;
  std::uint64_t* fields[] = {&h.oldSize, &h.oldHash, &h.newSize, &h.newHash, &h.pathSize};
  for (std::size_t f = 0; f < std::size(fields); ++f) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(in[8 + 8 * f + i]);
    *fields[f] = v;
  }
  return h.pathSize <= kMaxJournalPath;
}

bool ReadAllAt(int fd, char* p, std::size_t size, off_t at) {
  while (size > 0) {
    const ssize_t n = ::pread(fd, p, size, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    at += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Copies `size` bytes from `from` at `fromAt` to `to` at `toAt`; the hash of
// what was copied, or nullopt with errno set.
std::optional<std::uint64_t> CopyBytes(int from, off_t fromAt, int to, off_t toAt,
                                       std::uint64_t size) {
  std::string piece;
  std::uint64_t hash = kHashStart;
  while (size > 0) {
    piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyPiece)));
    if (!ReadAllAt(from, piece.data(), piece.size(), fromAt)) {
      if (errno == 0) errno = EIO;
      return std::nullopt;
    }
    if (!WriteAllAt(to, piece, toAt)) return std::nullopt;
    hash = Hash(hash, piece);
    fromAt += static_cast<off_t>(piece.size());
    toAt += static_cast<off_t>(piece.size());
    size -= piece.size();
  }
  return hash;
}

// The hash of the file's first `size` bytes; nullopt when it cannot be read.
std::optional<std::uint64_t> HashOfFile(int fd, std::uint64_t size) {
  std::string piece;
  std::uint64_t hash = kHashStart;
  off_t at = 0;
  while (size > 0) {
    piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyPiece)));
    if (!ReadAllAt(fd, piece.data(), piece.size(), at)) return std::nullopt;
    hash = Hash(hash, piece);
    at += static_cast<off_t>(piece.size());
    size -= piece.size();
  }
  return hash;
}

int MakeFolders(const std::string& folder) {
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at < folder.size() && folder[at] != '/') continue;
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  struct stat st {};
  if (::stat(folder.c_str(), &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// One journal per file, whichever of its names a save or an open goes by.
std::string JournalPathOf(const std::string& folder, const struct stat& st) {
  return folder + std::to_string(st.st_dev) + "-" + std::to_string(st.st_ino) + ".journal";
}

// Half-written journals of saves that were killed before the journal was
// complete (the album was not touched yet): those nobody holds locked.
void RemoveStaleJournalTemporaries(const std::string& journalPath) {
  const std::string folder = FolderOf(journalPath);
  const std::string prefix = NameOf(journalPath) + ".tmp-";
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> found;
  while (const dirent* e = ::readdir(dir))
    if (std::string_view(e->d_name).starts_with(prefix)) found.push_back(folder + "/" + e->d_name);
  ::closedir(dir);
  for (const std::string& temp : found) {
    const int fd = ::open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ::unlink(temp.c_str());
    ::close(fd);
  }
}

void SyncFolder(const std::string& folder) {
  const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return;
  ::fsync(dfd);
  ::close(dfd);
}

// Writes the journal of the file `album` (open at `st`) before `newBytes`
// replace its contents; the journal stays open and locked in `journalFd`,
// which tells others the save still runs. Returns 0 or an errno value.
int WriteJournal(int album, const struct stat& st, const std::string& target,
                 std::string_view newBytes, int& journalFd, std::string& journalPath) {
  const std::string folder = JournalFolder();
  if (folder.empty()) return ENOENT;
  if (const int err = MakeFolders(folder); err != 0) return err;
  journalPath = JournalPathOf(folder, st);
  std::string temp = journalPath + ".tmp-XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  ::flock(fd, LOCK_EX | LOCK_NB);
  JournalHead head;
  head.oldSize = static_cast<std::uint64_t>(st.st_size);
  head.newSize = newBytes.size();
  head.newHash = Hash(kHashStart, newBytes);
  head.pathSize = target.size();
  int err = 0;
  const off_t body = static_cast<off_t>(kJournalHeader + target.size());
  const int reserved = ::posix_fallocate(fd, 0, body + st.st_size);
  if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) err = reserved;
  if (err == 0 && !WriteAllAt(fd, target, static_cast<off_t>(kJournalHeader))) err = errno;
  if (err == 0) {
    errno = 0;
    if (const auto hash = CopyBytes(album, 0, fd, body, head.oldSize))
      head.oldHash = *hash;
    else
      err = errno ? errno : EIO;
  }
  if (err == 0 && (!WriteAllAt(fd, EncodeHead(head), 0) || ::fsync(fd) != 0)) err = errno;
  // Another save of this file that runs now owns the journal's name.
  if (err == 0 &&
      ::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, journalPath.c_str(), RENAME_NOREPLACE) != 0) {
    err = errno;
    if ((err == EINVAL || err == ENOSYS) && ::rename(temp.c_str(), journalPath.c_str()) == 0)
      err = 0;
    if (err == EEXIST) err = EBUSY;
  }
  if (err != 0) {
    ::unlink(temp.c_str());
    ::close(fd);
    return err;
  }
  SyncFolder(folder);
  journalFd = fd;
  return 0;
}

void RemoveJournal(int& journalFd, const std::string& journalPath) {
  ::unlink(journalPath.c_str());
  SyncFolder(FolderOf(journalPath));
  ::close(journalFd);
  journalFd = -1;
}

// Puts the journal's old bytes back into `album`; 0 or an errno value.
int RestoreFromJournal(int album, int journal, const JournalHead& head) {
  const off_t body = static_cast<off_t>(kJournalHeader + head.pathSize);
  // The journal's own bytes are checked before a byte of the album changes.
  std::string piece;
  std::uint64_t oldHash = kHashStart;
  for (std::uint64_t at = 0; at < head.oldSize; at += piece.size()) {
    piece.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.oldSize - at, kCopyPiece)));
    if (!ReadAllAt(journal, piece.data(), piece.size(), body + static_cast<off_t>(at))) return EIO;
    oldHash = Hash(oldHash, piece);
  }
  if (oldHash != head.oldHash) return EIO;
  errno = 0;
  if (!CopyBytes(journal, body, album, 0, head.oldSize)) return errno ? errno : EIO;
  if (::ftruncate(album, static_cast<off_t>(head.oldSize)) != 0 || ::fsync(album) != 0)
    return errno;
  return 0;
}

// The other links must see the change, so the file itself is rewritten: the
// old bytes are journalled and the room for the new ones reserved first, so
// a full disk stops the save before any byte of the old album is overwritten.
int WriteInPlace(const std::string& target, const std::string& bytes, FileIdentity* identity,
                 int* journalError) {
  // A journal an earlier save left is the only copy of that album's old state.
  if (RecoverInterruptedSave(target, nullptr) == SaveRecovery::kFailed) return EIO;
  const int fd = ::open(target.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  int err = 0;
  int journal = -1;
  std::string journalPath;
  if (::fstat(fd, &st) != 0) {
    err = errno;
  } else if (!S_ISREG(st.st_mode)) {
    err = kNotARegularFile;
  } else if (const int j = WriteJournal(fd, st, target, bytes, journal, journalPath); j != 0) {
    if (journalError) *journalError = j;
    err = kJournalNotWritten;
  } else if (static_cast<off_t>(bytes.size()) > st.st_size) {
    const int r = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
    if (r != 0 && r != EOPNOTSUPP && r != EINVAL) err = r;
    // Reserving may have grown the file; the journal puts that right.
  }
  if (err == 0 && (!WriteAllAt(fd, bytes, 0) ||
                   ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0))
    err = errno;
  if (journal >= 0) {
    // A failed write takes the old bytes back at once; when even that fails,
    // the journal stays for the next open.
    JournalHead head;
    std::string raw(kJournalHeader, '\0');
    const bool restored = err != 0 && ReadAllAt(journal, raw.data(), raw.size(), 0) &&
                          DecodeHead(raw, head) && RestoreFromJournal(fd, journal, head) == 0;
    if (err == 0 || restored)
      RemoveJournal(journal, journalPath);
    else
      ::close(journal);
  }
  if (err == 0 && identity)
    *identity = ::fstat(fd, &st) == 0 ? FileIdentity::Of(st) : FileIdentity{};
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

}  // namespace

std::string JournalFolder() {
  if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/')
    return std::string(state) + "/kolvaro/";
  if (const char* home = std::getenv("HOME"); home && home[0] == '/')
    return std::string(home) + "/.local/state/kolvaro/";
  return {};
}

SaveRecovery RecoverInterruptedSave(const std::string& path, std::string* journalOut) {
  std::string target;
  struct stat st {};
  if (FollowLinks(path, target) != 0 || ::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return SaveRecovery::kNone;
  const std::string folder = JournalFolder();
  if (folder.empty()) return SaveRecovery::kNone;
  const std::string journalPath = JournalPathOf(folder, st);
  RemoveStaleJournalTemporaries(journalPath);
  const int journal = ::open(journalPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (journal < 0) return SaveRecovery::kNone;
  // Locked: the save that wrote it is still running.
  struct stat js {};
  JournalHead head;
  std::string raw(kJournalHeader, '\0');
  std::string named;
  bool ours =
      ::flock(journal, LOCK_EX | LOCK_NB) == 0 && ::fstat(journal, &js) == 0 &&
      ReadAllAt(journal, raw.data(), raw.size(), 0) && DecodeHead(raw, head) &&
      static_cast<std::uint64_t>(js.st_size) == kJournalHeader + head.pathSize + head.oldSize;
  if (ours) {
    named.resize(static_cast<std::size_t>(head.pathSize));
    ours = ReadAllAt(journal, named.data(), named.size(), static_cast<off_t>(kJournalHeader));
  }
  // A file number the system gave again to another file after the album
  // went: that file is left alone.
  struct stat ns {};
  if (!ours || ::stat(named.c_str(), &ns) != 0 || ns.st_dev != st.st_dev ||
      ns.st_ino != st.st_ino) {
    ::close(journal);
    return SaveRecovery::kNone;
  }
  SaveRecovery result = SaveRecovery::kFailed;
  int err = 0;
  const int reader = OpenRegularFile(target, err);
  if (reader >= 0) {
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const std::optional<std::uint64_t> hash = HashOfFile(reader, size);
    ::close(reader);
    if (hash && ((size == head.newSize && *hash == head.newHash) ||
                 (size == head.oldSize && *hash == head.oldHash)))
      result = SaveRecovery::kNone;
  }
  if (result == SaveRecovery::kFailed) {
    const int album = ::open(target.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (album >= 0 && RestoreFromJournal(album, journal, head) == 0)
      result = SaveRecovery::kRestored;
    if (album >= 0) ::close(album);
  }
  if (result == SaveRecovery::kFailed) {
    if (journalOut) *journalOut = journalPath;
    ::close(journal);
    return result;
  }
  int fd = journal;
  RemoveJournal(fd, journalPath);
  return result;
}

void SetSaveWriteHook(void (*hook)(std::uint64_t written)) {
  g_writeHook = hook;
  g_written = 0;
}

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

bool ReadRegularFile(const std::string& path, std::string& bytes, int& error, std::uint64_t limit) {
  const int fd = OpenRegularFile(path, error);
  if (fd < 0) return false;
  bytes.clear();
  struct stat st {};
  if (::fstat(fd, &st) == 0 && static_cast<std::uint64_t>(st.st_size) > limit) {
    error = EFBIG;
    ::close(fd);
    return false;
  }
  char buffer[65536];
  for (;;) {
    if (bytes.size() > limit) {  // it grew meanwhile
      error = EFBIG;
      ::close(fd);
      return false;
    }
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
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

// Temporary files of this album left by a save that was killed: only names
// of the save's own pattern, and only of processes that no longer run.
void RemoveStaleSaveTemporaries(int dfd, const std::string& name) {
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

std::string SaveTemporaryPrefix(const std::string& name) {
  return name + kTempMark + std::to_string(::getpid()) + "-";
}

int SaveFileSafely(const std::string& path, const std::string& bytes, CFileLock* lock,
                   FileIdentity* identity, int* journalError) {
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
  return WriteInPlace(target, bytes, identity, journalError);
}

}  // namespace kolvaro
