#include "views/datelockbutton.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

namespace kolvaro {
namespace {
constexpr int kHoverTimerMs = 500;
}  // namespace

DateLockButton::DateLockButton(QWidget* parent) : QPushButton(parent) {
  setMouseTracking(true);
  setFlat(true);
}

void DateLockButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  if (m_raised) {
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(palette().color(QPalette::Shadow));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
  } else {
    p.setPen(palette().color(QPalette::Button));
    p.drawRect(r);
  }
}

void DateLockButton::mouseMoveEvent(QMouseEvent* event) {
  if (m_hoverEnabled && !m_raised) {
    m_raised = true;
    update();
    m_timer.start(kHoverTimerMs, this);
  }
  QPushButton::mouseMoveEvent(event);
}

void DateLockButton::timerEvent(QTimerEvent* event) {
  if (event->timerId() != m_timer.timerId()) {
    QPushButton::timerEvent(event);
    return;
  }
  if (rect().contains(mapFromGlobal(QCursor::pos()))) return;
  m_raised = false;
  update();
  m_timer.stop();
}

}  // namespace kolvaro
