// kolvaro: the desktop program.
#include <QApplication>
#include <QElapsedTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <cstdio>

#include "app/mainframe.h"
#include "app/meriskapp.h"
#include "app/startup.h"
#include "collab/transactionfile.h"
#include "qt/qtsettings.h"
#include "qt/widgets/qtfileoperations.h"
#include "qt/widgets/qtuserquestions.h"
#include "res/strings.h"
#include "res/version.h"
#include "views/datetext.h"

using namespace kolvaro;

namespace {

// A line of kolvaro's own on stderr.
std::string ProgramMessage(const std::string& text) {
  return FormatMessage(LoadString(IDS_PROGRAM_MESSAGE), {text}) + '\n';
}

// Ends the program once the main window has been painted: start-up timing
// and the end-to-end check use it.
class QuitAfterFirstPaint : public QObject {
 public:
  QuitAfterFirstPaint(QWidget* window, QElapsedTimer clock) : m_clock(clock) { window->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && !m_done) {
      m_done = true;
      QTimer::singleShot(0, qApp, [this, watched] {
        const std::string title =
            qobject_cast<QWidget*>(watched)->windowHandle()->title().toStdString();
        const std::string shown = FormatMessage(LoadString(IDS_MAIN_WINDOW_SHOWN),
                                                {title, static_cast<long long>(m_clock.elapsed())});
        std::fputs(ProgramMessage(shown).c_str(), stderr);
        QApplication::quit();
      });
    }
    return false;
  }

 private:
  QElapsedTimer m_clock;
  bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  std::vector<std::string> args(argv + 1, argv + argc);
  // Help and version need no screen.
  const CommandLine cl = ParseCommandLine(args);
  if (!cl.error.empty()) {
    std::fputs(ProgramMessage(cl.error).c_str(), stderr);
    return 2;
  }
  if (cl.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (cl.version) {
    std::printf("Kolvaro %.*s\n", static_cast<int>(kProductVersion.size()), kProductVersion.data());
    return 0;
  }

  QApplication qapp(argc, argv);
  QuietenImageLibraries();
  QCoreApplication::setOrganizationName(QStringLiteral("Kolvaro"));
  QCoreApplication::setApplicationName(QStringLiteral("Kolvaro"));
  QGuiApplication::setDesktopFileName(QStringLiteral("kolvaro"));
  QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kolvaro.svg")));
  // Without a locale of its own the system says "C": a German program then
  // shows German dates rather than English ones.
  if (QLocale::system().language() == QLocale::C) QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  // Qt's own dialogs (file chooser, colour names) in German.
  QTranslator qtTranslator;
  if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(&qtTranslator);

  CQtSettings settings;
  CQtUserQuestions questions;
  CQtFileOperations fileOps;

  CMeriskApp app(settings, questions, &fileOps);
  app.Document().SetTransactionLogFactory(MakeTransactionFileFactory(
      &questions, [](const COleDateTime& date) { return LocaleTimestampText(date); }));
  if (!app.InitInstance(cl, QCoreApplication::applicationFilePath().toStdString())) return app.ExitCode();
  questions.SetParent(app.MainFrame());
  questions.SetHelpHandler([&app](QWidget* window) { app.ShowHelpFor(window); });
  fileOps.SetParent(app.MainFrame());
  std::unique_ptr<QuitAfterFirstPaint> quitter;
  if (cl.quitAfterShow) quitter = std::make_unique<QuitAfterFirstPaint>(app.MainFrame(), clock);
  return qapp.exec();
}
