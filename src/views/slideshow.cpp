#include "views/slideshow.h"

#include <QTimer>
#include <QTimerEvent>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <utility>

#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "core/ports/settings.h"
#include "views/picturectrl.h"
#include "views/picturelayout.h"

namespace kolvaro {

namespace {

// Runs on the worker: reads and decodes at the size the control's first
// paint will ask for, so that the paint finds its pixels ready.
CLoadedPicture ReadAhead(const QString& path, QSize control, qreal dpr) {
  CLoadedPicture picture;
  picture.LoadFromFile(path, [control, dpr](const QSize& shown) {
    const Rect display = ComputeDisplayRect(Rect{0, 0, control.width(), control.height()},
                                            static_cast<unsigned>(shown.width()),
                                            static_cast<unsigned>(shown.height()));
    return (QSizeF(display.right - display.left, display.bottom - display.top) * dpr).toSize();
  });
  return picture;
}

}  // namespace

CSlideshow::CSlideshow(CMeriskDoc& doc, CPictureCtrl& ctrl, std::function<CPictureCtrl*()> windowCtrl,
                       std::function<void()> tick, QObject* parent)
    : QObject(parent), m_doc(doc), m_ctrl(ctrl), m_windowCtrl(std::move(windowCtrl)), m_tick(std::move(tick)) {
  connect(&m_watcher, &QFutureWatcher<Ahead>::finished, this, &CSlideshow::OnDecoded);
  m_doc.AddView(this);
}

CSlideshow::~CSlideshow() {
  m_doc.RemoveView(this);
  // The worker holds nothing of ours, but its result must not outlive the watcher.
  if (m_watcher.isRunning()) m_watcher.waitForFinished();
}

void CSlideshow::Toggle() {
  if (IsRunning()) {
    Stop();
    return;
  }
  m_nInterval = std::clamp(ProgramSettings::Get(m_doc.Settings(), ProgramSettings::kSlideshowPause),
                           ProgramSettings::kShortestPause, ProgramSettings::kLongestPause);
  // A coarse timer may fire up to 5 % late; the show would drift against its pause.
  m_timer.start(m_nInterval, Qt::PreciseTimer, this);
  PrepareAfter(m_doc.CurrentPosition());
}

void CSlideshow::Stop() {
  m_timer.stop();
  Drop();
}

void CSlideshow::timerEvent(QTimerEvent* event) {
  if (event->timerId() != m_timer.timerId()) {
    QObject::timerEvent(event);
    return;
  }
  m_tick();
  emit Ticked();
}

void CSlideshow::BeginTick(std::int32_t position) {
  m_bTicking = true;
  if (!m_prepared.IsEmpty() && m_nPreparedPosition == position) {
    m_ctrl.OfferPrepared(m_strPreparedPath, std::exchange(m_prepared, CLoadedPicture()));
    CPictureCtrl* window = m_windowCtrl ? m_windowCtrl() : nullptr;
    if (window && !m_preparedWindow.IsEmpty())
      window->OfferPrepared(m_strPreparedPath, std::exchange(m_preparedWindow, CLoadedPicture()));
    ++m_nHandOvers;
  }
  m_prepared.Release();
  m_preparedWindow.Release();
  m_nPreparedPosition = -1;
}

void CSlideshow::EndTick(std::int32_t position) {
  m_bTicking = false;
  PrepareAfter(position);
}

void CSlideshow::OnSelectionChanged() {
  if (m_bTicking || !IsRunning()) return;
  // Another picture or another selection: what was decoded may be the wrong one.
  Drop();
  if (m_bRepreparePending) return;
  m_bRepreparePending = true;
  // Once the views have settled on the new picture.
  QTimer::singleShot(0, this, [this] {
    m_bRepreparePending = false;
    if (IsRunning()) PrepareAfter(m_doc.CurrentPosition());
  });
}

void CSlideshow::OnContentsChanged() { OnSelectionChanged(); }

void CSlideshow::PrepareAfter(std::int32_t position) {
  const std::int32_t count = m_doc.SelectedCount();
  const std::vector<std::int32_t>& selection = m_doc.Selection();
  if (!IsRunning() || count <= 0 || selection.empty()) {
    Drop();
    return;
  }
  std::int32_t next = position + 1;
  if (next >= count || static_cast<std::size_t>(next) >= selection.size()) next = 0;
  Job wanted{next, ToQString(m_doc.GetPictureFullPath(selection[static_cast<std::size_t>(next)])),
             m_ctrl.size(), m_ctrl.devicePixelRatioF(), QSize(), 1.0};
  if (CPictureCtrl* window = m_windowCtrl ? m_windowCtrl() : nullptr) {
    wanted.windowControl = window->size();
    wanted.windowDpr = window->devicePixelRatioF();
  }
  if (wanted == m_wanted && (!m_prepared.IsEmpty() || m_watcher.isRunning())) return;
  m_wanted = wanted;
  m_prepared.Release();
  m_preparedWindow.Release();
  m_nPreparedPosition = -1;
  StartWanted();
}

void CSlideshow::StartWanted() {
  // One decoding at a time: a stale one finishes first and is thrown away.
  if (m_watcher.isRunning() || m_wanted.position < 0 || m_wanted.path.isEmpty()) return;
  m_running = m_wanted;
  m_watcher.setFuture(QtConcurrent::run([job = m_running] {
    Ahead ahead{ReadAhead(job.path, job.control, job.dpr), {}};
    if (!ahead.view.IsEmpty() && !job.windowControl.isEmpty())
      ahead.window = ReadAhead(job.path, job.windowControl, job.windowDpr);
    return ahead;
  }));
}

void CSlideshow::OnDecoded() {
  QFuture<Ahead> future = m_watcher.future();
  if (!future.isValid() || future.resultCount() == 0) return;
  // Taken out of the future, so that no copy of its pixels stays behind there.
  Ahead picture = future.takeResult();
  if (IsRunning() && m_running == m_wanted) {
    m_prepared = std::move(picture.view);
    m_preparedWindow = std::move(picture.window);
    m_nPreparedPosition = m_running.position;
    m_strPreparedPath = m_running.path;
    return;
  }
  if (IsRunning()) StartWanted();
}

void CSlideshow::Drop() {
  m_wanted = Job{};
  m_prepared.Release();
  m_preparedWindow.Release();
  m_nPreparedPosition = -1;
  m_strPreparedPath.clear();
}

}  // namespace kolvaro
