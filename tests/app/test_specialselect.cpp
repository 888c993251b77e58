// The special selection: its lists without a window, the dialog offscreen,
// and its entry in the selection bar's sort list.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/mainframe.h"
#include "app/selectview.h"
#include "app/specialselect.h"
#include "app/startup.h"
#include "testsupport/app_fixture.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

using Model = CSpecialSelectModel;

std::vector<std::string> Texts(const std::vector<Model::Entry>& entries) {
  std::vector<std::string> texts;
  for (const auto& e : entries) texts.push_back(e.text);
  return texts;
}

struct Pictures {
  CBilderEx table;
  Pictures() {
    const COleDateTime when = COleDateTime::FromCalendar(2024, 5, 1, 12, 0, 0);
    table.AddOrUpdate(10, "a.jpg", when, 1, "Anna");
    table.AddOrUpdate(20, "urlaub\\b.jpg", when, 1, "");
    table.AddOrUpdate(30, "c.jpg", when, 1, "Caro");
  }
};

TEST(SpecialSelectModel, NumbersArePositionsAndOnlyTheAvailableListIsRelabelled) {
  Pictures p;
  Model model({30, 10, 20}, p.table);
  EXPECT_EQ(model.Available(), (std::vector<Model::Entry>{{30, "1"}, {10, "2"}, {20, "3"}}));
  EXPECT_EQ(model.Mode(), Model::kNumberOnly);
  model.SelectAvailable(1);
  ASSERT_TRUE(model.Copy());

  const struct {
    int mode;
    std::vector<std::string> available;
  } modes[] = {
      {Model::kFileName, {"1 c.jpg", "2 a.jpg", "3 urlaub/b.jpg"}},  // as a Linux user reads it
      {Model::kTitle, {"1 Caro", "2 Anna", "3 "}},
      {7, {"1 Caro", "2 Anna", "3 "}},  // no such mode: nothing changes
      {Model::kNumberOnly, {"1", "2", "3"}}};
  for (const auto& m : modes) {
    model.SetMode(m.mode);
    EXPECT_EQ(Texts(model.Available()), m.available) << m.mode;
    EXPECT_EQ(model.Chosen(), (std::vector<Model::Entry>{{10, "2"}})) << m.mode;
  }
}

TEST(SpecialSelectModel, ChosenListStepsFollowTheSelectionAndStopAtTheEnds) {
  Pictures p;
  Model model({30, 10, 20}, p.table);
  enum Op { kSelectAvailable, kSelectChosen, kCopy, kRemove, kUp, kDown };
  const struct {
    Op op;
    int row;
    bool done;
    std::vector<std::int32_t> result;
    int chosenRow;
  } steps[] = {
      {kCopy, 0, false, {}, -1},  // nothing selected
      {kSelectAvailable, 0, true, {}, -1},
      {kCopy, 0, true, {30}, 0},
      {kCopy, 0, true, {30, 30}, 1},  // the same picture twice
      {kSelectAvailable, 2, true, {30, 30}, 1},
      {kCopy, 0, true, {30, 30, 20}, 2},
      {kDown, 0, false, {30, 30, 20}, 2},  // at the end
      {kUp, 0, true, {30, 20, 30}, 1},
      {kUp, 0, true, {20, 30, 30}, 0},
      {kUp, 0, false, {20, 30, 30}, 0},
      {kDown, 0, true, {30, 20, 30}, 1},
      {kRemove, 0, true, {30, 30}, -1},
      {kRemove, 0, false, {30, 30}, -1},
      {kUp, 0, false, {30, 30}, -1},
      {kSelectChosen, 5, true, {30, 30}, -1},  // beyond the list: none
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    const auto& s = steps[i];
    bool done = true;
    switch (s.op) {
      case kSelectAvailable: model.SelectAvailable(s.row); break;
      case kSelectChosen: model.SelectChosen(s.row); break;
      case kCopy: done = model.Copy(); break;
      case kRemove: done = model.Remove(); break;
      case kUp: done = model.MoveUp(); break;
      case kDown: done = model.MoveDown(); break;
    }
    EXPECT_EQ(done, s.done) << "step " << i;
    EXPECT_EQ(model.Result(), s.result) << "step " << i;
    EXPECT_EQ(model.ChosenRow(), s.chosenRow) << "step " << i;
  }
}

TEST(SpecialSelectModel, EmptySelectionGivesEmptyListsAndResult) {
  Pictures p;
  Model model({}, p.table);
  model.SelectAvailable(0);
  EXPECT_TRUE(model.Available().empty());
  EXPECT_FALSE(model.Copy());
  EXPECT_TRUE(model.Result().empty());
}

QStringList Texts(const QListWidget* list) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
  return texts;
}

// The dialog's button or radio button with that text.
template <typename Button = QPushButton>
Button* Find(QWidget* dlg, const QString& text) {
  for (Button* b : dlg->findChildren<Button*>())
    if (b->text() == text) return b;
  ADD_FAILURE() << text.toStdString();
  return nullptr;
}

// Picks available rows in order with ">" and presses OK, or Cancel when `ok` is false.
void Choose(QWidget* dlg, const std::vector<int>& rows, bool ok = true) {
  auto* available = dlg->findChild<QListWidget*>(u"availableList"_qs);
  for (const int row : rows) {
    available->setCurrentRow(row);
    Find(dlg, u">"_qs)->click();
  }
  Find(dlg, ok ? u"OK"_qs : u"Abbrechen"_qs)->click();
}

TEST(SpecialSelectDialog, ShowsTheSelectionAndReturnsTheChosenOrderOnOk) {
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  const COleDateTime when = COleDateTime::FromCalendar(2024, 5, 1, 12, 0, 0);
  for (int id = 1; id <= 3; ++id)
    doc.AddOrUpdatePicture(id, "bild" + std::to_string(id) + ".jpg", when, 1, "");
  doc.SelectPictures(-1, -1, 1);  // by file name: 1, 2, 3
  CSpecialSelect dlg(doc);
  auto* available = dlg.findChild<QListWidget*>(u"availableList"_qs);
  auto* chosen = dlg.findChild<QListWidget*>(u"chosenList"_qs);
  EXPECT_EQ(dlg.windowTitle(), u"Spezialsortierung und -selektion");
  EXPECT_EQ(Texts(available), (QStringList{u"1"_qs, u"2"_qs, u"3"_qs}));
  EXPECT_TRUE(Find<QRadioButton>(&dlg, u"Nur Nummer"_qs)->isChecked());
  EXPECT_FALSE(Find<QRadioButton>(&dlg, u"Themen"_qs)->isEnabled());
  EXPECT_FALSE(Find<QRadioButton>(&dlg, u"Personen"_qs)->isEnabled());

  available->setCurrentRow(2);
  Find(&dlg, u">"_qs)->click();
  available->setCurrentRow(0);
  Find(&dlg, u">"_qs)->click();
  Find(&dlg, u"oben"_qs)->click();
  Find<QRadioButton>(&dlg, u"Dateiname"_qs)->click();
  EXPECT_EQ(Texts(available),
            (QStringList{u"1 bild1.jpg"_qs, u"2 bild2.jpg"_qs, u"3 bild3.jpg"_qs}));
  EXPECT_EQ(Texts(chosen), (QStringList{u"1"_qs, u"3"_qs}));
  EXPECT_EQ(chosen->currentRow(), 0);
  EXPECT_EQ(chosen->item(1)->data(Qt::UserRole).toInt(), 3);

  Find(&dlg, u"OK"_qs)->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(dlg.Result(), (std::vector<std::int32_t>{1, 3}));
}

// "<Spezial ...>" stays chosen over document updates, with the theme and
// person lists disabled, until another sort entry or another album.
TEST(SelectViewTest, SpecialEntryOpensTheDialogOnGoAndOkReplacesTheSelection) {
  test::AppFixture f;
  const std::string album = f.WriteAlbum("a.kvo", {}, {"Urlaub"}, 5);
  ASSERT_TRUE(f.app->InitInstance(ParseCommandLine({album}), "/usr/bin/kolvaro"));
  CMeriskDoc& doc = f.app->Document();
  CSelectView* bar = f.app->MainFrame()->SelectView();
  const std::vector<std::int32_t> before = doc.Selection();  // by date: 1 .. 5
  ASSERT_EQ(before.size(), 5u);

  bar->SortList()->setCurrentIndex(CSelectView::kSpecialSort);
  bar->OnSortChosen();
  EXPECT_EQ(bar->SortList()->currentText(), u"<Spezial ...>");
  EXPECT_FALSE(bar->ThemeList()->isEnabled());
  EXPECT_FALSE(bar->PersonList()->isEnabled());

  test::OnNextModal([](QWidget* dlg) { Choose(dlg, {4, 1}, false); });
  bar->GoButton()->click();
  EXPECT_EQ(doc.Selection(), before);

  test::OnNextModal([](QWidget* dlg) { Choose(dlg, {4, 1, 4}); });
  bar->GoButton()->click();
  EXPECT_EQ(doc.Selection(), (std::vector<std::int32_t>{before[4], before[1], before[4]}));
  EXPECT_EQ(doc.SelectionKind(), 4);
  EXPECT_EQ(doc.CurrentPicture(), before[4]);
  EXPECT_EQ(doc.CurrentPosition(), 0);
  EXPECT_EQ(bar->SortList()->currentIndex(), CSelectView::kSpecialSort);
  EXPECT_FALSE(bar->ThemeList()->isEnabled());

  test::OnNextModal([](QWidget* dlg) { Choose(dlg, {}); });
  bar->GoButton()->click();
  EXPECT_TRUE(doc.Selection().empty());
  EXPECT_EQ(doc.CurrentPicture(), -1);

  bar->SortList()->setCurrentIndex(2);
  bar->OnSortChosen();
  EXPECT_TRUE(bar->ThemeList()->isEnabled());
  EXPECT_TRUE(bar->PersonList()->isEnabled());
}

}  // namespace
}  // namespace kolvaro
