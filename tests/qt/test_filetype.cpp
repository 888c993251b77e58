// The album file type in the user's freedesktop folders, checked with xdg-mime.
#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "qt/filetype.h"

namespace kolvaro {
namespace {

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

QByteArray Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every file and folder below `root` with its content.
QStringList Listing(const QString& root) {
  QStringList out;
  QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QString path = it.next();
    out << path.mid(root.size()) + QLatin1Char('=') + QString::fromUtf8(Read(path));
  }
  out.sort();
  return out;
}

struct UserFolders {
  QTemporaryDir dir;
  FileTypeFolders folders{dir.path() + QStringLiteral("/data"), dir.path() + QStringLiteral("/config")};
  CFileTypeRegistration Registration() const {
    QFile package(QStringLiteral(":/desktop/kolvaro.xml"));
    EXPECT_TRUE(package.open(QIODevice::ReadOnly));
    return CFileTypeRegistration(folders, QStringLiteral("/opt/Mein Kolvaro/kolvaro"), QStringLiteral("/opt/a\\b.svg"),
                                 package.readAll());
  }
  QString XdgMime(const QStringList& args) const {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), folders.dataHome);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folders.configHome);
    env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("X-Generic"));
    env.insert(QStringLiteral("DE"), QStringLiteral("generic"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral("xdg-mime"), args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
  }
};

TEST(FileTypeTest, ExecValueQuotesAndEscapesByTheDesktopEntryRules) {
  const struct {
    const char* program;
    const char* exec;
  } cases[] = {
      {"/usr/bin/kolvaro", "/usr/bin/kolvaro %f"},
      {"/opt/Mein Kolvaro/kolvaro", "\"/opt/Mein Kolvaro/kolvaro\" %f"},
      {"/opt/a$b/k", "\"/opt/a\\\\$b/k\" %f"},
      {"/opt/a\\b/k", "\"/opt/a\\\\\\\\b/k\" %f"},
      {"/opt/say \"hi\"/k", "\"/opt/say \\\\\"hi\\\\\"/k\" %f"},
      {"/opt/100%/k", "/opt/100%%/k %f"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DesktopExecValue(QString::fromUtf8(c.program)), QString::fromUtf8(c.exec)) << c.program;
}

TEST(FileTypeTest, RegisterMakesKolvaroTheDefaultAndRemoveLeavesTheFoldersAsTheyWere) {
  UserFolders user;
  ASSERT_TRUE(QDir().mkpath(user.folders.configHome));
  const QByteArray foreign = "[Default Applications]\ntext/plain=editor.desktop;\n\n[Added Associations]\nimage/png=gimp.desktop;\n";
  Write(user.folders.configHome + QStringLiteral("/mimeapps.list"), foreign);
  const QStringList before = Listing(user.dir.path());
  CFileTypeRegistration type = user.Registration();
  ASSERT_FALSE(type.IsFileTypeRegistered());

  ASSERT_TRUE(type.Register()) << type.FailedPath().toStdString();
  EXPECT_TRUE(type.IsFileTypeRegistered());
  EXPECT_TRUE(Read(type.DesktopEntryPath()).contains("\nExec=\"/opt/Mein Kolvaro/kolvaro\" %f\nIcon=/opt/a\\\\b.svg\n"));
  EXPECT_EQ(user.XdgMime({QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(kAlbumMimeType)}),
            CFileTypeRegistration::DesktopId());
  // By the name, and by the first bytes for a file without the ending.
  Write(user.dir.path() + QStringLiteral("/x.kvo"), QByteArray("\x02\0\0\0\0\0\0\0", 8));
  Write(user.dir.path() + QStringLiteral("/album"), QByteArray("\x02\0\0\0\0\x01\0\0\0", 9));
  for (const QString& name : {QStringLiteral("/x.kvo"), QStringLiteral("/album")})
    EXPECT_EQ(user.XdgMime({QStringLiteral("query"), QStringLiteral("filetype"), user.dir.path() + name}),
              QString::fromLatin1(kAlbumMimeType)) << name.toStdString();
  QFile::remove(user.dir.path() + QStringLiteral("/x.kvo"));
  QFile::remove(user.dir.path() + QStringLiteral("/album"));

  ASSERT_TRUE(type.Remove());
  EXPECT_FALSE(type.IsFileTypeRegistered());
  EXPECT_EQ(Listing(user.dir.path()), before);
}

TEST(FileTypeTest, AHalfRegistrationCountsAsNoneAndRegisterWritesItWhole) {
  UserFolders user;
  CFileTypeRegistration type = user.Registration();
  for (const QString& piece : {type.MimePackagePath(), type.DesktopEntryPath(), type.MimeAppsPath()}) {
    ASSERT_TRUE(type.Register());
    QFile::remove(piece);
    EXPECT_FALSE(type.IsFileTypeRegistered()) << piece.toStdString();
    ASSERT_TRUE(type.Register());
    EXPECT_TRUE(type.IsFileTypeRegistered()) << piece.toStdString();
  }
}

TEST(FileTypeTest, RemoveKeepsAnotherProgramsDefaultForTheType) {
  UserFolders user;
  CFileTypeRegistration type = user.Registration();
  ASSERT_TRUE(type.Register());
  const QByteArray other = "[Default Applications]\napplication/x-kolvaro-album=other.desktop;\n";
  Write(type.MimeAppsPath(), other);
  EXPECT_FALSE(type.IsFileTypeRegistered());
  ASSERT_TRUE(type.Remove());
  EXPECT_EQ(Read(type.MimeAppsPath()), other);
  EXPECT_FALSE(QFile::exists(type.DesktopEntryPath()));
}

}  // namespace
}  // namespace kolvaro
