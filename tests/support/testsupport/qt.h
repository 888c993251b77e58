#pragma once
// Helpers for widget tests: answering modal dialogs from the test, so no
// dialog ever waits for a person.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace kolvaro::test {

/// Calls `act` with the next modal widget as soon as one is shown (checked
/// every 10 ms, for at most `timeoutMs`). `act` must close it, for example
/// with `accept()`, `reject()` or a click on a button.
inline void OnNextModal(std::function<void(QWidget*)> act, int timeoutMs = 5000) {
  auto* timer = new QTimer(qApp);
  auto remaining = std::make_shared<int>(timeoutMs / 10);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act = std::move(act), remaining] {
    if (QWidget* w = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      act(w);
    } else if (--*remaining <= 0) {
      timer->stop();
      timer->deleteLater();
    }
  });
  timer->start(10);
}

/// Presses the message box button whose text (without '&') is `text`.
inline void PressMessageBoxButton(QWidget* w, const QString& text) {
  auto* box = qobject_cast<QMessageBox*>(w);
  if (!box) return;
  for (QAbstractButton* b : box->buttons()) {
    if (b->text().remove(QLatin1Char('&')) == text) {
      b->click();
      return;
    }
  }
}

}  // namespace kolvaro::test
