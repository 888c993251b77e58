#include "views/pagepreview.h"

#include <QPainter>

namespace kolvaro {
namespace {

// An outlined QRect covers one pixel more than its size: the outline's last
// column and row are right - 1 and bottom - 1.
QRect ToQRect(const Rect& r) { return QRect(r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1); }

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
