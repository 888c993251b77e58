// The management and theme dialogs' flows that need their widgets.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>

#include "core/meriskdoc.h"
#include "maintenance/dialogs/assignthemesdlg.h"
#include "maintenance/dialogs/managelistdlg.h"
#include "qt/widgets/dragdroplistbox.h"
#include "testsupport/fakes.h"
#include "testsupport/qt.h"

namespace kolvaro {
namespace {

QStringList Texts(const QListWidget* list) {
  QStringList texts;
  for (int row = 0; row < list->count(); ++row) texts << list->item(row)->text();
  return texts;
}

void Select(QListWidget* list, const QStringList& texts) {
  for (int row = 0; row < list->count(); ++row)
    list->item(row)->setSelected(texts.contains(list->item(row)->text()));
}

class CatalogueDialogsTest : public ::testing::Test {
 protected:
  CatalogueDialogsTest() : doc(settings) {
    doc.OnNewDocument();
    doc.SetAlbumFolder("/album/");
    doc.AddPicture("a.jpg", COleDateTime(), 10, "");
    // Zoo 1, Arzt 2, Ärzte 3, Urlaub 4; Urlaub on the picture.
    for (const char* name : {"Zoo", "Arzt", "Ärzte", "Urlaub"})
      doc.AddOrUpdateTheme(doc.Themes().NextId(), name);
    for (const char* name : {"Bernd", "Anna", "Clara"})
      doc.AddOrUpdatePerson(doc.Persons().NextId(), name);
    doc.AddOrUpdatePersonOnPicture(1, Rect{1, 1, 9, 9}, 1);
    doc.AddThemeToPicture(4, 1);
    doc.SetExplicitSelection({1});
    doc.SetCurrentIndex(0);
    doc.SetTransactionLog(std::make_unique<test::RecordingLog>(logged));
    doc.SetModifiedFlag(false);
    doc.AddView(&view);
  }
  ~CatalogueDialogsTest() override { doc.RemoveView(&view); }

  CMemorySettings settings;
  CMeriskDoc doc;
  test::CountingView view;
  std::vector<std::string> logged;
};

TEST_F(CatalogueDialogsTest, ManagementListSortsGermanRenamesOnlyOneAndDeletesTheSelectedRows) {
  test::ScriptedQuestions ui(Answer::Yes);
  CManageListDlg themes(doc, CManageList::kThemes, ui);
  EXPECT_EQ(Texts(themes.List()), (QStringList{QStringLiteral("Arzt"), QStringLiteral("Ärzte"),
                                               QStringLiteral("Urlaub"), QStringLiteral("Zoo")}));

  CManageListDlg persons(doc, CManageList::kPersons, ui);
  int asked = 0;
  persons.SetAskText(
      [&asked](const TextRequest&) { return ++asked, std::optional<std::string>("x"); });
  Select(persons.List(), {QStringLiteral("Anna"), QStringLiteral("Bernd")});
  persons.OnRename();
  EXPECT_EQ(asked, 0);
  persons.OnDelete();
  EXPECT_EQ(Texts(persons.List()), QStringList{QStringLiteral("Clara")});
  EXPECT_EQ(doc.Persons().GetCount(), 1);
  EXPECT_EQ(doc.PersonsOnPictures().GetCount(), 0);
}

TEST_F(CatalogueDialogsTest, ManagementCommandUpdatesTheViewsAndMarksModifiedAlsoAfterCancel) {
  test::ScriptedQuestions ui;
  test::OnNextModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  OnManageList(doc, CManageList::kPersons, ui, nullptr);
  EXPECT_EQ(view.updates, 1);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(CatalogueDialogsTest, ThemeDialogMovesSelectedEntriesAndEnablesTheArrowsBySelection) {
  CAssignThemesDlg dlg(doc);
  auto* assign = dlg.findChild<QPushButton*>(QStringLiteral("assignButton"));
  auto* unassign = dlg.findChild<QPushButton*>(QStringLiteral("unassignButton"));
  EXPECT_EQ(Texts(dlg.AssignedList()), QStringList{QStringLiteral("Urlaub")});
  EXPECT_FALSE(assign->isEnabled() || unassign->isEnabled());

  Select(dlg.AvailableList(), {QStringLiteral("Zoo"), QStringLiteral("Arzt")});
  EXPECT_TRUE(assign->isEnabled());
  dlg.OnAssign();
  EXPECT_FALSE(assign->isEnabled());
  EXPECT_EQ(Texts(dlg.AvailableList()), QStringList{QStringLiteral("Ärzte")});
  EXPECT_EQ(Texts(dlg.AssignedList()),
            (QStringList{QStringLiteral("Arzt"), QStringLiteral("Urlaub"), QStringLiteral("Zoo")}));

  Select(dlg.AssignedList(), {QStringLiteral("Urlaub")});
  EXPECT_TRUE(unassign->isEnabled());
  dlg.OnUnassign();
  EXPECT_FALSE(unassign->isEnabled());
  dlg.OnOK();
  const CThemenDerBilderEx& links = doc.ThemesOfPictures();
  EXPECT_EQ((std::vector<bool>{links.Lookup(1, 1), links.Lookup(2, 1), links.Lookup(3, 1),
                               links.Lookup(4, 1)}),
            (std::vector<bool>{true, true, false, false}));
  EXPECT_EQ(logged.size(), 4u) << "one record per theme";
}

TEST_F(CatalogueDialogsTest, ThemeMadeInTheDialogOutlivesCancelOnNoPicture) {
  const std::int32_t links = doc.ThemesOfPictures().GetCount();
  test::OnNextModal([](QWidget* w) {
    auto* dlg = static_cast<CAssignThemesDlg*>(w);
    dlg->SetAskText([](const TextRequest&) { return std::optional<std::string>("Neu"); });
    dlg->OnNew();
    EXPECT_EQ(dlg->AvailableList()->count(), 4);
    dlg->reject();
  });
  EXPECT_FALSE(OnAssignThemes(doc, nullptr));
  EXPECT_EQ(doc.Themes().GetName(5), "Neu");
  EXPECT_EQ(doc.ThemesOfPictures().GetCount(), links);
  EXPECT_EQ(logged, std::vector<std::string>{"theme 5"});
  EXPECT_EQ(view.updates, 1) << "the selection bar lists the new theme";
}

}  // namespace
}  // namespace kolvaro
