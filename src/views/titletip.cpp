#include "views/titletip.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolTip>
#include <cmath>

namespace kolvaro {

namespace {

Rect FromQRect(const QRect& r) {
  return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

}  // namespace

// A tool-tip window is override-redirect on X11: no frame, no focus taken
// from the program. Transparent for input, it leaves every click and move
// to the window underneath, so a click on the picture still starts a
// marking or a double click without being re-sent.
ZTitleTip::ZTitleTip(QWidget* owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput),
      m_owner(owner) {
  setObjectName(QStringLiteral("ZTitleTip"));
  // Never shown (no title bar); lets scripts find the window.
  setWindowTitle(QStringLiteral("ZTitleTip"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setPalette(QToolTip::palette());
  setBackgroundRole(QPalette::ToolTipBase);
  setForegroundRole(QPalette::ToolTipText);
  setAutoFillBackground(true);
}

ZTitleTip::~ZTitleTip() { Watch(false); }

void ZTitleTip::Show(const Rect& target, const QString& text, int xOffset, int maxLength,
                     const std::optional<Rect>& hover, const std::optional<QFont>& font) {
  if (!m_owner || target.right <= target.left || target.bottom <= target.top) return;
  const QString shown = QLatin1Char(' ') + text + QLatin1Char(' ');
  if (shown == m_strText && isVisible()) return;
  // Behind another program's window the tip would stand over foreign content.
  if (!QGuiApplication::focusWindow()) return;
  m_strText = shown;

  const QPoint origin = m_owner->mapToGlobal(QPoint(0, 0));
  Rect area = hover.value_or(target);
  m_hover = QRect(area.left + origin.x(), area.top + origin.y(), area.right - area.left + 1,
                  area.bottom - area.top + 1);
  const Rect screenTarget{target.left + origin.x(), target.top + origin.y(),
                          target.right + origin.x(), target.bottom + origin.y()};

  m_font = font.value_or(m_owner->font());
  const QFontMetrics fm(m_font);
  const QFontMetricsF exact(m_font);
  TipTextMetrics metrics;
  // Rounded up: a line must never be narrower than its drawn text, or it wraps.
  for (const QString& line : m_strText.split(QStringLiteral("\r\n")))
    metrics.lineWidths.push_back(static_cast<int>(std::ceil(exact.horizontalAdvance(line))));
  metrics.lineHeight = fm.height();
  metrics.externalLeading = fm.leading();
  metrics.descent = fm.descent();
  metrics.averageCharWidth = fm.averageCharWidth();

  QScreen* screen = QGuiApplication::screenAt(ToQRect(screenTarget).center());
  if (!screen) screen = m_owner->screen();
  TipLimits limits;
  limits.screen = FromQRect(screen->geometry());
  limits.ownerLeft = origin.x();
  m_geometry = ComputeTipGeometry(screenTarget, xOffset, maxLength, metrics, limits);

  setGeometry(ToQRect(m_geometry.window));
  update();
  show();
  Watch(true);
}

void ZTitleTip::Hide() {
  Watch(false);
  hide();
}

void ZTitleTip::Watch(bool on) {
  if (on == m_bWatching) return;
  m_bWatching = on;
  if (on)
    qApp->installEventFilter(this);
  else
    qApp->removeEventFilter(this);
}

// Sees every event of the program while the tip is shown; hides the tip and
// lets the event go on to where it was going.
bool ZTitleTip::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:  // a shortcut's key comes as no key press
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::Wheel:
    case QEvent::ApplicationDeactivate: Hide(); break;
    case QEvent::MouseMove:
      if (!m_hover.contains(static_cast<QMouseEvent*>(event)->globalPosition().toPoint())) Hide();
      break;
    case QEvent::Leave:
      // The pointer left a widget, maybe the program: where is it now?
      if (!m_hover.contains(QCursor::pos())) Hide();
      break;
    case QEvent::Hide:
      if (watched == m_owner) Hide();
      break;
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}

void ZTitleTip::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::ToolTipText));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  // The font the lines were measured with.
  painter.setFont(m_font);
  const Rect& tip = m_geometry.tip;
  const Rect& window = m_geometry.window;
  const QRectF area(tip.left - window.left, tip.top - window.top, tip.right - tip.left,
                    tip.bottom - tip.top);
  QString lines = m_strText;
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, lines);
}

}  // namespace kolvaro
