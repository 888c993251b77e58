#pragma once
// Shows one picture file scaled to fit, centred, with person frames over it;
// in a marking mode the user drags a rectangle that is reported in picture
// pixels.

#include <QBasicTimer>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <vector>

#include "core/types.h"
#include "views/loadedpicture.h"
#include "views/picturelayout.h"

class QPainter;
class QRubberBand;

namespace kolvaro {

class CPictureCtrl : public QWidget {
  Q_OBJECT
 public:
  explicit CPictureCtrl(QWidget* parent = nullptr);
  ~CPictureCtrl() override;

  /// Shows the file (an empty path shows nothing); clears the frames and stops blinking.
  void Load(const QString& path);
  /// A picture already read and decoded elsewhere (the slideshow's worker):
  /// the next Load of `path` takes it instead of reading the file; any Load
  /// drops it.
  void OfferPrepared(const QString& path, CLoadedPicture picture);
  /// Recomputes the display rectangle; owners call it after moving or resizing the control.
  void RecalcLayout();
  void PictureToClient(Rect& r) const;
  void ClientToPicture(Rect& r) const;
  void AddFixedFrame(const Rect& r);
  void AddBlinkingFrame(const Rect& r);
  void ClearBlinkingFrames();
  void ClearFrames();
  void SetBlinking(bool on);
  bool IsBlinking() const { return m_bBlinking; }

  /// Pixel size of the picture in the file's stored grid; 0 x 0 when empty.
  unsigned PictureWidth() const { return m_nPictureWidth; }
  unsigned PictureHeight() const { return m_nPictureHeight; }
  /// Where the picture is drawn, in client coordinates.
  QRect DisplayRect() const;
  const std::vector<Rect>& FixedFrames() const { return m_fixedFrames; }
  const std::vector<Rect>& BlinkingFrames() const { return m_blinkingFrames; }

  /// The loaded picture (empty when nothing is shown).
  const CLoadedPicture& Picture() const { return m_picture; }
  /// EXIF orientation of the shown picture, 1 to 8.
  int Orientation() const { return m_picture.Orientation(); }
  /// Size of the scaled copy that paints draw from (device pixels); empty
  /// until the first paint or while nothing is shown.
  QSize CachedImageSize() const { return m_scaled.size(); }
  /// Applies the cursor of the current mode at once (after setting m_nMode).
  void UpdateCursor();

  /// Why nothing is shown: no file asked for, the file is not there, or it
  /// holds no picture that can be decoded.
  enum class Failure { None, Missing, NotAPicture };
  Failure LoadFailure() const { return m_failure; }
  /// The text shown in place of a picture.
  QString MessageText() const;

  // Owners set these directly; they take effect at the next paint or mouse event.
  int m_bFramesVisible = 0;
  int m_nMode = 0;  // 0 normal, 1 marking, 2 person cursor

 signals:
  // All sent synchronously; positions are picture pixels of the stored grid.
  /// A left double click anywhere in the control.
  void DoubleClicked();
  /// A rubber-band drag in a marking mode ended away from where it began;
  /// the rectangle is normalised and may reach beyond the picture.
  void RectMarked(const kolvaro::Rect& rect);
  /// The mouse moved over the control (outside the picture the point lies
  /// outside it, and is sent as it is).
  void MouseMoved(kolvaro::PicturePoint point);

  // The implementation adds what it needs below (paint, mouse, timer, cache).
 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void EnsureScaled();
  void DropPicture();
  void DrawFrames(QPainter& painter, const std::vector<Rect>& frames) const;
  QRegion FramesRegion(const std::vector<Rect>& frames) const;
  void BlinkTick();
  void EndTracking();
  QSize DisplayedSize() const;

  bool m_bBlinking = false;
  unsigned m_nPictureWidth = 0;
  unsigned m_nPictureHeight = 0;
  std::vector<Rect> m_fixedFrames;
  std::vector<Rect> m_blinkingFrames;

  CLoadedPicture m_picture;
  Rect m_display;
  bool m_bBlinkPhase = false;
  QBasicTimer m_blinkTimer;
  QImage m_scaled;  // the picture at the display rectangle's device size
  QCursor m_markingCursor;
  QCursor m_personCursor;
  QCursor m_normalCursor;
  int m_nCursorMode = -1;  // mode whose cursor is set
  QRubberBand* m_pRubberBand = nullptr;
  bool m_bTracking = false;
  QPoint m_trackOrigin;
  QPoint m_trackPoint;
  Failure m_failure = Failure::None;
  QString m_strPath;  // the file last loaded, for the message
  CLoadedPicture m_prepared;
  QString m_strPreparedPath;
};

}  // namespace kolvaro
