#pragma once
// The flat button beside the picture view's date that unlocks the date field.

#include <QBasicTimer>
#include <QPushButton>

namespace kolvaro {

/// While hover is enabled the button shows a raised frame as long as the
/// mouse is over it.
class DateLockButton : public QPushButton {
  Q_OBJECT
 public:
  explicit DateLockButton(QWidget* parent = nullptr);
  void EnableHover(bool on) { m_hoverEnabled = on; }
  bool IsRaised() const { return m_raised; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void timerEvent(QTimerEvent* event) override;

 private:
  bool m_hoverEnabled = false;
  bool m_raised = false;
  QBasicTimer m_timer;  // ends the raised state once the mouse has left
};

}  // namespace kolvaro
