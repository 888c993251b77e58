#pragma once
// Questions and messages to the user, as the core and the catalogue
// commands ask them. The program answers with dialogs, tests and
// kolvaro-cli with their own implementations.

#include <optional>
#include <string>
#include <vector>

namespace kolvaro {

/// Buttons and icon of a message box, as the Windows flags name them.
enum MessageBoxFlags : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON2 = 0x100,
  MB_HELP = 0x4000,
};

/// The button the user chose.
enum MessageBoxResult : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

class IUserQuestions {
 public:
  virtual ~IUserQuestions() = default;

  /// Shows a message; an empty caption means the application title "Merisk".
  virtual int MessageBox(const std::string& text, const std::string& caption,
                         unsigned flags) = 0;

  /// Open-file dialog. `filter` is in "Text|*.ext|Text 2|*.a;*.b||" form.
  /// Returns the chosen files (several only when `multiple`), empty when cancelled.
  virtual std::vector<std::string> GetOpenFileNames(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& initialFolder,
                                                    bool multiple) = 0;

  /// Folder chooser; empty when cancelled.
  virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                  const std::string& initialFolder) = 0;

  /// Long operations show the wait cursor between these two calls.
  virtual void BeginWaitCursor() {}
  virtual void EndWaitCursor() {}
};

/// Shows the wait cursor for the lifetime of the guard.
class CWaitCursorGuard {
 public:
  explicit CWaitCursorGuard(IUserQuestions* ui) : m_ui(ui) {
    if (m_ui) m_ui->BeginWaitCursor();
  }
  ~CWaitCursorGuard() {
    if (m_ui) m_ui->EndWaitCursor();
  }
  CWaitCursorGuard(const CWaitCursorGuard&) = delete;
  CWaitCursorGuard& operator=(const CWaitCursorGuard&) = delete;

 private:
  IUserQuestions* m_ui;
};

}  // namespace kolvaro
