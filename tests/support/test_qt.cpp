// The modal-dialog helper fails the test and lets exec() return instead of
// blocking until the test run is killed.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <functional>

#include "testsupport/qt.h"

namespace kolvaro::test {
namespace {

TEST(OnNextModal, FailsAndClosesTheDialogWhenTheAnswerGoesWrong) {
  const struct {
    const char* failure;
    int showAfterMs;
    std::function<void(QWidget*)> act;
  } cases[] = {
      {"no modal dialog appeared within 50 ms", 200, [](QWidget*) {}},
      {"the answer left the modal dialog \"Frage\" open", 0, [](QWidget*) {}},
      {"no message box button \"Vielleicht\"", 0,
       [](QWidget* w) { PressMessageBoxButton(w, QStringLiteral("Vielleicht")); }},
  };
  for (const auto& c : cases) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Frage"), QStringLiteral("Weiter?"),
                    QMessageBox::Yes | QMessageBox::No);
    EXPECT_NONFATAL_FAILURE(
        {
          OnNextModal(c.act, 50);
          QTest::qWait(c.showAfterMs);
          box.exec();
        },
        c.failure);
    EXPECT_FALSE(box.isVisible());
  }
}

}  // namespace
}  // namespace kolvaro::test
