#include "qt/gui/thumbnailmaker.h"

#include <QBuffer>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <span>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/exifreader.h"

namespace kolvaro {
namespace {

// Cameras keep their headers, EXIF block and preview well inside this much.
constexpr qint64 kHeaderBytes = 192 * 1024;
// Shapes closer than this are the same picture; a 4:3 preview of a 3:2 photo is not.
constexpr double kShapeTolerance = 0.02;

QImage Upright(QImage image, QImageIOHandler::Transformations t) {
  if (t == QImageIOHandler::TransformationNone || image.isNull()) return image;
  // In the order the EXIF orientation is defined: mirror, flip, then a quarter turn.
  image = image.mirrored(t.testFlag(QImageIOHandler::TransformationMirror),
                         t.testFlag(QImageIOHandler::TransformationFlip));
  if (t.testFlag(QImageIOHandler::TransformationRotate90)) image = image.transformed(QTransform().rotate(90));
  return image;
}

// Only a regular file is read: a pipe swapped in under the name would hold the worker.
bool OpenRegular(const std::string& path, QFile& file) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  return true;
}

QImage FromEmbedded(const QByteArray& head, QSize original, QImageIOHandler::Transformations t, int edge) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(head.constData());
  const std::vector<std::uint8_t> embedded =
      CExifReader::FromMemory(std::span(bytes, static_cast<std::size_t>(head.size()))).EmbeddedThumbnail();
  if (embedded.empty()) return QImage();
  QByteArray data(reinterpret_cast<const char*>(embedded.data()), static_cast<qsizetype>(embedded.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "jpeg");
  reader.setAutoTransform(false);
  if (!EmbeddedIsEnough(reader.size(), original, edge)) return QImage();
  reader.setScaledSize(ThumbnailFit(original, edge));
  return Upright(reader.read(), t);
}

QImage Decoded(QByteArray bytes, const QByteArray& format, int edge) {
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, format);
  reader.setAutoTransform(false);
  // A format that cannot tell its size beforehand is not decoded blind.
  const QSize size = reader.size();
  if (!DecodableForThumbnail(size, format, edge)) return QImage();
  // JPEG decodes at 1/2, 1/4 or 1/8 of its size in the decoder itself.
  reader.setScaledSize(ThumbnailFit(size, edge));
  QImage image = reader.read();
  return Upright(std::move(image), reader.transformation());
}

QImage Make(const std::string& path, int edge, bool preview, ThumbnailResult::From& from) {
  QFile file;
  if (!OpenRegular(path, file)) return QImage();
  QByteArray bytes = file.read(kHeaderBytes);
  QByteArray format;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader header(&buffer);
    header.setAutoTransform(false);
    format = header.format();
    if (preview && format == "jpeg" && header.size().isValid()) {
      QImage image = FromEmbedded(bytes, header.size(), header.transformation(), edge);
      if (!image.isNull()) {
        from = ThumbnailResult::From::kEmbedded;
        return image;
      }
    }
  }
  // The rest straight behind the header, without a second copy of the whole.
  const qint64 size = file.size();
  if (size > bytes.size()) {
    const qsizetype have = bytes.size();
    bytes.resize(static_cast<qsizetype>(size));
    bytes.resize(have + std::max<qint64>(file.read(bytes.data() + have, size - have), 0));
  }
  from = ThumbnailResult::From::kDecoded;
  return Decoded(std::move(bytes), format, edge);
}

}  // namespace

QSize ThumbnailFit(QSize original, int edge) {
  if (original.isEmpty()) return QSize();
  if (original.width() <= edge && original.height() <= edge) return original;
  return original.scaled(edge, edge, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

bool DecodableForThumbnail(QSize original, const QByteArray& format, int edge) {
  if (original.isEmpty()) return false;
  const int eighth =
      format == "jpeg" && std::max(original.width(), original.height()) >= 8 * edge ? 8 : 1;
  const qint64 held = static_cast<qint64>((original.width() + eighth - 1) / eighth) *
                      ((original.height() + eighth - 1) / eighth);
  return held <= kThumbnailPixelLimit;
}

bool EmbeddedIsEnough(QSize embedded, QSize original, int edge) {
  if (embedded.isEmpty() || original.isEmpty()) return false;
  const QSize wanted = ThumbnailFit(original, edge);
  if (embedded.width() < wanted.width() || embedded.height() < wanted.height()) return false;
  const double shape = static_cast<double>(embedded.width()) / embedded.height();
  const double originalShape = static_cast<double>(original.width()) / original.height();
  return std::abs(shape / originalShape - 1.0) <= kShapeTolerance;
}

ThumbnailResult MakeThumbnail(const CThumbnailCache& cache, const std::string& path,
                              ThumbnailSize size, EmbeddedPreview preview) {
  ThumbnailResult result;
  const ThumbnailSource source = ThumbnailSource::Of(path);
  result.state = source.state;
  if (source.state != ThumbnailSource::State::kOk) return result;
  if (cache.Holds(source.path)) {
    result.state = ThumbnailSource::State::kUnreadable;
    return result;
  }
  result.image = cache.Lookup(source, size);
  if (!result.image.isNull()) {
    result.from = ThumbnailResult::From::kCache;
    return result;
  }
  if (cache.HasFailed(source)) {
    result.state = ThumbnailSource::State::kUnreadable;
    return result;
  }
  result.image = Make(source.path, static_cast<int>(size), preview == EmbeddedPreview::kForScreen,
                      result.from);
  if (result.image.isNull()) {
    result.state = ThumbnailSource::State::kUnreadable;
    result.from = ThumbnailResult::From::kNothing;
    cache.StoreFailure(source);
    return result;
  }
  if (result.from != ThumbnailResult::From::kEmbedded)
    result.stored = cache.Store(source, size, result.image);
  return result;
}

}  // namespace kolvaro
