#include "app/filetypecmd.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "qt/filetype.h"
#include "qt/qtstring.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"

namespace kolvaro {

CFileTypeRegistration AlbumFileType(const std::string& programPath) {
  const QString program = QString::fromStdString(programPath);
  // An installed Kolvaro names its icon file; one run from its build folder
  // falls back to the theme's icon of that name.
  const QString installedIcon = QFileInfo(program).dir().absoluteFilePath(
      QStringLiteral("../share/icons/hicolor/scalable/apps/kolvaro.svg"));
  const QString icon = QFileInfo::exists(installedIcon) ? QFileInfo(installedIcon).canonicalFilePath()
                                                        : QStringLiteral("kolvaro");
  QFile package(QStringLiteral(":/desktop/kolvaro.xml"));
  package.open(QIODevice::ReadOnly);
  return CFileTypeRegistration(FileTypeFolders::ForUser(), program, icon, package.readAll());
}

void OnRegisterFileType(IUserQuestions& ui, const std::string& programPath) {
  CFileTypeRegistration type = AlbumFileType(programPath);
  const bool registered = type.IsFileTypeRegistered();
  const std::string caption(LoadString(IDS_QUESTION_CAPTION));
  if (ui.AskYesNo(std::string(LoadString(registered ? IDS_UNREGISTER_QUESTION : IDS_REGISTER_QUESTION)), caption) !=
      Answer::Yes)
    return;
  // Unlike a registry write, a failed file write must not pass unnoticed.
  if (!(registered ? type.Remove() : type.Register()))
    ui.Warn(FormatMessage(LoadString(IDS_FILETYPE_FAILED), {type.FailedPath().toStdString()}));
}

std::string RegisterFileTypeMenuText(const std::string& programPath) {
  return std::string(
      LoadString(AlbumFileType(programPath).IsFileTypeRegistered() ? IDS_UNREGISTER_FILETYPE_MENU : IDS_REGISTER_FILETYPE_MENU));
}

}  // namespace kolvaro
