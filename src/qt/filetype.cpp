#include "qt/filetype.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>

#include "qt/qtstring.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

const QString kPackageName = QStringLiteral("kolvaro-album.xml");
const QString kDefaultSection = QStringLiteral("[Default Applications]");
// Register notes in its desktop entry which folders and files it had to
// create, so that Remove can leave the user's folders as they were.
const QString kCreatedKey = QStringLiteral("X-Kolvaro-Created=");

// What update-mime-database writes beside packages/.
const char* const kMimeDatabaseFiles[] = {"aliases", "generic-icons", "globs",     "globs2",  "icons",  "magic",
                                          "mime.cache", "subclasses", "treemagic", "types", "version",
                                          "XMLnamespaces", "application/x-kolvaro-album.xml"};

QString EnvFolder(const char* name, const QString& fallback) {
  const QString value = qEnvironmentVariable(name);
  // Relative XDG folders count as unset, as the desktop reads them.
  return !value.isEmpty() && QDir::isAbsolutePath(value) ? value : QDir::homePath() + fallback;
}

bool IsReserved(QChar c) {
  return QStringLiteral(" \t\n\"'\\><~|&;$*?#()`").contains(c);
}

// A desktop entry's string value: backslash and control characters escaped.
QString EscapeValue(const QString& text) {
  QString value;
  for (const QChar c : text) {
    if (c == QLatin1Char('\\')) value += QStringLiteral("\\\\");
    else if (c == QLatin1Char('\n')) value += QStringLiteral("\\n");
    else if (c == QLatin1Char('\t')) value += QStringLiteral("\\t");
    else if (c == QLatin1Char('\r')) value += QStringLiteral("\\r");
    else value += c;
  }
  return value;
}

bool RunIfPresent(const QString& tool, const QString& folder) {
  const QString program = QStandardPaths::findExecutable(tool);
  if (program.isEmpty()) return false;
  QProcess process;
  // Their notes about the search path are no concern of the user.
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start(program, {folder});
  return process.waitForFinished(60000) && process.exitCode() == 0;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A mimeapps.list or mimeinfo.cache with nothing but section headers and blank lines.
bool HoldsNoEntries(const QByteArray& text) {
  for (const QByteArray& line : text.split('\n')) {
    const QByteArray t = line.trimmed();
    if (!t.isEmpty() && !t.startsWith('[') && !t.startsWith('#')) return false;
  }
  return true;
}

}  // namespace

FileTypeFolders FileTypeFolders::ForUser() {
  return {EnvFolder("XDG_DATA_HOME", QStringLiteral("/.local/share")),
          EnvFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"))};
}

QString DesktopExecValue(const QString& programPath) {
  QString program = programPath;
  if (std::any_of(program.begin(), program.end(), IsReserved)) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
      if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
        quoted += QLatin1Char('\\');
      quoted += c;
    }
    program = quoted + QLatin1Char('"');
  }
  // The string-value escapes apply before the quoting rule is read.
  return EscapeValue(program).replace(QLatin1Char('%'), QStringLiteral("%%")) + QStringLiteral(" %f");
}

CFileTypeRegistration::CFileTypeRegistration(FileTypeFolders folders, QString programPath, QString icon,
                                             QByteArray mimePackage)
    : m_folders(std::move(folders)),
      m_programPath(std::move(programPath)),
      m_icon(std::move(icon)),
      m_mimePackage(std::move(mimePackage)) {}

QString CFileTypeRegistration::DesktopId() { return QStringLiteral("kolvaro-album.desktop"); }

QString CFileTypeRegistration::MimePackagePath() const {
  return m_folders.dataHome + QStringLiteral("/mime/packages/") + kPackageName;
}
QString CFileTypeRegistration::DesktopEntryPath() const {
  return m_folders.dataHome + QStringLiteral("/applications/") + DesktopId();
}
QString CFileTypeRegistration::MimeAppsPath() const { return m_folders.configHome + QStringLiteral("/mimeapps.list"); }

QString CFileTypeRegistration::Resolve(const QString& token) const {
  const qsizetype colon = token.indexOf(QLatin1Char(':'));
  const QString base = token.left(colon) == QLatin1String("config") ? m_folders.configHome : m_folders.dataHome;
  const QString rest = token.mid(colon + 1);
  return rest.isEmpty() ? base : base + QLatin1Char('/') + rest;
}

QStringList CFileTypeRegistration::CreatedByUs() const {
  for (const QByteArray& line : ReadAll(DesktopEntryPath()).split('\n')) {
    const QString text = QString::fromUtf8(line);
    if (text.startsWith(kCreatedKey)) return text.mid(kCreatedKey.size()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
  }
  return {};
}

bool CFileTypeRegistration::IsFileTypeRegistered() const {
  for (const QString& path : {MimePackagePath(), DesktopEntryPath()}) {
    const QFileInfo info(path);
    if (!info.isFile() || !info.isWritable()) return false;
  }
  const QByteArray line = QByteArray(kAlbumMimeType) + '=' + DesktopId().toUtf8();
  bool inDefaults = false;
  for (const QByteArray& raw : ReadAll(MimeAppsPath()).split('\n')) {
    const QByteArray t = raw.trimmed();
    if (t.startsWith('[')) inDefaults = t == kDefaultSection.toUtf8();
    else if (inDefaults && (t == line || t.startsWith(line + ';'))) return true;
  }
  return false;
}

QByteArray CFileTypeRegistration::DesktopEntry(const QStringList& created) const {
  QString text = QStringLiteral("[Desktop Entry]\nType=Application\n");
  text += QStringLiteral("Name=") + ToQString(LoadString(IDS_FILETYPE_APP_NAME)) + QLatin1Char('\n');
  text += QStringLiteral("Comment=") + ToQString(LoadString(IDS_FILETYPE_DESCRIPTION)) + QLatin1Char('\n');
  text += QStringLiteral("Exec=") + DesktopExecValue(m_programPath) + QLatin1Char('\n');
  text += QStringLiteral("Icon=") + EscapeValue(m_icon) + QLatin1Char('\n');
  text += QStringLiteral("MimeType=") + QLatin1String(kAlbumMimeType) + QStringLiteral(";\n");
  // Only the file type needs it: an installed Kolvaro has its own menu entry.
  text += QStringLiteral("NoDisplay=true\nTerminal=false\n");
  text += kCreatedKey + created.join(QLatin1Char(';')) + QLatin1Char('\n');
  return text.toUtf8();
}

bool CFileTypeRegistration::WriteFile(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit()) return true;
  m_failedPath = path;
  return false;
}

bool CFileTypeRegistration::SetDefaultLine(bool set) {
  const QString path = MimeAppsPath();
  const bool existed = QFileInfo::exists(path);
  const QByteArray old = ReadAll(path);
  if (existed && old.isEmpty() && !QFileInfo(path).isReadable()) {
    m_failedPath = path;
    return false;
  }
  const QByteArray key = QByteArray(kAlbumMimeType) + '=';
  const QByteArray ours = key + DesktopId().toUtf8() + ';';
  QList<QByteArray> lines = old.split('\n');
  const bool endsInNewline = old.isEmpty() || old.endsWith('\n');
  if (endsInNewline) lines.removeLast();
  qsizetype section = -1, found = -1;
  bool inDefaults = false;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QByteArray t = lines[i].trimmed();
    if (t.startsWith('[')) {
      inDefaults = t == kDefaultSection.toUtf8();
      if (inDefaults && section < 0) section = i;
    } else if (inDefaults && found < 0 && t.startsWith(key)) {
      found = i;
    }
  }
  if (set) {
    if (found >= 0) lines[found] = ours;
    else if (section >= 0) lines.insert(section + 1, ours);
    else lines << kDefaultSection.toUtf8() << ours;
  } else {
    // Another program's choice for the type stays.
    if (found < 0 || !lines[found].trimmed().mid(key.size()).startsWith(DesktopId().toUtf8() + ';')) return true;
    lines.removeAt(found);
  }
  QByteArray text = lines.join('\n');
  if (!lines.isEmpty() && endsInNewline) text += '\n';
  if (!set && CreatedByUs().contains(QStringLiteral("config:mimeapps.list")) && HoldsNoEntries(text))
    return QFile::remove(path);
  return text == old || WriteFile(path, text);
}

void CFileTypeRegistration::RefreshCaches(const QStringList& created) const {
  const QString mime = m_folders.dataHome + QStringLiteral("/mime");
  // A database made only for this type goes with it.
  if (created.contains(QStringLiteral("data:mime")) && QDir(mime + QStringLiteral("/packages")).isEmpty()) {
    for (const char* name : kMimeDatabaseFiles) QFile::remove(mime + QLatin1Char('/') + QLatin1String(name));
    QDir(mime).rmdir(QStringLiteral("application"));
  } else {
    RunIfPresent(QStringLiteral("update-mime-database"), mime);
  }
  const QString applications = m_folders.dataHome + QStringLiteral("/applications");
  if (QFileInfo(applications).isDir()) RunIfPresent(QStringLiteral("update-desktop-database"), applications);
  const QString cache = applications + QStringLiteral("/mimeinfo.cache");
  if (created.contains(QStringLiteral("data:applications/mimeinfo.cache")) && !QFileInfo::exists(DesktopEntryPath()) &&
      HoldsNoEntries(ReadAll(cache)))
    QFile::remove(cache);
}

bool CFileTypeRegistration::Register() {
  m_failedPath.clear();
  QStringList created = CreatedByUs();
  for (const QString& token : {QStringLiteral("data:"), QStringLiteral("data:mime"), QStringLiteral("data:mime/packages"),
                              QStringLiteral("data:applications"), QStringLiteral("data:applications/mimeinfo.cache"),
                              QStringLiteral("config:"), QStringLiteral("config:mimeapps.list")}) {
    if (!QFileInfo::exists(Resolve(token)) && !created.contains(token)) created << token;
  }
  for (const QString& folder : {QFileInfo(MimePackagePath()).path(), QFileInfo(DesktopEntryPath()).path(),
                                m_folders.configHome}) {
    if (!QDir().mkpath(folder)) {
      m_failedPath = folder;
      return false;
    }
  }
  if (!WriteFile(MimePackagePath(), m_mimePackage) || !WriteFile(DesktopEntryPath(), DesktopEntry(created)) ||
      !SetDefaultLine(true))
    return false;
  RefreshCaches(created);
  return true;
}

bool CFileTypeRegistration::Remove() {
  m_failedPath.clear();
  const QStringList created = CreatedByUs();
  bool ok = SetDefaultLine(false);
  for (const QString& path : {MimePackagePath(), DesktopEntryPath()}) {
    if (QFileInfo::exists(path) && !QFile::remove(path)) {
      m_failedPath = path;
      ok = false;
    }
  }
  RefreshCaches(created);
  // Folders made for the registration go when nothing else came into them;
  // rmdir never removes a folder that holds something.
  for (const QString& token : {QStringLiteral("data:mime/packages"), QStringLiteral("data:mime"),
                              QStringLiteral("data:applications"), QStringLiteral("data:"), QStringLiteral("config:")}) {
    if (created.contains(token)) QDir().rmdir(Resolve(token));
  }
  return ok;
}

}  // namespace kolvaro
