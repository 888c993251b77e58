#pragma once
// The flat button beside the picture view's date that unlocks the date field.

#include <QBasicTimer>
#include <QPushButton>

namespace kolvaro {

/// While hover is enabled the button shows a raised frame as long as the
/// mouse is over it.
class CDateLockButton : public QPushButton {
  Q_OBJECT
 public:
  explicit CDateLockButton(QWidget* parent = nullptr);
  void EnableHover(bool on) { m_bHoverEnabled = on; }
  bool IsRaised() const { return m_bRaised; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  bool m_bHoverEnabled = false;
  bool m_bRaised = false;
  QBasicTimer m_timer;  // ends the raised state once the mouse has left
};

}  // namespace kolvaro
