#include "views/thumbnailstrip.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <utility>

#include "core/meriskdoc.h"
#include "qt/gui/thumbnailmaker.h"
#include "qt/qtstring.h"
#include "res/strings.h"
#include "views/datetext.h"

namespace kolvaro {
namespace {

constexpr int kCellMargin = 4;
constexpr int kCell = CThumbnailStrip::kThumbnailEdge + 2 * kCellMargin;
constexpr int kMarkWidth = 3;
// Failures and missing files cost their bookkeeping only.
constexpr std::size_t kEntryOverhead = 256;
constexpr std::size_t kSmallIndex = 1024;

constexpr int kPathRole = Qt::UserRole + 1;

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

// ------------------------------------------------------------------ model

class CThumbnailModel : public QAbstractListModel {
 public:
  explicit CThumbnailModel(CMeriskDoc& doc, QObject* parent) : QAbstractListModel(parent), m_doc(doc) {}

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(m_ids.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount({})) return {};
    const std::int32_t id = m_ids[static_cast<std::size_t>(index.row())];
    if (role == kPathRole) return Path(id);
    if (role != Qt::ToolTipRole) return {};
    // Names and dates only: the album knows them, no file is touched.
    QStringList lines;
    if (const PictureEntry* entry = m_doc.Pictures().Find(id)) {
      const QString headline = ToQString(entry->title).replace(QStringLiteral("\r\n"), QStringLiteral(" ")).trimmed();
      if (!headline.isEmpty()) lines << headline;
      const QString date = FormatOleDate(entry->timestamp);
      if (!date.isEmpty()) lines << date;
    }
    lines << Path(id);
    return lines.join(QLatin1Char('\n'));
  }

  QString Path(std::int32_t id) const {
    return m_doc.Pictures().Find(id) ? ToQString(m_doc.GetPictureFullPath(id)) : QString();
  }
  QString PathAt(int row) const {
    return row >= 0 && row < rowCount({}) ? Path(m_ids[static_cast<std::size_t>(row)]) : QString();
  }

  /// True when the rows changed.
  bool Follow(const std::vector<std::int32_t>& selection) {
    if (selection == m_ids) return false;
    beginResetModel();
    m_ids = selection;
    endResetModel();
    return true;
  }

  int marked = -1;

 private:
  CMeriskDoc& m_doc;
  std::vector<std::int32_t> m_ids;
};

// --------------------------------------------------------------- delegate

namespace {

class ThumbnailDelegate : public QStyledItemDelegate {
 public:
  ThumbnailDelegate(CThumbnailStrip& strip, const CThumbnailModel& model)
      : QStyledItemDelegate(&strip), m_strip(strip), m_model(model) {}

  QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override { return QSize(kCell, kCell); }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QRect cell = option.rect;
    const QRect box = cell.adjusted(kCellMargin, kCellMargin, -kCellMargin, -kCellMargin);
    const QPalette& palette = option.palette;
    painter->save();
    const CThumbnailMemory::Entry held = m_strip.HeldFor(index.row());
    if (!held.image.isNull()) {
      QSize shown = held.image.deviceIndependentSize().toSize();
      if (shown.width() > box.width() || shown.height() > box.height()) shown.scale(box.size(), Qt::KeepAspectRatio);
      QRect target(QPoint(0, 0), shown);
      target.moveCenter(box.center());
      painter->drawImage(target, held.image);
    } else if (held.state != ThumbnailSource::State::kOk) {
      // So that a user sees at a glance which pictures need their paths repaired.
      painter->fillRect(box, palette.color(QPalette::Window).darker(115));
      painter->setPen(QPen(palette.color(QPalette::Mid), 1, Qt::DashLine));
      painter->drawRect(box.adjusted(0, 0, -1, -1));
      painter->setPen(palette.color(QPalette::WindowText));
      QFont font = painter->font();
      font.setPointSizeF(font.pointSizeF() * 0.85);
      painter->setFont(font);
      const StringId text =
          held.state == ThumbnailSource::State::kMissing ? IDS_STRIP_FILE_MISSING : IDS_STRIP_FILE_UNREADABLE;
      painter->drawText(box.adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, ToQString(LoadString(text)));
    } else {
      painter->fillRect(box, palette.color(QPalette::Window).darker(105));
    }
    if (index.row() == m_model.marked) {
      painter->setPen(QPen(palette.color(QPalette::Highlight), kMarkWidth));
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(cell.adjusted(kMarkWidth / 2 + 1, kMarkWidth / 2 + 1, -kMarkWidth / 2 - 1,
                                      -kMarkWidth / 2 - 1));
    }
    if ((option.state & QStyle::State_HasFocus) && m_strip.hasFocus()) {
      painter->setPen(QPen(palette.color(QPalette::Text), 1, Qt::DotLine));
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(cell.adjusted(0, 0, -1, -1));
    }
    painter->restore();
  }

 private:
  CThumbnailStrip& m_strip;
  const CThumbnailModel& m_model;
};

}  // namespace

// ------------------------------------------------------------------ strip

CThumbnailStrip::CThumbnailStrip(CMeriskDoc& doc, std::function<void(int)> showPosition, CThumbnailCache cache,
                                 QWidget* parent)
    : QListView(parent), m_doc(doc), m_showPosition(std::move(showPosition)) {
  setObjectName(QStringLiteral("thumbnailStrip"));
  m_model = new CThumbnailModel(doc, this);
  setModel(m_model);
  setItemDelegate(new ThumbnailDelegate(*this, *m_model));
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
