#include "views/windowplacement.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kolvaro {

QRect PlaceBeside(const QRect& owner, QSize size, const QRect& screen, const QMargins& frame) {
  const QSize room = screen.marginsRemoved(frame).size();
  size = size.boundedTo(room).expandedTo(QSize(1, 1));
  const int h = size.height() + frame.top() + frame.bottom();
  int x = 0;
  const int roomRight = screen.right() - owner.right();
  const int roomLeft = owner.left() - screen.left();
  // Narrower beside the owner rather than over it, down to half the width.
  const int wider = std::max(roomRight, roomLeft);
  int w = size.width() + frame.left() + frame.right();
  if (w > wider && wider - frame.left() - frame.right() >= size.width() / 2) {
    size.setWidth(wider - frame.left() - frame.right());
    w = wider;
  }
  if (roomRight >= w)
    x = owner.right() + 1;
  else if (roomLeft >= w)
    x = owner.left() - w;
  else
    x = roomRight >= roomLeft ? screen.right() + 1 - w : screen.left();
  x = std::clamp(x, screen.left(), screen.right() + 1 - w);
  const int y = std::clamp(owner.top(), screen.top(), screen.bottom() + 1 - h);
  return QRect(QPoint(x + frame.left(), y + frame.top()), size);
}

QRect PlaceBesideOwner(const QWidget* window, const QWidget* owner, QSize size) {
  const QWidget* top = owner ? owner->window() : nullptr;
  const QScreen* screen = top ? top->screen() : QGuiApplication::primaryScreen();
  const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  QMargins frame(window->geometry().left() - window->frameGeometry().left(),
                 window->geometry().top() - window->frameGeometry().top(),
                 window->frameGeometry().right() - window->geometry().right(),
                 window->frameGeometry().bottom() - window->geometry().bottom());
  // Before its first showing a window has no frame yet: allow for a title bar.
  if (frame.isNull()) {
    const int line = QFontMetrics(window->font()).height();
    frame = QMargins(line / 4, 2 * line, line / 4, line / 4);
  }
  const QRect ownerRect = top ? top->frameGeometry() : QRect(available.topLeft(), QSize(0, 0));
  return PlaceBeside(ownerRect, size, available, frame);
}

}  // namespace kolvaro
