#include "maintenance/jpegsegments.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "core/safefile.h"

namespace kolvaro {

void (*g_jpegWriteProbe)(std::uint64_t written) = nullptr;

namespace {

constexpr std::string_view kExifSignature{"Exif\0\0", 6};
// Cameras write a dozen segments ahead of the image data; a file with
// endless tiny ones is not a picture worth the time.
constexpr int kMaxSegments = 65536;
constexpr std::size_t kCopyChunk = 256 * 1024;

std::size_t ReadAt(int fd, void* buffer, std::size_t count, std::uint64_t at, int& error) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n =
        ::pread(fd, static_cast<char*>(buffer) + done, count - done, static_cast<off_t>(at + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      return done;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

class CWriter {
 public:
  explicit CWriter(int fd) : m_fd(fd) {}
  int Write(std::string_view bytes) {
    if (const int err = WriteAll(m_fd, bytes); err != 0) return err;
    m_written += bytes.size();
    if (g_jpegWriteProbe) g_jpegWriteProbe(m_written);
    return 0;
  }

 private:
  int m_fd;
  std::uint64_t m_written = 0;
};

// Copies `count` bytes from `at`, or up to the end of the file when count
// is UINT64_MAX.
int CopyRange(int in, std::uint64_t at, std::uint64_t count, CWriter& out) {
  std::vector<char> buffer(kCopyChunk);
  while (count > 0) {
    int error = 0;
    const std::size_t want =
        count < buffer.size() ? static_cast<std::size_t>(count) : buffer.size();
    const std::size_t got = ReadAt(in, buffer.data(), want, at, error);
    if (error != 0) return error;
    if (got == 0) return count == UINT64_MAX ? 0 : EIO;  // the file shrank meanwhile
    if (const int err = out.Write({buffer.data(), got}); err != 0) return err;
    at += got;
    if (count != UINT64_MAX) count -= got;
  }
  return 0;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

bool Denied(int error) { return error == EACCES || error == EPERM || error == EROFS; }

}  // namespace

JpegStatus ScanJpeg(int fd, JpegLayout& layout, int& error) {
  layout = {};
  error = 0;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    error = errno;
    return JpegStatus::kIoError;
  }
  layout.size = static_cast<std::uint64_t>(st.st_size);
  unsigned char head[4];
  if (ReadAt(fd, head, 2, 0, error) != 2 || head[0] != 0xFF || head[1] != 0xD8)
    return error != 0 ? JpegStatus::kIoError : JpegStatus::kNotJpeg;

  // A new packet goes after the leading JFIF and EXIF segments, where
  // readers look for it.
  bool leading = true;
  std::uint64_t pos = 2;
  for (int n = 0; n < kMaxSegments; ++n) {
    if (ReadAt(fd, head, 2, pos, error) != 2 || head[0] != 0xFF)
      return error != 0 ? JpegStatus::kIoError : JpegStatus::kDamaged;
    const unsigned char marker = head[1];
    if (marker == 0xFF) {  // a fill byte
      ++pos;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) {  // the image data, or an end without any
      if (leading && layout.xmpLength == 0) layout.xmpOffset = pos;
      return JpegStatus::kOk;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length follows
      pos += 2;
      continue;
    }
    if (ReadAt(fd, head, 2, pos + 2, error) != 2)
      return error != 0 ? JpegStatus::kIoError : JpegStatus::kDamaged;
    const unsigned length = static_cast<unsigned>(head[0]) << 8 | head[1];
    const std::uint64_t end = pos + 2 + length;
    if (length < 2 || end > layout.size) return JpegStatus::kDamaged;

    char signature[kXmpSignature.size()];
    std::size_t got = 0;
    if (marker == 0xE1) {
      const std::size_t want = length - 2 < sizeof signature ? length - 2 : sizeof signature;
      got = ReadAt(fd, signature, want, pos + 4, error);
      if (error != 0) return JpegStatus::kIoError;
    }
    const std::string_view start(signature, got);
    if (marker == 0xE1 && start == kXmpSignature && layout.xmpLength == 0) {
      layout.xmpOffset = pos;
      layout.xmpLength = end - pos;
      layout.packet.resize(length - 2 - kXmpSignature.size());
      if (ReadAt(fd, layout.packet.data(), layout.packet.size(), pos + 4 + kXmpSignature.size(),
                 error) != layout.packet.size())
        return error != 0 ? JpegStatus::kIoError : JpegStatus::kDamaged;
    } else if (leading && marker != 0xE0 &&
               !(marker == 0xE1 && start.starts_with(kExifSignature))) {
      leading = false;
      if (layout.xmpLength == 0) layout.xmpOffset = pos;
    }
    pos = end;
  }
  return JpegStatus::kDamaged;
}

int CopyJpegWithXmp(int in, const JpegLayout& layout, std::string_view packet, int out) {
  CWriter writer(out);
  if (const int err = CopyRange(in, 0, layout.xmpOffset, writer); err != 0) return err;
  if (!packet.empty()) {
    if (packet.size() > kMaxXmpPacket) return EFBIG;
    const std::size_t length = 2 + kXmpSignature.size() + packet.size();
    std::string segment{'\xFF', '\xE1', static_cast<char>(length >> 8),
                        static_cast<char>(length & 0xFF)};
    segment.append(kXmpSignature);
    segment.append(packet);
    if (const int err = writer.Write(segment); err != 0) return err;
  }
  return CopyRange(in, layout.xmpOffset + layout.xmpLength, UINT64_MAX, writer);
}

CJpegXmpFile::~CJpegXmpFile() {
  if (m_fd >= 0) ::close(m_fd);
}

CJpegXmpFile::Result CJpegXmpFile::Open(const std::string& path) {
  // The picture behind a link is replaced, not the link.
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  if (!real) {
    m_error = errno;
    return Result::kIoError;
  }
  m_target = real.get();
  m_fd = OpenRegularFile(m_target, m_error);
  if (m_fd < 0) return m_error == kNotARegularFile ? Result::kNotRegular : Result::kIoError;
  if (::fstat(m_fd, &m_stat) != 0) {
    m_error = errno;
    return Result::kIoError;
  }
  switch (ScanJpeg(m_fd, m_layout, m_error)) {
    case JpegStatus::kOk: return Result::kOk;
    case JpegStatus::kNotJpeg: return Result::kNotJpeg;
    case JpegStatus::kDamaged: return Result::kDamaged;
    case JpegStatus::kIoError: return Result::kIoError;
  }
  return Result::kIoError;
}

CJpegXmpFile::Result CJpegXmpFile::CheckReplaceable() const {
  if (m_stat.st_nlink > 1) return Result::kHardLinks;
  // The mode bits decide for root too: a folder marked read-only stays so.
  const std::string folder = FolderOf(m_target);
  struct stat dir {};
  if (::stat(folder.c_str(), &dir) != 0 || !ModeAllowsWrite(dir, ::geteuid(), true) ||
      ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
    return Result::kFolderLocked;
  return Result::kOk;
}

CJpegXmpFile::Result CJpegXmpFile::Replace(std::string_view packet) {
  if (packet.size() > kMaxXmpPacket) return Result::kTooLarge;
  if (const Result r = CheckReplaceable(); r != Result::kOk) return r;
  const std::string name = NameOf(m_target);
  const int dfd = ::open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) {
    m_error = errno;
    return Denied(m_error) ? Result::kFolderLocked : Result::kIoError;
  }
  RemoveStaleSaveTemporaries(dfd, name);

  // Unnamed until complete where the file system allows it, so a killed
  // write leaves nothing behind.
  static const bool procMounted = ::access("/proc/self/fd", X_OK) == 0;
  int fd = procMounted ? ::openat(dfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600) : -1;
  const bool unnamed = fd >= 0;
  std::string temp;
  if (!unnamed) {
    if (procMounted && Denied(errno)) {
      ::close(dfd);
      return Result::kFolderLocked;
    }
    std::string full = FolderOf(m_target) + "/" + SaveTemporaryPrefix(name) + "XXXXXX";
    fd = ::mkostemp(full.data(), O_CLOEXEC);
    if (fd < 0) {
      m_error = errno;
      ::close(dfd);
      return Denied(m_error) ? Result::kFolderLocked : Result::kIoError;
    }
    temp = NameOf(full);
  }

  // Owner first: a change of owner clears the set-id bits the mode restores.
  if (::fchown(fd, m_stat.st_uid, m_stat.st_gid) != 0)
    (void)::fchown(fd, static_cast<uid_t>(-1), m_stat.st_gid);
  int err = ::fchmod(fd, m_stat.st_mode & 07777) != 0 ? errno : 0;
  if (err == 0) err = CopyJpegWithXmp(m_fd, m_layout, packet, fd);
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (err == 0 && g_jpegWriteProbe) g_jpegWriteProbe(UINT64_MAX);
  if (err == 0 && unnamed) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0;; ++attempt) {
      temp = SaveTemporaryPrefix(name) + std::to_string(100000 + random() % 900000);
      if (::linkat(AT_FDCWD, self.c_str(), dfd, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
      if (errno != EEXIST || attempt == 100) {
        err = errno;
        temp.clear();
        break;
      }
    }
  }
  Result result = err == 0 ? Result::kOk : Result::kIoError;
  // Whoever replaced or rewrote the picture meanwhile keeps their file.
  struct stat now {};
  if (err == 0 && (::fstatat(dfd, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
                   !(FileIdentity::Of(now) == FileIdentity::Of(m_stat))))
    result = Result::kChanged;
  if (result == Result::kOk && ::renameat(dfd, temp.c_str(), dfd, name.c_str()) != 0) {
    err = errno;
    result = Result::kIoError;
  }
  if (result != Result::kOk && !temp.empty()) ::unlinkat(dfd, temp.c_str(), 0);
  if (result == Result::kOk) ::fsync(dfd);  // the new name must survive a crash too
  ::close(fd);
  ::close(dfd);
  m_error = err;
  return result;
}

}  // namespace kolvaro
