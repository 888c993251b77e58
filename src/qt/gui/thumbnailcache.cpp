#include "qt/gui/thumbnailcache.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
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

std::uint32_t BigEndian(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return (std::uint32_t{u[0]} << 24) | (std::uint32_t{u[1]} << 16) | (std::uint32_t{u[2]} << 8) |
         u[3];
}

// What a cached PNG says of itself ahead of its pixels: the size and the
// plain text fields, read chunk by chunk without decoding anything. Only
// tEXt counts, as for the desktop, so a thumbnail it would reject is made again.
struct PngHead {
  QSize size;
  std::map<std::string, std::string> text;
};

bool ReadHead(QIODevice& file, PngHead& head) {
  constexpr std::uint32_t kLongestText = 64 * 1024;
  if (file.read(8) != QByteArray("\x89PNG\r\n\x1A\n", 8)) return false;
  for (int chunks = 0; chunks < 64; ++chunks) {
    const QByteArray top = file.read(8);
    if (top.size() != 8) return false;
    const std::uint32_t length = BigEndian(top.constData());
    const QByteArray type = top.mid(4);
    if (type == "IDAT" || type == "IEND") return head.size.isValid();
    if (type == "IHDR" || type == "tEXt") {
      if (length > kLongestText) return false;
      const QByteArray body = file.read(length);
      if (body.size() != static_cast<qsizetype>(length)) return false;
      if (type == "IHDR" && length >= 8) {
        const std::uint32_t w = BigEndian(body.constData()), h = BigEndian(body.constData() + 4);
        if (w > 0x7FFFFFFF || h > 0x7FFFFFFF) return false;
        head.size = QSize(static_cast<int>(w), static_cast<int>(h));
      } else if (const qsizetype nul = body.indexOf('\0'); type == "tEXt" && nul > 0) {
        head.text[body.left(nul).toStdString()] = body.mid(nul + 1).toStdString();
      }
      if (!file.seek(file.pos() + 4)) return false;
    } else if (!file.seek(file.pos() + static_cast<qint64>(length) + 4)) {
      return false;
    }
  }
  return false;
}

// The file's fields match the picture as it is now.
bool FieldsMatch(const PngHead& head, const ThumbnailSource& source) {
  const auto field = [&](const char* key) {
    const auto it = head.text.find(key);
    return it == head.text.end() ? QString() : QString::fromStdString(it->second);
  };
  if (field(kUriKey).toStdString() != source.uri) return false;
  bool ok = false;
  const qlonglong mtime = field(kMTimeKey).trimmed().toLongLong(&ok);
  if (!ok || mtime != source.mtime) return false;
  const QString size = field(kSizeKey);
  if (size.isEmpty()) return true;
  return size.trimmed().toLongLong(&ok) == source.size && ok;
}

// A cached file is decoded only when its header says it fits the edge and
// its fields match: a planted giant never reaches the decoder.
QImage ReadChecked(const std::string& path, int edge, const ThumbnailSource& source) {
  // Only a regular file is read: a pipe planted under the name would hold the reader.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return QImage();
  QFile file;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return QImage();
  }
  PngHead head;
  if (!ReadHead(file, head) || head.size.isEmpty() || head.size.width() > edge ||
      head.size.height() > edge || !FieldsMatch(head, source) || !file.seek(0))
    return QImage();
  QImageReader reader(&file, "png");
  return reader.read();
}

// The CRC of a PNG chunk, as the format defines it.
constexpr std::array<std::uint32_t, 256> kCrcTable = [] {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}();

void AppendBigEndian(QByteArray& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.append(static_cast<char>((value >> shift) & 0xFF));
}

// Qt's writer compresses every text of more than 40 characters, and the
// desktop reads the fields from plain tEXt chunks only: they are written here.
QByteArray TextChunk(const char* key, const std::string& value) {
  QByteArray body("tEXt");
  body.append(key).append('\0').append(value.data(), static_cast<qsizetype>(value.size()));
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : body)
    crc = kCrcTable[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
  QByteArray chunk;
  AppendBigEndian(chunk, static_cast<std::uint32_t>(body.size() - 4));
  chunk.append(body);
  AppendBigEndian(chunk, crc ^ 0xFFFFFFFFu);
  return chunk;
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

QByteArray ThumbnailPng(const QImage& image, const ThumbnailSource& source) {
  // The pixels alone: no text the picture brought along goes into the file.
  QImage pixels =
      QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(), image.format())
          .copy();
  pixels.setColorTable(image.colorTable());
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "png");
  if (pixels.isNull() || !writer.write(pixels)) return {};
  // The fields go right behind the signature and IHDR, ahead of the pixels.
  constexpr qsizetype kAfterHeader = 8 + 4 + 4 + 13 + 4;
  if (png.size() <= kAfterHeader || png.mid(12, 4) != "IHDR") return {};
  png.insert(kAfterHeader, TextChunk(kUriKey, source.uri) +
                               TextChunk(kMTimeKey, std::to_string(source.mtime)) +
                               TextChunk(kSizeKey, std::to_string(source.size)) +
                               TextChunk(kSoftwareKey, "Kolvaro " + ShortVersion()));
  return png;
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
  return ReadChecked(PathFor(source.uri, size), static_cast<int>(size), source);
}

bool CThumbnailCache::HasFailed(const ThumbnailSource& source) const {
  if (m_root.empty() || source.state != ThumbnailSource::State::kOk) return false;
  return !ReadChecked(FailPathFor(source.uri), static_cast<int>(ThumbnailSize::kNormal), source)
              .isNull();
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
  const QByteArray png = ThumbnailPng(image, source);
  if (png.isEmpty()) return false;

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
