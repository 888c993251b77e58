#pragma once
// Shows one picture file scaled to fit, centred, with person frames over it;
// in a marking mode the user drags a rectangle that is reported in picture
// pixels.

#include <QBasicTimer>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <vector>

#include "core/types.h"
#include "views/loadedpicture.h"

namespace kolvaro {

enum PictureNotification : unsigned { PCN_DBLCLK = 1, PCN_RECTMARKED = 101, PCN_MOUSEMOVE = 104 };

struct NMPICTURE {
  QWidget* hwndFrom = nullptr;
  unsigned idFrom = 0;
  unsigned code = 0;
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class CPictureCtrl : public QWidget {
  Q_OBJECT
 public:
  explicit CPictureCtrl(QWidget* parent = nullptr, unsigned id = 1028);
  ~CPictureCtrl() override;

  /// Shows the file (an empty path shows nothing); clears the frames and stops blinking.
  void Load(const QString& path);
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
  unsigned Id() const { return m_nId; }

  // Owners set these directly; they take effect at the next paint or mouse event.
  int m_bFramesVisible = 0;
  int m_nMode = 0;  // 0 normal, 1 marking, 2 person cursor

 signals:
  /// PCN_DBLCLK, PCN_RECTMARKED and PCN_MOUSEMOVE, sent synchronously.
  void Notify(const kolvaro::NMPICTURE& nm);

  // The implementation adds what it needs below (paint, mouse, timer, cache).
 private:
  bool m_bBlinking = false;
  unsigned m_nId;
  unsigned m_nPictureWidth = 0;
  unsigned m_nPictureHeight = 0;
  std::vector<Rect> m_fixedFrames;
  std::vector<Rect> m_blinkingFrames;
};

}  // namespace kolvaro
