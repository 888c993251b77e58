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
    for (const char* name : {"a.jpg", ""}) doc.AddPicture(name, COleDateTime(), 10, "");
    for (const char* name : {"Anna", "Bernd", "Clara"})
      doc.AddOrUpdatePerson(doc.Persons().NextId(), name);
    for (const char* name : {"Urlaub", "Familie", "Zoo"})
      doc.AddOrUpdateTheme(doc.Themes().NextId(), name);
    // Anna on 1 and 2, Bernd on 2, Clara on 1; themes 1 and 3 on picture 1.
    for (const auto& [person, picture] : {std::pair{1, 1}, {1, 2}, {2, 2}, {3, 1}})
      doc.AddOrUpdatePersonOnPicture(person, Rect{1, 1, 9, 9}, picture);
    doc.AddThemeToPicture(1, 1);
    doc.AddThemeToPicture(3, 1);
    doc.SetExplicitSelection({1, 2});
    doc.SetCurrentIndex(0);
    doc.SetTransactionLog(std::make_unique<test::RecordingLog>(logged));
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
    int persons, rectangles;
    std::vector<std::string> logged;
  } cases[] = {{kolvaro::Answer::No, 3, 4, {}},
               {kolvaro::Answer::Yes, 1, 1, {"remove-person 2", "remove-person 1"}}};
  for (const auto& c : cases) {
    test::ScriptedQuestions ui(c.answer);
    EXPECT_EQ(CManageList(doc, CManageList::kPersons).Delete({{2, "Bernd"}, {1, "Anna"}}, ui),
              c.answer == kolvaro::Answer::Yes);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              FormatMessage(LoadString(IDS_DELETE_ENTRIES), {std::string("Bernd\nAnna\n")}));
    EXPECT_EQ(ui.messages[0].caption, Text(IDS_SAFETY_QUERY));
    EXPECT_EQ(ui.messages[0].kind, UserMessage::Kind::YesNo);
    EXPECT_EQ(doc.Persons().GetCount(), c.persons);
    EXPECT_EQ(doc.PersonsOnPictures().GetCount(), c.rectangles);
    EXPECT_EQ(logged, c.logged);
  }
  test::ScriptedQuestions ui(kolvaro::Answer::Yes);
  EXPECT_FALSE(CManageList(doc, CManageList::kThemes).Delete({}, ui)) << "nothing selected";
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_TRUE(CManageList(doc, CManageList::kThemes).Delete({{3, "Zoo"}}, ui));
  EXPECT_FALSE(doc.ThemesOfPictures().Lookup(3, 1));
  EXPECT_TRUE(doc.ThemesOfPictures().Lookup(1, 1));
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
    EXPECT_EQ(CManageList(doc, c.mode).Rename(c.selected, Answer("Neu")), !c.request.empty());
    ASSERT_EQ(asked.size(), c.request.empty() ? 0u : 1u);
    if (!asked.empty()) {
      EXPECT_EQ((std::vector<std::string>{asked[0].caption, asked[0].prompt, asked[0].value}),
                c.request);
    }
  }
  EXPECT_EQ(logged, (std::vector<std::string>{"person 2", "theme 2"}));
  EXPECT_EQ(doc.Persons().GetName(2), "Neu");
  EXPECT_EQ(doc.Themes().GetName(2), "Neu");
}

TEST_F(ManageListsTest, NewStoresTheTextUncheckedUnderTheNextIdAndCancelStoresNothing) {
  CManageList persons(doc, CManageList::kPersons);
  EXPECT_FALSE(persons.New(Answer(std::nullopt)));
  EXPECT_EQ(persons.New(Answer("Anna")), (NameEntry{4, "Anna"})) << "a name twice is two entries";
  EXPECT_EQ(CManageList(doc, CManageList::kThemes).New(Answer("")), (NameEntry{4, ""}));
  ASSERT_EQ(asked.size(), 3u);
  EXPECT_EQ(asked[0].caption, Text(IDS_NEW_PERSON_CAPTION));
  EXPECT_EQ(asked[0].prompt, Text(IDS_NEW_PERSON_PROMPT));
  EXPECT_EQ(asked[2].caption, Text(IDS_NEW_THEME_CAPTION));
  EXPECT_EQ(asked[2].prompt, Text(IDS_NEW_THEME_PROMPT));
  EXPECT_EQ(logged, (std::vector<std::string>{"person 4", "theme 4"}));
  EXPECT_FALSE(CManageList(doc, 3).New(Answer("x"))) << "no such mode";
}

TEST_F(ManageListsTest, ThemesSplitByThePictureAndOkWithoutAChangeWritesOneRecordPerTheme) {
  const ThemeSplit split = SplitThemes(doc.Themes(), doc.ThemesOfPictures(), 1);
  std::vector<std::int32_t> assigned;
  for (const NameEntry& e : split.assigned) assigned.push_back(e.id);
  std::sort(assigned.begin(), assigned.end());
  EXPECT_EQ(assigned, (std::vector<std::int32_t>{1, 3}));
  EXPECT_EQ(split.available, (std::vector<NameEntry>{{2, "Familie"}}));

  const std::int32_t links = doc.ThemesOfPictures().GetCount();
  WriteThemeAssignment(doc, {3, 1}, {2});
  EXPECT_EQ(logged, (std::vector<std::string>{"theme-of-picture 1", "theme-of-picture 1",
                                              "remove-theme-of-picture 1"}));
  EXPECT_EQ(doc.ThemesOfPictures().GetCount(), links);
}

TEST_F(ManageListsTest, AssigningThemesNeedsASelectionAndAStoredPath) {
  EXPECT_TRUE(CanAssignThemes(doc));
  doc.SetCurrentIndex(1);
  EXPECT_FALSE(CanAssignThemes(doc)) << "picture 2 has no stored path";
  doc.SetCurrentIndex(0);
  doc.SetExplicitSelection({});
  EXPECT_FALSE(CanAssignThemes(doc));
}

}  // namespace
}  // namespace kolvaro
