#include "platform/qt/gui/thumbnailcache.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImageReader>
#include <QImageWriter>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "res/version.h"

namespace kolvaro {
namespace {

constexpr char kUriKey[] = "Thumb::URI";
constexpr char kMTimeKey[] = "Thumb::MTime";
constexpr char kSizeKey[] = "Thumb::Size";
constexpr char kSoftwareKey[] = "Software";

// The version without its build: failures are retried by the next version.
std::string ShortVersion() {
  const std::string_view v = kProductVersion;
  return std::string(v.substr(0, v.find(' ')));
}

bool KeepsItsByte(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-._~!$&'()*+,=:@/").find(static_cast<char>(c)) != std::string_view::npos;
}

// Folders the cache makes are the user's alone; folders that exist are left as they are.
bool MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0) return true;
  if (errno == ENOENT) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0) return false;
    return MakeFolder(path.substr(0, slash)) && (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST);
  }
  struct stat st {};
  return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAll(int fd, const QByteArray& bytes) {
  const char* p = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, static_cast<std::size_t>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    left -= n;
  }
  return true;
}

// The file's fields match the picture as it is now. Read from the decoded
// image: the reader's header pass skips compressed text chunks.
bool FieldsMatch(const QImage& image, const ThumbnailSource& source) {
  if (image.text(QString::fromLatin1(kUriKey)).toStdString() != source.uri) return false;
  bool ok = false;
  const qlonglong mtime = image.text(QString::fromLatin1(kMTimeKey)).trimmed().toLongLong(&ok);
  if (!ok || mtime != source.mtime) return false;
  const QString size = image.text(QString::fromLatin1(kSizeKey));
  if (size.isEmpty()) return true;
  return size.trimmed().toLongLong(&ok) == source.size && ok;
}

}  // namespace

std::string ThumbnailUri(std::string_view absolutePath) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = "file://";
  uri.reserve(uri.size() + absolutePath.size());
  for (const char ch : absolutePath) {
    const auto c = static_cast<unsigned char>(ch);
    if (KeepsItsByte(c)) {
      uri += ch;
    } else {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    }
  }
  return uri;
}

std::string ThumbnailKey(std::string_view uri) {
  return QCryptographicHash::hash(QByteArrayView(uri.data(), static_cast<qsizetype>(uri.size())),
                                  QCryptographicHash::Md5)
      .toHex()
      .toStdString();
}

std::string DefaultThumbnailRoot() {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  if (cache && cache[0] == '/') return std::string(cache) + "/thumbnails";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.cache/thumbnails";
  return {};
}

ThumbnailSource ThumbnailSource::Of(const std::string& path) {
  ThumbnailSource source;
  std::filesystem::path absolute(path);
  std::error_code error;
  if (absolute.is_relative()) absolute = std::filesystem::current_path(error) / absolute;
  source.path = absolute.lexically_normal().string();
  source.uri = ThumbnailUri(source.path);
  struct stat st {};
  if (::stat(source.path.c_str(), &st) != 0) {
    source.state = errno == ENOENT || errno == ENOTDIR ? State::kMissing : State::kUnreadable;
    return source;
  }
  source.mtime = static_cast<std::int64_t>(st.st_mtime);
  source.size = static_cast<std::int64_t>(st.st_size);
  // A pipe or device is never opened; a file the user may not read leaves no trace in the cache.
  source.state = S_ISREG(st.st_mode) && ::access(source.path.c_str(), R_OK) == 0 ? State::kOk : State::kUnreadable;
  return source;
}

CThumbnailCache::CThumbnailCache(std::string root) : m_root(std::move(root)) {
  while (m_root.size() > 1 && m_root.back() == '/') m_root.pop_back();
}

std::string CThumbnailCache::PathFor(const std::string& uri, ThumbnailSize size) const {
  return m_root + (size == ThumbnailSize::kLarge ? "/large/" : "/normal/") + ThumbnailKey(uri) + ".png";
}

std::string CThumbnailCache::FailPathFor(const std::string& uri) const {
  return m_root + "/fail/kolvaro-" + ShortVersion() + "/" + ThumbnailKey(uri) + ".png";
}

bool CThumbnailCache::Holds(const std::string& path) const {
  return !m_root.empty() && path.size() > m_root.size() && path.compare(0, m_root.size(), m_root) == 0 &&
         path[m_root.size()] == '/';
}

QImage CThumbnailCache::Lookup(const ThumbnailSource& source, ThumbnailSize size) const {
  if (m_root.empty() || source.state != ThumbnailSource::State::kOk) return QImage();
  QImageReader reader(QString::fromStdString(PathFor(source.uri, size)), "png");
  QImage image = reader.read();
  return !image.isNull() && FieldsMatch(image, source) ? image : QImage();
}

bool CThumbnailCache::HasFailed(const ThumbnailSource& source) const {
  if (m_root.empty() || source.state != ThumbnailSource::State::kOk) return false;
  QImageReader reader(QString::fromStdString(FailPathFor(source.uri)), "png");
  const QImage image = reader.read();
  return !image.isNull() && FieldsMatch(image, source);
}

bool CThumbnailCache::Store(const ThumbnailSource& source, ThumbnailSize size, const QImage& thumbnail) const {
  if (m_root.empty() || source.state != ThumbnailSource::State::kOk || thumbnail.isNull()) return false;
  const int edge = static_cast<int>(size);
  QImage image = thumbnail;
  if (image.width() > edge || image.height() > edge)
    image = image.scaled(edge, edge, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  const std::string path = PathFor(source.uri, size);
  const auto slash = path.find_last_of('/');
  return Write(path.substr(0, slash), path.substr(slash + 1), std::move(image), source);
}

bool CThumbnailCache::StoreFailure(const ThumbnailSource& source) const {
  if (m_root.empty() || source.state != ThumbnailSource::State::kOk) return false;
  // An empty picture that carries the fields, as the cache's readers expect.
  QImage empty(1, 1, QImage::Format_ARGB32);
  empty.fill(Qt::transparent);
  const std::string path = FailPathFor(source.uri);
  const auto slash = path.find_last_of('/');
  return Write(path.substr(0, slash), path.substr(slash + 1), std::move(empty), source);
}

bool CThumbnailCache::Write(const std::string& folder, const std::string& file, QImage image,
                            const ThumbnailSource& source) const {
  if (!MakeFolder(folder)) return false;
  // Eight-bit RGBA, as the cache's format asks.
  if (image.format() != QImage::Format_ARGB32) image.convertTo(QImage::Format_ARGB32);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.setText(QString::fromLatin1(kUriKey), QString::fromStdString(source.uri));
  image.setText(QString::fromLatin1(kMTimeKey), QString::number(source.mtime));
  image.setText(QString::fromLatin1(kSizeKey), QString::number(source.size));
  image.setText(QString::fromLatin1(kSoftwareKey), QStringLiteral("Kolvaro %1").arg(QString::fromStdString(ShortVersion())));
  QImageWriter writer(&buffer, "png");
  if (!writer.write(image)) return false;

  // Readers of the cache never see half a file, and two writers never mix their bytes.
  std::string temp = folder + "/." + file + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const bool written = ::fchmod(fd, 0600) == 0 && WriteAll(fd, png);
  if (::close(fd) != 0 || !written || ::rename(temp.c_str(), (folder + "/" + file).c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace kolvaro
