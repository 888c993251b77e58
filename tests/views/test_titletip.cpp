// The title tip: the names under the pointer and the tip's place with plain
// numbers; offscreen, that the tip follows the view's picture and goes away
// on a key, a click or when the pointer leaves, leaving both to the picture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include "core/tables.h"
#include "testsupport/description_album.h"
#include "views/imagedescription.h"
#include "views/picturectrl.h"
#include "views/titletip.h"
#include "views/titletipgeometry.h"

namespace kolvaro {
namespace {

TEST(TitleTipGeometry, TipStartsAtTheTargetAndStaysOnTheScreen) {
  const Rect screen{0, 0, 1000, 800};  // limits: right 992, bottom 792
  struct Case {
    const char* what;
    Rect target;
    std::vector<int> widths;
    std::int32_t ownerLeft;
    int maxLength;
    Rect tip;
    Rect textOffset;
  };
  // Lines 16 high with 2 of leading and a descent of 4.
  // clang-format off
  const Case cases[] = {
      {"two lines: the wider one counts, the first adds its leading",
       {100, 200, 180, 300}, {50, 62}, 0, -1, {99, 202, 161, 240}, {-1, -1, 80, 101}},
      {"at the right edge: moved left by the overflow",
       {950, 100, 990, 150}, {80}, 0, -1, {912, 102, 992, 122}, {-1, -1, 77, 51}},
      {"wider than the room left: stops at the owner's edge, cut at the limit",
       {950, 100, 990, 150}, {200}, 900, -1, {900, 102, 992, 122}, {-1, -1, 89, 51}},
      {"left of the owner: moved right",
       {50, 100, 90, 150}, {60}, 100, -1, {100, 102, 160, 122}, {-52, -1, 40, 51}},
      {"near the bottom: cut at the limit",
       {10, 780, 90, 799}, {30}, 0, -1, {9, 782, 39, 792}, {-1, -1, 80, 20}},
      {"limited to three average characters",
       {10, 10, 90, 50}, {80}, 0, 3, {9, 12, 30, 32}, {-1, -1, 80, 41}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TipTextMetrics metrics;
    metrics.lineWidths = c.widths;
    metrics.lineHeight = 16;
    metrics.externalLeading = 2;
    metrics.descent = 4;
    metrics.averageCharWidth = -7;  // the sign does not matter
    const TipGeometry g =
        ComputeTipGeometry(c.target, 0, c.maxLength, metrics, TipLimits{screen, c.ownerLeft});
    EXPECT_EQ(g.tip, c.tip);
    EXPECT_EQ(g.textOffset, c.textOffset);
    EXPECT_EQ(g.window, (Rect{c.tip.left - 3, c.tip.top - 1, c.tip.right, c.tip.bottom - 1}));
  }
}

TEST(TitleTipNames, NamesOfEveryRectangleUnderThePointAndTheirCommonArea) {
  CPersonenEx persons;
  persons.AddOrUpdate(3, "Anna");
  persons.AddOrUpdate(7, "Jörg");
  persons.AddOrUpdate(9, "Lena");
  const std::map<std::uint32_t, Rect> rects{
      {7, {30, 30, 80, 80}}, {3, {10, 10, 50, 50}}, {9, {40, 20, 45, 90}}};
  const struct {
    PicturePoint point;
    std::string text;
    Rect common;
  } cases[] = {
      {{35, 35}, "Anna \r\n Jörg ", {30, 30, 50, 50}},            // in the map's order
      {{42, 35}, "Anna \r\n Jörg \r\n Lena ", {40, 30, 45, 50}},  // cut by each further one
      {{15, 15}, "Anna ", {10, 10, 50, 50}},
      {{50, 50}, "Jörg ", {30, 30, 80, 80}},  // right and bottom edges lie outside
      {{5, 5}, "", {}},
      {{-1, 35}, "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const NamesUnderPoint names = FindNamesUnderPoint(rects, persons, c.point);
    EXPECT_EQ(names.text, c.text);
    if (!c.text.empty()) {
      EXPECT_EQ(names.common, c.common);
    }
  }
}

// A picture of 200 x 100 in a view: Anna and Jörg overlap at (60..100, 20..60).
class TitleTipView : public test::DescriptionAlbum {
 protected:
  void SetUp() override {
    DescriptionAlbum::SetUp();
    const std::int32_t picture = AddPicture("zwei.jpg", 200, 100);
    doc.AddOrUpdatePerson(1, "Anna");
    doc.AddOrUpdatePerson(2, "Jörg");
    doc.AddOrUpdatePersonOnPicture(1, Rect{20, 10, 100, 60}, picture);
    doc.AddOrUpdatePersonOnPicture(2, Rect{60, 20, 150, 90}, picture);
    SelectAll();
    view = std::make_unique<CImageDescription>(doc, ui);
    view->resize(900, 600);
    view->show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    view->OnInitialUpdate();
    picture_ = view->PictureCtrl();
    tip = view->TitleTip();
  }
  // The client point of the control over a pixel of the stored grid.
  QPoint Over(std::int32_t x, std::int32_t y) {
    Rect r{x, y, x + 1, y + 1};
    picture_->PictureToClient(r);
    return QPoint(r.left, r.top);
  }
  void Send(QWidget* to, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton) {
    QMouseEvent event(type, QPointF(pos), QPointF(to->mapToGlobal(pos)), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button),
                      Qt::NoModifier);
    QApplication::sendEvent(to, &event);
  }
  std::unique_ptr<CImageDescription> view;
  CPictureCtrl* picture_ = nullptr;
  ZTitleTip* tip = nullptr;
};

TEST_F(TitleTipView, ShowsBothNamesOverTheSharedAreaAndStaysForTheSameText) {
  Send(picture_, QEvent::MouseMove, Over(70, 30));
  ASSERT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->Text(), QStringLiteral(" Anna \r\n Jörg  "));
  // Placed at the top-left of the shared area, one pixel in from its edge.
  Rect shared{60, 20, 100, 60};
  picture_->PictureToClient(shared);
  const QPoint corner = picture_->mapToGlobal(QPoint(shared.left, shared.top));
  EXPECT_EQ(tip->geometry().topLeft(), corner + QPoint(-4, 1));
  EXPECT_GT(tip->height(), 2 * tip->fontMetrics().height());
  // The hover area is the shared area, one pixel larger to the right and bottom.
  EXPECT_EQ(tip->HoverRect(),
            QRect(corner, picture_->mapToGlobal(QPoint(shared.right, shared.bottom))));

  // The same names again, even for another area: the tip stays where it is.
  const QRect placed = tip->geometry();
  tip->Show(Rect{5, 5, 50, 50}, QStringLiteral("Anna \r\n Jörg "));
  EXPECT_EQ(tip->geometry(), placed);

  // Over Anna alone the tip leaves the hover area and comes back for her only.
  Send(picture_, QEvent::MouseMove, Over(30, 15));
  ASSERT_TRUE(tip->isVisible());
  EXPECT_EQ(tip->Text(), QStringLiteral(" Anna  "));
  Send(picture_, QEvent::MouseMove, Over(5, 5));
  EXPECT_FALSE(tip->isVisible());
}

TEST_F(TitleTipView, AKeyOrAClickHidesTheTipAndStillReachesThePicture) {
  int doubleClicks = 0;
  QObject::connect(picture_, &CPictureCtrl::DoubleClicked, [&] { ++doubleClicks; });
  Send(picture_, QEvent::MouseMove, Over(70, 30));
  ASSERT_TRUE(tip->isVisible());
  Send(picture_, QEvent::MouseButtonPress, Over(70, 30), Qt::LeftButton);
  EXPECT_FALSE(tip->isVisible());
  Send(picture_, QEvent::MouseButtonRelease, Over(70, 30), Qt::LeftButton);
  Send(picture_, QEvent::MouseButtonDblClick, Over(70, 30), Qt::LeftButton);
  EXPECT_EQ(doubleClicks, 1);
  EXPECT_EQ(files.opened.size(), 1u);

  Send(picture_, QEvent::MouseMove, Over(71, 30));
  ASSERT_TRUE(tip->isVisible());
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(view.get(), &key);
  EXPECT_FALSE(tip->isVisible());

  // A new picture takes its names with it.
  Send(picture_, QEvent::MouseMove, Over(72, 30));
  ASSERT_TRUE(tip->isVisible());
  view->Refresh(-1);
  EXPECT_FALSE(tip->isVisible());
}

}  // namespace
}  // namespace kolvaro
