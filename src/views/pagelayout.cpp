#include "views/pagelayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/ports/settings.h"

namespace kolvaro {
namespace {

constexpr const char* kSection = "Layout";

// Adds a half and truncates toward zero; a degenerate ratio's result is held
// to ten times the limit, so the sums after it stay far inside int32.
std::int32_t Nearest(double x) {
  if (!std::isfinite(x)) return 0;
  constexpr double bound = 10.0 * kLayoutLimit;
  return static_cast<std::int32_t>(std::clamp(std::trunc(x + 0.5), -bound, bound));
}

std::int32_t Millimetres(ISettings& s, const char* name, std::int32_t def) {
  return std::clamp(s.GetInt(kSection, name, def), -kLayoutLimit, kLayoutLimit);
}
std::int32_t Pixels(ISettings& s, const char* name, std::int32_t def) {
  return std::clamp(s.GetInt(kSection, name, def), 0, kPhotoLimit);
}

bool HasPhotoSize(const PageLayout& l) { return l.m_nPhotoWidth > 0 && l.m_nPhotoHeight > 0; }

}  // namespace

PageLayout LoadPageLayout(ISettings& s) {
  PageLayout l;
  l.m_nPhotoWidth = Pixels(s, "PhotoWidth", l.m_nPhotoWidth);
  l.m_nPhotoHeight = Pixels(s, "PhotoHeight", l.m_nPhotoHeight);
  l.m_nBorderBottom = Millimetres(s, "BorderBottom", l.m_nBorderBottom);
  l.m_nBorderLeft = Millimetres(s, "BorderLeft", l.m_nBorderLeft);
  l.m_nBorderRight = Millimetres(s, "BorderRight", l.m_nBorderRight);
  l.m_nBorderTop = Millimetres(s, "BorderTop", l.m_nBorderTop);
  l.m_bCenterOnPage = s.GetInt(kSection, "CenterOnPage", 0) != 0;
  l.m_nHeight = Millimetres(s, "Height", l.m_nHeight);
  l.m_bUseWholePage = s.GetInt(kSection, "UseWholePage", 0) != 0;
  l.m_nWidth = Millimetres(s, "Width", l.m_nWidth);
  l.m_bKeepAspectRatio = s.GetInt(kSection, "KeepAspectRatio", 1) != 0;
  l.m_nTargetBorder = Millimetres(s, "TargetBorder", l.m_nTargetBorder);
  return l;
}

void SavePageLayout(ISettings& s, const PageLayout& l) {
  s.SetInt(kSection, "PhotoWidth", l.m_nPhotoWidth);
  s.SetInt(kSection, "PhotoHeight", l.m_nPhotoHeight);
  s.SetInt(kSection, "BorderBottom", l.m_nBorderBottom);
  s.SetInt(kSection, "BorderLeft", l.m_nBorderLeft);
  s.SetInt(kSection, "BorderRight", l.m_nBorderRight);
  s.SetInt(kSection, "BorderTop", l.m_nBorderTop);
  s.SetInt(kSection, "CenterOnPage", l.m_bCenterOnPage ? 1 : 0);
  s.SetInt(kSection, "Height", l.m_nHeight);
  s.SetInt(kSection, "UseWholePage", l.m_bUseWholePage ? 1 : 0);
  s.SetInt(kSection, "Width", l.m_nWidth);
  s.SetInt(kSection, "KeepAspectRatio", l.m_bKeepAspectRatio ? 1 : 0);
  s.SetInt(kSection, "TargetBorder", l.m_nTargetBorder);
}

bool FitToPhoto(PageLayout& l, PageSize page) {
  if (!HasPhotoSize(l)) return false;
  const std::int64_t left = l.m_nBorderLeft, top = l.m_nBorderTop;
  std::int64_t right = page.width - l.m_nBorderRight;
  std::int64_t bottom = page.height - l.m_nBorderBottom;
  const std::int64_t u = top + (right - left) * l.m_nPhotoHeight / l.m_nPhotoWidth;
  if (u <= bottom) {
    l.m_nBorderBottom = static_cast<std::int32_t>(page.height - u);
  } else {
    right = left + (bottom - top) * l.m_nPhotoWidth / l.m_nPhotoHeight;
    l.m_nBorderRight = static_cast<std::int32_t>(page.width - right);
  }
  l.m_nWidth = page.width - l.m_nBorderLeft - l.m_nBorderRight;
  l.m_nHeight = page.height - l.m_nBorderBottom - l.m_nBorderTop;
  return true;
}

void CenterIfAsked(PageLayout& l) {
  if (!l.m_bCenterOnPage) return;
  const std::int32_t a = l.m_nBorderTop + l.m_nBorderBottom;
  l.m_nBorderTop = a / 2;
  l.m_nBorderBottom = a - a / 2;
  const std::int32_t b = l.m_nBorderRight + l.m_nBorderLeft;
  l.m_nBorderLeft = b / 2;
  l.m_nBorderRight = b - b / 2;
}

void TopOrBottomChanged(PageLayout& l, PageSize page) {
  l.m_nHeight = page.height - l.m_nBorderTop - l.m_nBorderBottom;
  if (l.m_bKeepAspectRatio && HasPhotoSize(l)) {
    l.m_nWidth = Nearest(double(l.m_nPhotoWidth) * l.m_nHeight / l.m_nPhotoHeight);
    l.m_nBorderRight = page.width - l.m_nBorderLeft - l.m_nWidth;
  }
  CenterIfAsked(l);
}

void LeftOrRightChanged(PageLayout& l, PageSize page) {
  l.m_nWidth = page.width - l.m_nBorderRight - l.m_nBorderLeft;
  if (l.m_bKeepAspectRatio && HasPhotoSize(l)) {
    l.m_nHeight = Nearest(double(l.m_nPhotoHeight) * l.m_nWidth / l.m_nPhotoWidth);
    l.m_nBorderBottom = page.height - l.m_nBorderTop - l.m_nHeight;
  }
  CenterIfAsked(l);
}

void HeightChanged(PageLayout& l, PageSize page) {
  if (l.m_bKeepAspectRatio && HasPhotoSize(l))
    l.m_nWidth = Nearest(double(l.m_nHeight) * l.m_nPhotoWidth / l.m_nPhotoHeight);
  l.m_nBorderBottom = page.height - l.m_nHeight - l.m_nBorderTop;
  l.m_nBorderRight = page.width - l.m_nWidth - l.m_nBorderLeft;
  CenterIfAsked(l);
}

void WidthChanged(PageLayout& l, PageSize page) {
  if (l.m_bKeepAspectRatio && HasPhotoSize(l))
    l.m_nHeight = Nearest(double(l.m_nWidth) * l.m_nPhotoHeight / l.m_nPhotoWidth);
  l.m_nBorderBottom = page.height - l.m_nHeight - l.m_nBorderTop;
  l.m_nBorderRight = page.width - l.m_nWidth - l.m_nBorderLeft;
  CenterIfAsked(l);
}

void UseWholePage(PageLayout& l, PageSize page) {
  l.m_nBorderTop = 0;
  TopOrBottomChanged(l, page);
  l.m_nBorderLeft = 0;
  LeftOrRightChanged(l, page);
  l.m_nBorderRight = 0;
  LeftOrRightChanged(l, page);
  l.m_nBorderBottom = 0;
  TopOrBottomChanged(l, page);
  if (l.m_nBorderRight < 0) {  // too wide for the page
    l.m_nBorderRight = 0;
    l.m_nBorderLeft = 0;
    LeftOrRightChanged(l, page);
  }
}

void ApplyPreset(PageLayout& l, PageSize page, int item) {
  if (item < 1 || item > 9 || page.width <= 0 || page.height <= 0) return;
  l.m_bCenterOnPage = false;
  l.m_bUseWholePage = false;
  const std::int32_t e = l.m_nTargetBorder, W = page.width, H = page.height;
  double X = double(W) / H;
  if (item == 2 || item == 3) X = 2.0 * W / H;
  if (item == 4 || item == 5) X = double(W) / (2.0 * H);
  // A rectangle with no size has no ratio: the photo's, else the region's own.
  double r = l.m_nHeight > 0 && l.m_nWidth > 0 ? double(l.m_nWidth) / l.m_nHeight : 0.0;
  if (r <= 0.0) r = HasPhotoSize(l) ? double(l.m_nPhotoWidth) / l.m_nPhotoHeight : X;
  const bool wide = r > X;
  std::int32_t& left = l.m_nBorderLeft;
  std::int32_t& top = l.m_nBorderTop;
  std::int32_t& right = l.m_nBorderRight;
  std::int32_t& bottom = l.m_nBorderBottom;
  std::int32_t& width = l.m_nWidth;
  std::int32_t& height = l.m_nHeight;
  // The size from the width (wide) or from the height (tall).
  const auto byWidth = [&] { height = Nearest(width / r); };
  const auto byHeight = [&] { width = Nearest(height * r); };
  switch (item) {
    case 1:  // whole page
    case 2:  // upper half
      left = e, top = e;
      if (wide) {
        right = e, width = W - 2 * e, byWidth(), bottom = H - height - e;
      } else {
        bottom = item == 1 ? e : (H + e) / 2;
        height = H - bottom - e, byHeight(), right = W - width - e;
      }
      break;
    case 3:  // lower half
      left = e, bottom = e;
      if (wide) {
        right = e, width = W - 2 * e, byWidth(), top = H - height - e;
      } else {
        top = (H + e) / 2, height = H - top - e, byHeight(), right = W - width - e;
      }
      break;
    case 4:  // left half
    case 5:  // right half
      (item == 4 ? left : right) = e;
      top = e;
      if (wide) {
        (item == 4 ? right : left) = (W + e) / 2;
        width = W - (W + e) / 2 - e, byWidth(), bottom = H - height - e;
      } else {
        // Tall: the full height between the target borders, as the other
        // presets fill their region's height.
        bottom = e, height = H - 2 * e, byHeight();
        (item == 4 ? right : left) = W - width - e;
      }
      break;
    default: {  // quarters: 6 upper left, 7 upper right, 8 lower left, 9 lower right
      const bool upper = item == 6 || item == 7, leftSide = item == 6 || item == 8;
      (upper ? top : bottom) = e;
      (leftSide ? left : right) = e;
      std::int32_t& across = leftSide ? right : left;
      std::int32_t& along = upper ? bottom : top;
      if (wide) {
        across = (W + e) / 2, width = W - across - e, byWidth(), along = H - height - e;
      } else {
        // Split at (H + e) / 2 like the halves, so an upper and a lower
        // quarter keep e apart instead of overlapping.
        along = (H + e) / 2, height = H - along - e, byHeight(), across = W - width - e;
      }
      break;
    }
  }
}

Rect PictureOnPage(const PageLayout& l, PageSize page) {
  return Rect{l.m_nBorderLeft, l.m_nBorderTop, page.width - l.m_nBorderRight, page.height - l.m_nBorderBottom};
}

PreviewRects ComputePreview(int clientWidth, int clientHeight, PageSize page, const Rect& picture) {
  PreviewRects out;
  if (page.width <= 0 || page.height <= 0 || clientWidth <= 0 || clientHeight <= 0) return out;
  // Scale = num / den, the page's height onto the client's, or its width when that is too wide.
  std::int64_t num = clientHeight, den = page.height;
  if (std::int64_t(page.width) * clientHeight / page.height > clientWidth) num = clientWidth, den = page.width;
  const auto scale = [&](std::int64_t v) { return static_cast<std::int32_t>(v * num / den); };
  const std::int32_t pw = scale(page.width), ph = scale(page.height);
  const std::int32_t x0 = clientWidth / 2 - pw / 2, y0 = clientHeight / 2 - ph / 2;
  out.page = Rect{x0, y0, x0 + pw, y0 + ph};
  out.picture = Rect{x0 + scale(picture.left), y0 + scale(picture.top), x0 + scale(picture.right),
                     y0 + scale(picture.bottom)};
  return out;
}

}  // namespace kolvaro
