#pragma once
// A picture file held for display: the file's bytes plus what its header says
// (pixel size, EXIF orientation). Pixels are decoded on demand at the size the
// caller needs, so showing a large photograph never holds it at full size.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

class QPainter;
class QRect;

namespace kolvaro {

class CLoadedPicture {
 public:
  CLoadedPicture() = default;

  /// The size a caller will decode at, from the upright picture's pixel size.
  using DecodeSizeFor = std::function<QSize(const QSize& displayed)>;

  /// Releases the held picture, then reads the whole file (a regular file
  /// only) and decodes it once to make sure it is a picture: at `sizeFor`'s
  /// size, kept for the first Decode at that size, or else at an eighth of
  /// its size. False (and empty) on any failure.
  bool LoadFromFile(const QString& path, const DecodeSizeFor& sizeFor = {});
  /// Keeps a copy of the bytes when they decode; false otherwise.
  bool LoadFromMemory(const QByteArray& bytes, const DecodeSizeFor& sizeFor = {});
  void Release();
  bool IsEmpty() const { return m_bytes.isEmpty(); }

  /// Pixel size in the file's stored grid, whatever resolution the file
  /// states; 0 x 0 when empty.
  QSize GetSizeInPixels() const { return m_size; }
  /// EXIF orientation 1 to 8 (1 when the file has none).
  int Orientation() const { return m_nOrientation; }
  /// Pixel size of the upright picture (width and height swapped for 5 to 8).
  QSize DisplayedSize() const;

  /// Decodes the upright picture at `size` (displayed grid), using the
  /// decoder's scaled decoding; a null image when empty, when `size` is empty
  /// or when decoding fails.
  QImage Decode(const QSize& size) const;
  /// Draws the whole upright picture stretched into `target`, decoded at the
  /// device pixels it covers. False when nothing was drawn.
  bool Render(QPainter& painter, const QRect& target) const;

 private:
  QByteArray m_bytes;
  QByteArray m_format;
  QSize m_size{0, 0};
  int m_nOrientation = 1;
  mutable QImage m_firstDecode;  // the check's pixels, handed to the first Decode of its size
};

}  // namespace kolvaro
