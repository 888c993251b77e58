#include "views/titletipgeometry.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "core/tables.h"

namespace kolvaro {

namespace {

constexpr std::string_view kNameSeparator = " \r\n ";
constexpr std::int32_t kScreenMargin = 8;

}  // namespace

bool RectContains(const Rect& r, PicturePoint p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

NamesUnderPoint FindNamesUnderPoint(const std::map<std::uint32_t, Rect>& personRects,
                                    const CPersonenEx& persons, PicturePoint p) {
  NamesUnderPoint result;
  bool first = true;
  for (const auto& [person, rect] : personRects) {
    if (!RectContains(rect, p)) continue;
    if (first) {
      result.common = rect;
      first = false;
    } else {
      result.text += kNameSeparator;
      result.common = Rect{
          std::max(result.common.left, rect.left), std::max(result.common.top, rect.top),
          std::min(result.common.right, rect.right), std::min(result.common.bottom, rect.bottom)};
    }
    result.text += persons.GetName(static_cast<std::int32_t>(person));
  }
  if (!first) result.text += ' ';
  return result;
}

TipGeometry ComputeTipGeometry(const Rect& target, std::int32_t xOffset, int maxLength,
                               const TipTextMetrics& metrics, const TipLimits& limits) {
  TipGeometry g;
  g.textOffset =
      Rect{-xOffset - 1, -1, target.right - target.left - xOffset, target.bottom - target.top + 1};

  // Every line but the last adds its height and the leading; the last adds
  // its height and the descent.
  std::int32_t widest = 0;
  std::int32_t heightSum = 0;
  const std::size_t lines = metrics.lineWidths.size();
  for (std::size_t i = 0; i + 1 < lines; ++i) {
    widest = std::max(widest, metrics.lineWidths[i]);
    heightSum += metrics.lineHeight + metrics.externalLeading;
  }
  const std::int32_t last = lines == 0 ? 0 : metrics.lineWidths.back();

  Rect& tip = g.tip;
  tip.left = target.left + xOffset - 1;
  tip.top = target.top + 2;
  tip.right = tip.left + xOffset + std::max(widest, last) + metrics.overhang;
  tip.bottom = target.top + heightSum + metrics.descent + metrics.lineHeight + 2;
  if (maxLength > 0)
    tip.right = std::min(tip.right, tip.left + maxLength * std::abs(metrics.averageCharWidth));

  const std::int32_t rightLimit = limits.screen.right - kScreenMargin;
  const std::int32_t bottomLimit = limits.screen.bottom - kScreenMargin;
  const std::int32_t leftLimit = limits.ownerLeft;
  if (tip.right > rightLimit) {
    const std::int32_t move = std::min(tip.right - rightLimit, std::max(tip.left - leftLimit, 0));
    tip.left -= move;
    tip.right -= move;
    g.textOffset.right += move;
    tip.right = std::min(tip.right, rightLimit);
  }
  if (tip.left < leftLimit) {
    const std::int32_t move = std::min(leftLimit - tip.left, std::max(rightLimit - tip.right, 0));
    tip.left += move;
    tip.right += move;
    g.textOffset.left -= move;
    tip.left = std::max(tip.left, leftLimit);
  }
  tip.bottom = std::min(tip.bottom, bottomLimit);

  // Three pixels before the text and one above it: room for the border.
  g.window = Rect{tip.left - 3, tip.top - 1, tip.right, tip.bottom - 1};
  return g;
}

}  // namespace kolvaro
