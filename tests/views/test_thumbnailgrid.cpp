// The overview grid, offscreen: pictures are marked the usual ways and
// counted, the current picture stays in step both ways, double click and
// Enter open a picture, and only thumbnails in sight are made.
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "testsupport/description_album.h"
#include "testsupport/qt.h"
#include "views/imagedescription.h"
#include "views/thumbnailgrid.h"

namespace kolvaro {
namespace {

class ThumbnailGrid : public test::DescriptionAlbum {
 protected:
  void SetUp() override {
    DescriptionAlbum::SetUp();
    for (int i = 0; i < 30; ++i)
      AddPicture("p" + std::to_string(100 + i) + ".jpg", 60 + i, 40, 2048,
                 "Bild " + std::to_string(i));
    SelectAll();
    pane.resize(600, 500);  // four columns, three lines and a bit
    auto* layout = new QVBoxLayout(&pane);
    view = new CImageDescription(doc, ui, &pane);
    view->hide();
    grid = new CThumbnailGrid(
        doc, [this](int position) { view->ShowPosition(position); },
        [this](int position) { opened.push_back(position); },
        CThumbnailCache(cache.path().toStdString()), &pane);
    layout->addWidget(grid);
    pane.show();
    view->OnInitialUpdate();
    grid->setFocus();
  }
  QPoint Centre(int row) { return grid->visualRect(grid->model()->index(row, 0)).center(); }
  bool InSight(int row) { return grid->viewport()->rect().contains(Centre(row)); }

  QTemporaryDir cache;
  QWidget pane;
  CImageDescription* view = nullptr;
  CThumbnailGrid* grid = nullptr;
  std::vector<int> opened;
};

TEST_F(ThumbnailGrid, MarksTheUsualWaysAndCountsThem) {
  QSignalSpy counts(grid, &CThumbnailGrid::MarkedCountChanged);
  struct Step {
    const char* name;
    std::function<void()> act;
    int marked;
  };
  const Step steps[] = {
      {"click", [&] { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Centre(2)); }, 1},
      {"Ctrl+click",
       [&] { QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, Centre(5)); },
       2},
      {"Shift+click",
       [&] { QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, Centre(10)); },
       7},  // 5 to 10 in order from the Ctrl+click, and 2 stays as in every Qt list
      {"rubber band over two lines of two",
       [&] {
         int columns = 1;
         while (Centre(columns).y() == Centre(0).y()) ++columns;
         QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, Centre(1));
         QTest::mouseMove(grid->viewport(), Centre(columns + 2));
         QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, Centre(columns + 2));
       },
       4},
      {"Ctrl+A", [&] { QTest::keyClick(grid, Qt::Key_A, Qt::ControlModifier); }, 30},
      {"Shift+arrows",
       [&] {
         QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Centre(0));
         QTest::keyClick(grid, Qt::Key_Right, Qt::ShiftModifier);
         QTest::keyClick(grid, Qt::Key_Down, Qt::ShiftModifier);
       },
       6},  // 0 to 5 in order, four columns
      {"another selection",
       [&] {
         doc.SetExplicitSelection({doc.Selection()[3], doc.Selection()[1]});
       },
       0},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(grid->MarkedCount(), s.marked) << s.name;
    ASSERT_FALSE(counts.isEmpty()) << s.name;
    EXPECT_EQ(counts.last().at(0).toInt(), s.marked) << s.name;
  }
}

TEST_F(ThumbnailGrid, TheCurrentPictureStaysInStepAndEnterOrDoubleClickOpensIt) {
  doc.SetCurrentIndex(21);
  EXPECT_EQ(grid->currentIndex().row(), 21);
  EXPECT_TRUE(InSight(21));
  QTest::keyClick(grid, Qt::Key_Right);
  EXPECT_EQ(doc.CurrentPosition(), 22);
  EXPECT_EQ(view->ShownPicture(), doc.Selection()[22]);
  QTest::keyClick(grid, Qt::Key_Return);
  // A double click comes after the press of its first click.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, Centre(23));
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, Centre(23));
  EXPECT_EQ(opened, (std::vector<int>{22, 23}));
}

TEST_F(ThumbnailGrid, MakesOnlyTheThumbnailsInSight) {
  ASSERT_TRUE(test::WaitUntil(
      [&] { return grid->Loader().Pending() == 0 && grid->Memory().Count() >= 4; }));
  const auto [from, to] = grid->RowsInSight();
  EXPECT_EQ(from, 0);
  ASSERT_LT(to, 29);
  for (int row = 0; row < 30; ++row) {
    if (InSight(row)) {
      EXPECT_FALSE(grid->HeldFor(row).image.isNull()) << row;
    }
    if (row > to) {
      EXPECT_TRUE(grid->HeldFor(row).image.isNull()) << row;
    }
  }
  grid->scrollToBottom();
  EXPECT_TRUE(test::WaitUntil([&] { return !grid->HeldFor(29).image.isNull(); }));
  grid->hide();
  EXPECT_EQ(grid->Memory().Count(), 0u);
}

}  // namespace
}  // namespace kolvaro
