#include "views/picturelayout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace kolvaro {

namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();

std::int32_t Saturate(std::int64_t v) { return static_cast<std::int32_t>(std::clamp(v, kMin, kMax)); }

// Picture x or y to client: the scale is display width / picture width on
// both axes, multiplied before dividing.
std::int32_t ToClient(std::int32_t v, std::int32_t displayWidth, unsigned picW, std::int32_t origin) {
  const double scaled = static_cast<double>(displayWidth) * v / static_cast<double>(picW);
  // Within +-2^62 the sum below cannot overflow; beyond, it saturates anyway.
  const double bounded = std::clamp(scaled, -0x1p62, 0x1p62);
  return Saturate(static_cast<std::int64_t>(bounded) + origin);
}

// Client x or y to picture: the division comes first.
std::int32_t ToPicture(std::int32_t v, std::int32_t displayWidth, unsigned picW, std::int32_t origin) {
  const double offset = static_cast<double>(static_cast<std::int64_t>(v) - origin);
  return TruncToInt(static_cast<double>(picW) * (offset / static_cast<double>(displayWidth)));
}

struct Edge {
  std::int64_t x;
  std::int64_t y;
};

// One pixel-edge point of the stored grid (w x h) in the displayed grid.
Edge MapEdge(Edge p, std::int64_t w, std::int64_t h, int orientation) {
  switch (orientation) {
    case 2: return {w - p.x, p.y};        // mirrored
    case 3: return {w - p.x, h - p.y};    // turned half round
    case 4: return {p.x, h - p.y};        // flipped
    case 5: return {p.y, p.x};            // transposed
    case 6: return {h - p.y, p.x};        // turned a quarter clockwise to stand upright
    case 7: return {h - p.y, w - p.x};    // transversed
    case 8: return {p.y, w - p.x};        // turned a quarter anticlockwise
    default: return p;
  }
}

int InverseOrientation(int orientation) {
  if (orientation == 6) return 8;
  if (orientation == 8) return 6;
  return orientation;
}

}  // namespace

std::int32_t TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= static_cast<double>(kMax)) return static_cast<std::int32_t>(kMax);
  if (v <= static_cast<double>(kMin)) return static_cast<std::int32_t>(kMin);
  return static_cast<std::int32_t>(v);  // truncates toward zero
}

Rect ComputeDisplayRect(const Rect& client, unsigned picW, unsigned picH) {
  if (picW == 0 || picH == 0) return Rect{};
  const std::int64_t kw = static_cast<std::int64_t>(client.right) - client.left;
  const std::int64_t kh = static_cast<std::int64_t>(client.bottom) - client.top;
  const double clientRatio = static_cast<double>(kh) / static_cast<double>(kw);
  const double pictureRatio = static_cast<double>(picH) / static_cast<double>(picW);
  std::int64_t dw = 0;
  std::int64_t dh = 0;
  if (pictureRatio < clientRatio) {
    dw = kw;
    dh = TruncToInt(static_cast<double>(kw) * picH / picW);
  } else {
    dh = kh;
    dw = TruncToInt(static_cast<double>(kh) * picW / picH);
  }
  const std::int64_t dx = (static_cast<std::int64_t>(client.left) + client.right) / 2 - dw / 2;
  const std::int64_t dy = (static_cast<std::int64_t>(client.top) + client.bottom) / 2 - dh / 2;
  return Rect{Saturate(dx), Saturate(dy), Saturate(dx + dw), Saturate(dy + dh)};
}

Rect PictureToClientRect(const Rect& r, const Rect& display, unsigned picW) {
  if (picW == 0) return Rect{display.left, display.top, display.left, display.top};
  const std::int32_t dw = Saturate(static_cast<std::int64_t>(display.right) - display.left);
  return Rect{ToClient(r.left, dw, picW, display.left), ToClient(r.top, dw, picW, display.top),
              ToClient(r.right, dw, picW, display.left), ToClient(r.bottom, dw, picW, display.top)};
}

Rect ClientToPictureRect(const Rect& r, const Rect& display, unsigned picW) {
  const std::int32_t dw = Saturate(static_cast<std::int64_t>(display.right) - display.left);
  if (dw == 0 || picW == 0) return Rect{};
  return Rect{ToPicture(r.left, dw, picW, display.left), ToPicture(r.top, dw, picW, display.top),
              ToPicture(r.right, dw, picW, display.left), ToPicture(r.bottom, dw, picW, display.top)};
}

PicturePoint MouseToPicture(std::int32_t x, std::int32_t y, const Rect& display, unsigned picW) {
  const std::int64_t dw = static_cast<std::int64_t>(display.right) - display.left;
  if (dw == 0 || picW == 0) return PicturePoint{};
  const double ox = static_cast<double>(static_cast<std::int64_t>(x) - display.left);
  const double oy = static_cast<double>(static_cast<std::int64_t>(y) - display.top);
  return PicturePoint{TruncToInt(ox * picW / static_cast<double>(dw)),
                      TruncToInt(oy * picW / static_cast<double>(dw))};
}

int NormaliseOrientation(int orientation) { return orientation >= 1 && orientation <= 8 ? orientation : 1; }

bool OrientationSwapsAxes(int orientation) { return NormaliseOrientation(orientation) >= 5; }

Rect NormaliseRect(const Rect& r) {
  return Rect{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
              std::max(r.top, r.bottom)};
}

Rect StoredToDisplayed(const Rect& r, unsigned storedW, unsigned storedH, int orientation) {
  orientation = NormaliseOrientation(orientation);
  const Edge a = MapEdge({r.left, r.top}, storedW, storedH, orientation);
  const Edge b = MapEdge({r.right, r.bottom}, storedW, storedH, orientation);
  return NormaliseRect(Rect{Saturate(a.x), Saturate(a.y), Saturate(b.x), Saturate(b.y)});
}

Rect DisplayedToStored(const Rect& r, unsigned storedW, unsigned storedH, int orientation) {
  orientation = NormaliseOrientation(orientation);
  if (OrientationSwapsAxes(orientation)) std::swap(storedW, storedH);
  return StoredToDisplayed(r, storedW, storedH, InverseOrientation(orientation));
}

PicturePoint DisplayedPixelToStored(PicturePoint p, unsigned storedW, unsigned storedH, int orientation) {
  const Rect pixel{p.x, p.y, Saturate(static_cast<std::int64_t>(p.x) + 1),
                   Saturate(static_cast<std::int64_t>(p.y) + 1)};
  const Rect stored = DisplayedToStored(pixel, storedW, storedH, orientation);
  return PicturePoint{stored.left, stored.top};
}

Rect ClampToPicture(const Rect& r, unsigned width, unsigned height) {
  const auto limit = [](unsigned v) {
    return static_cast<std::int32_t>(std::min<unsigned>(v, std::numeric_limits<std::int32_t>::max()));
  };
  return Rect{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, limit(width)),
              std::min(r.bottom, limit(height))};
}

}  // namespace kolvaro
