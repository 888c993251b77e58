#include "views/thumbnailstrip.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "core/meriskdoc.h"
#include "qt/gui/thumbnailmaker.h"
#include "views/thumbnailcells.h"

namespace kolvaro {
namespace {

constexpr int kCell = CThumbnailStrip::kThumbnailEdge + 2 * CThumbnailDelegate::kMargin;
// Failures and missing files cost their bookkeeping only.
constexpr std::size_t kEntryOverhead = 256;
constexpr std::size_t kSmallIndex = 1024;

}  // namespace

// ----------------------------------------------------------------- memory

std::size_t CThumbnailMemory::CostOf(const Entry& entry) {
  return kEntryOverhead + static_cast<std::size_t>(std::max<qsizetype>(entry.image.sizeInBytes(), 0));
}

const CThumbnailMemory::Entry* CThumbnailMemory::Find(const QString& path) {
  const auto it = m_index.find(path);
  if (it == m_index.end()) return nullptr;
  m_order.splice(m_order.begin(), m_order, it->second);
  return &it->second->second;
}

const CThumbnailMemory::Entry* CThumbnailMemory::Peek(const QString& path) const {
  const auto it = m_index.find(path);
  return it == m_index.end() ? nullptr : &it->second->second;
}

void CThumbnailMemory::Put(const QString& path, Entry entry) {
  if (const auto it = m_index.find(path); it != m_index.end()) {
    m_bytes -= CostOf(it->second->second);
    m_order.erase(it->second);
    m_index.erase(it);
  }
  // Growing a large index step by step relinks every entry at once, which
  // held the interface thread for a frame and more: past a small size it
  // grows straight to the most the budget can hold.
  if (m_index.size() == kSmallIndex) m_index.reserve(m_budget / kEntryOverhead + 1);
  m_bytes += CostOf(entry);
  m_order.emplace_front(path, std::move(entry));
  m_index[path] = m_order.begin();
  // The newest stays even when it alone is over the budget.
  while (m_bytes > m_budget && m_order.size() > 1) {
    auto& [oldPath, old] = m_order.back();
    m_bytes -= CostOf(old);
    m_index.erase(oldPath);
    m_order.pop_back();
  }
}

void CThumbnailMemory::Clear() {
  m_order.clear();
  m_index.clear();
  m_bytes = 0;
}

// ----------------------------------------------------------------- loader

CThumbnailLoader::CThumbnailLoader(CThumbnailCache cache, QSize box, Done done, QObject* parent)
    : QObject(parent), m_cache(std::move(cache)), m_box(box), m_done(std::move(done)) {
  m_pool.setMaxThreadCount(std::clamp(QThread::idealThreadCount(), 1, 4));
}

CThumbnailLoader::~CThumbnailLoader() {
  {
    std::lock_guard lock(m_mutex);
    m_queue.clear();
  }
  // Results posted meanwhile go with this object.
  m_pool.waitForDone();
}

void CThumbnailLoader::Want(const std::vector<Wanted>& wanted) {
  int start = 0;
  {
    std::lock_guard lock(m_mutex);
    m_queue.clear();
    for (const Wanted& w : wanted)
      if (!m_running.count(w.path)) m_queue.push_back(w);
    start = std::min<int>(static_cast<int>(m_queue.size()), m_pool.maxThreadCount() - m_workers);
    m_workers += std::max(start, 0);
  }
  for (int i = 0; i < start; ++i) m_pool.start([this] { Work(); });
}

std::size_t CThumbnailLoader::Pending() const {
  std::lock_guard lock(m_mutex);
  return m_queue.size() + m_running.size();
}

void CThumbnailLoader::Work() {
  for (;;) {
    Wanted item;
    {
      std::lock_guard lock(m_mutex);
      if (m_queue.empty()) {
        --m_workers;
        return;
      }
      item = std::move(m_queue.front());
      m_queue.pop_front();
      m_running.insert(item.path);
    }
    // On a screen with more than one pixel to the point the normal size would show at half.
    const ThumbnailSize size =
        std::max(m_box.width(), m_box.height()) > static_cast<int>(ThumbnailSize::kNormal)
            ? ThumbnailSize::kLarge
            : ThumbnailSize::kNormal;
    ThumbnailResult made =
        MakeThumbnail(m_cache, item.path.toStdString(), size,
                      item.preview ? EmbeddedPreview::kForScreen : EmbeddedPreview::kNever);
    QImage shown;
    if (!made.image.isNull()) {
      shown = made.image.size().boundedTo(m_box) == made.image.size()
                  ? made.image
                  : made.image.scaled(m_box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
      // The raster engine draws these two without converting.
      shown.convertTo(shown.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    }
    const ThumbnailSource::State state = made.state;
    const bool preview = made.from == ThumbnailResult::From::kEmbedded;
    QMetaObject::invokeMethod(
        this,
        [this, path = std::move(item.path), shown, state, preview] {
          {
            std::lock_guard lock(m_mutex);
            m_running.erase(path);
          }
          m_done(path, shown, state, preview);
        },
        Qt::QueuedConnection);
  }
}

// ------------------------------------------------------------------ strip

CThumbnailStrip::CThumbnailStrip(CMeriskDoc& doc, std::function<void(int)> showPosition, CThumbnailCache cache,
                                 QWidget* parent)
    : QListView(parent), m_doc(doc), m_showPosition(std::move(showPosition)) {
  setObjectName(QStringLiteral("thumbnailStrip"));
  m_model = new CThumbnailModel(doc, this);
  setModel(m_model);
  setItemDelegate(new CThumbnailDelegate(
      *this, *m_model, [this](int row) { return HeldFor(row); }, kThumbnailEdge, false));
  setViewMode(QListView::ListMode);
  setFlow(QListView::LeftToRight);
  setWrapping(false);
  setUniformItemSizes(true);
  setMovement(QListView::Static);
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setFixedHeight(kCell + horizontalScrollBar()->sizeHint().height() + 2 * frameWidth());

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
  connect(this, &QListView::clicked, this, &CThumbnailStrip::Activate);
  m_doc.AddView(this);
  Sync(false);
}

CThumbnailStrip::~CThumbnailStrip() {
  m_doc.RemoveView(this);
  delete m_loader;
  m_loader = nullptr;
}

int CThumbnailStrip::MarkedRow() const { return m_model->marked; }

CThumbnailMemory::Entry CThumbnailStrip::HeldFor(int row) const {
  const QString path = m_model->PathAt(row);
  if (const CThumbnailMemory::Entry* entry = m_memory.Find(path)) return *entry;
  // Before the workers answer, a picture the album no longer knows is missing.
  CThumbnailMemory::Entry none;
  if (path.isEmpty()) none.state = ThumbnailSource::State::kMissing;
  return none;
}

void CThumbnailStrip::Sync(bool recheck) {
  const std::vector<std::int32_t>& selection = m_doc.Selection();
  const bool changed = m_model->Follow(selection);
  const int position = m_doc.CurrentPosition();
  const int marked = position >= 0 && position < m_model->rowCount({}) ? position : -1;
  if (changed || marked != m_model->marked) {
    m_model->marked = marked;
    if (marked >= 0) {
      const QModelIndex index = m_model->index(marked);
      selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
      scrollTo(index, QAbstractItemView::EnsureVisible);
    }
  }
  // A new selection, "Los!" or another picture shown looks at every file in
  // sight again, so that a renamed folder shows in every cell at once.
  if (recheck) m_bRecheck = true;
  // Paths may have been rewritten and pictures removed: what is in sight is asked for again.
  viewport()->update();
  RequestVisibleSoon();
}

void CThumbnailStrip::RequestVisibleSoon() {
  if (m_bRequestPending) return;
  m_bRequestPending = true;
  QTimer::singleShot(0, this, [this] {
    m_bRequestPending = false;
    RequestVisible();
  });
}

void CThumbnailStrip::RequestVisible() {
  if (!isVisible() || m_model->rowCount({}) == 0) {
    m_loader->Want({});
    return;
  }
  const int middle = viewport()->height() / 2;
  const QModelIndex first = indexAt(QPoint(0, middle));
  const QModelIndex last = indexAt(QPoint(viewport()->width() - 1, middle));
  const int from = first.isValid() ? first.row() : 0;
  const int to = last.isValid() ? last.row() : m_model->rowCount({}) - 1;
  // The marked picture first, then the others in sight from the left; the
  // pictures' own thumbnails, which take a decoding, after every quick one.
  std::vector<CThumbnailLoader::Wanted> wanted, own;
  const auto listed = [&](const QString& path) {
    const auto same = [&](const CThumbnailLoader::Wanted& w) { return w.path == path; };
    return std::any_of(wanted.begin(), wanted.end(), same) ||
           std::any_of(own.begin(), own.end(), same);
  };
  const auto ask = [&](const QString& path) {
    if (path.isEmpty() || listed(path)) return;
    const CThumbnailMemory::Entry* held = m_memory.Peek(path);
    if (held && held->preview)
      own.push_back({path, false});
    else if (!held || m_bRecheck)
      wanted.push_back({path, true});
  };
  if (m_model->marked >= from && m_model->marked <= to) ask(m_model->PathAt(m_model->marked));
  for (int row = from; row <= to; ++row) ask(m_model->PathAt(row));
  m_bRecheck = false;
  wanted.insert(wanted.end(), own.begin(), own.end());
  m_loader->Want(wanted);
}

void CThumbnailStrip::OnThumbnail(const QString& path, CThumbnailMemory::Entry entry) {
  const bool preview = entry.preview;
  m_memory.Put(path, std::move(entry));
  viewport()->update();
  emit ThumbnailArrived();
  // The preview stands in while the picture's own thumbnail is made.
  if (preview) RequestVisibleSoon();
}

void CThumbnailStrip::Activate(const QModelIndex& index) {
  if (index.isValid() && m_showPosition) m_showPosition(index.row());
}

void CThumbnailStrip::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    Activate(currentIndex());
    event->accept();
    return;
  }
  QListView::keyPressEvent(event);
}

void CThumbnailStrip::scrollContentsBy(int dx, int dy) {
  QListView::scrollContentsBy(dx, dy);
  RequestVisibleSoon();
}

void CThumbnailStrip::resizeEvent(QResizeEvent* event) {
  QListView::resizeEvent(event);
  RequestVisibleSoon();
}

void CThumbnailStrip::showEvent(QShowEvent* event) {
  QListView::showEvent(event);
  RequestVisibleSoon();
}

qreal ShownPixelRatio(QSize thumbnail, QSize box, qreal screenRatio) {
  return thumbnail.width() < box.width() && thumbnail.height() < box.height() ? 1.0 : screenRatio;
}

}  // namespace kolvaro
