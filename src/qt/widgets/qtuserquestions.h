#pragma once
// Questions to the user as the desktop program asks them: message boxes,
// the open-file dialog, the folder chooser and the wait cursor.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports/userquestions.h"

namespace kolvaro {

class CWaitCursor;

/// Turns a filter in "Text|*.ext|Text 2|*.a;*.b||" form into QFileDialog's
/// name filters: "Text (*.ext)", "Text 2 (*.a *.b)". A text that already
/// ends with its pattern in parentheses keeps only one copy of it, and
/// "*.*" becomes "*" so that files without an extension are listed too.
QStringList ConvertFileFilter(std::string_view filter);

class CQtUserQuestions final : public IUserQuestions {
 public:
  explicit CQtUserQuestions(QWidget* parent = nullptr);
  ~CQtUserQuestions() override;
  CQtUserQuestions(const CQtUserQuestions&) = delete;
  CQtUserQuestions& operator=(const CQtUserQuestions&) = delete;

  /// The window that owns the dialogs (may change, e.g. once the main window exists).
  void SetParent(QWidget* parent) { m_parent = parent; }
  QWidget* Parent() const { return m_parent; }

  /// Called when "Hilfe" is pressed in a box that shows it, with the window
  /// that was active when the box came up (its help is wanted); the box stays open.
  void SetHelpHandler(std::function<void(QWidget* window)> handler) { m_help = std::move(handler); }

  /// A QMessageBox with the German buttons, the icon of the message's kind
  /// and its default button. Closing the box counts as its escape button:
  /// "Abbrechen" where there is one, else "Nein", else "OK".
  Answer Show(const UserMessage& message) override;
  std::vector<std::string> GetOpenFileNames(const std::string& title, const std::string& filter,
                                            const std::string& initialFolder,
                                            bool multiple) override;
  std::string GetSaveFileName(const std::string& title, const std::string& filter,
                              const std::string& proposed) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initialFolder) override;
  /// Nest; an EndWaitCursor without a matching BeginWaitCursor is ignored.
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

 private:
  QPointer<QWidget> m_parent;
  std::function<void(QWidget*)> m_help;
  std::vector<std::unique_ptr<CWaitCursor>> m_waitCursors;
};

}  // namespace kolvaro
