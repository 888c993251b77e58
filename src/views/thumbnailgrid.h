#pragma once
// The overview: the selection as a grid of thumbnails with their captions,
// in the selection's order, in place of the picture view. The user marks
// pictures as in any list (click, Ctrl, Shift, rubber band, Ctrl+A); the
// current picture is the album's. Like the strip, only what is in sight is
// loaded, within a budget as large as the strip's, freed when hidden.

#include <QListView>
#include <functional>

#include "core/document.h"
#include "qt/gui/thumbnailcache.h"
#include "views/thumbnailstrip.h"

namespace kolvaro {

class CMeriskDoc;
class CThumbnailModel;
class CThumbnailDelegate;

class CThumbnailGrid : public QListView, public IDocumentObserver {
  Q_OBJECT
 public:
  static constexpr int kThumbnailEdge = 128;

  /// `showPosition` makes a picture of the selection current; `open` shows
  /// it in the picture view (double click, Enter).
  CThumbnailGrid(CMeriskDoc& doc, std::function<void(int position)> showPosition,
                 std::function<void(int position)> open, CThumbnailCache cache = CThumbnailCache(),
                 QWidget* parent = nullptr);
  ~CThumbnailGrid() override;

  void OnUpdate(CDocument&, IDocumentObserver*, long) override {}
  void OnSelectionChanged() override { Sync(true); }
  void OnContentsChanged() override { Sync(false); }

  /// How many pictures the user has marked.
  int MarkedCount() const;
  CThumbnailMemory& Memory() { return m_memory; }
  CThumbnailLoader& Loader() { return *m_loader; }
  CThumbnailMemory::Entry HeldFor(int row) const;
  /// The first and last row in sight; {0, -1} when none.
  std::pair<int, int> RowsInSight() const;

 signals:
  void MarkedCountChanged(int count);
  void ThumbnailArrived();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Sync(bool recheck);
  void RequestVisibleSoon();
  void RequestVisible();
  void OnThumbnail(const QString& path, CThumbnailMemory::Entry entry);

  CMeriskDoc& m_doc;
  std::function<void(int)> m_showPosition;
  std::function<void(int)> m_open;
  CThumbnailModel* m_model = nullptr;
  CThumbnailDelegate* m_delegate = nullptr;
  mutable CThumbnailMemory m_memory;
  CThumbnailLoader* m_loader = nullptr;
  bool m_bRequestPending = false;
  bool m_bRecheck = false;   ///< files in sight are looked at again, as the strip does
  bool m_bSyncing = false;   ///< the album moves the current picture, not the user
  bool m_bDragging = false;  ///< the mouse draws a rubber band
  bool m_bUserMove = false;  ///< the user moves the current picture in the grid
};

}  // namespace kolvaro
