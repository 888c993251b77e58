#include "views/descriptionlayout.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <initializer_list>

#include "ui_imagedescription.h"
#include "views/picturectrl.h"

namespace kolvaro {
namespace {
// Lowest height of the view: the picture still shows, the data column scrolls.
constexpr int kMinViewHeight = 200;
}  // namespace

DescriptionLayout::DescriptionLayout(QWidget& view, Ui::ImageDescriptionForm& form)
    : m_view(view), m_form(form), m_designSize(view.size()) {
  Ui::ImageDescriptionForm& f = m_form;
  m_column = {f.labelHeadline,   f.labelFileName,   f.labelDate,
              f.labelSize,       f.labelThemes,     f.labelPersons,
              f.editHeadline,    f.editFileName,    f.editDate,
              f.editSize,        f.listThemes,      f.listPersons,
              f.buttonDateLock,  f.buttonAddThemes, f.buttonRemoveThemes,
              f.buttonAddPerson, f.checkFrames,     f.buttonRemovePersons,
              f.spinPosition,    f.textPosition,    f.sliderPosition};
  // The column's scroll bar takes its width from the picture, never from the column.
  m_columnScroll = new QScrollBar(Qt::Vertical, &m_view);
  m_columnScroll->setObjectName(QStringLiteral("columnScroll"));
  m_columnScroll->hide();
  m_columnScroll->setFixedWidth(
      m_view.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_columnScroll));
  QObject::connect(m_columnScroll, &QScrollBar::valueChanged, m_columnScroll,
                   [this](int offset) { ScrollColumnTo(offset); });
  m_view.setMinimumSize(m_designSize.width() + m_columnScroll->width(), kMinViewHeight);
}

void DescriptionLayout::Start() {
  if (!m_initialSize.isEmpty()) return;
  m_initialSize = m_lastSize = m_designSize;
  if (m_view.size() != m_designSize) Resize(m_view.width(), m_view.height());
}

void DescriptionLayout::Resize(int cx, int cy) {
  if (m_initialSize.isEmpty()) return;
  const bool scrolls = cy < m_initialSize.height();
  const int bar = scrolls ? m_columnScroll->width() : 0;
  m_columnScroll->setGeometry(cx - m_columnScroll->width(), 0, m_columnScroll->width(), cy);
  m_columnScroll->setRange(0, std::max(m_initialSize.height() - cy, 0));
  m_columnScroll->setPageStep(std::max(cy, 1));
  m_columnScroll->setSingleStep(24);
  m_columnScroll->setVisible(scrolls);
  cx = std::max(cx - bar, m_initialSize.width());
  cy = std::max(cy, kMinViewHeight);
  const int dx = cx - m_lastSize.width();
  const int dy = cy - m_lastSize.height();
  if (dx == 0 && dy == 0) return;
  for (QWidget* w : m_column) w->move(w->x() + dx, w->y());
  CPictureCtrl* picture = m_form.pictureCtrl;
  picture->resize(picture->width() + dx, picture->height() + dy);
  picture->RecalcLayout();
  picture->update();
  m_lastSize = QSize(cx, cy);
}

void DescriptionLayout::ScrollColumnTo(int offset) {
  const int dy = m_columnOffset - offset;
  if (dy == 0) return;
  for (QWidget* w : m_column) w->move(w->x(), w->y() + dy);
  m_columnOffset = offset;
}

void DescriptionLayout::ShowInColumn(QWidget* focus) {
  if (!focus || m_columnScroll->isHidden() || !m_view.isAncestorOf(focus)) return;
  QWidget* control = focus;
  while (control && control->parentWidget() != &m_view) control = control->parentWidget();
  if (!control || control == m_form.pictureCtrl || control == m_columnScroll) return;
  const QRect r = control->geometry();
  if (r.top() < 0)
    m_columnScroll->setValue(m_columnOffset + r.top() - 8);
  else if (r.bottom() >= m_view.height())
    m_columnScroll->setValue(m_columnOffset + r.bottom() - m_view.height() + 9);
}

bool DescriptionLayout::Wheel(QWheelEvent* event) {
  if (m_columnScroll->isHidden()) return false;
  QApplication::sendEvent(m_columnScroll, event);
  return true;
}

void DescriptionLayout::ToggleEnlarge() {
  m_enlarged = !m_enlarged;
  // Restoring moves back by exactly what enlarging moved, so toggling never
  // drifts by a pixel when the headline's width is not a multiple of four.
  const int half = m_form.editHeadline->width() / 2;
  const int b = m_enlarged ? half : -m_enlargeOffset;
  if (m_enlarged) m_enlargeOffset = half;

  Ui::ImageDescriptionForm& f = m_form;
  for (QWidget* w :
       std::initializer_list<QWidget*>{f.labelHeadline, f.labelFileName, f.labelDate, f.labelSize,
                                       f.labelThemes, f.labelPersons, f.textPosition})
    w->setVisible(!m_enlarged);
  for (QWidget* w :
       std::initializer_list<QWidget*>{f.buttonDateLock, f.buttonAddThemes, f.buttonRemoveThemes,
                                       f.buttonAddPerson, f.checkFrames, f.buttonRemovePersons})
    w->move(w->x() + b, w->y());
  for (QWidget* w : std::initializer_list<QWidget*>{f.editHeadline, f.editFileName, f.editDate,
                                                    f.editSize, f.listThemes, f.listPersons,
                                                    f.sliderPosition, f.spinPosition})
    w->setGeometry(w->geometry().adjusted(b, 0, 0, 0));
  const int label = f.labelThemes->width();
  CPictureCtrl* picture = f.pictureCtrl;
  picture->resize(picture->width() + (m_enlarged ? b + label : b - label), picture->height());
  picture->RecalcLayout();
  picture->update();
  m_view.update();
}

}  // namespace kolvaro
