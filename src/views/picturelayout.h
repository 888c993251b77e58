#pragma once
// The picture control's arithmetic, kept free of widgets so that it can be
// checked with plain numbers: where a picture is drawn in a client area, and
// how rectangles move between picture pixels and client coordinates.
//
// Two pixel grids are involved. The stored grid is the file's own (what every
// person rectangle in the album uses); the displayed grid is the upright
// picture after its EXIF orientation. Layout and the client conversions work
// on the displayed grid; StoredToDisplayed/DisplayedToStored bridge the two.

#include <cstdint>

#include "core/types.h"

namespace kolvaro {

/// double -> int32 truncating toward zero, saturating at the int32 limits;
/// NaN gives 0. Keeps degenerate sizes (no picture, zero client) well defined.
std::int32_t TruncToInt(double v);

/// Where a picture of picW x picH is drawn in the client rectangle: scaled to
/// touch two opposite sides, one scale for both axes, centred in integer
/// halves. A picture without pixels gives (0, 0, 0, 0).
Rect ComputeDisplayRect(const Rect& client, unsigned picW, unsigned picH);

/// Picture pixels (displayed grid, width picW) to client coordinates.
Rect PictureToClientRect(const Rect& r, const Rect& display, unsigned picW);
/// Client coordinates to picture pixels (displayed grid, width picW).
Rect ClientToPictureRect(const Rect& r, const Rect& display, unsigned picW);

struct PicturePoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const PicturePoint&, const PicturePoint&) = default;
};
/// The mouse position (client) as a pixel of the displayed grid; outside the
/// display rectangle it lies outside the picture and is kept so.
PicturePoint MouseToPicture(std::int32_t x, std::int32_t y, const Rect& display, unsigned picW);

/// EXIF orientation (tag 274): 1 upright ... 8; anything else counts as 1.
int NormaliseOrientation(int orientation);
/// Whether the orientation swaps width and height (5 to 8).
bool OrientationSwapsAxes(int orientation);

/// A rectangle of the stored grid (storedW x storedH) in the displayed grid.
/// Rectangles are pixel-edge coordinates (right and bottom exclusive), so the
/// mapping is exact and DisplayedToStored undoes it. The result is normalised.
Rect StoredToDisplayed(const Rect& r, unsigned storedW, unsigned storedH, int orientation);
Rect DisplayedToStored(const Rect& r, unsigned storedW, unsigned storedH, int orientation);
/// One pixel (not an edge) of the displayed grid in the stored grid.
PicturePoint DisplayedPixelToStored(PicturePoint p, unsigned storedW, unsigned storedH,
                                    int orientation);

/// The rectangle with left <= right and top <= bottom.
Rect NormaliseRect(const Rect& r);

/// A marked rectangle limited to a picture of width x height: left and top
/// at least 0, right and bottom at most the width and height.
Rect ClampToPicture(const Rect& r, unsigned width, unsigned height);

}  // namespace kolvaro
