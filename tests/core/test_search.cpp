// Search: German folding, the words of a query, and the selection they narrow.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "core/search.h"

namespace kolvaro {
namespace {

using Ids = std::vector<std::int32_t>;

TEST(SearchFolding, LowersAndStripsAccentsTheGermanWay) {
  struct Case {
    const char* text;
    const char* plain;
    const char* umlautAsE;  // "" when it equals the plain form
  };
  const Case cases[] = {
      {"Hallo Welt", "hallo welt", ""},
      {"Müller", "muller", "mueller"},
      {"ÄRGER ÖL", "arger ol", "aerger oel"},
      {"Straße", "strasse", ""},
      {"Crème Brûlée", "creme brulee", ""},
      {"Ærø Œuvre", "aero oeuvre", ""},
      {"Čapek Łódź", "capek lodz", ""},
      {"Zoë", "zoe", ""},
      {"Mu\xCC\x88ller", "muller", "mueller"},               // u and a combining diaeresis
      {"\xE6\xBC\xA2\xFF", "\xE6\xBC\xA2\xEF\xBF\xBD", ""},  // not Latin; a bad byte
  };
  for (const Case& c : cases) {
    std::string plain, e;
    FoldBothWays(c.text, plain, e);
    EXPECT_EQ(plain, c.plain) << c.text;
    EXPECT_EQ(e, c.umlautAsE) << c.text;
  }
}

TEST(SearchQuery, EveryWordMustOccurInEitherSpelling) {
  struct Case {
    const char* query;
    const char* text;
    bool found;
  };
  const Case cases[] = {
      {"muller", "Familie Müller", true},  {"mueller", "Familie Müller", true},
      {"MÜLLER", "Familie Mueller", true}, {"strasse", "Hauptstraße", true},
      {"Straße", "HAUPTSTRASSE", true},    {"  anna\tmül ", "Anna Müller", true},
      {"anna karl", "Anna Müller", false}, {"mueller", "Muller", false},
      {"ll m", "Anna Müller", true},
  };
  for (const Case& c : cases) {
    std::string plain, e;
    FoldBothWays(c.text, plain, e);
    EXPECT_EQ(CSearchQuery(c.query).AllIn(plain, e), c.found) << c.query << " in " << c.text;
  }
  EXPECT_TRUE(CSearchQuery(" \t\xC2\xA0").Empty());
}

// Whether a word occurs in one of the picture's texts, the slow way.
bool Literal(const CMeriskDoc& doc, std::int32_t id, const std::string& search) {
  const CSearchQuery q(search);
  std::vector<std::string> texts;
  const PictureEntry& e = *doc.Pictures().Find(id);
  texts.push_back(e.title);
  texts.push_back(e.filename.substr(e.filename.find_last_of("/\\") + 1));
  for (const auto& [table, links] :
       {std::pair{static_cast<const NameTable*>(&doc.Themes()), 0}, {&doc.Persons(), 1}}) {
    std::int32_t nameId;
    std::string name;
    for (POSITION p = table->GetStartPosition(); p != kNullPosition;) {
      table->GetNext(p, nameId, name);
      if (links == 0 ? doc.ThemesOfPictures().Lookup(nameId, id)
                     : doc.PersonsOnPictures().Lookup(nameId, id))
        texts.push_back(name);
    }
  }
  for (std::size_t w = 0; w < q.WordCount(); ++w) {
    bool in = false;
    for (const std::string& t : texts) {
      std::string plain, um;
      FoldBothWays(t, plain, um);
      in = in || q.WordIn(w, plain, um);
    }
    if (!in) return false;
  }
  return true;
}

TEST(SearchSelection, NarrowsTheFilteredSortedSelectionAndFollowsEdits) {
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  std::mt19937 rng(7);
  const std::vector<std::string> words = {"Strand", "Müller", "Straße", "img",
                                          "Urlaub", "Köln",   "Anna",   ""};
  auto pick = [&] { return words[rng() % words.size()]; };
  for (std::int32_t id = 1; id <= 300; ++id)
    doc.AddOrUpdatePicture(id == 5 ? -7 : id, pick() + "\\" + pick() + std::to_string(id) + ".jpg",
                           COleDateTime(), rng() % 9, pick() + " " + pick());
  for (std::int32_t id = 1; id <= 6; ++id) {
    doc.AddOrUpdateTheme(id, pick() + " " + pick());
    doc.AddOrUpdatePerson(id, pick() + " " + pick());
  }
  for (int i = 0; i < 400; ++i) {
    const auto picture = static_cast<std::int32_t>(rng() % 300 + 1);
    doc.AddThemeToPicture(static_cast<std::int32_t>(rng() % 6 + 1), picture == 5 ? -7 : picture);
    doc.AddOrUpdatePersonOnPicture(static_cast<std::int32_t>(rng() % 6 + 1), Rect{}, picture);
  }
  const auto check = [&](const std::string& search) {
    for (const std::int32_t theme : {-1, -2, 3})
      for (const std::int32_t key : {0, 1, 3}) {
        doc.SelectPictures(theme, -1, key);
        Ids expected;
        for (const std::int32_t id : doc.Selection())
          if (Literal(doc, id, search)) expected.push_back(id);
        doc.SelectPictures(theme, -1, key, search);
        ASSERT_EQ(doc.Selection(), expected) << search << " theme " << theme << " key " << key;
      }
  };
  for (const char* search : {"mueller", "strasse urlaub", "STRAND koeln anna", "img1", "nichts"})
    check(search);

  // The album changes between two searches.
  doc.AddOrUpdatePicture(3, "neu.jpg", COleDateTime(), 1, "Mueller am Strand");
  doc.AddOrUpdateTheme(2, "Nordsee");
  check("mueller");
  check("nordsee");
  // A deletion re-runs the selection with its search.
  doc.SelectPictures(-1, -1, 1, "nordsee");
  const Ids before = doc.Selection();
  ASSERT_GE(before.size(), 2u);
  doc.DeletePicture(before.front(), false);
  EXPECT_EQ(doc.Selection(), Ids(before.begin() + 1, before.end()));
  EXPECT_EQ(doc.FilterSearch(), "nordsee");
}

}  // namespace
}  // namespace kolvaro
