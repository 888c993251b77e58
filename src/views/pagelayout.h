#pragma once
// Where the shown picture lands on the printed page: the twelve layout values
// of section "Layout" and the page-setup arithmetic on them, in whole
// millimetres. No display needed: the dialog and the printing only call these.

#include <cstdint>

#include "core/types.h"

namespace kolvaro {

class ISettings;

/// Millimetres a layout value may hold. Far beyond any paper, and small
/// enough that no rule's sums overflow; larger stored values are held to it.
constexpr std::int32_t kLayoutLimit = 100000;
/// Pixel sides a stored photo size may have.
constexpr std::int32_t kPhotoLimit = 1 << 20;

struct PageLayout {
  std::int32_t m_nPhotoWidth = 1280;  // pixels, for the aspect ratio
  std::int32_t m_nPhotoHeight = 960;
  std::int32_t m_nBorderBottom = 146;
  std::int32_t m_nBorderLeft = 20;
  std::int32_t m_nBorderRight = 20;
  std::int32_t m_nBorderTop = 20;
  bool m_bCenterOnPage = false;
  // Signed here: the edit rules may leave them negative for a moment; the
  // dialog refuses to accept a negative one.
  std::int32_t m_nHeight = 122;
  bool m_bUseWholePage = false;
  std::int32_t m_nWidth = 162;
  bool m_bKeepAspectRatio = true;
  std::int32_t m_nTargetBorder = 10;

  friend bool operator==(const PageLayout&, const PageLayout&) = default;
};

/// The printable area in millimetres.
struct PageSize {
  std::int32_t width = 210;
  std::int32_t height = 297;
};

PageLayout LoadPageLayout(ISettings& settings);
void SavePageLayout(ISettings& settings, const PageLayout& layout);

/// Fits the rectangle to the photo's ratio inside the stored borders; false
/// (and nothing changed) when the photo has no pixel size.
bool FitToPhoto(PageLayout& l, PageSize page);
/// Centres the rectangle when CenterOnPage is set (the redisplay step).
void CenterIfAsked(PageLayout& l);

/// The edit rules, each after the named field changed; each ends centred if asked.
void TopOrBottomChanged(PageLayout& l, PageSize page);
void LeftOrRightChanged(PageLayout& l, PageSize page);
void HeightChanged(PageLayout& l, PageSize page);
void WidthChanged(PageLayout& l, PageSize page);
/// "&Ganze Seite" just checked: fills the page in one dimension from the top-left.
void UseWholePage(PageLayout& l, PageSize page);

/// The presets of string 1066; item 0 and unknown items change nothing.
void ApplyPreset(PageLayout& l, PageSize page, int item);

/// The picture's rectangle on the page, millimetres (left, top, right, bottom).
Rect PictureOnPage(const PageLayout& l, PageSize page);

/// The preview's page and picture rectangles in a client area of
/// `clientWidth` x `clientHeight` pixels.
struct PreviewRects {
  Rect page;
  Rect picture;
};
PreviewRects ComputePreview(int clientWidth, int clientHeight, PageSize page, const Rect& picture);

}  // namespace kolvaro
