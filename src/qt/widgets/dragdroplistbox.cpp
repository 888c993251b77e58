#include "qt/widgets/dragdroplistbox.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "qt/widgets/listcollation.h"

namespace kolvaro {

CDragDropListBox::CDragDropListBox(QWidget* parent) : QListWidget(parent) {
  // Drag events reach the view through its viewport. (No setDragDropMode():
  // it would switch drops off again; the drag below is the list's own.)
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
}

int CDragDropListBox::AddEntry(const QString& text, std::uint32_t value) {
  const auto textAt = [this](int r) { return item(r)->text(); };
  const int row = m_sorted ? SortedInsertRow(count(), textAt, text) : count();
  auto* entry = new QListWidgetItem(text);
  entry->setData(Qt::UserRole, QVariant::fromValue(value));
  insertItem(row, entry);
  return row;
}

std::uint32_t CDragDropListBox::Value(int row) const {
  const QListWidgetItem* entry = item(row);
  return entry ? entry->data(Qt::UserRole).value<std::uint32_t>() : 0;
}

QString CDragDropListBox::DragText() const {
  std::vector<DragEntry> entries;
  for (int row = 0; row < count(); ++row)
    if (item(row)->isSelected()) entries.push_back({Value(row), item(row)->text().toStdString()});
  return QString::fromStdString(FormatDragText(entries));
}

void CDragDropListBox::DropText(const QString& text) {
  for (const DragEntry& e : ParseDropText(text.toStdString()))
    AddEntry(QString::fromStdString(e.text), e.value);
}

bool CDragDropListBox::AcceptsDrop(const QMimeData* data, const QObject* source) const {
  // Files and images also offer a text (their paths); they are refused whole.
  if (!data || !data->hasFormat(QStringLiteral("text/plain")) || data->hasUrls() ||
      data->hasImage())
    return false;
  const auto* list = qobject_cast<const CDragDropListBox*>(source);
  return list && list->window() == window();
}

void CDragDropListBox::AfterDrag() {
  for (int row = count() - 1; row >= 0; --row)
    if (item(row)->isSelected()) delete takeItem(row);
  emit SelectionChangedByDrag();
}

void CDragDropListBox::mousePressEvent(QMouseEvent* event) {
  if (count() == 0) {
    event->ignore();
    return;
  }
  // The list selects first: a press on an entry not yet selected drags that
  // entry; a press on a selected one keeps the selection for the drag.
  QListWidget::mousePressEvent(event);
  if (event->button() == Qt::LeftButton) {
    m_tracking = true;
    m_dragging = false;
    m_pressPos = event->position().toPoint();
    m_itemHeight = sizeHintForRow(0);
  }
}

void CDragDropListBox::mouseMoveEvent(QMouseEvent* event) {
  if (!m_tracking || !(event->buttons() & Qt::LeftButton)) {
    QListWidget::mouseMoveEvent(event);
    return;
  }
  // While the button is held the list neither drag-selects nor starts Qt's
  // own drag: the threshold below decides.
  const QPoint d = event->position().toPoint() - m_pressPos;
  if (m_dragging || !OutsideDragThreshold(d.x(), d.y(), m_itemHeight)) return;
  StartDrag();
}

void CDragDropListBox::mouseReleaseEvent(QMouseEvent* event) {
  m_tracking = false;
  m_dragging = false;
  QListWidget::mouseReleaseEvent(event);
}

void CDragDropListBox::StartDrag() {
  m_dragging = true;
  m_tracking = false;
  const QString text = DragText();
  if (text.isEmpty()) return;  // a press beside the entries selected nothing
  auto* data = new QMimeData;
  data->setText(text);
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
  // The drag ate the release; the view must not wait for it.
  setState(QAbstractItemView::NoState);
  m_dragging = false;
  AfterDrag();
}

void CDragDropListBox::dragEnterEvent(QDragEnterEvent* event) {
  if (AcceptsDrop(event->mimeData(), event->source())) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void CDragDropListBox::dragMoveEvent(QDragMoveEvent* event) {
  if (AcceptsDrop(event->mimeData(), event->source())) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void CDragDropListBox::dragLeaveEvent(QDragLeaveEvent* event) { event->accept(); }

void CDragDropListBox::dropEvent(QDropEvent* event) {
  if (!AcceptsDrop(event->mimeData(), event->source())) {
    event->ignore();
    return;
  }
  DropText(event->mimeData()->text());
  event->setDropAction(Qt::MoveAction);
  event->accept();
}

}  // namespace kolvaro
