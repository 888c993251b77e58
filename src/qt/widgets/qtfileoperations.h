#pragma once
// File operations of the desktop program: the freedesktop trash, the
// desktop's default programs, and copying and moving picture files with a
// progress dialog, questions and German error messages.

#include <QWidget>
#include <string>
#include <vector>

#include "core/ports/fileops.h"
#include "qt/widgets/qtuserquestions.h"

namespace kolvaro {

class CQtFileOperations final : public IFileOperations {
 public:
  explicit CQtFileOperations(QWidget* parent = nullptr);

  /// The window that owns the progress dialog and the messages.
  void SetParent(QWidget* parent) { m_ui.SetParent(parent); }

  /// Reports a failure in a message box (the caller has no one to tell).
  bool MoveToTrash(const std::string& path) override;
  bool OpenWithDefaultProgram(const std::string& path) override;
  /// Questions: "Ja", "Nein", "Abbrechen" before replacing; errors name the
  /// file and the cause. See IFileOperations for the outcome.
  bool CopyFiles(const std::vector<std::string>& sources, const std::string& targetFolder,
                 const std::string& title) override;
  bool MoveFiles(const std::vector<std::string>& sources, const std::string& targetFolder,
                 const std::string& title) override;
  /// Shows nothing, so a worker thread may call it.
  TransferResult TransferFile(const std::string& source, const std::string& targetFolder,
                              bool move, const TransferHooks& hooks) override;

 private:
  bool Transfer(const std::vector<std::string>& sources, const std::string& targetFolder,
                const std::string& title, bool move);

  CQtUserQuestions m_ui;
};

}  // namespace kolvaro
