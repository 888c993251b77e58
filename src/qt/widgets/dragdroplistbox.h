#pragma once
// A list whose selected entries can be dragged with the mouse to another
// such list, which adds them; the source then removes them. Entries carry
// an unsigned 32-bit item value (a picture or theme id) in Qt::UserRole.

#include <QListWidget>
#include <QPoint>
#include <cstdint>

#include "qt/widgets/dragdroptext.h"

class QMimeData;

namespace kolvaro {

class CDragDropListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit CDragDropListBox(QWidget* parent = nullptr);

  /// A sorted list puts every entry it gets, added or dropped, at its place
  /// in the German collation of Kolvaro's lists.
  void SetSorted(bool sorted) { m_sorted = sorted; }
  bool IsSorted() const { return m_sorted; }

  /// Adds an entry, at its sorted place in a sorted list, else at the end;
  /// returns its row.
  int AddEntry(const QString& text, std::uint32_t value);
  std::uint32_t Value(int row) const;

  /// The drag text of the selected entries, in list order.
  QString DragText() const;
  /// The drop handler: adds the entries the text carries (ParseDropText).
  void DropText(const QString& text);
  /// Whether a drop of `data` coming from `source` is taken. Only plain
  /// text from a list of the same window: item values are ids of the album
  /// the window shows, and a text from elsewhere (another program, another
  /// album's window) would name records that are not the ones it lists.
  bool AcceptsDrop(const QMimeData* data, const QObject* source) const;
  /// What follows every drag out of this list, whatever became of it: the
  /// entries still selected are removed and the owner is told.
  void AfterDrag();

 signals:
  /// A drag out of the list has removed its selected entries.
  void SelectionChangedByDrag();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void StartDrag();

  bool m_sorted = false;
  bool m_tracking = false;  ///< the left button is held since a press on the list
  bool m_dragging = false;  ///< a drag has started during this press
  QPoint m_pressPos;
  int m_itemHeight = 0;
};

}  // namespace kolvaro
