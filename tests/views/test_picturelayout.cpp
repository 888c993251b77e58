// The picture control's arithmetic with plain numbers: layout, the two
// conversions and the mapping between the stored and the upright grid.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "views/picturelayout.h"

namespace kolvaro {
namespace {

TEST(PictureLayout, FitsCentredAndTouchesTwoSides) {
  const Rect square{0, 0, 300, 300};
  // Wider than the control: full width, centred vertically (small pictures grow).
  EXPECT_EQ(ComputeDisplayRect(square, 100, 50), (Rect{0, 75, 300, 225}));
  // Taller: full height, centred horizontally.
  EXPECT_EQ(ComputeDisplayRect(square, 50, 100), (Rect{75, 0, 225, 300}));
  // Equal ratios fill the control.
  EXPECT_EQ(ComputeDisplayRect(Rect{0, 0, 300, 150}, 200, 100), (Rect{0, 0, 300, 150}));
  EXPECT_EQ(ComputeDisplayRect(square, 7, 7), square);
  // Height truncated (66.67 -> 66), then centred on integer halves: 50 - 33.
  EXPECT_EQ(ComputeDisplayRect(Rect{0, 0, 100, 100}, 3, 2), (Rect{0, 17, 100, 83}));
  // 6000 x 4000 is a hair wider than 1280 x 853: width 1279.5 -> 1279, and
  // the centres 640 and 639 put it one pixel in.
  EXPECT_EQ(ComputeDisplayRect(Rect{0, 0, 1280, 853}, 6000, 4000), (Rect{1, 0, 1280, 853}));
  // Odd client width: centre 101 / 2 = 50.
  EXPECT_EQ(ComputeDisplayRect(Rect{0, 0, 101, 50}, 1, 1), (Rect{25, 0, 75, 50}));
}

TEST(PictureLayout, DegenerateSizesGiveEmptyRectangles) {
  EXPECT_EQ(ComputeDisplayRect(Rect{0, 0, 300, 300}, 0, 0), Rect{});
  EXPECT_EQ(ComputeDisplayRect(Rect{0, 0, 300, 300}, 0, 10), Rect{});
  // A control of no size (before its owner lays it out).
  const Rect none = ComputeDisplayRect(Rect{0, 0, 0, 0}, 640, 480);
  EXPECT_EQ(none.right - none.left, 0);
  EXPECT_EQ(none.bottom - none.top, 0);
  const Rect flat = ComputeDisplayRect(Rect{0, 0, 200, 0}, 640, 480);
  EXPECT_EQ(flat.right - flat.left, 0);
  // Extreme aspect ratios stay inside the control.
  const Rect thin = ComputeDisplayRect(Rect{0, 0, 300, 300}, 4000000000u, 1);
  EXPECT_EQ(thin, (Rect{0, 150, 300, 150}));
}

TEST(PictureLayout, TruncToIntSaturatesAndTruncatesTowardZero) {
  EXPECT_EQ(TruncToInt(2.9), 2);
  EXPECT_EQ(TruncToInt(-2.9), -2);
  EXPECT_EQ(TruncToInt(std::nan("")), 0);
  EXPECT_EQ(TruncToInt(1e300), INT_MAX);
  EXPECT_EQ(TruncToInt(-std::numeric_limits<double>::infinity()), INT_MIN);
}

TEST(PictureLayout, MarkedRectangleIsClampedToThePicture) {
  EXPECT_EQ(ClampToPicture(Rect(-5, -1, 500, 301), 400, 300), Rect(0, 0, 400, 300));
  EXPECT_EQ(ClampToPicture(Rect(10, 20, 30, 40), 400, 300), Rect(10, 20, 30, 40));
}

TEST(PictureConversion, PictureToClientScalesByWidthOnBothAxes) {
  const Rect display{0, 75, 300, 225};  // 100 x 50 picture in 300 x 300
  EXPECT_EQ(PictureToClientRect(Rect{10, 20, 30, 40}, display, 100), (Rect{30, 135, 90, 195}));
  // Truncation after the multiplication: 100 * 1 / 7 = 14.28.
  const Rect off{3, 5, 103, 105};
  EXPECT_EQ(PictureToClientRect(Rect{1, 1, 6, 6}, off, 7), (Rect{17, 19, 88, 90}));
  // Points outside the picture stay outside.
  EXPECT_EQ(PictureToClientRect(Rect{-10, -10, 0, 0}, display, 100), (Rect{-30, 45, 0, 75}));
}

TEST(PictureConversion, ClientToPictureDividesFirst) {
  const Rect display{0, 75, 300, 225};
  EXPECT_EQ(ClientToPictureRect(Rect{30, 135, 90, 195}, display, 100), (Rect{10, 20, 30, 40}));
  // 22 * (15 / 22) is 14.999... in doubles: the stored rectangle ends one
  // pixel short where the mouse position (multiplied first) reads 15.
  const Rect same{0, 0, 22, 22};
  EXPECT_EQ(ClientToPictureRect(Rect{15, 15, 15, 15}, same, 22), (Rect{14, 14, 14, 14}));
  EXPECT_EQ(MouseToPicture(15, 15, same, 22), (PicturePoint{15, 15}));
  // Reversed input stays reversed: normalising is the caller's step.
  EXPECT_EQ(ClientToPictureRect(Rect{90, 195, 30, 135}, display, 100), (Rect{30, 40, 10, 20}));
}

TEST(PictureConversion, MousePositionUsesDisplayOrigin) {
  const Rect display{75, 0, 225, 300};  // 50 x 100 picture in 300 x 300
  EXPECT_EQ(MouseToPicture(75, 0, display, 50), (PicturePoint{0, 0}));
  EXPECT_EQ(MouseToPicture(150, 150, display, 50), (PicturePoint{25, 50}));
  // Left of the picture: negative, sent as it is.
  EXPECT_EQ(MouseToPicture(10, 299, display, 50), (PicturePoint{-21, 99}));
}

TEST(PictureConversion, NoPictureGivesWellDefinedValues) {
  EXPECT_EQ(ClientToPictureRect(Rect{1, 2, 3, 4}, Rect{}, 0), Rect{});
  EXPECT_EQ(ClientToPictureRect(Rect{1, 2, 3, 4}, Rect{5, 5, 5, 5}, 100), Rect{});
  EXPECT_EQ(MouseToPicture(7, 8, Rect{}, 0), PicturePoint{});
  EXPECT_EQ(PictureToClientRect(Rect{1, 2, 3, 4}, Rect{5, 6, 5, 6}, 0), (Rect{5, 6, 5, 6}));
  // Huge coordinates saturate instead of overflowing.
  const Rect big = PictureToClientRect(Rect{INT_MAX, INT_MIN, 0, 0}, Rect{10, 10, 1010, 510}, 1);
  EXPECT_EQ(big.left, INT_MAX);
  EXPECT_EQ(big.top, INT_MIN);
}

// Where the stored top-left 20 x 10 block of a 60 x 40 picture appears once
// the picture stands upright.
TEST(PictureOrientation, StoredBlockLandsWhereTheTurnedPictureShowsIt) {
  const Rect block{0, 0, 20, 10};
  const Rect expected[9] = {
      {},
      {0, 0, 20, 10},    // 1 as stored
      {40, 0, 60, 10},   // 2 mirrored
      {40, 30, 60, 40},  // 3 half turn
      {0, 30, 20, 40},   // 4 flipped
      {0, 0, 10, 20},    // 5 transposed (40 x 60)
      {30, 0, 40, 20},   // 6 quarter turn clockwise: top-left goes top-right
      {30, 40, 40, 60},  // 7 transversed: bottom-right
      {0, 40, 10, 60},   // 8 quarter turn anticlockwise: bottom-left
  };
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE(o);
    EXPECT_EQ(StoredToDisplayed(block, 60, 40, o), expected[o]);
    EXPECT_EQ(DisplayedToStored(expected[o], 60, 40, o), block);
  }
  // Unknown values are treated as upright.
  EXPECT_EQ(StoredToDisplayed(block, 60, 40, 0), block);
  EXPECT_EQ(StoredToDisplayed(block, 60, 40, 9), block);
  EXPECT_FALSE(OrientationSwapsAxes(4));
  EXPECT_TRUE(OrientationSwapsAxes(5));
}

TEST(PictureOrientation, PixelsMapOntoPixelsNotOneBeyond) {
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE(o);
    // Every displayed corner pixel is a stored corner pixel.
    const int dw = OrientationSwapsAxes(o) ? 40 : 60;
    const int dh = OrientationSwapsAxes(o) ? 60 : 40;
    for (PicturePoint p : {PicturePoint{0, 0}, PicturePoint{dw - 1, 0}, PicturePoint{0, dh - 1},
                           PicturePoint{dw - 1, dh - 1}}) {
      const PicturePoint s = DisplayedPixelToStored(p, 60, 40, o);
      EXPECT_TRUE((s.x == 0 || s.x == 59) && (s.y == 0 || s.y == 39)) << s.x << "," << s.y;
      // The pixel maps back onto itself as a one-pixel rectangle.
      EXPECT_EQ(StoredToDisplayed(Rect{s.x, s.y, s.x + 1, s.y + 1}, 60, 40, o),
                (Rect{p.x, p.y, p.x + 1, p.y + 1}));
    }
  }
  // Rotated clockwise, the displayed top-left pixel was the stored bottom-left.
  EXPECT_EQ(DisplayedPixelToStored(PicturePoint{0, 0}, 60, 40, 6), (PicturePoint{0, 39}));
  EXPECT_EQ(DisplayedPixelToStored(PicturePoint{0, 0}, 60, 40, 2), (PicturePoint{59, 0}));
}

}  // namespace
}  // namespace kolvaro
