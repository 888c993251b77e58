#pragma once
// What the thumbnail strip and the grid share: a model over the selection
// and the delegate that draws a cell from the thumbnails held in memory.

#include <QAbstractListModel>
#include <QStyledItemDelegate>
#include <cstdint>
#include <functional>
#include <vector>

#include "views/thumbnailstrip.h"

namespace kolvaro {

class CMeriskDoc;

/// The selection as rows: a picture's path and tooltip; the album's names
/// and dates only, no file is touched.
class CThumbnailModel : public QAbstractListModel {
 public:
  static constexpr int kPathRole = Qt::UserRole + 1;
  /// The headline, or the file name for a picture without one.
  static constexpr int kCaptionRole = Qt::UserRole + 2;

  CThumbnailModel(CMeriskDoc& doc, QObject* parent) : QAbstractListModel(parent), m_doc(doc) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_ids.size());
  }
  QVariant data(const QModelIndex& index, int role) const override;

  QString Path(std::int32_t id) const;
  QString PathAt(int row) const;
  /// True when the rows changed.
  bool Follow(const std::vector<std::int32_t>& selection);

  int marked = -1;  ///< the current picture's row; -1 for none

 private:
  CMeriskDoc& m_doc;
  std::vector<std::int32_t> m_ids;
};

/// Draws a cell: the thumbnail centred in a square of `edge` pixels (or what
/// stands in for it), the current picture's frame, and with `captions` the
/// caption under the square and the user's marking.
class CThumbnailDelegate : public QStyledItemDelegate {
 public:
  static constexpr int kMargin = 4;
  using Held = std::function<CThumbnailMemory::Entry(int row)>;

  CThumbnailDelegate(QAbstractItemView& view, const CThumbnailModel& model, Held held, int edge,
                     bool captions);
  /// The cell's size: the square with its margins and the caption line.
  QSize CellSize() const;
  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
    return CellSize();
  }
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

 private:
  QAbstractItemView& m_view;
  const CThumbnailModel& m_model;
  Held m_held;
  int m_edge;
  bool m_captions;
};

}  // namespace kolvaro
