#include "maintenance/xmpgeometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kolvaro {
namespace {

struct Point {
  double x;
  double y;
};

int Normalise(int orientation) { return orientation >= 1 && orientation <= 8 ? orientation : 1; }
bool SwapsAxes(int orientation) { return Normalise(orientation) >= 5; }

// A point of the stored unit square on the upright unit square (EXIF tag 274).
Point ToUpright(Point p, int orientation) {
  switch (Normalise(orientation)) {
    case 2: return {1 - p.x, p.y};
    case 3: return {1 - p.x, 1 - p.y};
    case 4: return {p.x, 1 - p.y};
    case 5: return {p.y, p.x};
    case 6: return {1 - p.y, p.x};
    case 7: return {1 - p.y, 1 - p.x};
    case 8: return {p.y, 1 - p.x};
    default: return p;
  }
}

// 6 and 8 undo each other; every other orientation undoes itself.
int Inverse(int orientation) {
  orientation = Normalise(orientation);
  return orientation == 6 ? 8 : orientation == 8 ? 6 : orientation;
}

NormalisedArea AreaOf(Point a, Point b) {
  return {(a.x + b.x) / 2, (a.y + b.y) / 2, std::fabs(b.x - a.x), std::fabs(b.y - a.y)};
}

NormalisedArea Turn(const NormalisedArea& area, int orientation) {
  const Point a = ToUpright({area.x - area.w / 2, area.y - area.h / 2}, orientation);
  const Point b = ToUpright({area.x + area.w / 2, area.y + area.h / 2}, orientation);
  return AreaOf(a, b);
}

std::int32_t ToPixel(double fraction, unsigned size) {
  const double v = std::clamp(fraction, 0.0, 1.0) * size;
  return static_cast<std::int32_t>(std::min(std::lround(v), static_cast<long>(INT32_MAX)));
}

}  // namespace

void UprightSize(const PictureGeometry& g, unsigned& width, unsigned& height) {
  width = g.width;
  height = g.height;
  if (SwapsAxes(g.orientation)) std::swap(width, height);
}

NormalisedArea StoredRectToArea(const Rect& stored, const PictureGeometry& g) {
  if (g.width == 0 || g.height == 0) return {};
  const double w = g.width;
  const double h = g.height;
  const NormalisedArea inStored = AreaOf({stored.left / w, stored.top / h}, {stored.right / w, stored.bottom / h});
  return Turn(inStored, g.orientation);
}

Rect AreaToStoredRect(const NormalisedArea& area, const PictureGeometry& g) {
  const NormalisedArea s = Turn(area, Inverse(g.orientation));
  return Rect{ToPixel(s.x - s.w / 2, g.width), ToPixel(s.y - s.h / 2, g.height), ToPixel(s.x + s.w / 2, g.width),
              ToPixel(s.y + s.h / 2, g.height)};
}

bool ClipToPicture(Rect& rect, const PictureGeometry& g) {
  const auto limit = [](std::int32_t v, unsigned size) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, std::min<std::int64_t>(size, INT32_MAX)));
  };
  Rect r{limit(std::min(rect.left, rect.right), g.width), limit(std::min(rect.top, rect.bottom), g.height),
         limit(std::max(rect.left, rect.right), g.width), limit(std::max(rect.top, rect.bottom), g.height)};
  if (r.right <= r.left || r.bottom <= r.top) return false;
  rect = r;
  return true;
}

bool AreaForPicture(const NormalisedArea& read, const AppliedTo& applied, const PictureGeometry& g,
                    NormalisedArea& out) {
  out = read;
  const bool dimensions = applied.width > 0 && applied.height > 0 && std::isfinite(applied.width) &&
                          std::isfinite(applied.height);
  if (applied.pixelUnit) {
    if (!dimensions) return false;
    out = {read.x / applied.width, read.y / applied.height, read.w / applied.width, read.h / applied.height};
  }
  for (double v : {out.x, out.y, out.w, out.h})
    if (!std::isfinite(v)) return false;
  if (out.w <= 0 || out.h <= 0) return false;
  // Some programs leave the picture's turn out: their dimensions then have
  // the stored grid's proportions, not the upright one's.
  if (dimensions && SwapsAxes(g.orientation) && g.width != g.height && g.width > 0 && g.height > 0) {
    const double storedMismatch = std::fabs(applied.width * g.height - applied.height * g.width);
    const double uprightMismatch = std::fabs(applied.width * g.width - applied.height * g.height);
    if (storedMismatch < uprightMismatch) out = Turn(out, g.orientation);
  }
  return true;
}

std::string FoldCase(std::string_view name) {
  std::string folded(name);
  for (std::size_t i = 0; i < folded.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(folded[i]);
    if (c >= 'A' && c <= 'Z') {
      folded[i] = static_cast<char>(c + 32);
    } else if (c == 0xC3 && i + 1 < folded.size()) {
      // U+00C0 to U+00DE, except the multiplication sign, have their small
      // letter 0x20 above.
      const unsigned char next = static_cast<unsigned char>(folded[i + 1]);
      if (next >= 0x80 && next <= 0x9E && next != 0x97) folded[i + 1] = static_cast<char>(next + 0x20);
      ++i;
    }
  }
  return folded;
}

NameIndex::NameIndex(const std::vector<NamedId>& records) {
  for (const NamedId& r : records) Add(r);
}

void NameIndex::Add(const NamedId& record) {
  m_exact.emplace(record.name, record.id);
  m_folded.emplace(FoldCase(record.name), record.id);
}

std::int32_t NameIndex::Find(std::string_view name) const {
  if (const auto it = m_exact.find(std::string(name)); it != m_exact.end()) return it->second;
  const auto it = m_folded.find(FoldCase(name));
  return it == m_folded.end() ? -1 : it->second;
}

std::int32_t MatchName(std::string_view name, const std::vector<NamedId>& records) {
  return NameIndex(records).Find(name);
}

}  // namespace kolvaro
