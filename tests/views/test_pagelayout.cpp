// The page-setup arithmetic with plain numbers on an A4 page.
#include <gtest/gtest.h>

#include "core/ports/settings.h"
#include "views/pagelayout.h"

namespace kolvaro {
namespace {

constexpr PageSize kA4{210, 297};

PageLayout WithRect(std::int32_t width, std::int32_t height) {
  PageLayout l;
  l.m_nWidth = width;
  l.m_nHeight = height;
  return l;
}

TEST(PageLayout, PresetsPlaceTheRectangle) {
  struct Case {
    const char* what;
    PageLayout start;
    int item;
    Rect borders;  // left, top, right, bottom
    std::int32_t width, height;
  };
  const Case cases[] = {
      {"3:2 whole page, wide", WithRect(150, 100), 1, {10, 10, 10, 160}, 190, 127},
      {"4:3 upper half, tall", WithRect(160, 120), 2, {10, 10, 21, 153}, 179, 134},
      {"3:2 upper left quarter, wide", WithRect(150, 100), 6, {10, 10, 110, 227}, 90, 60},
      {"portrait right half fills the height", WithRect(100, 300), 5, {108, 10, 10, 10}, 92, 277},
      {"portrait lower left quarter keeps e from the upper", WithRect(100, 300), 8, {10, 153, 155, 10}, 45, 134},
      {"no rectangle: the photo's 4:3", WithRect(0, 0), 1, {10, 10, 10, 144}, 190, 143},
      {"item 0 changes nothing", WithRect(150, 100), 0, {20, 20, 20, 146}, 150, 100},
  };
  for (const Case& c : cases) {
    PageLayout l = c.start;
    l.m_bCenterOnPage = l.m_bUseWholePage = true;
    ApplyPreset(l, kA4, c.item);
    EXPECT_EQ((Rect{l.m_nBorderLeft, l.m_nBorderTop, l.m_nBorderRight, l.m_nBorderBottom}), c.borders) << c.what;
    EXPECT_EQ(l.m_nWidth, c.width) << c.what;
    EXPECT_EQ(l.m_nHeight, c.height) << c.what;
    EXPECT_EQ(l.m_bCenterOnPage, c.item == 0) << c.what;
  }
}

TEST(PageLayout, FitCentreAndWholePage) {
  PageLayout l;  // 1280 x 960 in the default borders 20 / 20 / 20 / 146
  ASSERT_TRUE(FitToPhoto(l, kA4));
  EXPECT_EQ(l.m_nWidth, 170);
  EXPECT_EQ(l.m_nHeight, 127);  // 20 + 170 * 3 / 4 truncated
  EXPECT_EQ(l.m_nBorderBottom, 150);

  PageLayout c;
  c.m_bCenterOnPage = true;
  CenterIfAsked(c);
  EXPECT_EQ(c.m_nBorderTop, 83);
  EXPECT_EQ(c.m_nBorderBottom, 83);

  PageLayout whole;
  whole.m_bKeepAspectRatio = false;
  UseWholePage(whole, kA4);
  EXPECT_EQ((Rect{whole.m_nBorderLeft, whole.m_nBorderTop, whole.m_nBorderRight, whole.m_nBorderBottom}), Rect{});
  EXPECT_EQ(whole.m_nWidth, 210);
  EXPECT_EQ(whole.m_nHeight, 297);
  // With the ratio a 4:3 photo fills the width from the top-left corner.
  PageLayout wide;
  UseWholePage(wide, kA4);
  EXPECT_EQ(PictureOnPage(wide, kA4), (Rect{0, 0, 210, 158}));
}

TEST(PageLayout, NoPhotoSizeDividesByNothing) {
  PageLayout l;
  l.m_nPhotoWidth = l.m_nPhotoHeight = 0;
  const PageLayout stored = l;
  EXPECT_FALSE(FitToPhoto(l, kA4));
  EXPECT_EQ(l, stored);
  l.m_nBorderTop = 30;
  TopOrBottomChanged(l, kA4);  // height from the borders, no ratio to keep
  EXPECT_EQ(l.m_nHeight, 121);
  EXPECT_EQ(l.m_nWidth, stored.m_nWidth);
  HeightChanged(l, kA4);
  WidthChanged(l, kA4);
  LeftOrRightChanged(l, kA4);
  l.m_nWidth = l.m_nHeight = 0;
  ApplyPreset(l, kA4, 6);  // neither rectangle nor photo: the quarter's own ratio
  EXPECT_GT(l.m_nWidth, 0);
  EXPECT_EQ(ComputePreview(100, 100, PageSize{0, 0}, Rect{}).page, Rect{});
}

TEST(PageLayout, PreviewScalesPageAndPictureAlike) {
  // 297 high into 150: the page is 106 x 150, centred at x = 100 - 53.
  const PreviewRects p = ComputePreview(200, 150, kA4, Rect{20, 20, 190, 151});
  EXPECT_EQ(p.page, (Rect{47, 0, 153, 150}));
  EXPECT_EQ(p.picture, (Rect{57, 10, 142, 76}));
  // Too narrow for that height: the width decides.
  EXPECT_EQ(ComputePreview(50, 150, kA4, Rect{}).page, (Rect{0, 40, 50, 110}));
}

TEST(PageLayout, TwelveValuesRoundTripThroughTheSettings) {
  CMemorySettings settings;
  EXPECT_EQ(LoadPageLayout(settings), PageLayout{});
  PageLayout l{640, 480, 1, 2, 3, 4, true, 5, true, 6, false, 7};
  SavePageLayout(settings, l);
  EXPECT_EQ(LoadPageLayout(settings), l);
  EXPECT_EQ(settings.GetInt("Layout", "KeepAspectRatio", 1), 0);
  EXPECT_EQ(settings.GetInt("Layout", "TargetBorder", 0), 7);
  // A hand-edited file's extremes are held where no rule can overflow.
  settings.SetInt("Layout", "TargetBorder", 2147483647);
  settings.SetInt("Layout", "PhotoHeight", -3);
  const PageLayout held = LoadPageLayout(settings);
  EXPECT_EQ(held.m_nTargetBorder, kLayoutLimit);
  EXPECT_EQ(held.m_nPhotoHeight, 0);
}

}  // namespace
}  // namespace kolvaro
