#include "views/thumbnailgrid.h"

#include <QKeyEvent>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "core/meriskdoc.h"
#include "views/thumbnailcells.h"

namespace kolvaro {

CThumbnailGrid::CThumbnailGrid(CMeriskDoc& doc, std::function<void(int)> showPosition,
                               std::function<void(int)> open, CThumbnailCache cache,
                               QWidget* parent)
    : QListView(parent),
      m_doc(doc),
      m_showPosition(std::move(showPosition)),
      m_open(std::move(open)) {
  setObjectName(QStringLiteral("thumbnailGrid"));
  m_model = new CThumbnailModel(doc, this);
  setModel(m_model);
  m_delegate = new CThumbnailDelegate(
      *this, *m_model, [this](int row) { return HeldFor(row); }, kThumbnailEdge, true);
  setItemDelegate(m_delegate);
  // A wrapping list of cells of one size lays out 100 000 pictures at once,
  // where the free icon layout places each one.
  setViewMode(QListView::ListMode);
  setFlow(QListView::LeftToRight);
  setWrapping(true);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setMovement(QListView::Static);
  setSpacing(2);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionRectVisible(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  const qreal dpr = devicePixelRatioF();
  const QSize box = (QSizeF(kThumbnailEdge, kThumbnailEdge) * dpr).toSize();
  m_loader = new CThumbnailLoader(
      std::move(cache), box,
      [this, dpr, box](const QString& path, const QImage& image, ThumbnailSource::State state,
                       bool preview) {
        QImage shown = image;
        shown.setDevicePixelRatio(ShownPixelRatio(image.size(), box, dpr));
        OnThumbnail(path, {std::move(shown), state, preview});
      },
      this);
  connect(this, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.isValid() && m_open) m_open(index.row());
  });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { emit MarkedCountChanged(MarkedCount()); });
  m_doc.AddView(this);
  Sync(false);
}

CThumbnailGrid::~CThumbnailGrid() {
  m_doc.RemoveView(this);
  delete m_loader;
  m_loader = nullptr;
}

int CThumbnailGrid::MarkedCount() const {
  // Ranges, not indexes: Ctrl+A over 100 000 pictures is one range.
  int count = 0;
  for (const QItemSelectionRange& range : selectionModel()->selection()) count += range.height();
  return count;
}

CThumbnailMemory::Entry CThumbnailGrid::HeldFor(int row) const {
  const QString path = m_model->PathAt(row);
  if (const CThumbnailMemory::Entry* entry = m_memory.Find(path)) return *entry;
  CThumbnailMemory::Entry none;
  if (path.isEmpty()) none.state = ThumbnailSource::State::kMissing;
  return none;
}

std::pair<int, int> CThumbnailGrid::RowsInSight() const {
  const int n = m_model->rowCount({});
  if (n == 0) return {0, -1};
  // Cells of one size in lines: the first line gives the columns and the pitch.
  const QRect first = rectForIndex(m_model->index(0));
  int columns = 1;
  while (columns < n && rectForIndex(m_model->index(columns)).top() == first.top()) ++columns;
  const int pitch = columns < n ? rectForIndex(m_model->index(columns)).top() - first.top()
                                : first.height() + spacing();
  if (pitch <= 0) return {0, n - 1};
  const int top = verticalOffset() - first.top();
  const int from = std::max(0, top / pitch) * columns;
  const int to = std::min<long long>(
      n - 1, (static_cast<long long>(top + viewport()->height()) / pitch + 1) * columns - 1);
  return {std::min(from, n - 1), static_cast<int>(to)};
}

void CThumbnailGrid::Sync(bool recheck) {
  m_bSyncing = true;
  const bool changed = m_model->Follow(m_doc.Selection());
  const int position = m_doc.CurrentPosition();
  const int marked = position >= 0 && position < m_model->rowCount({}) ? position : -1;
  if (changed || marked != m_model->marked) {
    m_model->marked = marked;
    if (marked >= 0) {
      const QModelIndex index = m_model->index(marked);
      if (currentIndex() != index)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
      // Hidden, the grid lays nothing out: each keystroke of a search
      // changes the selection. A move of the user's own scrolls as Qt sees fit.
      if (isVisible() && !m_bUserMove) scrollTo(index, QAbstractItemView::EnsureVisible);
    }
  }
  m_bSyncing = false;
  // A new selection, "Los!" or another picture shown: files may have gone since.
  if (recheck) m_bRecheck = true;
  if (changed) emit MarkedCountChanged(MarkedCount());
  viewport()->update();
  RequestVisibleSoon();
}

void CThumbnailGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QListView::currentChanged(current, previous);
  if (!m_bSyncing && current.isValid() && current.row() != m_model->marked && m_showPosition) {
    m_bUserMove = true;
    m_showPosition(current.row());
    m_bUserMove = false;
  }
}

// A rubber band takes the cells it covers; Shift with a click or the arrow
// keys takes the pictures from the anchor to the new one in their order, as
// in a file manager, not the rectangle between them.
void CThumbnailGrid::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  const QModelIndex from = indexAt(rect.topLeft());
  const QModelIndex to = indexAt(rect.bottomRight());
  if (m_bDragging || !from.isValid() || !to.isValid()) {
    QListView::setSelection(rect, command);
    return;
  }
  const int first = std::min(from.row(), to.row()), last = std::max(from.row(), to.row());
  selectionModel()->select(QItemSelection(m_model->index(first), m_model->index(last)), command);
}

void CThumbnailGrid::mouseMoveEvent(QMouseEvent* event) {
  m_bDragging = true;
  QListView::mouseMoveEvent(event);
  m_bDragging = false;
}

void CThumbnailGrid::RequestVisibleSoon() {
  if (m_bRequestPending) return;
  m_bRequestPending = true;
  QTimer::singleShot(0, this, [this] {
    m_bRequestPending = false;
    RequestVisible();
  });
}

void CThumbnailGrid::RequestVisible() {
  if (!isVisible()) {
    m_loader->Want({});
    return;
  }
  const auto [from, to] = RowsInSight();
  // Quick ones (held nowhere, or rechecked) first; the pictures' own
  // thumbnails, which take a decoding, after them.
  std::vector<CThumbnailLoader::Wanted> wanted, own;
  for (int row = from; row <= to; ++row) {
    const QString path = m_model->PathAt(row);
    if (path.isEmpty()) continue;
    const CThumbnailMemory::Entry* held = m_memory.Peek(path);
    if (held && held->preview)
      own.push_back({path, false});
    else if (!held || m_bRecheck)
      wanted.push_back({path, true});
  }
  m_bRecheck = false;
  // A picture twice in the selection is asked for once.
  std::vector<CThumbnailLoader::Wanted> all;
  all.reserve(wanted.size() + own.size());
  for (auto* list : {&wanted, &own})
    for (CThumbnailLoader::Wanted& w : *list)
      if (std::none_of(all.begin(), all.end(), [&](const auto& a) { return a.path == w.path; }))
        all.push_back(std::move(w));
  m_loader->Want(all);
}

void CThumbnailGrid::OnThumbnail(const QString& path, CThumbnailMemory::Entry entry) {
  const bool preview = entry.preview;
  m_memory.Put(path, std::move(entry));
  viewport()->update();
  emit ThumbnailArrived();
  if (preview) RequestVisibleSoon();
}

void CThumbnailGrid::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      event->modifiers() == Qt::NoModifier) {
    if (currentIndex().isValid() && m_open) m_open(currentIndex().row());
    event->accept();
    return;
  }
  QListView::keyPressEvent(event);
}

void CThumbnailGrid::scrollContentsBy(int dx, int dy) {
  QListView::scrollContentsBy(dx, dy);
  RequestVisibleSoon();
}

void CThumbnailGrid::resizeEvent(QResizeEvent* event) {
  QListView::resizeEvent(event);
  RequestVisibleSoon();
}

// Hidden, the grid holds nothing: its budget adds to the strip's only while it is shown.
void CThumbnailGrid::hideEvent(QHideEvent* event) {
  QListView::hideEvent(event);
  m_loader->Want({});
  m_memory.Clear();
}

void CThumbnailGrid::showEvent(QShowEvent* event) {
  QListView::showEvent(event);
  if (m_model->marked >= 0)
    scrollTo(m_model->index(m_model->marked), QAbstractItemView::PositionAtCenter);
  RequestVisibleSoon();
}

}  // namespace kolvaro
