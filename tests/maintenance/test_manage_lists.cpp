// The persons' and themes' lists as the management and theme dialogs change
// them, without a window: the questions asked, the records written.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/meriskdoc.h"
#include "maintenance/assignthemes.h"
#include "maintenance/managelist.h"
#include "res/strings.h"
#include "testsupport/fakes.h"

namespace kolvaro {
namespace {

std::string Text(int id) { return std::string(LoadString(id)); }

class ManageListsTest : public ::testing::Test {
 protected:
  ManageListsTest() : doc(settings) {
    doc.OnNewDocument();
    doc.SetAlbumFolder("/album/");
    for (const char* name : {"a.jpg", "b.jpg", ""})
      doc.AddOrUpdatePicture(doc.Pictures().NextId(), name, COleDateTime(), 10, "");
    for (const char* name : {"Anna", "Bernd", "Clara"})
      doc.AddOrUpdatePerson(doc.Persons().NextId(), name);
    for (const char* name : {"Urlaub", "Familie", "Zoo"})
      doc.AddOrUpdateTheme(doc.Themes().NextId(), name);
    // Anna on 1 and 2, Bernd on 2, Clara on 1; themes 1 and 3 on picture 1.
    doc.AddOrUpdatePersonOnPicture(1, Rect{1, 1, 9, 9}, 1);
    doc.AddOrUpdatePersonOnPicture(1, Rect{1, 1, 9, 9}, 2);
    doc.AddOrUpdatePersonOnPicture(2, Rect{2, 2, 8, 8}, 2);
    doc.AddOrUpdatePersonOnPicture(3, Rect{3, 3, 7, 7}, 1);
    doc.AddThemeToPicture(1, 1);
    doc.AddThemeToPicture(3, 1);
    doc.SelectPictures(-1, -1, 1);
    Show(1);
    doc.SetTransactionLog(std::make_unique<test::RecordingLog>(logged));
  }

  void Show(std::int32_t picture) {
    const auto& sel = doc.Selection();
    doc.SetCurrentIndex(
        static_cast<std::int32_t>(std::find(sel.begin(), sel.end(), picture) - sel.begin()));
  }

  /// An input that records each request and answers with `answer`.
  AskText Answer(std::optional<std::string> answer) {
    return [this, answer](const TextRequest& r) {
      asked.push_back(r);
      return answer;
    };
  }

  CMemorySettings settings;
  CMeriskDoc doc;
  std::vector<std::string> logged;
  std::vector<TextRequest> asked;
};

TEST_F(ManageListsTest, DeletingAsksOnceNamingEverySelectedEntryAndRemovesTheirLinksOnYes) {
  const struct {
    kolvaro::Answer answer;
    bool removed;
  } cases[] = {{kolvaro::Answer::Yes, true}, {kolvaro::Answer::No, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.removed);
    CMemorySettings s;
    CMeriskDoc d(s);
    d.OnNewDocument();
    for (const char* name : {"Anna", "Bernd", "Clara"})
      d.AddOrUpdatePerson(d.Persons().NextId(), name);
    d.AddOrUpdatePersonOnPicture(1, Rect{1, 1, 9, 9}, 7);
    d.AddOrUpdatePersonOnPicture(2, Rect{2, 2, 8, 8}, 7);
    std::vector<std::string> log;
    d.SetTransactionLog(std::make_unique<test::RecordingLog>(log));
    test::ScriptedQuestions ui;
    ui.answers = {c.answer};

    EXPECT_EQ(CManageList(d, CManageList::kPersons).Delete({{2, "Bernd"}, {1, "Anna"}}, ui),
              c.removed);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              "Möchten Sie\n\nBernd\nAnna\n\nwirklich endgültig aus der Datenbank entfernen?");
    EXPECT_EQ(ui.messages[0].caption, LoadString(IDS_SAFETY_QUERY));
    EXPECT_EQ(ui.messages[0].kind, UserMessage::Kind::YesNo);
    EXPECT_EQ(d.Persons().GetCount(), c.removed ? 1 : 3);
    EXPECT_EQ(d.PersonsOnPictures().GetCount(), c.removed ? 0 : 2);
    EXPECT_EQ(log, c.removed ? (std::vector<std::string>{"remove-person 2", "remove-person 1"})
                             : std::vector<std::string>{});
  }
}

TEST_F(ManageListsTest, DeletingAThemeRemovesItsLinksAndNothingIsAskedWithoutASelection) {
  test::ScriptedQuestions ui(kolvaro::Answer::Yes);
  CManageList themes(doc, CManageList::kThemes);
  EXPECT_FALSE(themes.Delete({}, ui));
  EXPECT_TRUE(ui.messages.empty());

  EXPECT_TRUE(themes.Delete({{3, "Zoo"}}, ui));
  EXPECT_FALSE(doc.ThemesOfPictures().Lookup(3, 1));
  EXPECT_TRUE(doc.ThemesOfPictures().Lookup(1, 1));
  EXPECT_EQ(doc.Themes().GetName(3), "");
}

TEST_F(ManageListsTest, RenamingAsksOnlyWithExactlyOneEntrySelected) {
  const struct {
    int mode;
    std::vector<NameEntry> selected;
    std::vector<std::string> request;  // caption, prompt, preset; empty when not asked
  } cases[] = {
      {CManageList::kPersons, {}, {}},
      {CManageList::kPersons, {{1, "Anna"}, {2, "Bernd"}}, {}},
      {CManageList::kPersons,
       {{2, "Bernd"}},
       {Text(IDS_RENAME_PERSON_CAPTION), Text(IDS_RENAME_PERSON_PROMPT), "Bernd"}},
      {CManageList::kThemes,
       {{2, "Familie"}},
       {Text(IDS_RENAME_THEME_CAPTION), Text(IDS_RENAME_THEME_PROMPT), "Familie"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.selected.size());
    asked.clear();
    logged.clear();
    const bool renamed = CManageList(doc, c.mode).Rename(c.selected, Answer("Neu"));
    EXPECT_EQ(renamed, !c.request.empty());
    if (c.request.empty()) {
      EXPECT_TRUE(asked.empty());
      EXPECT_TRUE(logged.empty());
      continue;
    }
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ((std::vector<std::string>{asked[0].caption, asked[0].prompt, asked[0].value}),
              c.request);
    const NameTable& table = c.mode == CManageList::kPersons
                                 ? static_cast<const NameTable&>(doc.Persons())
                                 : doc.Themes();
    EXPECT_EQ(table.GetName(c.selected[0].id), "Neu");
  }
  EXPECT_EQ(doc.Persons().GetName(1), "Anna") << "the two selected stay as they were";
}

TEST_F(ManageListsTest, NewStoresTheTextUncheckedUnderTheNextIdAndCancelStoresNothing) {
  CManageList persons(doc, CManageList::kPersons);
  EXPECT_FALSE(persons.New(Answer(std::nullopt)));
  EXPECT_EQ(doc.Persons().GetCount(), 3);

  EXPECT_EQ(persons.New(Answer("Anna")), (NameEntry{4, "Anna"}))
      << "an existing name is a further entry";
  EXPECT_EQ(CManageList(doc, CManageList::kThemes).New(Answer("")), (NameEntry{4, ""}));
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].caption, Text(IDS_NEW_PERSON_CAPTION));
  EXPECT_EQ(asked[0].prompt, Text(IDS_NEW_PERSON_PROMPT));
  EXPECT_EQ(asked[2].caption, Text(IDS_NEW_THEME_CAPTION));
  EXPECT_EQ(asked[2].prompt, Text(IDS_NEW_THEME_PROMPT));
  EXPECT_EQ(logged, (std::vector<std::string>{"person 4", "theme 4"}));

  CManageList other(doc, 3);
  EXPECT_FALSE(other.New(Answer("x")));
  EXPECT_TRUE(other.Entries().empty());
}

TEST_F(ManageListsTest, ThemesSplitByThePictureAndOkWithoutAChangeWritesOneRecordPerTheme) {
  const ThemeSplit split = SplitThemes(doc.Themes(), doc.ThemesOfPictures(), doc.CurrentPicture());
  ASSERT_EQ(doc.CurrentPicture(), 1);
  std::vector<std::int32_t> assigned, available;
  for (const NameEntry& e : split.assigned) assigned.push_back(e.id);
  for (const NameEntry& e : split.available) available.push_back(e.id);
  std::sort(assigned.begin(), assigned.end());
  EXPECT_EQ(assigned, (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(available, (std::vector<std::int32_t>{2}));

  const std::int32_t links = doc.ThemesOfPictures().GetCount();
  WriteThemeAssignment(doc, {3, 1}, {2});
  EXPECT_EQ(logged, (std::vector<std::string>{"theme-of-picture 1", "theme-of-picture 1",
                                              "remove-theme-of-picture 1"}));
  EXPECT_EQ(doc.ThemesOfPictures().GetCount(), links);
}

TEST_F(ManageListsTest, AssigningThemesNeedsASelectionAndAStoredPath) {
  EXPECT_TRUE(CanAssignThemes(doc));
  Show(3);
  ASSERT_EQ(doc.CurrentPicture(), 3);
  EXPECT_FALSE(CanAssignThemes(doc)) << "picture 3 has no stored path";
  doc.SetExplicitSelection({});
  EXPECT_FALSE(CanAssignThemes(doc));
}

}  // namespace
}  // namespace kolvaro
