#pragma once
// Helpers for widget tests: answering modal dialogs from the test, so no
// dialog ever waits for a person, and waiting for a state without a fixed sleep.

#include <QString>
#include <functional>

class QWidget;

namespace kolvaro::test {

/// Calls `act` with the next modal widget as soon as one is shown (checked
/// every 10 ms). `act` must close it, for example with `accept()`, `reject()`
/// or a click on a button. A test failure is recorded, and the dialog closed
/// so that its exec() returns, when none appears within `timeoutMs` or `act`
/// leaves it open for as long.
void OnNextModal(std::function<void(QWidget*)> act, int timeoutMs = 5000);

/// Presses the message box button whose text (without '&') is `text`; fails
/// the test and closes the box when there is no such button.
void PressMessageBoxButton(QWidget* w, const QString& text);

/// Processes events until `done()` holds or `timeoutMs` have passed; whether
/// it holds in the end. gtest's stand-in for QTRY_VERIFY, whose failures
/// would not reach gtest.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace kolvaro::test
