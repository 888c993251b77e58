// Where the program's own windows open: beside the window they belong to,
// wholly on its screen, and the picture window big enough to see the picture.
#include "views/windowplacement.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

#include "core/ports/settings.h"
#include "views/picturectrl.h"
#include "views/picturewnd.h"

namespace kolvaro {
namespace {

TEST(WindowPlacement, BesideTheOwnerWhollyOnTheScreen) {
  const QRect screen(0, 0, 1600, 1000);
  const QMargins frame(2, 30, 2, 2);
  const struct {
    const char* name;
    QRect owner;
    QSize size;
    QRect placed;
  } cases[] = {
      {"room on the right", {100, 100, 600, 500}, {760, 640}, {702, 130, 760, 640}},
      {"room on the left only", {900, 100, 600, 500}, {760, 640}, {138, 130, 760, 640}},
      {"narrower beside it", {0, 0, 1000, 900}, {760, 640}, {1002, 30, 596, 640}},
      {"no room: over it, kept on the screen",
       {200, 500, 1200, 500},
       {760, 640},
       {838, 358, 760, 640}},
      {"taller than the screen", {0, 0, 100, 100}, {760, 1200}, {102, 30, 760, 968}},
  };
  for (const auto& c : cases) {
    const QRect placed = PlaceBeside(c.owner, c.size, screen, frame);
    EXPECT_EQ(placed, c.placed) << c.name;
    EXPECT_TRUE(screen.contains(placed.marginsAdded(frame))) << c.name;
  }
}

TEST(WindowPlacement, PictureWindowOpensLargeWithItsButtonsAboveThePicture) {
  CMemorySettings settings;
  CPictureWnd wnd(
      settings, [] { return 0; }, [] { return 1; }, [](int) {}, nullptr);
  const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
  EXPECT_GE(wnd.width(), screen.width() / 2 - 10);
  EXPECT_GE(wnd.height(), screen.height() / 2 - 60);
  const int picture = wnd.PictureCtrl()->geometry().top();
  for (const char* name : {"buttonPrev", "buttonNext"})
    EXPECT_LT(wnd.findChild<QPushButton*>(QLatin1String(name))->geometry().bottom(), picture)
        << name;
}

}  // namespace
}  // namespace kolvaro
