// "Dateiablage" and "Kolvaro Infos" run as the commands run them.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/meriskdoc.h"
#include "maintenance/dialogs/albumsettingsdlg.h"
#include "res/strings.h"
#include "testsupport/fakes.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

void PressOk(QWidget* w) { static_cast<QDialog*>(w)->accept(); }

TEST(AlbumSettingsDlg, LockingAsksWithNoAsDefaultAndOnlyYesLocksTheAlbumForGood) {
  for (const Answer answer : {Answer::No, Answer::Yes}) {
    CMemorySettings settings;
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    doc.SetModifiedFlag(false);
    test::ScriptedQuestions ui;
    ui.answers = {answer};
    test::OnNextModal(&PressOk);
    const bool changed = OnAlbumInfo(doc, ui, nullptr, [](CAlbumInfoDlg& dlg) {
      dlg.findChild<QCheckBox*>(QStringLiteral("lockBox"))->click();
    });
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, LoadString(IDS_LOCK_INFO_DIALOG));
    EXPECT_EQ(ui.messages[0].caption, LoadString(IDS_CONFIRMATION));
    EXPECT_EQ(ui.messages[0].defaultButton, DefaultButton::No);
    const bool locked = answer == Answer::Yes;
    EXPECT_EQ(changed, locked);
    EXPECT_EQ(doc.IsModified(), locked);
    EXPECT_EQ(doc.CanOpenAlbumInfo(), !locked);
  }
}

TEST(AlbumSettingsDlg, ChosenFolderOfANeverSavedAlbumBecomesItsFolder) {
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  QString started;
  test::OnNextModal(&PressOk);
  OnFileStorage(doc, nullptr, [&started](CStorageOptionsDlg& dlg) {
    dlg.findChild<QLineEdit*>(QStringLiteral("folderEdit"))->setText(QStringLiteral("/alt/"));
    dlg.SetChooseFolder([&started](QWidget*, const QString& start) {
      started = start;
      return QStringLiteral("/mnt/bilder");
    });
    dlg.findChild<QPushButton*>(QStringLiteral("browseButton"))->click();
    dlg.findChild<QRadioButton*>(QStringLiteral("modeChosenFolder"))->click();
  });
  EXPECT_EQ(started, QStringLiteral("/alt"));
  EXPECT_EQ(doc.StorageMode(), 1);
  EXPECT_EQ(doc.StorageFolder(), "/mnt/bilder/");
  EXPECT_EQ(doc.AlbumFolder(), "/mnt/bilder/");
  EXPECT_TRUE(doc.IsModified());
}

}  // namespace
}  // namespace kolvaro
