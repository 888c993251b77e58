// The picture view's "-" buttons without a window: what is asked, with which
// default, and what goes.
#include "testsupport/description_album.h"
#include "views/removefrompicture.h"

namespace kolvaro {
namespace {

class RemoveFromPicture : public test::DescriptionAlbum {
 protected:
  /// Picture a with the themes Urlaub and Familie and the persons Oma and Opa, afresh.
  void MakeAlbum() {
    DescriptionAlbum::SetUp();
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
  }
  std::int32_t a = 0;
};

TEST_F(RemoveFromPicture, AsksWithDefaultNoUnlessTurnedOffAndRemovesOnlyOnYes) {
  struct Case {
    const char* what;
    bool themes;
    std::vector<NamedEntry> entries;
    int askOverwriteDelete;
    Answer answer;
    std::string question;  // "" when nothing may be asked
    std::string caption;
    int linksLeft;
  };
  // clang-format off
  const Case cases[] = {
      {"one theme, No", true, {{1, "Urlaub"}}, 1, Answer::No,
       "Möchten Sie dieses Thema wirklich löschen?\nUrlaub\n", "Thema löschen", 2},
      {"two themes, Yes", true, {{2, "Familie"}, {1, "Urlaub"}}, 1, Answer::Yes,
       "Möchten Sie diese Themen wirklich löschen?\nFamilie\nUrlaub\n", "Thema löschen", 0},
      {"persons, No", false, {{7, "Oma"}, {8, "Opa"}}, 1, Answer::No,
       "Möchten Sie\nOma\nOpa\nvon diesem Bild steichen?", "Person löschen", 2},
      {"one person, not asked", false, {{8, "Opa"}}, 0, Answer::No, "", "", 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    MakeAlbum();
    settings.SetInt("Settings", "AskOverwriteDelete", c.askOverwriteDelete);
    ui.answers = {c.answer};
    CRemoveFromPicture remove(doc, ui);
    const bool removed =
        c.themes ? remove.RemoveThemes(a, c.entries) : remove.RemovePersons(a, c.entries);
    int left = 0;
    if (c.themes)
      doc.ThemesOfPictures().ForEachOnPicture(a, [&](std::int32_t) { ++left; });
    else
      doc.PersonsOnPictures().ForEachOnPicture(a, [&](std::int32_t, const Rect&) { ++left; });
    EXPECT_EQ(left, c.linksLeft) << c.what;
    EXPECT_EQ(removed, left != 2) << c.what;
    if (c.question.empty()) {
      EXPECT_TRUE(ui.messages.empty()) << c.what;
    } else {
      ASSERT_EQ(ui.messages.size(), 1u) << c.what;
      EXPECT_EQ(ui.messages[0].text, c.question) << c.what;
      EXPECT_EQ(ui.messages[0].caption, c.caption) << c.what;
      EXPECT_EQ(ui.messages[0].defaultButton, DefaultButton::No) << c.what;
    }
    EXPECT_EQ(doc.Persons().GetName(8), "Opa") << "only the marks go";
    ui.messages.clear();
  }
}

}  // namespace
}  // namespace kolvaro
