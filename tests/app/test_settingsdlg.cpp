// "Einstellungen": the pause check and the stored values without a window,
// the dialog offscreen, and collaboration switched from it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>

#include "app/settingsdlg.h"
#include "res/commands.h"
#include "res/strings.h"
#include "testsupport/app_fixture.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

TEST(SettingsValuesTest, PauseCheck) {
  const std::string range = "Geben Sie eine ganze Zahl zwischen 250 und 3600000 ein.";
  const std::string notInt(LoadString(IDS_PARSE_INT));
  const struct { const char* text; std::int32_t pause; std::string error; } cases[] = {
      {"250", 250, ""}, {"3600000", 3600000, ""}, {" 2500 ", 2500, ""}, {"249", 0, range}, {"3600001", 0, range},
      {"-5", 0, range}, {"99999999999999999999", 0, range}, {"", 0, notInt}, {"12a", 0, notInt}};
  for (const auto& c : cases) {
    const PauseCheck check = CheckPause(c.text);
    EXPECT_EQ(check.error, c.error) << '"' << c.text << '"';
    EXPECT_EQ(check.pause, c.pause) << c.text;
  }
}

TEST(SettingsValuesTest, FlagsReadAsSetAndWrittenAsOneCaptionOrderOutsideTheListAsMinusOne) {
  CMemorySettings settings;
  settings.SetInt("Settings", "AskOverwriteDelete", 7);
  settings.SetInt("Settings", "HeadlineOption", 6);
  WriteSettingsValues(settings, ReadSettingsValues(settings));
  EXPECT_EQ(settings.GetInt("Settings", "AskOverwriteDelete", -9), 1);
  EXPECT_EQ(settings.GetInt("Settings", "HeadlineOption", -9), -1);
  EXPECT_EQ(CaptionOrderPosition(5), 5);
}

TEST(SettingsDialogTest, PauseRefusedWithTheFocusOnTheEditAndCancelWritesNothing) {
  CMemorySettings settings;
  test::ScriptedQuestions ui;
  settings.SetInt("Settings", "HeadlineOption", 9);
  CSettingsDialog dlg(settings, ui);
  auto* pause = dlg.findChild<QLineEdit*>(QStringLiteral("editPause"));
  EXPECT_EQ(dlg.findChild<QComboBox*>()->currentIndex(), -1);
  for (QCheckBox* box : dlg.findChildren<QCheckBox*>()) box->toggle();
  pause->setText(QStringLiteral("249"));
  dlg.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(dlg.focusWidget(), pause);
  dlg.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
  for (const char* name : {"AskOverwriteDelete", "Diashow", "Zusammenarbeit", "RelativePath"})
    EXPECT_EQ(settings.GetInt("Settings", name, -9), -9) << name;
  EXPECT_EQ(settings.GetInt("Settings", "HeadlineOption", -9), 9);
}

TEST(SettingsDialogTest, CollaborationSwitchedTakesEffectWithTheNextAlbumOpened) {
  test::AppFixture f;
  f.app->Document().SetTransactionLogFactory([](CMeriskDoc&) { return std::make_unique<test::CountingLog>(); });
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  ASSERT_EQ(f.app->Document().TransactionLog(), nullptr);
  const std::string album = f.WriteAlbum("a.kvo");
  for (const bool on : {true, false}) {
    test::OnNextModal([](QWidget* w) {
      w->findChild<QCheckBox*>(QStringLiteral("checkCollaboration"))->toggle();
      w->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    f.app->MainFrame()->RouteCommand(ID_OPTIONS);
    EXPECT_EQ(f.app->Document().TransactionLog() != nullptr, !on);
    ASSERT_TRUE(f.app->OpenDocumentFile(album));
    EXPECT_EQ(f.app->Document().TransactionLog() != nullptr, on);
  }
  for (QAction* a : f.app->MainFrame()->menuBar()->actions()) EXPECT_NE(a->text(), QStringLiteral("&Zusammenarbeit"));
}

}  // namespace
}  // namespace kolvaro
