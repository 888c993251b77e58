#include "views/elidinglineedit.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace kolvaro {

CElidingLineEdit::CElidingLineEdit(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textChanged, this, &CElidingLineEdit::UpdateToolTip);
}

QRect CElidingLineEdit::TextRect() const {
  QStyleOptionFrame option;
  initStyleOption(&option);
  // QLineEdit's own horizontal margin inside its contents.
  return style()->subElementRect(QStyle::SE_LineEditContents, &option, this).adjusted(2, 0, -2, 0);
}

QString CElidingLineEdit::ShownText() const {
  if (hasFocus()) return text();
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, TextRect().width());
}

void CElidingLineEdit::UpdateToolTip() {
  setToolTip(fontMetrics().horizontalAdvance(text()) > TextRect().width() ? text() : QString());
}

void CElidingLineEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  UpdateToolTip();
}

void CElidingLineEdit::paintEvent(QPaintEvent* event) {
  const QString shown = ShownText();
  if (shown == text()) {
    QLineEdit::paintEvent(event);
    return;
  }
  QPainter painter(this);
  QStyleOptionFrame option;
  initStyleOption(&option);
  style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
  painter.drawText(TextRect(), Qt::AlignVCenter | Qt::AlignLeft, shown);
}

}  // namespace kolvaro
