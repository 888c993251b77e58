// The picture description view, offscreen: what it shows, how it steps
// through the selection, when it writes edits back, the confirmations before
// removing, deleting a picture, and how its controls move.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>

#include "maintenance/dialogs/assignthemesdlg.h"
#include "qt/widgets/dragdroplistbox.h"
#include "res/commands.h"
#include "testsupport/description_album.h"
#include "testsupport/qt.h"
#include "views/datelockbutton.h"
#include "views/deletepicturedlg.h"
#include "views/elidinglineedit.h"
#include "views/imagedescription.h"
#include "views/personsdlg.h"
#include "views/picturectrl.h"

namespace kolvaro {
namespace {

using test::DescriptionAlbum;

class DescriptionView : public DescriptionAlbum {
 protected:
  /// Three pictures a, b, c selected by name; the view made and initialised.
  void MakeAlbum() {
    a = AddPicture("a.jpg", 40, 30, 2048, "Alpha");
    b = AddPicture("b.jpg");
    c = AddPicture("c.jpg");
    SelectAll();
    MakeView();
  }
  void MakeView() {
    view = std::make_unique<CImageDescription>(doc, ui);
    view->OnInitialUpdate();
  }
  QWidget* Control(const char* name) const { return view->findChild<QWidget*>(QString::fromLatin1(name)); }
  QString Text(const char* name) const {
    QWidget* w = Control(name);
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w)) return p->toPlainText();
    return {};
  }
  QListWidget* List(const char* name) const { return qobject_cast<QListWidget*>(Control(name)); }
  QPlainTextEdit* Headline() const { return qobject_cast<QPlainTextEdit*>(Control("editHeadline")); }
  QLineEdit* Date() const { return qobject_cast<QLineEdit*>(Control("editDate")); }
  void Type(QPlainTextEdit* e, const QString& text) {
    e->selectAll();
    e->insertPlainText(text);
  }
  void Type(QLineEdit* e, const QString& text) {
    e->selectAll();
    e->insert(text);
  }
  bool Enabled(int command) {
    CmdState s;
    EXPECT_TRUE(view->OnUpdateCommand(command, s));
    return s.enabled;
  }
  void SelectAllIn(QListWidget* list) {
    for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(true);
  }

  std::int32_t a = 0, b = 0, c = 0;
  std::unique_ptr<CImageDescription> view;
};

TEST_F(DescriptionView, PositionTextFollowsCountAndPosition) {
  MakeView();
  EXPECT_EQ(Text("textPosition"), QStringLiteral("Keine Bilder gefunden"));
  EXPECT_TRUE(Text("editFileName").isEmpty());

  AddPicture("a.jpg");
  SelectAll();
  EXPECT_EQ(Text("textPosition"), QStringLiteral("1 Bild gefunden"));

  AddPicture("b.jpg");
  AddPicture("c.jpg");
  doc.SelectPictures(-1, -1, 1);
  EXPECT_EQ(Text("textPosition"), QStringLiteral("3 Bilder gefunden"));
  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_EQ(Text("textPosition"), QStringLiteral("2 / 3"));
}

TEST_F(DescriptionView, NextAndPreviousWrapAroundSpinAndSliderDoNot) {
  MakeAlbum();
  auto* slider = qobject_cast<QSlider*>(Control("sliderPosition"));
  EXPECT_EQ(view->ShownPicture(), a);
  EXPECT_EQ(slider->maximum(), 2);

  view->OnCommand(ID_PREV_PICTURE);
  EXPECT_EQ(doc.CurrentPosition(), 2);
  EXPECT_EQ(view->ShownPicture(), c);
  EXPECT_EQ(slider->value(), 2);

  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_EQ(view->ShownPicture(), a);
  EXPECT_EQ(Text("editHeadline"), QStringLiteral("Alpha"));
  EXPECT_EQ(Text("editFileName"), folder.filePath(QStringLiteral("a.jpg")));
  EXPECT_EQ(Text("editSize"), QStringLiteral("40 x 30 (2.0 kB)"));

  // The spin and the slider do not wrap.
  QWidget* spin = Control("spinPosition");
  auto* left = spin->findChild<QAbstractButton*>(QStringLiteral("spinLeft"));
  auto* right = spin->findChild<QAbstractButton*>(QStringLiteral("spinRight"));
  left->click();  // before the first: stays
  EXPECT_EQ(view->ShownPicture(), a);
  right->click();
  right->click();
  right->click();  // past the last: stays
  EXPECT_EQ(view->ShownPicture(), c);

  slider->setValue(1);
  EXPECT_EQ(view->ShownPicture(), b);
  EXPECT_EQ(doc.CurrentPosition(), 1);
}

TEST_F(DescriptionView, HeadlineIsWrittenOnlyWhenChanged) {
  MakeAlbum();
  view->OnCommand(ID_NEXT_PICTURE);  // untouched: nothing written
  view->OnCommand(ID_PREV_PICTURE);
  Type(Headline(), QStringLiteral("Alpha"));  // typed, but the same text
  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_TRUE(records.empty());
  EXPECT_FALSE(doc.IsModified());

  view->OnCommand(ID_PREV_PICTURE);
  Type(Headline(), QStringLiteral("Am See\nmit Oma"));
  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_EQ(records, std::vector<std::string>{"picture " + std::to_string(a)});
  EXPECT_TRUE(doc.IsModified());
  const PictureEntry* e = doc.Pictures().Find(a);
  EXPECT_EQ(e->title, "Am See\r\nmit Oma");
  EXPECT_EQ(e->filename, "a.jpg");
  EXPECT_EQ(e->size, 2048u);

  // Shown again, the stored line break is no edit; leaving the field commits.
  view->OnCommand(ID_PREV_PICTURE);
  EXPECT_EQ(Text("editHeadline"), QStringLiteral("Am See\nmit Oma"));
  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_EQ(records.size(), 1u);
  Type(Headline(), QStringLiteral("Neu"));
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(Headline(), &out);
  EXPECT_EQ(doc.Pictures().Find(b)->title, "Neu");
}

TEST_F(DescriptionView, DateIsUnlockedParsedAndWrittenOnlyWhenChanged) {
  MakeAlbum();
  EXPECT_EQ(Text("editDate"), QStringLiteral("01.05.2024 12:00:00"));
  EXPECT_TRUE(Date()->isReadOnly());
  qobject_cast<QPushButton*>(Control("buttonDateLock"))->click();
  EXPECT_FALSE(Date()->isReadOnly());

  Type(Date(), QStringLiteral("24.12.2023 18:30:05"));
  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_EQ(records.size(), 1u);
  EXPECT_EQ(doc.Pictures().Find(a)->timestamp, COleDateTime::FromCalendar(2023, 12, 24, 18, 30, 5));
  EXPECT_EQ(doc.Pictures().Find(a)->title, "Alpha");

  view->show();
  QApplication::setActiveWindow(view.get());
  QApplication::setActiveWindow(view.get());
  Headline()->setFocus();
  Type(Date(), QStringLiteral("31.02.2023 10:00:00"));
  view->OnCommand(ID_NEXT_PICTURE);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Geben Sie ein Datum und/oder eine Uhrzeit ein.");
  EXPECT_TRUE(Date()->hasFocus());
  EXPECT_EQ(doc.Pictures().Find(b)->timestamp, COleDateTime::FromCalendar(2024, 5, 2, 12, 0, 0));
  EXPECT_EQ(records.size(), 1u);
}

TEST_F(DescriptionView, UntouchedDateKeepsItsFractionOfASecond) {
  a = AddPicture("a.jpg");
  doc.AddOrUpdatePicture(a, "a.jpg", COleDateTime(COleDateTime::valid, 45000.123456789), 1, "");
  AddPicture("b.jpg");
  SelectAll();
  MakeView();
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QApplication::sendEvent(Date(), &out);
  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_TRUE(records.empty());
  EXPECT_EQ(doc.Pictures().Find(a)->timestamp.Value(), 45000.123456789);
}

TEST_F(DescriptionView, RelativePathShowsTheStoredName) {
  settings.SetInt("Settings", "RelativePath", 1);
  MakeAlbum();
  EXPECT_EQ(Text("editFileName"), QStringLiteral("a.jpg"));
  EXPECT_EQ(view->PictureCtrl()->PictureWidth(), 40u);  // still loaded from the full path
}

TEST_F(DescriptionView, RemovingThemesAsksWithThePluralAndRemovesAll) {
  a = AddPicture("a.jpg");
  doc.AddOrUpdateTheme(1, "Urlaub");
  doc.AddOrUpdateTheme(2, "Familie");
  doc.AddThemeToPicture(1, a);
  doc.AddThemeToPicture(2, a);
  SelectAll();
  MakeView();
  QListWidget* themes = List("listThemes");
  ASSERT_EQ(themes->count(), 2);
  EXPECT_EQ(themes->item(0)->text(), QStringLiteral("Familie"));  // sorted
  EXPECT_FALSE(Control("buttonRemoveThemes")->isEnabled());
  EXPECT_FALSE(Enabled(ID_REMOVE_THEMES));

  SelectAllIn(themes);
  EXPECT_TRUE(Control("buttonRemoveThemes")->isEnabled());
  EXPECT_TRUE(Enabled(ID_REMOVE_THEMES));
  ui.answers = {Answer::No};
  view->OnCommand(ID_REMOVE_THEMES);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Möchten Sie diese Themen wirklich löschen?\nFamilie\nUrlaub\n");
  EXPECT_EQ(ui.messages[0].caption, "Thema löschen");
  EXPECT_EQ(ui.messages[0].kind, UserMessage::Kind::YesNo);
  EXPECT_EQ(ui.messages[0].defaultButton, DefaultButton::No);
  EXPECT_EQ(themes->count(), 2);
  EXPECT_TRUE(records.empty());

  view->OnCommand(ID_REMOVE_THEMES);  // answered Yes
  EXPECT_EQ(themes->count(), 0);
  EXPECT_FALSE(doc.ThemesOfPictures().Lookup(1, a));
  EXPECT_FALSE(doc.ThemesOfPictures().Lookup(2, a));
  EXPECT_EQ(records.size(), 2u);
  EXPECT_FALSE(Control("buttonRemoveThemes")->isEnabled());
}

TEST_F(DescriptionView, ThemesButtonOpensTheThemeDialogAndTheViewShowsItsOutcome) {
  a = AddPicture("a.jpg");
  doc.AddOrUpdateTheme(1, "Urlaub");
  SelectAll();
  MakeView();
  auto* button = qobject_cast<QPushButton*>(Control("buttonAddThemes"));
  EXPECT_FALSE(button->isHidden());
  EXPECT_TRUE(Enabled(ID_ASSIGN_THEMES));
  test::OnNextModal([](QWidget* w) {
    auto* dlg = qobject_cast<CAssignThemesDlg*>(w);
    ASSERT_TRUE(dlg);
    dlg->AvailableList()->item(0)->setSelected(true);
    dlg->OnAssign();
    dlg->OnOK();
  });
  button->click();
  ASSERT_EQ(List("listThemes")->count(), 1);
  EXPECT_EQ(List("listThemes")->item(0)->text(), QStringLiteral("Urlaub"));
  EXPECT_TRUE(doc.IsModified());
}

// What is asked and removed is CRemoveFromPicture's; the view hands over its
// selection and shows the outcome.
TEST_F(DescriptionView, RemovedPersonsLeaveTheList) {
  a = AddPicture("a.jpg");
  doc.AddOrUpdatePerson(7, "Oma");
  doc.AddOrUpdatePerson(8, "Opa");
  doc.AddOrUpdatePersonOnPicture(7, Rect{1, 1, 10, 10}, a);
  doc.AddOrUpdatePersonOnPicture(8, Rect{20, 1, 30, 10}, a);
  SelectAll();
  MakeView();
  SelectAllIn(List("listPersons"));
  ui.answers = {Answer::Yes};
  view->OnCommand(ID_REMOVE_PERSONS);
  EXPECT_EQ(List("listPersons")->count(), 0);
  EXPECT_TRUE(view->PersonRects().empty());
}

TEST_F(DescriptionView, SelectedPersonsBlinkUnlessTheFramesSwitchIsOn) {
  a = AddPicture("a.jpg");
  doc.AddOrUpdatePerson(7, "Oma");
  doc.AddOrUpdatePerson(8, "Opa");
  doc.AddOrUpdatePersonOnPicture(7, Rect{1, 1, 10, 10}, a);
  doc.AddOrUpdatePersonOnPicture(8, Rect{20, 1, 30, 10}, a);
  SelectAll();
  MakeView();
  CPictureCtrl* picture = view->PictureCtrl();
  QListWidget* persons = List("listPersons");

  persons->item(1)->setSelected(true);  // "Opa"
  EXPECT_TRUE(picture->IsBlinking());
  EXPECT_EQ(picture->BlinkingFrames(), std::vector<Rect>{Rect(20, 1, 30, 10)});
  EXPECT_TRUE(Enabled(ID_REMOVE_PERSONS));

  persons->clearSelection();
  EXPECT_FALSE(picture->IsBlinking());

  auto* frames = qobject_cast<QPushButton*>(Control("checkFrames"));
  frames->click();  // no selection: all persons blink
  EXPECT_EQ(picture->m_bFramesVisible, 1);
  EXPECT_TRUE(picture->IsBlinking());
  EXPECT_EQ(picture->BlinkingFrames().size(), 2u);

  persons->item(0)->setSelected(true);  // switch on: a selection does not blink
  EXPECT_FALSE(picture->IsBlinking());
  persons->clearSelection();
  frames->click();
  EXPECT_EQ(picture->m_bFramesVisible, 0);
  EXPECT_FALSE(picture->IsBlinking());
}

TEST_F(DescriptionView, ANewPictureStopsTheBlinking) {
  a = AddPicture("a.jpg");
  b = AddPicture("b.jpg");
  doc.AddOrUpdatePerson(7, "Oma");
  doc.AddOrUpdatePersonOnPicture(7, Rect{1, 1, 10, 10}, a);
  doc.AddOrUpdatePersonOnPicture(7, Rect{2, 2, 10, 10}, b);
  SelectAll();
  MakeView();
  qobject_cast<QPushButton*>(Control("checkFrames"))->click();
  ASSERT_TRUE(view->PictureCtrl()->IsBlinking());
  view->OnCommand(ID_NEXT_PICTURE);
  EXPECT_FALSE(view->PictureCtrl()->IsBlinking());
  EXPECT_TRUE(view->PictureCtrl()->BlinkingFrames().empty());
}

TEST_F(DescriptionView, RemovalAsksAndRemovesInListOrder) {
  a = AddPicture("a.jpg");
  doc.AddOrUpdateTheme(1, "Urlaub");
  doc.AddOrUpdateTheme(2, "Familie");
  doc.AddThemeToPicture(1, a);
  doc.AddThemeToPicture(2, a);
  doc.AddOrUpdatePerson(7, "Oma");
  doc.AddOrUpdatePerson(8, "Opa");
  doc.AddOrUpdatePersonOnPicture(7, Rect{1, 1, 10, 10}, a);
  doc.AddOrUpdatePersonOnPicture(8, Rect{20, 1, 30, 10}, a);
  SelectAll();
  MakeView();
  for (QListWidget* list : {List("listThemes"), List("listPersons")}) {  // the lower entry clicked first
    list->item(1)->setSelected(true);
    list->item(0)->setSelected(true);
  }
  ui.answers = {Answer::No, Answer::No};
  view->OnCommand(ID_REMOVE_THEMES);
  view->OnCommand(ID_REMOVE_PERSONS);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Möchten Sie diese Themen wirklich löschen?\nFamilie\nUrlaub\n");
  EXPECT_EQ(ui.messages[1].text, "Möchten Sie\nOma\nOpa\nvon diesem Bild steichen?");
}

TEST_F(DescriptionView, MarkingDisablesTheFormUntilLeft) {
  MakeView();
  view->OnCommand(ID_ADD_PERSON);  // empty selection: no marking
  EXPECT_FALSE(view->IsMarking());

  AddPicture("a.jpg");
  SelectAll();
  view->OnCommand(ID_ADD_PERSON);
  ASSERT_TRUE(view->IsMarking());
  EXPECT_EQ(view->PictureCtrl()->m_nMode, 1);
  EXPECT_EQ(view->PictureCtrl()->m_bFramesVisible, 1);
  EXPECT_TRUE(view->PictureCtrl()->isEnabled());
  EXPECT_FALSE(Control("editHeadline")->isEnabled());
  EXPECT_TRUE(Enabled(ID_CANCEL_ADD_PERSON));

  view->OnCommand(ID_CANCEL_ADD_PERSON);
  EXPECT_FALSE(view->IsMarking());
  EXPECT_EQ(view->PictureCtrl()->m_bFramesVisible, 0);
  EXPECT_TRUE(Control("editHeadline")->isEnabled());
  EXPECT_FALSE(Control("buttonRemovePersons")->isEnabled());  // nothing selected
}

TEST_F(DescriptionView, FinishedDragOpensThePersonsDialogWithTheClampedRectangle) {
  MakeAlbum();
  doc.AddOrUpdatePerson(7, "Oma");
  view->OnCommand(ID_ADD_PERSON);
  Rect handedOver;
  std::int32_t picture = 0;
  test::OnNextModal([&](QWidget* w) {
    auto* dlg = qobject_cast<CPersonsDlg*>(w);
    ASSERT_NE(dlg, nullptr);
    handedOver = dlg->m_rect;
    picture = dlg->m_nPicture;
    dlg->findChild<QComboBox*>()->setCurrentIndex(0);
    dlg->OnEnter();
  });
  emit view->PictureCtrl()->RectMarked(Rect{-5, 3, 70, 31});  // the picture is 40 x 30
  EXPECT_FALSE(view->IsMarking());
  EXPECT_EQ(handedOver, Rect(0, 3, 40, 30));
  EXPECT_EQ(picture, a);
  ASSERT_EQ(List("listPersons")->count(), 1);  // refreshed after OK
  EXPECT_EQ(view->PersonRects().at(7), Rect(0, 3, 40, 30));
}

TEST_F(DescriptionView, DeletingTheLastPictureLeavesNoCurrentPicture) {
  MakeAlbum();
  view->OnCommand(ID_PREV_PICTURE);  // c, the last
  test::OnNextModal([](QWidget* w) {
    auto* dlg = qobject_cast<CDeletePictureDlg*>(w);
    ASSERT_NE(dlg, nullptr);
    dlg->findChild<QCheckBox*>()->setChecked(true);
    dlg->findChild<QPushButton*>(QStringLiteral("buttonYes"))->click();
  });
  view->OnCommand(ID_DELETE_PICTURE);
  EXPECT_EQ(doc.Pictures().Find(c), nullptr);
  EXPECT_EQ(doc.CurrentPicture(), -1);
  EXPECT_EQ(view->ShownPicture(), -1);
  EXPECT_EQ(Text("textPosition"), QStringLiteral("Keine Bilder gefunden"));
  EXPECT_EQ(files.trashed, std::vector<std::string>{folder.filePath(QStringLiteral("c.jpg")).toStdString()});
  EXPECT_EQ(records.back(), "remove-picture " + std::to_string(c));
}

TEST_F(DescriptionView, DeleteCancelledThenAcceptedInTheMiddle) {
  MakeAlbum();
  test::OnNextModal([](QWidget* w) {
    w->findChild<QPushButton*>(QStringLiteral("buttonNo"))->click();
  });
  view->OnCommand(ID_DELETE_PICTURE);
  EXPECT_NE(doc.Pictures().Find(a), nullptr);
  EXPECT_TRUE(records.empty());

  doc.SetCurrentIndex(1);
  doc.UpdateAllViews(nullptr);
  EXPECT_EQ(view->ShownPicture(), b);

  // Deleting b shows its successor at the remembered position.
  test::OnNextModal([](QWidget* w) { static_cast<QDialog*>(w)->accept(); });
  view->OnCommand(ID_DELETE_PICTURE);
  EXPECT_EQ(view->ShownPicture(), c);
  EXPECT_EQ(Text("textPosition"), QStringLiteral("2 / 2"));
  EXPECT_TRUE(files.trashed.empty());
}

TEST_F(DescriptionView, EnlargingMovesTheDataColumnAndRestoresItExactly) {
  MakeAlbum();
  std::map<std::string, QRect> before;
  for (QWidget* w : view->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (!w->objectName().isEmpty()) before[w->objectName().toStdString()] = w->geometry();
  const int half = before["editHeadline"].width() / 2;
  const int label = before["labelThemes"].width();

  view->OnCommand(ID_ENLARGE);
  CmdState s;
  view->OnUpdateCommand(ID_ENLARGE, s);
  EXPECT_TRUE(s.checked);
  EXPECT_TRUE(Control("labelThemes")->isHidden());
  EXPECT_TRUE(Control("textPosition")->isHidden());
  EXPECT_EQ(Control("buttonRemovePersons")->geometry(), before["buttonRemovePersons"].translated(half, 0));
  EXPECT_EQ(Control("editHeadline")->geometry(), before["editHeadline"].adjusted(half, 0, 0, 0));
  EXPECT_EQ(Control("spinPosition")->geometry(), before["spinPosition"].adjusted(half, 0, 0, 0));
  EXPECT_EQ(view->PictureCtrl()->width(), before["pictureCtrl"].width() + half + label);
  // The picture stays clear of the narrowed column.
  EXPECT_LT(view->PictureCtrl()->geometry().right(), Control("editHeadline")->x());

  view->OnCommand(ID_ENLARGE);
  for (const auto& [name, rect] : before) EXPECT_EQ(Control(name.c_str())->geometry(), rect) << name;
  EXPECT_FALSE(Control("labelThemes")->isHidden());
}

// The narrowed column shows the middle of a long name left out, not its end
// cut off, and the whole name as the tooltip.
TEST_F(DescriptionView, EnlargedColumnShortensLongTextsInTheMiddle) {
  AddPicture("ein_sehr_langer_dateiname_vom_urlaub_am_meer_2026.jpg");
  SelectAll();
  MakeView();
  auto* name = view->findChild<CElidingLineEdit*>(QStringLiteral("editFileName"));
  ASSERT_NE(name, nullptr);
  view->OnCommand(ID_ENLARGE);
  const QString shown = name->ShownText();
  EXPECT_NE(shown, name->text());
  EXPECT_TRUE(shown.endsWith(QStringLiteral("2026.jpg"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  EXPECT_EQ(name->toolTip(), name->text());
}

TEST_F(DescriptionView, ResizeMovesTheColumnAndALowViewScrollsIt) {
  MakeAlbum();
  view->show();  // a hidden widget gets its resize events only when shown
  const QSize initial = view->size();
  const QRect headline = Control("editHeadline")->geometry();
  const QRect slider = Control("sliderPosition")->geometry();
  const QRect picture = view->PictureCtrl()->geometry();

  view->resize(initial + QSize(100, 50));
  EXPECT_EQ(Control("editHeadline")->geometry(), headline.translated(100, 0));
  EXPECT_EQ(Control("sliderPosition")->geometry(), slider.translated(100, 0));
  EXPECT_EQ(view->PictureCtrl()->geometry(), picture.adjusted(0, 0, 100, 50));

  // Lower than its form the picture shrinks and the column scrolls; the
  // scroll bar's width comes from the picture, the view is never narrower.
  view->resize(initial - QSize(200, 200));
  auto* scroll = view->findChild<QScrollBar*>(QStringLiteral("columnScroll"));
  ASSERT_TRUE(scroll && scroll->isVisible());
  EXPECT_EQ(view->width(), initial.width());
  EXPECT_EQ(Control("editHeadline")->geometry(), headline.translated(-scroll->width(), 0));
  EXPECT_EQ(view->PictureCtrl()->geometry(), picture.adjusted(0, 0, -scroll->width(), -200));
  scroll->setValue(scroll->maximum());
  EXPECT_LE(Control("spinPosition")->geometry().bottom(), view->height());
  EXPECT_EQ(Control("editHeadline")->y(), headline.y() - 200);
  // The keyboard brings a control it reaches into sight.
  QApplication::setActiveWindow(view.get());
  Headline()->setFocus();
  EXPECT_EQ(view->ColumnOffset(), 0);
  view->resize(initial);
  EXPECT_FALSE(scroll->isVisible());
  EXPECT_EQ(Control("editHeadline")->geometry(), headline);

  // A view already larger at its first update starts from the form's own size.
  CImageDescription wide(doc, ui);
  wide.resize(initial + QSize(60, 0));
  wide.OnInitialUpdate();
  EXPECT_EQ(wide.findChild<QWidget*>(QStringLiteral("editHeadline"))->geometry(), headline.translated(60, 0));
}

TEST_F(DescriptionView, DateLockButtonRaisesOnHoverOnlyWithCollaboration) {
  for (const int collaboration : {0, 1}) {
    settings.SetInt("Settings", "Zusammenarbeit", collaboration);
    MakeView();
    auto* lock = qobject_cast<DateLockButton*>(Control("buttonDateLock"));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(lock, &move);
    EXPECT_EQ(lock->IsRaised(), collaboration != 0);
    // The cursor is not over the button: the next tick lowers it.
    EXPECT_TRUE(test::WaitUntil([&] { return !lock->IsRaised(); }));
  }
}

}  // namespace
}  // namespace kolvaro
