#include "views/pagepreview.h"

#include <QPainter>

namespace kolvaro {
namespace {

QRect ToQRect(const Rect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }

}  // namespace

void CPagePreview::SetPage(PageSize page, const Rect& picture) {
  m_page = page;
  m_picture = picture;
  update();
}

void CPagePreview::paintEvent(QPaintEvent*) {
  const PreviewRects r = ComputePreview(width(), height(), m_page, m_picture);
  QPainter painter(this);
  painter.setPen(QPen(Qt::black, 0));
  painter.setBrush(Qt::white);
  painter.drawRect(ToQRect(r.page));
  painter.setBrush(QColor(0, 0, 255));
  painter.drawRect(ToQRect(r.picture));
}

}  // namespace kolvaro
