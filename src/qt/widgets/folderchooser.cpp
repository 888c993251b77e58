#include "qt/widgets/folderchooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "qt/qtstring.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

// A card that was pulled out or a folder that was renamed should not leave
// the user in the program's working folder.
QString ExistingFolderFor(const QString& folder) {
  if (folder.isEmpty()) return QDir::homePath();
  QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
  while (!QFileInfo(path).isDir()) {
    const QString parent = QFileInfo(path).path();
    if (parent == path) return QDir::homePath();
    path = parent;
  }
  return path;
}

}  // namespace

CFolderChooser::CFolderChooser(QWidget* owner, int titleId) : m_owner(owner) {
  if (titleId != 0) m_title = ToQString(LoadString(titleId));
}

bool CFolderChooser::SetFlags(unsigned flags) {
  if (m_browsing) return false;
  m_flags = flags;
  return true;
}

bool CFolderChooser::Browse() {
  if (m_browsing) return false;
  m_browsing = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{m_browsing};

  QFileDialog dialog(m_owner, m_title);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setDirectory(ExistingFolderFor(m_initialFolder));
  if (dialog.exec() != QDialog::Accepted) return false;

  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.first().isEmpty()) return false;
  m_path = QDir::cleanPath(chosen.first());
  return true;
}

}  // namespace kolvaro
