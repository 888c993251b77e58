// The real program binary: it starts, shows its window with the album's
// title and ends cleanly; help and version need no screen.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "testsupport/app_fixture.h"

namespace kolvaro {
namespace {

struct ProgramRun {
  int exitCode;
  QString out, err;
};

ProgramRun RunProgram(const QStringList& args, const QString& configHome, bool withScreen = true) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
  if (withScreen)
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  else {
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
  }
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(KOLVARO_EXE), args);
  if (!p.waitForFinished(60000)) {
    p.kill();
    return {-1, {}, QStringLiteral("Zeitüberschreitung")};
  }
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(ProgramTest, ShowsTheAlbumInItsWindowAndEndsCleanly) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("Urlaub.kvo", {"Anna"}, {"Meer"}, 2);
  const ProgramRun r = RunProgram({QString::fromStdString(album), QStringLiteral("--quit-after-show")}, f.dir.path());
  EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains(QStringLiteral("Hauptfenster \"Urlaub.kvo - Kolvaro-Album\" gezeigt"))) << r.err.toStdString();
  // The album opened goes into the recent-file list of the settings file.
  QFile conf(f.dir.path() + QStringLiteral("/Kolvaro/Kolvaro.conf"));
  ASSERT_TRUE(conf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(conf.readAll()).contains(QStringLiteral("Urlaub.kvo")));
}

TEST(ProgramTest, HelpVersionAndBadArgumentsNeedNoScreen) {
  QTemporaryDir config;
  const ProgramRun help = RunProgram({QStringLiteral("--help")}, config.path(), false);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.out.startsWith(QStringLiteral("Aufruf: kolvaro")));
  const ProgramRun version = RunProgram({QStringLiteral("--version")}, config.path(), false);
  EXPECT_EQ(version.out, QStringLiteral("Kolvaro 2.4 Build 6.0\n"));
  const ProgramRun bad = RunProgram({QStringLiteral("--farbe")}, config.path(), false);
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_TRUE(bad.err.contains(QStringLiteral("Unbekannte Option: --farbe")));
}

}  // namespace
}  // namespace kolvaro
