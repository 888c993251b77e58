// The help window and the requests that open it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QListWidget>
#include <QScreen>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWhatsThis>

#include "app/helpwindow.h"
#include "app/selectview.h"
#include "app/settingsdlg.h"
#include "qt/widgets/hyperlink.h"
#include "core/ports/settings.h"
#include "res/commands.h"
#include "testsupport/app_fixture.h"

namespace kolvaro {
namespace {

const QString kFolder = QStringLiteral(KOLVARO_HELP_DIR "/");

// The page shown, relative to the help folder, with its anchor.
QString Shown(const CHelpWindow& w) {
  const QUrl source = w.Source();
  const QString page = QDir(w.HelpFolder()).relativeFilePath(source.toLocalFile());
  return source.hasFragment() ? page + QLatin1Char('#') + source.fragment() : page;
}

TEST(HelpWindow, ShowsThePageAskedForOrElseTheContents) {
  CHelpWindow w(kFolder);
  const std::pair<QString, QString> cases[] = {
      {QStringLiteral("html/bild_loeschen.html"), QStringLiteral("html/bild_loeschen.html")},
      {QStringLiteral("/html/entwickler/infoupdateurl.html#update"),
       QStringLiteral("html/entwickler/infoupdateurl.html#update")},
      {QStringLiteral("html/gibtsnicht.html"), QStringLiteral("index.html")},
      {QStringLiteral("html/../../../etc/passwd"), QStringLiteral("index.html")},
      {QString(), QStringLiteral("index.html")},
  };
  for (const auto& [asked, shown] : cases) {
    EXPECT_TRUE(w.ShowPage(asked));
    EXPECT_EQ(Shown(w), shown) << asked.toStdString();
  }
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.parentWidget(), nullptr);
  EXPECT_FALSE(w.testAttribute(Qt::WA_QuitOnClose));
}

// The help opens wholly on the asker's screen, beside the asking window, and
// next time where the user left it.
TEST(HelpWindow, OpensOnTheScreenBesideTheAskerAndComesBackWhereItWasLeft) {
  CMemorySettings settings;
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  QWidget asker;
  asker.setGeometry(screen.left(), screen.top(), screen.width() / 3, screen.height() / 2);
  asker.show();
  QApplication::setActiveWindow(&asker);
  QRect left;
  {
    CHelpWindow w(kFolder, &settings);
    w.ShowContents();
    EXPECT_TRUE(screen.contains(w.frameGeometry())) << w.frameGeometry().height();
    EXPECT_FALSE(w.frameGeometry().intersects(asker.frameGeometry()));
    w.setGeometry(w.geometry().adjusted(-10, 0, -20, -30));
    left = w.geometry();
  }  // still open as the program ends
  CHelpWindow again(kFolder, &settings);
  again.ShowContents();
  EXPECT_EQ(again.geometry(), left);
}

TEST(HelpWindow, LinksStayInTheHelpOrGoToTheBrowser) {
  const QString outside = QStringLiteral(KOLVARO_HELP_DIR "/../strings.cpp");
  const std::pair<QUrl, HelpLink> cases[] = {
      {QUrl::fromLocalFile(kFolder + QStringLiteral("html/hauptfenster.html")), HelpLink::Show},
      {QUrl::fromLocalFile(outside), HelpLink::Refuse},
      {QUrl::fromLocalFile(QStringLiteral("/etc/passwd")), HelpLink::Refuse},
      {QUrl(QStringLiteral("https://kolvaro.example/")), HelpLink::OpenInBrowser},
      {QUrl(QStringLiteral("http://kolvaro.example/x")), HelpLink::OpenInBrowser},
      {QUrl(QStringLiteral("mailto:anna@example.org")), HelpLink::OpenInBrowser},
      {QUrl(QStringLiteral("javascript:alert(1)")), HelpLink::Refuse},
      {QUrl(QStringLiteral("ftp://example.org/x")), HelpLink::Refuse},
      {QUrl(QStringLiteral("file://server/share/x.html")), HelpLink::Refuse},
  };
  for (const auto& [url, action] : cases)
    EXPECT_EQ(ClassifyHelpLink(url, kFolder), action) << url.toString().toStdString();

  // A relative link on a page opens in the window, and back returns.
  CHelpWindow w(kFolder);
  w.ShowPage(QStringLiteral("html/bild_loeschen.html"));
  emit w.Browser()->anchorClicked(QUrl(QStringLiteral("hauptfenster.html#themen")));
  EXPECT_EQ(Shown(w), QStringLiteral("html/hauptfenster.html#themen"));
  w.Browser()->backward();
  EXPECT_EQ(Shown(w), QStringLiteral("html/bild_loeschen.html"));
}

TEST(HelpRequests, F1AndContextHelpOpenThePageOfWhatIsAskedAbout) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, KOLVARO_HELP_DIR "/../kolvaro"));
  CMainFrame* frame = f.app->MainFrame();
  frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));
  auto* themes = frame->findChild<QListWidget*>(QStringLiteral("listThemes"));
  ASSERT_NE(themes, nullptr);

  frame->RouteCommand(ID_DOCUMENTATION);
  EXPECT_EQ(Shown(f.app->HelpWindow()), QStringLiteral("index.html"));
  EXPECT_EQ(f.app->HelpWindow().parentWidget(), nullptr);

  // An album's update address names a page of the help: the same window.
  EXPECT_GT(GotoURL("mk:@MSITStore:/anderswo/Kolvaro.chm::/html/update_nopage.html"), 32);
  EXPECT_EQ(Shown(f.app->HelpWindow()), QStringLiteral("html/update_nopage.html"));

  themes->setFocus();
  QTest::keyClick(themes, Qt::Key_F1);
  EXPECT_EQ(Shown(f.app->HelpWindow()), QStringLiteral("html/hauptfenster.html#themen"));

  auto* strip = frame->findChild<QWidget*>(QStringLiteral("thumbnailStrip"));
  ASSERT_NE(strip, nullptr);
  strip->setFocus();
  QTest::keyClick(strip, Qt::Key_F1);
  EXPECT_EQ(Shown(f.app->HelpWindow()), QStringLiteral("html/hauptfenster.html#bildleiste"));

  // Context help: the next click picks the control; then the mode ends.
  frame->RouteCommand(ID_CONTEXT_HELP);
  EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
  QTest::mouseClick(frame->SelectView(), Qt::LeftButton);
  EXPECT_EQ(Shown(f.app->HelpWindow()), QStringLiteral("html/hauptfenster.html#auswahlleiste"));
  QTRY_VERIFY(!QWhatsThis::inWhatsThisMode());

  // F1 in a modal dialog shows the dialog's page.
  CSettingsDialog dlg(f.settings, f.ui, frame);
  QTimer::singleShot(0, &dlg, [&] {
    QTest::keyClick(dlg.focusWidget() ? dlg.focusWidget() : &dlg, Qt::Key_F1);
    dlg.reject();
  });
  dlg.exec();
  EXPECT_EQ(Shown(f.app->HelpWindow()), QStringLiteral("html/einstellungen.html"));
}

}  // namespace
}  // namespace kolvaro
