#pragma once
// The title tip's arithmetic without a display: which persons' rectangles lie
// under the pointer, and where the tip goes so that it stays on the screen.
// Tests call these with plain numbers; ZTitleTip measures the text and
// places its window by them.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/types.h"
#include "views/picturelayout.h"

namespace kolvaro {

class CPersonenEx;

/// The names of the persons under a point and the area their rectangles share.
struct NamesUnderPoint {
  std::string text;  ///< empty when no rectangle holds the point
  Rect common;       ///< picture pixels; meaningless while text is empty
};

/// Whether the pixel p lies in r (right and bottom exclusive).
bool RectContains(const Rect& r, PicturePoint p);

/// The person-rectangle map of the shown picture (person id -> rectangle in
/// the stored grid) and a point of that grid: the names of every person whose
/// rectangle holds the point, in the map's order, joined by " \r\n " and with
/// one more space at the end; the common area is the first such rectangle
/// cut down by each further one.
NamesUnderPoint FindNamesUnderPoint(const std::map<std::uint32_t, Rect>& personRects,
                                    const CPersonenEx& persons, PicturePoint p);

/// What the tip's font says about its text; one width per line.
struct TipTextMetrics {
  std::vector<int> lineWidths;  ///< at least one entry (the last line)
  int lineHeight = 0;           ///< ascent + descent
  int externalLeading = 0;      ///< extra space between two lines
  int descent = 0;
  int overhang = 0;
  int averageCharWidth = 0;
};

/// Where the tip may go, in screen coordinates.
struct TipLimits {
  Rect screen;                 ///< the screen the target lies on
  std::int32_t ownerLeft = 0;  ///< left edge of the owner's client area
};

struct TipGeometry {
  Rect textOffset;  ///< kept as the tip's text offset, shifted with the tip
  Rect tip;         ///< where the text is drawn (screen)
  Rect window;      ///< where the window goes (screen): the tip plus its margins
};

/// The tip over `target` (screen coordinates): starts at its top-left, as
/// wide as the widest line (limited to maxLength average characters when that
/// is positive), as high as the lines; then moved left to stay 8 pixels off
/// the screen's right edge, but not beyond the owner's left edge, and cut at
/// the limits.
TipGeometry ComputeTipGeometry(const Rect& target, std::int32_t xOffset, int maxLength,
                               const TipTextMetrics& metrics, const TipLimits& limits);

}  // namespace kolvaro
