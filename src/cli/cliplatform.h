#pragma once
// The platform as kolvaro-cli offers it: no dialogs (the command line has
// already said which files and folder are meant), messages on stderr, and
// the freedesktop trash of the user's home file system.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/ports/fileops.h"
#include "core/ports/userquestions.h"

namespace kolvaro::cli {

class CCliUserQuestions final : public IUserQuestions {
 public:
  explicit CCliUserQuestions(std::ostream& err) : m_err(err) {}

  /// What the open-file dialog and the folder chooser answer.
  void SetChosenFiles(std::vector<std::string> files) { m_files = std::move(files); }
  void SetChosenFolder(std::string folder) { m_folder = std::move(folder); }

  /// Writes the text to stderr and answers with the default button.
  Answer Show(const UserMessage& message) override;
  /// How many of the messages were warnings or errors: something asked for
  /// was left undone, so the command fails.
  int Warnings() const { return m_warnings; }
  std::vector<std::string> GetOpenFileNames(const std::string& title, const std::string& filter,
                                            const std::string& initialFolder,
                                            bool multiple) override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& initialFolder) override;

 private:
  std::ostream& m_err;
  std::vector<std::string> m_files;
  std::optional<std::string> m_folder;
  int m_warnings = 0;
};

/// Moves files into $XDG_DATA_HOME/Trash (default ~/.local/share/Trash) as
/// the freedesktop trash standard describes; only regular files at an
/// absolute path (never a folder, link, device or pipe) on the same file
/// system can go there. Failures are reported on stderr.
class CCliFileOperations final : public IFileOperations {
 public:
  explicit CCliFileOperations(std::ostream& err) : m_err(err) {}

  bool MoveToTrash(const std::string& path) override;
  bool OpenWithDefaultProgram(const std::string& path) override;
  /// TransferFileSafely: the questions are the caller's hooks.
  TransferResult TransferFile(const std::string& source, const std::string& targetFolder,
                              bool move, const TransferHooks& hooks) override;

  /// True when an operation failed (and said so on stderr).
  bool Failed() const { return m_failed; }

 private:
  bool Report(const std::string& message);

  std::ostream& m_err;
  bool m_failed = false;
};

/// The percent-encoded form of a path for a .trashinfo file's Path= line.
std::string TrashInfoPath(const std::string& path);

}  // namespace kolvaro::cli
