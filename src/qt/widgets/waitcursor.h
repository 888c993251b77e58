#pragma once
// The wait cursor for as long as a guard lives.

#include <QApplication>
#include <QCursor>

namespace kolvaro {

/// Pushes the wait cursor onto the application's override-cursor stack and
/// pops one entry when it ends, so nested guards restore the cursor only
/// when the outermost one ends. Without an application it does nothing.
class CWaitCursor {
 public:
  CWaitCursor() : m_active(qApp != nullptr) {
    if (m_active) QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  }
  ~CWaitCursor() {
    if (m_active && qApp) QApplication::restoreOverrideCursor();
  }
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;

 private:
  bool m_active;
};

}  // namespace kolvaro
