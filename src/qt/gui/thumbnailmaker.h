#pragma once
// Makes the thumbnail of one picture file from the cheapest source that is
// good enough: the shared cache, or a decoding at a reduced scale (never at
// full size for a JPEG, never beyond a pixel limit). The JPEG's embedded EXIF
// preview may stand in on the screen, but never goes into the cache: an
// editor may have changed the pixels and kept the old preview. Runs on any
// thread; reads and writes files.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <string>

#include "qt/gui/thumbnailcache.h"

namespace kolvaro {

struct ThumbnailResult {
  enum class From { kNothing, kCache, kEmbedded, kDecoded };
  ThumbnailSource::State state = ThumbnailSource::State::kMissing;
  /// kEmbedded: the EXIF preview, for the screen only; the thumbnail of the
  /// pixels is still to be made.
  From from = From::kNothing;
  QImage image;         ///< upright, within the size's edge; null unless state is kOk
  bool stored = false;  ///< written to the cache just now
};

/// The size a picture of `original` pixels gets as a thumbnail with this
/// edge: scaled down to fit, never up.
QSize ThumbnailFit(QSize original, int edge);
/// True when an embedded thumbnail of `embedded` pixels can stand for a
/// picture of `original` pixels at `edge`: large enough in both directions
/// and of the same shape, so that no black bars of a camera's 4:3 preview
/// show in the strip.
bool EmbeddedIsEnough(QSize embedded, QSize original, int edge);
/// The most pixels a decoder may hold to make a thumbnail.
inline constexpr qint64 kThumbnailPixelLimit = 40'000'000;
/// True when a picture of `original` pixels in `format` can be made into a
/// thumbnail at `edge` within the pixel limit: a JPEG decodes at an eighth
/// of its size, every other format whole.
bool DecodableForThumbnail(QSize original, const QByteArray& format, int edge);

enum class EmbeddedPreview { kNever, kForScreen };

/// The thumbnail of `path`, from the cache or made and stored there. A
/// picture that cannot be decoded is recorded as a failure in the cache and
/// not tried again while it stays unchanged. With `preview` kForScreen a
/// good enough EXIF preview answers at once and nothing is stored.
ThumbnailResult MakeThumbnail(const CThumbnailCache& cache, const std::string& path,
                              ThumbnailSize size,
                              EmbeddedPreview preview = EmbeddedPreview::kNever);

}  // namespace kolvaro
