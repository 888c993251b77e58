// The one-line input dialog and the folder chooser, driven as a user would.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "qt/widgets/folderchooser.h"
#include "qt/widgets/inputdlg.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

using test::OnNextModal;

// Types `text` into the edit and presses `button`; returns what the dialog showed.
QStringList TypeAndPress(QWidget* w, const QString& text, const QString& button) {
  auto* edit = w->findChild<QLineEdit*>();
  const QStringList seen{w->windowTitle(), w->findChild<QLabel*>()->text(), edit->text(),
                         edit->selectedText(), w->focusWidget() == edit ? u"Fokus"_qs : u""_qs};
  QTest::keyClicks(edit, text);
  for (QPushButton* b : w->findChildren<QPushButton*>())
    if (b->text() == button) b->click();
  return seen;
}

TEST(InputDlg, RoundTripReplacesThePresetValueAndKeepsItOnCancel) {
  CInputDlg dlg;
  dlg.m_strCaption = u"Thema umbenennen"_qs;
  dlg.m_strPrompt = u"Thema <b>umbenennen</b>:"_qs;
  dlg.m_strValue = u"Urlaub"_qs;
  QStringList seen;
  OnNextModal([&](QWidget* w) { seen = TypeAndPress(w, u"Ferien"_qs, u"OK"_qs); });
  EXPECT_EQ(dlg.exec(), QDialog::Accepted);
  EXPECT_EQ(seen, (QStringList{u"Thema umbenennen"_qs, dlg.m_strPrompt, u"Urlaub"_qs, u"Urlaub"_qs, u"Fokus"_qs}));
  EXPECT_EQ(dlg.findChild<QLabel*>()->textFormat(), Qt::PlainText);
  EXPECT_EQ(dlg.m_strValue, u"Ferien");

  OnNextModal([&](QWidget* w) { seen = TypeAndPress(w, u"verworfen"_qs, u"Abbrechen"_qs); });
  EXPECT_EQ(dlg.exec(), QDialog::Rejected);
  EXPECT_EQ(seen.value(2), u"Ferien");
  EXPECT_EQ(dlg.m_strValue, u"Ferien");
}

TEST(FolderChooser, OpensInTheInitialFolderAndReturnsTheChoice) {
  QTemporaryDir root;
  ASSERT_TRUE(QDir(root.path()).mkpath(u"Bilder/2024"_qs));
  CFolderChooser chooser(nullptr);
  chooser.SetTitle(u"Bitte Zielverzeichnis auswählen"_qs);
  chooser.SetInitialFolder(root.filePath(u"Bilder/"_qs));
  QString title, opened;
  bool flagsChangedWhileShown = true;
  OnNextModal([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_TRUE(dialog);
    title = dialog->windowTitle();
    opened = dialog->directory().absolutePath();
    flagsChangedWhileShown = chooser.SetFlags(BIF_RETURNONLYFSDIRS);
    // Typed, as selectFile() leaves a focused name field alone.
    dialog->findChild<QLineEdit*>(u"fileNameEdit"_qs)->setText(u"2024"_qs);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides it
  });
  ASSERT_TRUE(chooser.Browse());
  EXPECT_EQ(chooser.GetPath(), root.filePath(u"Bilder/2024"_qs));
  EXPECT_EQ(title, u"Bitte Zielverzeichnis auswählen");
  EXPECT_EQ(opened, root.filePath(u"Bilder"_qs));
  EXPECT_FALSE(flagsChangedWhileShown);

  // Cancel: no choice, the last one is kept.
  OnNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
  EXPECT_FALSE(chooser.Browse());
  EXPECT_EQ(chooser.GetPath(), root.filePath(u"Bilder/2024"_qs));

  // A folder that is gone opens, and confirms, its nearest parent.
  chooser.SetInitialFolder(root.filePath(u"Bilder/fehlt/tiefer"_qs));
  OnNextModal([](QWidget* w) { qobject_cast<QDialog*>(w)->accept(); });
  ASSERT_TRUE(chooser.Browse());
  EXPECT_EQ(chooser.GetPath(), root.filePath(u"Bilder"_qs));
}

}  // namespace
}  // namespace kolvaro
