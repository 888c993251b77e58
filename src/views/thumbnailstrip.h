#pragma once
// The strip of thumbnails under the picture view: the selection in its
// order, the current picture marked and kept in view. A virtual list: only
// the thumbnails in sight are made, on worker threads, and a fixed budget of
// them is held, the least recently shown going first.

#include <QImage>
#include <QListView>
#include <QString>
#include <QThreadPool>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/document.h"
#include "qt/gui/thumbnailcache.h"

namespace kolvaro {

class CMeriskDoc;
class CThumbnailModel;

/// Decoded thumbnails by file path, within a budget of bytes.
class CThumbnailMemory {
 public:
  struct Entry {
    QImage image;  ///< null for a file that is missing or unreadable
    ThumbnailSource::State state = ThumbnailSource::State::kOk;
    bool preview = false;  ///< the camera's EXIF preview, until the picture's own thumbnail is made
  };
  static constexpr std::size_t kDefaultBudget = 64u << 20;

  explicit CThumbnailMemory(std::size_t budget = kDefaultBudget) : m_budget(budget) {}
  /// The entry, now the most recently shown; null when not held.
  const Entry* Find(const QString& path);
  bool Holds(const QString& path) const { return m_index.count(path) != 0; }
  /// The entry as it is, without making it the most recently shown; null when not held.
  const Entry* Peek(const QString& path) const;
  /// Keeps the entry, dropping the least recently shown ones beyond the budget.
  void Put(const QString& path, Entry entry);
  void Clear();
  std::size_t Bytes() const { return m_bytes; }
  std::size_t Count() const { return m_order.size(); }

 private:
  static std::size_t CostOf(const Entry& entry);
  using Order = std::list<std::pair<QString, Entry>>;
  std::size_t m_budget;
  std::size_t m_bytes = 0;
  Order m_order;  // most recently shown first
  std::unordered_map<QString, Order::iterator> m_index;
};

/// The pixel ratio a made thumbnail is shown at, for a loader box in device
/// pixels: a thumbnail smaller than its box is a small picture at its own
/// pixels and keeps the size it has on a plain screen (ratio 1), so that it
/// fills its cell as the others do.
qreal ShownPixelRatio(QSize thumbnail, QSize box, qreal screenRatio);

/// Makes thumbnails on worker threads, the most wanted first; what is no
/// longer wanted is dropped before it is started.
class CThumbnailLoader : public QObject {
 public:
  /// `preview`: the image is the camera's EXIF preview, not yet the picture's own.
  using Done = std::function<void(const QString& path, const QImage& image,
                                  ThumbnailSource::State state, bool preview)>;
  struct Wanted {
    QString path;
    /// May the EXIF preview answer first? False asks for the picture's own thumbnail.
    bool preview = true;
  };
  /// `box`: device pixels the thumbnails are scaled into; `done` runs on the
  /// loader's thread for each thumbnail made.
  CThumbnailLoader(CThumbnailCache cache, QSize box, Done done, QObject* parent = nullptr);
  ~CThumbnailLoader() override;

  /// Replaces everything waiting by `wanted`, in that order; a path being
  /// made already is not asked for again.
  void Want(const std::vector<Wanted>& wanted);
  /// Waiting or being made.
  std::size_t Pending() const;
  void WaitForDone() { m_pool.waitForDone(); }

 private:
  void Work();

  const CThumbnailCache m_cache;
  const QSize m_box;
  Done m_done;
  mutable std::mutex m_mutex;
  std::deque<Wanted> m_queue;
  std::unordered_set<QString> m_running;
  int m_workers = 0;
  QThreadPool m_pool;
};

class CThumbnailStrip : public QListView, public IDocumentObserver {
  Q_OBJECT
 public:
  /// Edge of the square a thumbnail is shown in, in pixels.
  static constexpr int kThumbnailEdge = 96;

  /// `showPosition` makes a picture of the selection current as the view's
  /// slider does.
  CThumbnailStrip(CMeriskDoc& doc, std::function<void(int position)> showPosition,
                  CThumbnailCache cache = CThumbnailCache(), QWidget* parent = nullptr);
  ~CThumbnailStrip() override;

  void OnUpdate(CDocument&, IDocumentObserver*, long) override {}
  void OnSelectionChanged() override { Sync(true); }
  void OnContentsChanged() override { Sync(false); }

  /// The row marked as the current picture; -1 for none.
  int MarkedRow() const;
  CThumbnailMemory& Memory() { return m_memory; }
  CThumbnailLoader& Loader() { return *m_loader; }
  /// The thumbnail of a row as held now: kOk with a null image while it is still being made.
  CThumbnailMemory::Entry HeldFor(int row) const;

 signals:
  /// A thumbnail arrived from the workers.
  void ThumbnailArrived();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Sync(bool recheck);
  void RequestVisibleSoon();
  void RequestVisible();
  void Activate(const QModelIndex& index);
  void OnThumbnail(const QString& path, CThumbnailMemory::Entry entry);

  CMeriskDoc& m_doc;
  std::function<void(int)> m_showPosition;
  CThumbnailModel* m_model = nullptr;
  mutable CThumbnailMemory m_memory;
  CThumbnailLoader* m_loader = nullptr;
  bool m_bRequestPending = false;
  // After a new selection or a move, the thumbnails in sight are made again
  // even when held: their files may have gone or changed since.
  bool m_bRecheck = false;
};

}  // namespace kolvaro
