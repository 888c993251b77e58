#include "testsupport/qt.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <memory>

namespace kolvaro::test {
namespace {

void Close(QWidget* w) {
  if (auto* dialog = qobject_cast<QDialog*>(w))
    dialog->reject();
  else
    w->close();
}

}  // namespace

void OnNextModal(std::function<void(QWidget*)> act, int timeoutMs) {
  struct Watch {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QDeadlineTimer deadline;
    QPointer<QWidget> answered;
    bool acted = false, late = false;
  };
  auto watch = std::make_shared<Watch>();
  watch->deadline.setRemainingTime(timeoutMs);
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer, [=, act = std::move(act)] {
    auto finish = [timer] {
      timer->stop();
      timer->deleteLater();
    };
    QWidget* modal = QApplication::activeModalWidget();
    // Still waiting once its test is over, it would answer the next test's dialog.
    if (::testing::UnitTest::GetInstance()->current_test_info() != watch->test) return finish();
    if (watch->acted) {
      if (!watch->answered || modal != watch->answered) return finish();
      if (!watch->deadline.hasExpired()) return;
      ADD_FAILURE() << "the answer left the modal dialog \"" << modal->windowTitle().toStdString()
                    << "\" open";
      Close(modal);
      return finish();
    }
    if (modal && watch->late) {
      Close(modal);  // came too late: closed, so that its exec() returns
      return finish();
    }
    if (modal) {
      watch->answered = modal;
      watch->acted = true;
      watch->deadline.setRemainingTime(timeoutMs);
      return act(modal);
    }
    if (!watch->late && watch->deadline.hasExpired()) {
      ADD_FAILURE() << "no modal dialog appeared within " << timeoutMs << " ms";
      watch->late = true;
    }
  });
  timer->start(10);
}

void PressMessageBoxButton(QWidget* w, const QString& text) {
  if (auto* box = qobject_cast<QMessageBox*>(w)) {
    for (QAbstractButton* b : box->buttons()) {
      if (b->text().remove(QLatin1Char('&')) == text) return b->click();
    }
  }
  ADD_FAILURE() << "no message box button \"" << text.toStdString() << "\"";
  if (w) Close(w);
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QTest::qWait(10);
  }
  return true;
}

}  // namespace kolvaro::test
