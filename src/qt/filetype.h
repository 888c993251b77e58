#pragma once
// The album file type on a freedesktop desktop: a shared-mime-info package,
// a desktop entry that opens albums with this program, and the user's
// default application for the type. Only the user's own folders are touched.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kolvaro {

inline constexpr char kAlbumMimeType[] = "application/x-kolvaro-album";

/// The user's folders the association lives in.
struct FileTypeFolders {
  QString dataHome;    // $XDG_DATA_HOME, default ~/.local/share
  QString configHome;  // $XDG_CONFIG_HOME, default ~/.config
  static FileTypeFolders ForUser();
};

/// "<program> %f" for a desktop entry's Exec key: the program quoted by the
/// desktop-entry rules where it holds a reserved character, then escaped as
/// a string value.
QString DesktopExecValue(const QString& programPath);

class CFileTypeRegistration {
 public:
  /// `mimePackage`: the shared-mime-info XML defining kAlbumMimeType.
  /// `icon`: an icon name of the theme or an icon file's path.
  CFileTypeRegistration(FileTypeFolders folders, QString programPath, QString icon, QByteArray mimePackage);

  /// The package, the desktop entry and the default-application line all
  /// exist and the two files are writable.
  bool IsFileTypeRegistered() const;
  /// Writes all three (again) and refreshes the caches; false with
  /// FailedPath() naming what could not be written.
  bool Register();
  /// Deletes what Register wrote and nothing else; folders and caches it
  /// created go again when nothing else is in them.
  bool Remove();

  QString MimePackagePath() const;
  QString DesktopEntryPath() const;
  QString MimeAppsPath() const;
  const QString& FailedPath() const { return m_failedPath; }

  /// The desktop entry's file name, the id mimeapps.list refers to.
  static QString DesktopId();

 private:
  QByteArray DesktopEntry(const QStringList& created) const;
  bool WriteFile(const QString& path, const QByteArray& bytes);
  bool SetDefaultLine(bool set);
  void RefreshCaches(const QStringList& created) const;
  QStringList CreatedByUs() const;
  QString Resolve(const QString& token) const;

  FileTypeFolders m_folders;
  QString m_programPath;
  QString m_icon;
  QByteArray m_mimePackage;
  QString m_failedPath;
};

}  // namespace kolvaro
