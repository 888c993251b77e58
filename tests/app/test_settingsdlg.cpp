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
  enum Outcome { Accepted, NotAnInteger, OutOfRange };
  const struct {
    const char* text;
    Outcome outcome;
    std::int32_t pause;
  } cases[] = {
      {"250", Accepted, 250},       {"3600000", Accepted, 3600000}, {" 2500 ", Accepted, 2500},
      {"249", OutOfRange, 0},       {"3600001", OutOfRange, 0},     {"-5", OutOfRange, 0},
      {"99999999999999999999", OutOfRange, 0}, {"", NotAnInteger, 0}, {"12a", NotAnInteger, 0},
  };
  const std::string range = "Geben Sie eine ganze Zahl zwischen 250 und 3600000 ein.";
  for (const auto& c : cases) {
    const PauseCheck check = CheckPause(c.text);
    const std::string expected = c.outcome == Accepted       ? std::string()
                                 : c.outcome == OutOfRange ? range
                                                           : std::string(LoadString(IDS_PARSE_INT));
    EXPECT_EQ(check.error, expected) << '"' << c.text << '"';
    EXPECT_EQ(check.pause, c.pause) << c.text;
  }
}

TEST(SettingsValuesTest, FlagsReadAsSetAndWrittenAsOneCaptionOrderOutsideTheListAsMinusOne) {
  CMemorySettings settings;
  settings.SetInt("Settings", "AskOverwriteDelete", 7);
  settings.SetInt("Settings", "Zusammenarbeit", 3);
  settings.SetInt("Settings", "HeadlineOption", 6);
  const SettingsValues read = ReadSettingsValues(settings);
  EXPECT_EQ(CaptionOrderPosition(read.headlineOption), -1);
  EXPECT_EQ(CaptionOrderPosition(5), 5);
  WriteSettingsValues(settings, read);
  EXPECT_EQ(settings.GetInt("Settings", "AskOverwriteDelete", -9), 1);
  EXPECT_EQ(settings.GetInt("Settings", "Zusammenarbeit", -9), 1);
  EXPECT_EQ(settings.GetInt("Settings", "HeadlineOption", -9), -1);
  EXPECT_EQ(settings.GetInt("Settings", "RelativePath", -9), 0);
  EXPECT_EQ(settings.GetInt("Settings", "Diashow", -9), 2500);
}

struct Dialog {
  CMemorySettings settings;
  test::ScriptedQuestions ui;
  std::unique_ptr<CSettingsDialog> dlg;
  void Open() { dlg = std::make_unique<CSettingsDialog>(settings, ui); }
  template <class T>
  T* Find(const char* name) const { return dlg->findChild<T*>(QString::fromLatin1(name)); }
  QLineEdit* Pause() const { return Find<QLineEdit>("editPause"); }
  void Ok() const { Find<QPushButton>("okButton")->click(); }
};

TEST(SettingsDialogTest, PauseOutsideTheRangeIsRefusedWithTheFocusOnTheEdit) {
  Dialog d;
  d.settings.SetInt("Settings", "HeadlineOption", 9);
  d.Open();
  EXPECT_EQ(d.Find<QComboBox>("comboCaptionOrder")->currentIndex(), -1);
  EXPECT_EQ(d.Find<QComboBox>("comboCaptionOrder")->count(), 6);
  d.Pause()->setText(QStringLiteral("249"));
  d.Ok();
  EXPECT_EQ(d.dlg->result(), QDialog::Rejected);
  ASSERT_EQ(d.ui.messages.size(), 1u);
  EXPECT_EQ(d.ui.messages[0].kind, UserMessage::Kind::Warning);
  EXPECT_EQ(d.dlg->focusWidget(), d.Pause());
  EXPECT_EQ(d.settings.GetInt("Settings", "Diashow", -9), -9);  // nothing written

  d.Pause()->setText(QStringLiteral("3600000"));
  d.Ok();
  EXPECT_EQ(d.dlg->result(), QDialog::Accepted);
  EXPECT_EQ(d.settings.GetInt("Settings", "Diashow", -9), 3600000);
  EXPECT_EQ(d.settings.GetInt("Settings", "HeadlineOption", -9), -1);
}

TEST(SettingsDialogTest, CancelAfterChangingEveryControlWritesNothing) {
  Dialog d;
  d.Open();
  EXPECT_TRUE(d.Find<QCheckBox>("checkAskDelete")->isChecked());  // the default
  EXPECT_EQ(d.Pause()->text(), QStringLiteral("2500"));
  d.Find<QCheckBox>("checkAskDelete")->setChecked(false);
  d.Pause()->setText(QStringLiteral("1000"));
  d.Find<QCheckBox>("checkCollaboration")->setChecked(true);
  d.Find<QComboBox>("comboCaptionOrder")->setCurrentIndex(4);
  d.Find<QCheckBox>("checkRelativePath")->setChecked(true);
  d.Find<QPushButton>("cancelButton")->click();
  EXPECT_EQ(d.dlg->result(), QDialog::Rejected);
  for (const char* name : {"AskOverwriteDelete", "Diashow", "Zusammenarbeit", "HeadlineOption", "RelativePath"})
    EXPECT_EQ(d.settings.GetInt("Settings", name, -9), -9) << name;
}

// Collaboration switched in the dialog starts or ends the log at once.
TEST(SettingsDialogTest, CollaborationSwitchedStartsOrEndsTheLogAtOnce) {
  test::AppFixture f;
  int logsMade = 0;
  f.app->Document().SetTransactionLogFactory([&](CMeriskDoc&) {
    ++logsMade;
    return std::make_unique<test::CountingLog>();
  });
  ASSERT_TRUE(f.app->InitInstance({}, "/usr/bin/kolvaro"));
  ASSERT_EQ(f.app->Document().TransactionLog(), nullptr);
  auto toggleCollaboration = [&] {
    test::OnNextModal([](QWidget* w) {
      QCheckBox* box = w->findChild<QCheckBox*>(QStringLiteral("checkCollaboration"));
      box->setChecked(!box->isChecked());
      w->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    f.app->MainFrame()->RouteCommand(ID_OPTIONS);
  };
  toggleCollaboration();
  EXPECT_NE(f.app->Document().TransactionLog(), nullptr);
  EXPECT_EQ(logsMade, 1);

  toggleCollaboration();
  EXPECT_EQ(f.app->Document().TransactionLog(), nullptr);
  EXPECT_EQ(f.settings.GetInt("Settings", "Zusammenarbeit", -9), 0);
  for (QAction* a : f.app->MainFrame()->menuBar()->actions())
    EXPECT_NE(a->text(), QStringLiteral("&Zusammenarbeit"));
}

}  // namespace
}  // namespace kolvaro
