// The management and theme dialogs' flows that need their widgets.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <algorithm>

#include "core/meriskdoc.h"
#include "maintenance/dialogs/assignthemesdlg.h"
#include "maintenance/dialogs/managelistdlg.h"
#include "platform/qt/widgets/dragdroplistbox.h"
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
  list->clearSelection();
  for (int row = 0; row < list->count(); ++row)
    if (texts.contains(list->item(row)->text())) list->item(row)->setSelected(true);
}

class CatalogueDialogsTest : public ::testing::Test {
 protected:
  CatalogueDialogsTest() : doc(settings) {
    doc.OnNewDocument();
    doc.SetAlbumFolder("/album/");
    doc.AddOrUpdatePicture(1, "a.jpg", COleDateTime(), 10, "");
    for (const char* name : {"Zoo", "Arzt", "Ärzte", "Urlaub"})
      doc.AddOrUpdateTheme(doc.Themes().NextId(), name);
    for (const char* name : {"Bernd", "Anna", "Clara"})
      doc.AddOrUpdatePerson(doc.Persons().NextId(), name);
    doc.AddOrUpdatePersonOnPicture(1, Rect{1, 1, 9, 9}, 1);
    doc.AddOrUpdatePersonOnPicture(2, Rect{1, 1, 9, 9}, 1);
    doc.AddThemeToPicture(4, 1);  // Urlaub
    doc.SelectPictures(-1, -1, 1);
    doc.SetTransactionLog(std::make_unique<test::RecordingLog>(logged));
    doc.SetModifiedFlag(false);
  }

  CMemorySettings settings;
  CMeriskDoc doc;
  std::vector<std::string> logged;
};

TEST_F(CatalogueDialogsTest, ManagementListSortsGermanAndDeletesAllSelectedPersonsWithTheirLinks) {
  test::ScriptedQuestions ui(Answer::Yes);
  CManageListDlg themes(doc, CManageList::kThemes, ui);
  EXPECT_EQ(themes.windowTitle(), QStringLiteral("Themen verwalten"));
  EXPECT_EQ(Texts(themes.List()), (QStringList{QStringLiteral("Arzt"), QStringLiteral("Ärzte"),
                                               QStringLiteral("Urlaub"), QStringLiteral("Zoo")}));

  CManageListDlg persons(doc, CManageList::kPersons, ui);
  int asked = 0;
  persons.SetAskText(
      [&asked](const TextRequest&) { return ++asked, std::optional<std::string>("x"); });
  Select(persons.List(), {QStringLiteral("Anna"), QStringLiteral("Bernd")});
  persons.OnRename();
  EXPECT_EQ(asked, 0) << "two selected: no rename";

  persons.OnDelete();
  EXPECT_EQ(Texts(persons.List()), QStringList{QStringLiteral("Clara")});
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("\n\nAnna\nBernd\n\n"), std::string::npos) << "in list order";
  EXPECT_EQ(doc.Persons().GetCount(), 1);
  EXPECT_EQ(doc.PersonsOnPictures().GetCount(), 0);
}

TEST_F(CatalogueDialogsTest, ManagementCommandUpdatesTheViewsAndMarksModifiedAlsoAfterCancel) {
  test::ScriptedQuestions ui;
  test::CountingView view;
  doc.AddView(&view);
  test::OnNextModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  OnManageList(doc, CManageList::kPersons, ui, nullptr);
  doc.RemoveView(&view);
  EXPECT_EQ(view.updates, 1);
  EXPECT_TRUE(doc.IsModified());
}

TEST_F(CatalogueDialogsTest, ThemeDialogMovesSelectedEntriesAndEnablesTheArrowsBySelection) {
  CAssignThemesDlg dlg(doc);
  auto* assign = dlg.findChild<QPushButton*>(QStringLiteral("assignButton"));
  auto* unassign = dlg.findChild<QPushButton*>(QStringLiteral("unassignButton"));
  EXPECT_EQ(Texts(dlg.AssignedList()), QStringList{QStringLiteral("Urlaub")});
  EXPECT_FALSE(assign->isEnabled());
  EXPECT_FALSE(unassign->isEnabled());

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
  // Zoo 1, Arzt 2, Ärzte 3, Urlaub 4.
  const CThemenDerBilderEx& links = doc.ThemesOfPictures();
  EXPECT_EQ((std::vector<bool>{links.Lookup(1, 1), links.Lookup(2, 1), links.Lookup(3, 1),
                               links.Lookup(4, 1)}),
            (std::vector<bool>{true, true, false, false}));
}

TEST_F(CatalogueDialogsTest,
       ThemeDialogOkWithoutAChangeWritesOneRecordPerThemeAndNewThemeOutlivesCancel) {
  {
    CAssignThemesDlg dlg(doc);
    dlg.OnOK();
  }
  EXPECT_EQ(logged.size(), 4u);
  EXPECT_EQ(std::count(logged.begin(), logged.end(), "theme-of-picture 1"), 1);
  EXPECT_TRUE(doc.ThemesOfPictures().Lookup(4, 1));
  const std::int32_t links = doc.ThemesOfPictures().GetCount();

  logged.clear();
  test::CountingView view;
  doc.AddView(&view);
  test::OnNextModal([](QWidget* w) {
    auto* dlg = static_cast<CAssignThemesDlg*>(w);
    dlg->SetAskText([](const TextRequest&) { return std::optional<std::string>("Neu"); });
    dlg->OnNew();
    EXPECT_EQ(dlg->AvailableList()->count(), 4);
    dlg->reject();
  });
  EXPECT_FALSE(OnAssignThemes(doc, nullptr));
  doc.RemoveView(&view);
  EXPECT_EQ(doc.Themes().GetName(5), "Neu");
  EXPECT_EQ(doc.ThemesOfPictures().GetCount(), links) << "the new theme is on no picture";
  EXPECT_EQ(logged, std::vector<std::string>{"theme 5"});
  EXPECT_EQ(view.updates, 1) << "the selection bar lists the new theme";
}

}  // namespace
}  // namespace kolvaro
