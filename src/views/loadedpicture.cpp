#include "views/loadedpicture.h"

#include <QBuffer>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>
#include <QRect>
#include <QTransform>
#include <algorithm>
#include <span>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/mediafile.h"
#include "maintenance/heifdecode.h"
#include "views/picturelayout.h"

namespace kolvaro {

namespace {

int ExifOrientation(QImageIOHandler::Transformations t) {
  switch (static_cast<int>(t)) {
    case QImageIOHandler::TransformationMirror: return 2;
    case QImageIOHandler::TransformationRotate180: return 3;
    case QImageIOHandler::TransformationFlip: return 4;
    case QImageIOHandler::TransformationFlipAndRotate90: return 5;
    case QImageIOHandler::TransformationRotate90: return 6;
    case QImageIOHandler::TransformationMirrorAndRotate90: return 7;
    case QImageIOHandler::TransformationRotate270: return 8;
    default: return 1;
  }
}

QImage Rotated(const QImage& image, int degrees) {
  // Quarter turns are exact pixel moves in QImage::transformed.
  return image.transformed(QTransform().rotate(degrees));
}

// Turns a decoded image of the stored grid upright.
QImage Upright(QImage image, int orientation) {
  switch (orientation) {
    case 2: return image.mirrored(true, false);
    case 3: return image.mirrored(true, true);
    case 4: return image.mirrored(false, true);
    case 5: return Rotated(image.mirrored(false, true), 90);
    case 6: return Rotated(image, 90);
    case 7: return Rotated(image.mirrored(true, false), 90);
    case 8: return Rotated(image, 270);
    default: return image;
  }
}

// Qt has no HEIF plugin on the systems Kolvaro runs on; libheif decodes those.
constexpr char kHeifFormat[] = "heif";

std::span<const std::uint8_t> Span(const QByteArray& bytes) {
  return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
          static_cast<std::size_t>(bytes.size())};
}

bool IsHeif(const QByteArray& bytes) {
  const std::span<const std::uint8_t> all = Span(bytes);
  return DetectMediaKind(all.first(std::min(all.size(), kMediaHeadSize))) == MediaKind::kHeif;
}

// The whole picture, decoded at full size, then scaled: libheif has no
// scaled decoding.
QImage DecodeHeifAt(const QByteArray& bytes, const QSize& size) {
  DecodedPicture decoded;
  if (!DecodeHeif(Span(bytes), decoded)) return QImage();
  const QImage full(decoded.rgba.data(), decoded.width, decoded.height, decoded.width * 4,
                    QImage::Format_RGBA8888);
  if (full.size() == size) return full.copy();
  return full.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace

bool CLoadedPicture::LoadFromFile(const QString& path, const DecodeSizeFor& sizeFor) {
  Release();
  if (path.isEmpty()) return false;
  // Without O_NONBLOCK a named pipe would hold the program until someone
  // writes to it; only a regular file is read.
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  QFile file;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (bytes.isEmpty()) return false;
  return LoadFromMemory(bytes, sizeFor);
}

bool CLoadedPicture::LoadFromMemory(const QByteArray& bytes, const DecodeSizeFor& sizeFor) {
  Release();
  if (bytes.isEmpty()) return false;
  QBuffer buffer;
  buffer.setData(bytes);
  if (!buffer.open(QIODevice::ReadOnly)) return false;
  QImageReader reader(&buffer);
  reader.setAutoTransform(false);
  QByteArray format;
  QSize size;
  int orientation = 1;
  if (reader.canRead()) {
    format = reader.format();
    size = reader.size();
    if (!size.isValid()) {
      // A decoder that cannot tell its size from the header: measure once.
      const QImage probe = reader.read();
      size = probe.size();
    }
    orientation = ExifOrientation(reader.transformation());
  } else if (int width = 0, height = 0;
             IsHeif(bytes) && HeifPictureSize(Span(bytes), width, height)) {
    // libheif turns the picture upright itself.
    format = kHeifFormat;
    size = QSize(width, height);
  }
  if (size.isEmpty()) return false;
  m_bytes = bytes;
  m_format = format;
  m_size = size;
  m_nOrientation = orientation;
  // A header alone is no picture: decode once, never at full size. Where the
  // caller says its size, these are the pixels it will show first.
  const QSize shown = DisplayedSize();
  QSize check = sizeFor ? sizeFor(shown) : QSize();
  if (check.isEmpty()) check = QSize((shown.width() + 7) / 8, (shown.height() + 7) / 8);
  QImage pixels = Decode(check);
  if (pixels.isNull()) {
    Release();
    return false;
  }
  if (sizeFor) m_firstDecode = std::move(pixels);
  return true;
}

void CLoadedPicture::Release() {
  m_firstDecode = QImage();
  m_bytes.clear();
  m_format.clear();
  m_size = QSize(0, 0);
  m_nOrientation = 1;
}

QSize CLoadedPicture::DisplayedSize() const {
  return OrientationSwapsAxes(m_nOrientation) ? m_size.transposed() : m_size;
}

QImage CLoadedPicture::Decode(const QSize& size) const {
  if (IsEmpty() || size.isEmpty()) return QImage();
  if (!m_firstDecode.isNull() && m_firstDecode.size() == size) return std::exchange(m_firstDecode, QImage());
  QImage image;
  if (m_format == kHeifFormat) {
    image = DecodeHeifAt(m_bytes, size);
  } else {
    QBuffer buffer;
    buffer.setData(m_bytes);
    if (!buffer.open(QIODevice::ReadOnly)) return QImage();
    QImageReader reader(&buffer, m_format);
    reader.setAutoTransform(false);
    reader.setScaledSize(OrientationSwapsAxes(m_nOrientation) ? size.transposed() : size);
    image = reader.read();
  }
  if (image.isNull()) return QImage();
  image = Upright(std::move(image), m_nOrientation);
  // Painting is fastest from the two formats the raster engine blits directly.
  const QImage::Format fast =
      image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
  if (image.format() != fast) image.convertTo(fast);
  return image;
}

bool CLoadedPicture::Render(QPainter& painter, const QRect& target) const {
  if (IsEmpty() || target.isEmpty()) return false;
  const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  QImage image = Decode((QSizeF(target.size()) * dpr).toSize());
  if (image.isNull()) return false;
  image.setDevicePixelRatio(dpr);
  painter.drawImage(QRectF(target), image);
  return true;
}

}  // namespace kolvaro
