// main() of the widget tests: one QApplication for all tests, the German
// locale, no screen, and settings and thumbnail folders that are not the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <QThreadPool>
#include <cstdlib>

int main(int argc, char** argv) {
  // Test discovery runs the binary at build time, outside ctest's environment.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QTemporaryDir config;
  setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
  // Thumbnails the views make go to a cache of their own, not the user's.
  setenv("XDG_CACHE_HOME", config.filePath(QStringLiteral("cache")).toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // Qt scales large pictures on its pool; threads still alive at exit can
  // crash the leak checker's stop-the-world.
  QThreadPool::globalInstance()->waitForDone();
  return result;
}
