// "Personen im Bild" and "Bild löschen": nearest-person choice, the
// overwrite question, typed coordinates, the half-second preview, new persons.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "testsupport/description_album.h"
#include "testsupport/qt.h"
#include "views/deletepicturedlg.h"
#include "views/imagedescription.h"
#include "views/personsdlg.h"
#include "views/picturectrl.h"

namespace kolvaro {
namespace {

class PersonsDialog : public test::DescriptionAlbum {
 protected:
  void SetUp() override {
    DescriptionAlbum::SetUp();
    picture = AddPicture("a.jpg", 400, 300);
    doc.AddOrUpdatePerson(1, "Anna");
    doc.AddOrUpdatePerson(2, "Bernd");
    doc.AddOrUpdatePerson(3, "carla");
    // Anna far from the new rectangle, Bernd close to it.
    doc.AddOrUpdatePersonOnPicture(1, Rect{300, 200, 380, 290}, picture);
    doc.AddOrUpdatePersonOnPicture(2, Rect{10, 10, 60, 70}, picture);
    SelectAll();
  }
  void Open(const Rect& marked = Rect{20, 20, 70, 80}) {
    dlg = std::make_unique<CPersonsDlg>(doc, ui);
    dlg->m_rect = marked;
    dlg->m_nPicture = picture;
    dlg->m_strPath = QStringLiteral("/bilder/a.jpg");
    dlg->m_nPictureWidth = 400;
    dlg->m_nPictureHeight = 300;
    dlg->show();
  }
  QComboBox* Combo() const { return dlg->findChild<QComboBox*>(QStringLiteral("comboPerson")); }
  QListWidget* Marked() const { return dlg->findChild<QListWidget*>(QStringLiteral("listMarked")); }
  QLineEdit* Edit(const char* name) const { return dlg->findChild<QLineEdit*>(QString::fromLatin1(name)); }
  Rect Stored(std::int32_t person) const {
    Rect r;
    EXPECT_TRUE(doc.PersonsOnPictures().Lookup(person, picture, &r));
    return r;
  }
  QString SelectedInList() const {
    const auto items = Marked()->selectedItems();
    return items.isEmpty() ? QString() : items.front()->text();
  }

  std::int32_t picture = 0;
  std::unique_ptr<CPersonsDlg> dlg;
};

TEST_F(PersonsDialog, NearestMarkedPersonIsPreselectedInBothLists) {
  Open();
  EXPECT_EQ(dlg->NearestPerson(), 2);
  EXPECT_EQ(Combo()->currentText(), QStringLiteral("Bernd"));
  EXPECT_EQ(SelectedInList(), QStringLiteral("Bernd"));
  EXPECT_FALSE(dlg->IsPreviewing());  // preselection shows no old rectangle
  EXPECT_EQ(Edit("editLeft")->text(), QStringLiteral("20"));
  EXPECT_EQ(Edit("editPicture")->text(), QString::number(picture));
  // Sorted without regard to case.
  EXPECT_EQ(Combo()->itemText(2), QStringLiteral("carla"));
}

TEST_F(PersonsDialog, PictureWithoutPersonsPreselectsNothing) {
  for (const std::int32_t person : {1, 2}) doc.RemovePersonFromPicture(person, picture);
  Open();
  EXPECT_EQ(Combo()->currentIndex(), -1);
  EXPECT_EQ(Marked()->count(), 0);
  dlg->OnEnter();  // nobody chosen: the dialog stays
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(doc.PersonsOnPictures().GetCount(), 0);
}

TEST_F(PersonsDialog, OverwritingAMarkedPersonAsksFirst) {
  Open();
  ui.answers = {Answer::No};
  dlg->OnEnter();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text,
            "Bernd\nist bereits in der Datenbank eingetragen.\nSoll der Eintrag aktualisiert werden?");
  EXPECT_EQ(ui.messages[0].caption, "Doppelter Eintrag");
  EXPECT_EQ(ui.messages[0].kind, UserMessage::Kind::YesNo);
  EXPECT_EQ(ui.messages[0].defaultButton, DefaultButton::Yes);
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(Stored(2), Rect(10, 10, 60, 70));
  EXPECT_TRUE(records.empty());

  dlg->OnEnter();  // Yes
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
  EXPECT_EQ(Stored(2), Rect(20, 20, 70, 80));
  EXPECT_EQ(records, std::vector<std::string>{"person-on-picture " + std::to_string(picture)});
}

TEST_F(PersonsDialog, NoQuestionWhenConfirmationsAreOffOrThePersonIsNew) {
  settings.SetInt("Settings", "AskOverwriteDelete", 0);
  Open();
  dlg->OnEnter();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Stored(2), Rect(20, 20, 70, 80));

  settings.SetInt("Settings", "AskOverwriteDelete", 1);
  Open();
  Combo()->setCurrentIndex(Combo()->findData(3));
  dlg->OnEnter();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(Stored(3), Rect(20, 20, 70, 80));
}

TEST_F(PersonsDialog, TypedCoordinatesAreStoredWithinThePicture) {
  Open();
  Combo()->setCurrentIndex(Combo()->findData(3));
  Edit("editLeft")->setText(QStringLiteral("350"));
  Edit("editRight")->setText(QStringLiteral("-20"));  // reversed and outside
  Edit("editTop")->setText(QStringLiteral("5"));
  Edit("editBottom")->setText(QStringLiteral("999"));
  dlg->OnEnter();
  EXPECT_EQ(Stored(3), Rect(0, 5, 350, 300));

  Open();
  Combo()->setCurrentIndex(Combo()->findData(3));
  Edit("editTop")->setText(QStringLiteral("zwölf"));
  dlg->OnEnter();
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back().text, "Geben Sie eine ganze Zahl ein.");
  EXPECT_TRUE(dlg->isVisible());
}

TEST_F(PersonsDialog, ChoosingAnEntryShowsItsRectangleForHalfASecond) {
  Open();
  Marked()->item(0)->setSelected(true);  // Anna
  EXPECT_TRUE(dlg->IsPreviewing());
  EXPECT_EQ(Combo()->currentText(), QStringLiteral("Anna"));
  EXPECT_EQ(Edit("editLeft")->text(), QStringLiteral("300"));
  EXPECT_TRUE(Edit("editBottom")->isReadOnly());

  // "Eintragen" during the preview means the marked rectangle, not the old one.
  settings.SetInt("Settings", "AskOverwriteDelete", 0);
  dlg->OnEnter();
  EXPECT_EQ(Stored(1), Rect(20, 20, 70, 80));
}

TEST_F(PersonsDialog, PreviewEndsWithTheMarkedRectangleEditableAgain) {
  Open();
  Marked()->item(0)->setSelected(true);
  EXPECT_TRUE(test::WaitUntil([&] { return !dlg->IsPreviewing(); }));
  EXPECT_EQ(Edit("editLeft")->text(), QStringLiteral("20"));
  EXPECT_FALSE(Edit("editBottom")->isReadOnly());
}

TEST_F(PersonsDialog, DoubleClickGivesTheMarkedRectangleToThatPerson) {
  Open();
  emit Marked()->itemDoubleClicked(Marked()->item(0));  // Anna, answered Yes
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(Stored(1), Rect(20, 20, 70, 80));
  EXPECT_EQ(dlg->result(), QDialog::Accepted);
}

TEST_F(PersonsDialog, NewPersonJoinsTheAlbumAndTheListUnselected) {
  Open();
  test::OnNextModal([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Neue Person"));
    w->findChild<QLineEdit*>()->setText(QStringLiteral("Doris"));
    static_cast<QDialog*>(w)->accept();
  });
  dlg->findChild<QPushButton*>(QStringLiteral("buttonNew"))->click();
  EXPECT_EQ(doc.Persons().GetName(4), "Doris");
  EXPECT_TRUE(doc.IsModified());
  EXPECT_GE(Combo()->findData(4), 0);
  EXPECT_EQ(Combo()->currentText(), QStringLiteral("Bernd"));
  dlg->reject();
  EXPECT_EQ(doc.Persons().GetName(4), "Doris");  // Cancel keeps new persons
}

TEST_F(PersonsDialog, DeleteDialogShowsThePictureAndDefaultsToNo) {
  CDeletePictureDlg del(doc, picture);
  del.show();
  EXPECT_EQ(del.windowTitle(), QStringLiteral("Bild löschen"));
  EXPECT_EQ(del.findChild<QLabel*>(QStringLiteral("labelPath"))->text(),
            folder.filePath(QStringLiteral("a.jpg")));
  EXPECT_EQ(del.Preview()->PictureWidth(), 400u);
  EXPECT_FALSE(del.Preview()->DisplayRect().isEmpty());
  EXPECT_TRUE(del.findChild<QPushButton*>(QStringLiteral("buttonNo"))->isDefault());
  EXPECT_FALSE(del.findChild<QPushButton*>(QStringLiteral("buttonYes"))->isDefault());
  del.findChild<QCheckBox*>()->setChecked(true);
  del.findChild<QPushButton*>(QStringLiteral("buttonYes"))->click();
  EXPECT_EQ(del.m_bRecycle, 1);

  // Without its file the preview says so, with the path.
  ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("a.jpg"))));
  CDeletePictureDlg gone(doc, picture);
  EXPECT_EQ(gone.Preview()->MessageText(),
            QStringLiteral("Die Bilddatei wurde nicht gefunden:\n") + folder.filePath(QStringLiteral("a.jpg")));
}

}  // namespace
}  // namespace kolvaro
