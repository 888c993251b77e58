#pragma once
// JPEG files as cameras write them, for the thumbnail tests: the picture in
// one colour and, in the EXIF block right after SOI, a preview in another,
// so that a test sees which of the two a thumbnail was made from.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSize>

#include "testsupport/jpeg_builder.h"

namespace kolvaro::test {

inline QByteArray Jpeg(QSize size, Qt::GlobalColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 90);
  return bytes;
}

/// A green picture of `size` with the orientation and a red preview of `preview` (none when empty).
inline QByteArray CameraJpeg(QSize size, int orientation, QSize preview) {
  ExifBlock block;
  block.Short(Ifd::kZero, 274, static_cast<std::uint16_t>(orientation));
  if (!preview.isEmpty()) {
    const QByteArray thumb = Jpeg(preview, Qt::red);
    block.Thumbnail(Bytes(thumb.begin(), thumb.end()));
  }
  const Bytes tiff = block.Tiff();
  QByteArray app1("Exif\0\0", 6);
  app1.append(reinterpret_cast<const char*>(tiff.data()), static_cast<qsizetype>(tiff.size()));
  const auto length = static_cast<int>(app1.size() + 2);
  QByteArray segment("\xFF\xE1", 2);
  segment.append(static_cast<char>(length >> 8))
      .append(static_cast<char>(length & 0xFF))
      .append(app1);
  const QByteArray jpeg = Jpeg(size, Qt::green);
  return jpeg.left(2) + segment + jpeg.mid(2);
}

/// True when the middle of `image` is more red than green: made from the preview.
inline bool ShowsPreview(const QImage& image) {
  const QColor middle = image.pixelColor(image.rect().center());
  return middle.red() > middle.green();
}

}  // namespace kolvaro::test
