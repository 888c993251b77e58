#pragma once
// The slideshow of the picture view: a timer that moves the view on through
// the selection, and the next picture read and decoded on a worker thread
// before its tick, so that a tick never waits for a large photograph.

#include <QBasicTimer>
#include <QFutureWatcher>
#include <QObject>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>

#include "core/document.h"
#include "views/loadedpicture.h"

namespace kolvaro {

class CMeriskDoc;
class CPictureCtrl;

class CSlideshow : public QObject, public IDocumentObserver {
  Q_OBJECT
 public:
  /// `tick` moves the view on; it calls BeginTick and EndTick around its step.
  /// `windowCtrl` names the picture window's control while it is shown (else
  /// null): its picture is decoded ahead as well.
  CSlideshow(CMeriskDoc& doc, CPictureCtrl& ctrl, std::function<CPictureCtrl*()> windowCtrl,
             std::function<void()> tick, QObject* parent = nullptr);
  ~CSlideshow() override;

  bool IsRunning() const { return m_timer.isActive(); }
  /// Starts with the interval of `Diashow` as it is now, or stops.
  void Toggle();
  void Stop();
  int Interval() const { return m_nInterval; }

  /// The view is about to show `position`: the picture decoded for it goes to the control.
  void BeginTick(std::int32_t position);
  /// The view shows `position`: the picture after it is decoded next.
  void EndTick(std::int32_t position);

  /// Position of the picture decoded ahead and ready; -1 when none.
  std::int32_t PreparedPosition() const { return m_prepared.IsEmpty() ? -1 : m_nPreparedPosition; }
  /// How many ticks found their picture decoded ahead.
  int HandOvers() const { return m_nHandOvers; }

  void OnUpdate(CDocument&, IDocumentObserver*, long) override {}
  void OnSelectionChanged() override;
  void OnContentsChanged() override;

 signals:
  /// After every tick, the new picture shown (measurements and tests).
  void Ticked();

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  struct Job {
    std::int32_t position = -1;
    QString path;
    QSize control;
    qreal dpr = 1.0;
    QSize windowControl;  // empty: no window shown
    qreal windowDpr = 1.0;
    bool operator==(const Job&) const = default;
  };
  struct Ahead {
    CLoadedPicture view;
    CLoadedPicture window;
  };
  void PrepareAfter(std::int32_t position);
  void StartWanted();
  void OnDecoded();
  void Drop();

  CMeriskDoc& m_doc;
  CPictureCtrl& m_ctrl;
  std::function<CPictureCtrl*()> m_windowCtrl;
  std::function<void()> m_tick;
  QBasicTimer m_timer;
  int m_nInterval = 2500;
  bool m_bTicking = false;
  bool m_bRepreparePending = false;
  int m_nHandOvers = 0;

  Job m_wanted;   // what the next tick will show; position -1: nothing
  Job m_running;  // what the worker decodes
  QFutureWatcher<Ahead> m_watcher;
  // At most one picture ahead for each control beside the one it shows.
  CLoadedPicture m_prepared;
  CLoadedPicture m_preparedWindow;
  std::int32_t m_nPreparedPosition = -1;
  QString m_strPreparedPath;
};

}  // namespace kolvaro
