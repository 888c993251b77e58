#pragma once
// Questions and messages to the user, as the core and the catalogue
// commands ask them. The program answers with dialogs, tests and
// kolvaro-cli with their own implementations.

#include <optional>
#include <string>
#include <vector>

namespace kolvaro {

/// The button the user chose. Closing a box counts as its most cautious
/// button: "Abbrechen" where there is one, else "Nein", else "OK".
enum class Answer { Ok, Cancel, Yes, No };

/// The button that Enter presses in a question.
enum class DefaultButton { Yes, No };

/// Whether a box offers "Hilfe" besides its answers.
enum class HelpButton { Hidden, Shown };

/// A question about losing work shows the warning icon instead of the question mark.
enum class QuestionIcon { Question, Warning };

/// One message box as an implementation shows it.
struct UserMessage {
  enum class Kind { Information, Warning, Error, YesNo, YesNoCancel };

  std::string text;
  /// Empty: the application title "Merisk".
  std::string caption;
  Kind kind = Kind::Information;
  QuestionIcon icon = QuestionIcon::Question;  // questions only
  DefaultButton defaultButton = DefaultButton::Yes;
  HelpButton help = HelpButton::Hidden;

  bool IsQuestion() const { return kind == Kind::YesNo || kind == Kind::YesNoCancel; }
  friend bool operator==(const UserMessage&, const UserMessage&) = default;
};

class IUserQuestions {
 public:
  virtual ~IUserQuestions() = default;

  /// "&Ja" / "&Nein" with the question mark; Yes or No.
  Answer AskYesNo(const std::string& text, const std::string& caption = {},
                  DefaultButton defaultButton = DefaultButton::Yes,
                  HelpButton help = HelpButton::Hidden) {
    return Show({text, caption, UserMessage::Kind::YesNo, QuestionIcon::Question, defaultButton, help});
  }
  /// "&Ja" / "&Nein" / "Abbrechen"; Yes, No or Cancel.
  Answer AskYesNoCancel(const std::string& text, const std::string& caption = {},
                        QuestionIcon icon = QuestionIcon::Question,
                        DefaultButton defaultButton = DefaultButton::Yes,
                        HelpButton help = HelpButton::Hidden) {
    return Show({text, caption, UserMessage::Kind::YesNoCancel, icon, defaultButton, help});
  }
  /// A plain message with "OK".
  void Inform(const std::string& text, const std::string& caption = {}) {
    Show({text, caption, UserMessage::Kind::Information});
  }
  /// Something asked for was left undone.
  void Warn(const std::string& text, const std::string& caption = {}) {
    Show({text, caption, UserMessage::Kind::Warning});
  }
  /// Something failed.
  void ReportError(const std::string& text, const std::string& caption = {}) {
    Show({text, caption, UserMessage::Kind::Error});
  }

  /// Shows one message and waits for the answer. Implementations provide
  /// it; callers use the operations above.
  virtual Answer Show(const UserMessage& message) = 0;

  /// Open-file dialog. `filter` is in "Text|*.ext|Text 2|*.a;*.b||" form.
  /// Returns the chosen files (several only when `multiple`), empty when cancelled.
  virtual std::vector<std::string> GetOpenFileNames(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& initialFolder,
                                                    bool multiple) = 0;

  /// Save-file dialog proposing `proposed`; filter as above. "" when cancelled.
  virtual std::string GetSaveFileName(const std::string& title, const std::string& filter,
                                      const std::string& proposed) {
    (void)title, (void)filter, (void)proposed;
    return {};
  }

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
