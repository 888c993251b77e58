#pragma once
// The folder browser: a title, an owner, the folder to start in, and the
// folder the user chose.

#include <QPointer>
#include <QString>
#include <QWidget>

namespace kolvaro {

/// Browser flags as the callers name them. The dialog only ever offers
/// folders of the file system, so they are kept but change nothing.
enum FolderChooserFlags : unsigned {
  BIF_RETURNONLYFSDIRS = 0x0001,
  BIF_STATUSTEXT = 0x0004,
};

class CFolderChooser {
 public:
  /// `titleId` is a string of the German table; 0 or an unknown id gives no title.
  explicit CFolderChooser(QWidget* owner, int titleId = 0);
  CFolderChooser(const CFolderChooser&) = delete;
  CFolderChooser& operator=(const CFolderChooser&) = delete;

  void SetTitle(const QString& title) { m_title = title; }
  const QString& Title() const { return m_title; }

  /// Refused (false) while the browser is shown.
  bool SetFlags(unsigned flags);
  unsigned Flags() const { return m_flags; }

  /// The folder the browser opens in and returns when the user just
  /// confirms; a folder that does not exist opens its nearest existing
  /// parent, an empty one the home folder.
  void SetInitialFolder(const QString& folder) { m_initialFolder = folder; }

  /// Shows the browser modally; true when the user chose a folder.
  bool Browse();

  /// The folder of the last successful Browse(), without a trailing '/'
  /// (except for the root "/").
  const QString& GetPath() const { return m_path; }

 private:
  QPointer<QWidget> m_owner;
  QString m_title;
  unsigned m_flags = 0;
  QString m_initialFolder;
  QString m_path;
  bool m_browsing = false;
};

}  // namespace kolvaro
