// The slideshow and the picture window, offscreen: the tick wraps, leaves
// typing alone and shows the empty state; the picture decoded ahead is the
// next one and goes when the user steps; the window's buttons stop at the
// ends, it follows the view and lays out once resizing rests; and the
// window's title rule.
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>

#include "res/commands.h"
#include "testsupport/description_album.h"
#include "testsupport/qt.h"
#include "views/imagedescription.h"
#include "views/picturectrl.h"
#include "views/picturewnd.h"
#include "views/slideshow.h"

namespace kolvaro {
namespace {

TEST(PictureWindowTitle, FirstNonEmptyInTheOptionsOrder) {
  struct Case {
    int option;
    const char *headline, *themes, *persons, *title;
  };
  const Case cases[] = {
      {0, "Am See\r\nmit Oma", "Urlaub\r", "Anna\r", "Am See  mit Oma"},
      {1, "", "Urlaub\r", "Anna\r", "Anna "},
      {2, "Kopf", "", "Anna\rBert\r", "Anna Bert "},
      {3, "Kopf", "", "Anna\r", "Kopf"},
      {4, "Kopf", "Urlaub\rFeier\r", "", "Urlaub Feier "},
      {5, "", "Urlaub\r", "", "Urlaub "},
      {6, "Kopf", "Urlaub\r", "Anna\r", "Kopf"},  // outside 0..5: like 0
      {-1, "", "Urlaub\n", "Anna\r", "Urlaub "},
      {2, "", "", "", "Bild"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PictureWindowTitle(c.option, c.headline, c.themes, c.persons), c.title) << c.option << c.headline;
}

class Slideshow : public test::DescriptionAlbum {
 protected:
  void MakeView(int pictures) {
    // Told apart by their widths: 40, 50, 60 ...
    for (int i = 0; i < pictures; ++i)
      ids.push_back(AddPicture(std::string(1, static_cast<char>('a' + i)) + ".jpg", 40 + 10 * i));
    SelectAll();
    settings.SetInt("Settings", "Diashow", 100);  // below the shortest: 250 ms
    view = std::make_unique<CImageDescription>(doc, ui);
    view->resize(800, 500);
    view->show();
    view->OnInitialUpdate();
    connect();
  }
  void connect() {
    QObject::connect(view->Slideshow(), &CSlideshow::Ticked, [this] { ++ticks; });
  }
  bool WaitTicks(int n) {
    const int until = ticks + n;
    return test::WaitUntil([&] { return ticks >= until; }, 3000);
  }
  bool Checked(int command) {
    CmdState s;
    EXPECT_TRUE(view->OnUpdateCommand(command, s));
    return s.checked;
  }

  std::vector<std::int32_t> ids;
  std::unique_ptr<CImageDescription> view;
  int ticks = 0;
};

TEST_F(Slideshow, WrapsFromTheLastToTheFirstAndDecodesTheNextAhead) {
  MakeView(3);
  view->OnCommand(ID_NEXT_PICTURE);
  view->OnCommand(ID_NEXT_PICTURE);
  view->OnCommand(ID_PICTURE_WINDOW);
  view->OnCommand(ID_SLIDESHOW);
  EXPECT_TRUE(Checked(ID_SLIDESHOW));
  EXPECT_EQ(view->Slideshow()->Interval(), 250);
  ASSERT_TRUE(test::WaitUntil([&] { return view->Slideshow()->PreparedPosition() == 0; }));
  ASSERT_TRUE(WaitTicks(1));
  EXPECT_EQ(view->ShownPicture(), ids[0]);
  EXPECT_EQ(doc.CurrentPosition(), 0);
  EXPECT_EQ(view->findChild<QSlider*>(QStringLiteral("sliderPosition"))->value(), 0);
  EXPECT_EQ(view->PictureCtrl()->PictureWidth(), 40u);
  EXPECT_EQ(view->PictureWnd()->PictureCtrl()->PictureWidth(), 40u);  // the window follows
  EXPECT_EQ(view->Slideshow()->HandOvers(), 1);  // the tick found it decoded
  ASSERT_TRUE(test::WaitUntil([&] { return view->Slideshow()->PreparedPosition() == 1; }));

  // The user steps: what was decoded for position 1 goes, the one after 2 comes.
  view->OnCommand(ID_NEXT_PICTURE);
  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_EQ(view->Slideshow()->PreparedPosition(), -1);
  EXPECT_TRUE(test::WaitUntil([&] { return view->Slideshow()->PreparedPosition() == 0; }));

  view->OnCommand(ID_SLIDESHOW);
  EXPECT_FALSE(Checked(ID_SLIDESHOW));
  EXPECT_EQ(view->Slideshow()->PreparedPosition(), -1);
  EXPECT_TRUE(records.empty());
}

TEST_F(Slideshow, TypingHoldsTheShowWithoutStoringOrLosingIt) {
  MakeView(2);
  auto* headline = view->findChild<QPlainTextEdit*>(QStringLiteral("editHeadline"));
  headline->selectAll();
  headline->insertPlainText(QStringLiteral("Am See"));
  view->OnCommand(ID_SLIDESHOW);
  ASSERT_TRUE(WaitTicks(2));
  EXPECT_EQ(view->ShownPicture(), ids[0]);
  EXPECT_EQ(headline->toPlainText(), QStringLiteral("Am See"));
  EXPECT_TRUE(records.empty());
}

TEST_F(Slideshow, AnEmptySelectionShowsTheEmptyState) {
  MakeView(0);
  view->OnCommand(ID_SLIDESHOW);
  ASSERT_TRUE(WaitTicks(1));
  EXPECT_EQ(view->ShownPicture(), -1);
  EXPECT_EQ(doc.CurrentPicture(), -1);
}

TEST_F(Slideshow, PictureWindowStopsAtTheEndsFollowsTheViewAndKeepsItsPlace) {
  MakeView(3);
  view->OnCommand(ID_PICTURE_WINDOW);
  CPictureWnd* wnd = view->PictureWnd();
  ASSERT_NE(wnd, nullptr);
  EXPECT_TRUE(Checked(ID_PICTURE_WINDOW));
  EXPECT_EQ(wnd->PictureCtrl()->PictureWidth(), 40u);
  auto* prev = wnd->findChild<QPushButton*>(QStringLiteral("buttonPrev"));
  auto* next = wnd->findChild<QPushButton*>(QStringLiteral("buttonNext"));
  prev->click();
  EXPECT_EQ(view->ShownPicture(), ids[0]);
  for (int i = 0; i < 3; ++i) next->click();
  EXPECT_EQ(view->ShownPicture(), ids[2]);
  EXPECT_EQ(doc.CurrentPosition(), 2);

  // The window shows what the view shows, also the empty state.
  doc.SetExplicitSelection({});
  doc.SetCurrentIndex(0);
  doc.UpdateAllViews(nullptr);
  EXPECT_EQ(wnd->PictureCtrl()->PictureWidth(), 0u);
  EXPECT_EQ(wnd->windowTitle(), QStringLiteral("Bild"));

  // Resizing lays the picture out once it has rested.
  const QRect before = wnd->PictureCtrl()->geometry();
  wnd->resize(wnd->width() + 60, wnd->height() + 40);
  EXPECT_TRUE(wnd->IsSizing());
  EXPECT_EQ(wnd->PictureCtrl()->geometry(), before);
  ASSERT_TRUE(test::WaitUntil([&] { return !wnd->IsSizing(); }));
  // Below the buttons, not under them.
  EXPECT_EQ(wnd->PictureCtrl()->geometry(),
            wnd->rect().adjusted(7, next->geometry().bottom() + 8, -7, -7));

  view->OnCommand(ID_PICTURE_WINDOW);
  EXPECT_FALSE(Checked(ID_PICTURE_WINDOW));
  EXPECT_EQ(settings.GetInt("PictureWindow", "Width", 0), wnd->width());
}

}  // namespace
}  // namespace kolvaro
