// The program on the desktop: the file-type command and the About box.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenuBar>
#include <QToolBar>

#include "app/aboutdlg.h"
#include "qt/widgets/hyperlink.h"
#include "res/commands.h"
#include "res/strings.h"
#include "testsupport/app_fixture.h"
#include "testsupport/files.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

QString Text(int id) { return QString::fromUtf8(LoadString(id)); }

TEST(DesktopTest, FileTypeCommandAsksAndTheMenuTextFollowsTheRegistration) {
  QTemporaryDir home;
  test::ScopedEnv data("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toStdString());
  test::ScopedEnv config("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toStdString());
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/opt/Kolvaro Programm/kolvaro"));
  CMainFrame* frame = f.app->MainFrame();
  QAction* action = frame->Action(ID_REGISTER_FILETYPE);
  ASSERT_NE(action, nullptr);
  const struct {
    Answer answer;
    int question;
    int menuAfter;
  } steps[] = {{Answer::No, IDS_REGISTER_QUESTION, IDS_REGISTER_FILETYPE_MENU},
               {Answer::Yes, IDS_REGISTER_QUESTION, IDS_UNREGISTER_FILETYPE_MENU},
               {Answer::No, IDS_UNREGISTER_QUESTION, IDS_UNREGISTER_FILETYPE_MENU},
               {Answer::Yes, IDS_UNREGISTER_QUESTION, IDS_REGISTER_FILETYPE_MENU}};
  for (const auto& step : steps) {
    f.ui.messages.clear();
    f.ui.answers = {step.answer};
    frame->RouteCommand(ID_REGISTER_FILETYPE);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text, LoadString(step.question));
    EXPECT_EQ(f.ui.messages[0].caption, LoadString(IDS_QUESTION_CAPTION));
    EXPECT_EQ(f.ui.messages[0].kind, UserMessage::Kind::YesNo);
    frame->UpdateCommandStates({action});
    EXPECT_EQ(action->text(), Text(step.menuAfter));
  }
  EXPECT_TRUE(QDir(home.path()).isEmpty());
}

TEST(DesktopTest, AboutBoxShowsTheVersionAndTheAlbumsTextAndUpdateLink) {
  test::AppFixture f;
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  f.app->Document().SetAlbumInfo("Fotos: Familie Muster\n(c) 2026", "https://example.org/update", 1);
  CMainFrame* frame = f.app->MainFrame();
  EXPECT_TRUE(frame->ToolBar()->actions().contains(frame->Action(ID_APP_ABOUT)));
  bool shown = false;
  test::OnNextModal([&](QWidget* w) {
    auto* dlg = qobject_cast<CAboutDlg*>(w);
    ASSERT_NE(dlg, nullptr);
    shown = true;
    EXPECT_EQ(dlg->windowTitle(), Text(IDS_ABOUT_TITLE));
    EXPECT_EQ(dlg->VersionLink()->text(), QStringLiteral("Kolvaro Version 2.4 Build 6.0"));
    EXPECT_TRUE(dlg->VersionLink()->URL().startsWith(QStringLiteral("https://")));
    EXPECT_EQ(dlg->AlbumText()->text(), QStringLiteral("Fotos: Familie Muster\n(c) 2026"));
    EXPECT_EQ(dlg->AlbumText()->textFormat(), Qt::PlainText);
    EXPECT_EQ(dlg->UpdateLink()->URL(), QStringLiteral("https://example.org/update"));
    EXPECT_EQ(dlg->UpdateLink()->toolTip(), QStringLiteral("https://example.org/update"));
    dlg->accept();
  });
  frame->RouteCommand(ID_APP_ABOUT);
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace kolvaro
