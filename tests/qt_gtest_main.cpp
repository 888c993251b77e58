// main() of the widget tests: one QApplication for all tests, the German
// locale and session, no screen, and settings and thumbnail folders that are
// not the user's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
// Qt loads its image plugins with dlopen. With this glibc the leak checker's
// record of their thread-local blocks goes stale and its tracer crashes at
// exit; without that record it still scans every thread's static TLS.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }
#endif

int main(int argc, char** argv) {
  // Test discovery runs the binary at build time, outside ctest's environment.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // A German session, as the users have: QApplication takes the C library's
  // locale from it, so a conversion that follows the locale shows here.
  setenv("LC_ALL", KOLVARO_SESSION_LOCALE, 1);
  QTemporaryDir config;
  setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
  // Thumbnails the views make go to a cache of their own, not the user's.
  setenv("XDG_CACHE_HOME", config.filePath(QStringLiteral("cache")).toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
