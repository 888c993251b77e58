#pragma once
// Makes the thumbnail of one picture file from the cheapest source that is
// good enough: the shared cache, the JPEG's embedded EXIF thumbnail, or a
// decoding at a reduced scale (never at full size for a JPEG). Runs on any
// thread; reads and writes files.

#include <QImage>
#include <QSize>
#include <string>

#include "platform/qt/gui/thumbnailcache.h"

namespace kolvaro {

struct ThumbnailResult {
  enum class From { kNothing, kCache, kEmbedded, kDecoded };
  ThumbnailSource::State state = ThumbnailSource::State::kMissing;
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

/// The thumbnail of `path`. A picture that cannot be decoded is recorded as
/// a failure in the cache and not tried again while it stays unchanged;
/// `write` false leaves the cache as it is (reading only).
ThumbnailResult MakeThumbnail(const CThumbnailCache& cache, const std::string& path, ThumbnailSize size,
                              bool write = true);

}  // namespace kolvaro
