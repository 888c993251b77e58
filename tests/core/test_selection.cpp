// The selection: filters by theme and person, the sort keys, and the
// operations that move through it. The fast engine is checked against a
// literal repeated-minimum selection on random albums.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/cp1252.h"
#include "core/meriskdoc.h"

namespace kolvaro {
namespace {

using Ids = std::vector<std::int32_t>;

// ------------------------------------------------ the literal selection

bool HasLink(const CThemenDerBilderEx& t, std::int32_t high, std::int32_t picture) {
  for (POSITION p = t.GetStartPosition(); p != kNullPosition;) {
    std::int32_t h, low;
    t.GetNext(p, h, low);
    if (low == picture && (high == -2 || h == high)) return true;
  }
  return false;
}

bool HasLink(const CPersonenAufBildernEx& t, std::int32_t high, std::int32_t picture) {
  for (POSITION p = t.GetStartPosition(); p != kNullPosition;) {
    std::int32_t h, low;
    t.GetNext(p, h, low);
    if (low == picture && (high == -2 || h == high)) return true;
  }
  return false;
}

template <typename Table>
bool Passes(const Table& t, std::int32_t filter, std::int32_t picture) {
  if (filter == -1 || filter == 0) return true;
  if (filter == -2) return !HasLink(t, -2, picture);
  return HasLink(t, filter, picture);
}

// Dates before 30 December 1899 carry their time of day with a positive sign.
double PointInTime(double d) {
  if (d < 0 && std::isfinite(d)) return 2 * std::ceil(d) - d;
  return d;
}

bool KeyLess(const PictureEntry& a, const PictureEntry& b, std::int32_t key) {
  switch (key) {
    case 1:
      return CompareCp1252(a.filename, b.filename) < 0;
    case 2:
      return PointInTime(a.timestamp.Value()) < PointInTime(b.timestamp.Value());
    case 3: {
      const auto ah = static_cast<std::uint32_t>(a.size >> 32),
                 bh = static_cast<std::uint32_t>(b.size >> 32);
      const auto al = static_cast<std::uint32_t>(a.size), bl = static_cast<std::uint32_t>(b.size);
      return ah < bh || (ah == bh && al < bl);
    }
    default:
      return false;
  }
}

Ids RepeatedMinimum(const CMeriskDoc& doc, std::int32_t theme, std::int32_t person,
                    std::int32_t key) {
  Ids a, b;
  for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
    std::int32_t id;
    doc.Pictures().GetNext(p, id);
    if (Passes(doc.ThemesOfPictures(), theme, id)) a.push_back(id);
  }
  for (const std::int32_t id : a)
    if (Passes(doc.PersonsOnPictures(), person, id)) b.push_back(id);
  if (key <= 0) return b;

  Ids selection;
  std::vector<bool> used(b.size(), false);
  while (selection.size() < b.size()) {
    std::size_t best = b.size();
    PictureEntry bestEntry, e;
    for (std::size_t i = 0; i < b.size(); ++i) {
      if (used[i]) continue;
      doc.Pictures().Lookup(b[i], e);
      if (best == b.size() || KeyLess(e, bestEntry, key)) {
        best = i;
        bestEntry = e;
      }
    }
    selection.push_back(b[best]);
    used[best] = true;
  }
  return selection;
}

// ------------------------------------------------ helpers

class RecordingUi : public IUserQuestions {
 public:
  Answer Show(const UserMessage&) override { return Answer::Ok; }
  std::vector<std::string> GetOpenFileNames(const std::string&, const std::string&,
                                            const std::string&, bool) override {
    return {};
  }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void BeginWaitCursor() override { ++depth, ++begun; }
  void EndWaitCursor() override { --depth; }
  int depth = 0;
  int begun = 0;
};

class CursorCheckingView : public IDocumentObserver {
 public:
  explicit CursorCheckingView(const RecordingUi& ui) : m_ui(ui) {}
  void OnUpdate(CDocument&, IDocumentObserver*, long) override {
    ++updates;
    cursorWasOn = cursorWasOn && m_ui.depth == 1;
  }
  int updates = 0;
  bool cursorWasOn = true;

 private:
  const RecordingUi& m_ui;
};

class SelectionTest : public ::testing::Test {
 protected:
  SelectionTest() : doc(settings) { doc.OnNewDocument(); }

  std::int32_t Add(const std::string& name, double date = 0.0, std::uint64_t size = 0) {
    const std::int32_t id = doc.Pictures().NextId();
    doc.AddOrUpdatePicture(id, name, COleDateTime(COleDateTime::valid, date), size, "");
    return id;
  }
  Ids EnumerationOrder() const {
    Ids ids;
    for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
      std::int32_t id;
      doc.Pictures().GetNext(p, id);
      ids.push_back(id);
    }
    return ids;
  }
  Ids Select(std::int32_t theme, std::int32_t person, std::int32_t key) {
    doc.SelectPictures(theme, person, key);
    return doc.Selection();
  }

  CMemorySettings settings;
  CMeriskDoc doc;
};

// ------------------------------------------------ the Part's cases

TEST_F(SelectionTest, AnEmptyAlbumSelectsNothingAndHasNoCurrentPicture) {
  doc.SelectPictures(-1, -1, 2);
  EXPECT_TRUE(doc.Selection().empty());
  EXPECT_EQ(doc.CurrentPicture(), -1);
  EXPECT_EQ(doc.CurrentPosition(), 0);
  EXPECT_EQ(doc.SelectedCount(), 0);
}

TEST_F(SelectionTest, FiltersByThemeAndPerson) {
  const std::int32_t a = Add("a.jpg"), b = Add("b.jpg"), c = Add("c.jpg"), d = Add("d.jpg");
  // No picture carries a theme yet (only the new album's placeholder link).
  EXPECT_EQ(Select(-2, -1, 0), EnumerationOrder());
  EXPECT_EQ(Select(0, 0, 0), EnumerationOrder());

  doc.AddThemeToPicture(5, a);
  doc.AddThemeToPicture(5, b);
  doc.AddThemeToPicture(6, c);
  doc.AddOrUpdatePersonOnPicture(9, Rect{1, 2, 3, 4}, a);
  doc.AddOrUpdatePersonOnPicture(8, Rect{}, d);

  EXPECT_EQ(Select(7, -1, 1), Ids{}) << "a theme no picture carries selects nothing";
  EXPECT_EQ(Select(5, -1, 1), (Ids{a, b}));
  EXPECT_EQ(Select(5, -2, 1), Ids{b}) << "theme 5 without any person";
  EXPECT_EQ(Select(-2, -1, 1), Ids{d});
  EXPECT_EQ(Select(-2, 8, 1), Ids{d});
  EXPECT_EQ(Select(-1, -2, 1), (Ids{b, c}));
  EXPECT_EQ(Select(6, 9, 1), Ids{});
  EXPECT_EQ(doc.FilterTheme(), 6);
  EXPECT_EQ(doc.FilterPerson(), 9);
  EXPECT_EQ(doc.SelectionKind(), 1);
}

TEST_F(SelectionTest, FileNamesSortByTheirCodePage1252Bytes) {
  const std::int32_t lowerA = Add("apfel.jpg");
  const std::int32_t upperB = Add("Birne.jpg");
  const std::int32_t umlaut = Add("\xC3\xA4pfel.jpg");  // ä, 0xE4
  const std::int32_t euro = Add("\xE2\x82\xAC.jpg");    // €, 0x80
  const std::int32_t yuml = Add("\xC3\xBF.jpg");        // ÿ, 0xFF
  const std::int32_t polish = Add("\xC5\x82.jpg");      // ł, not in code page 1252
  EXPECT_EQ(Select(-1, -1, 1), (Ids{upperB, lowerA, euro, umlaut, yuml, polish}));
}

TEST_F(SelectionTest, LongNamesSortPastTheirSharedBeginning) {
  // Names that agree in their first eight bytes or more, one of them ending
  // right there, in every enumeration position.
  const std::vector<std::string> names = {"Urlaub 2019\\IMG_0001.JPG",
                                          "Urlaub 2019\\IMG_0001",
                                          "Urlaub 2019\\IMG_0001.JPG",
                                          "Urlaub 2019\\IMG_0001.JPE",
                                          "Urlaub 2019\\",
                                          "Urlaub 2019\\IMG_00010.JPG",
                                          "Urlaub 20",
                                          "12345678A",
                                          "12345678Z",
                                          "12345678"};
  for (std::size_t shift = 0; shift < names.size(); ++shift) {
    doc.OnNewDocument();
    for (std::size_t i = 0; i < names.size(); ++i) Add(names[(i + shift) % names.size()]);
    EXPECT_EQ(Select(-1, -1, 1), RepeatedMinimum(doc, -1, -1, 1)) << "shift " << shift;
  }
}

TEST_F(SelectionTest, EqualKeysKeepEnumerationOrder) {
  for (int i = 0; i < 40; ++i)
    Add(i % 2 ? "same.jpg" : "Same.jpg", i % 3 ? 45000.5 : 45000.25, i % 4 ? 1000 : 5);
  const Ids all = EnumerationOrder();
  for (const std::int32_t key : {1, 2, 3}) {
    const Ids got = Select(-1, -1, key);
    ASSERT_EQ(got.size(), all.size());
    EXPECT_EQ(got, RepeatedMinimum(doc, -1, -1, key)) << "key " << key;
  }
}

TEST_F(SelectionTest, DatesCompareAsPointsInTime) {
  // -1.25 is 29 December 1899 06:00, -1.5 the same day at 12:00; -0.5 and
  // 0.5 are both 30 December 12:00.
  const std::int32_t noon29 = Add("a", -1.5), six29 = Add("b", -1.25), noon30 = Add("c", 0.5),
                     alsoNoon30 = Add("d", -0.5), early = Add("e", -700000.75),
                     midnight = Add("f", 0.0);
  doc.AddOrUpdatePicture(noon29, "a", COleDateTime(COleDateTime::invalid, -1.5), 0, "");
  const Ids got = Select(-1, -1, 2);
  // Equal moments keep enumeration order.
  Ids noonPair;
  for (const std::int32_t id : EnumerationOrder())
    if (id == noon30 || id == alsoNoon30) noonPair.push_back(id);
  EXPECT_EQ(got, (Ids{early, six29, noon29, midnight, noonPair[0], noonPair[1]}));
}

TEST_F(SelectionTest, SizesCompareAsUnsigned64BitNumbers) {
  const std::int32_t big = Add("a", 0, 0x100000000ULL + 1);
  const std::int32_t max32 = Add("b", 0, 0xFFFFFFFFULL);
  const std::int32_t small = Add("c", 0, 7);
  const std::int32_t huge = Add("d", 0, 0x8000000000000000ULL);
  EXPECT_EQ(Select(-1, -1, 3), (Ids{small, max32, big, huge}));
}

TEST_F(SelectionTest, KeysWithoutSortingKeepEnumerationOrder) {
  for (int i = 0; i < 30; ++i) Add("n" + std::to_string(i % 7), 30 - i, 100 - i);
  for (const std::int32_t key : {-1, 0, 4, 5, 1000})
    EXPECT_EQ(Select(-1, -1, key), EnumerationOrder());
}

TEST_F(SelectionTest, CurrentIndexAndExplicitSelection) {
  const std::int32_t a = Add("a"), b = Add("b"), c = Add("c");
  doc.SelectPictures(-1, -1, 1);
  EXPECT_EQ(doc.CurrentPicture(), a);
  doc.SetCurrentIndex(2);
  EXPECT_EQ(doc.CurrentPicture(), c);
  EXPECT_EQ(doc.CurrentPosition(), 2);
  doc.SetCurrentIndex(3);
  EXPECT_EQ(doc.CurrentPicture(), -1);
  EXPECT_EQ(doc.CurrentPosition(), -1);

  doc.SetCurrentIndex(1);
  EXPECT_EQ(doc.SetExplicitSelection({}), -1);
  EXPECT_EQ(doc.CurrentPicture(), b) << "an explicit selection leaves the current picture";
  EXPECT_EQ(doc.SelectedCount(), 0);

  EXPECT_EQ(doc.SetExplicitSelection({c, a, c}), 2);
  EXPECT_EQ(doc.Selection(), (Ids{c, a, c}));
  EXPECT_EQ(doc.SelectionKind(), 4);
  EXPECT_EQ(doc.FilterTheme(), -1);

  // Deleting repeats the run with kind 4: the filtered pictures unsorted.
  doc.DeletePicture(b, false);
  EXPECT_EQ(doc.Selection(), EnumerationOrder());
}

TEST_F(SelectionTest, ShowsTheWaitCursorUntilTheViewsAreUpdated) {
  RecordingUi ui;
  CursorCheckingView view(ui);
  doc.SetUserQuestions(&ui);
  doc.AddView(&view);
  Add("a");
  doc.SelectPictures(-1, -1, 2);
  doc.RemoveView(&view);
  EXPECT_EQ(ui.begun, 1);
  EXPECT_EQ(ui.depth, 0);
  EXPECT_EQ(view.updates, 1);
  EXPECT_TRUE(view.cursorWasOn);
}

// ------------------------------------------------ against the literal Part

struct RandomAlbum {
  explicit RandomAlbum(std::uint32_t seed) : rng(seed) {}

  template <typename T>
  const T& Pick(const std::vector<T>& v) {
    return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
  }
  bool Chance(int percent) { return std::uniform_int_distribution<int>(0, 99)(rng) < percent; }

  void Fill(CMeriskDoc& doc, int pictures) {
    static const std::vector<std::string> parts = {"a",
                                                   "A",
                                                   "B",
                                                   "b",
                                                   "\xC3\xA4",
                                                   "\xC3\x84",
                                                   "\xE2\x82\xAC",
                                                   "\xC3\xBF",
                                                   "\xC5\x82",
                                                   "\xE6\xBC\xA2",
                                                   "\xFF",
                                                   "\x80",
                                                   "\\",
                                                   "img_",
                                                   "IMG_",
                                                   "0",
                                                   "1",
                                                   " ",
                                                   "",
                                                   "\xC3\xBE",
                                                   std::string("\0", 1),
                                                   "Urlaub 2019\\IMG_000",
                                                   "Urlaub 2019\\IMG_0001"};
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> dates = {0.0,        -0.0,  0.5,  -0.5,    -1.25,   -1.5,
                                       -1.0,       -2.75, 1.25, 45000.5, 45000.5, -700000.1,
                                       2958465.99, nan,   inf,  -inf};
    const std::vector<std::uint64_t> sizes = {0,
                                              1,
                                              4096,
                                              0x7FFFFFFF,
                                              0x80000000,
                                              0xFFFFFFFF,
                                              0x100000000ULL,
                                              0x1FFFFFFFFULL,
                                              0xFFFFFFFF00000001ULL,
                                              ~0ULL};
    std::vector<std::int32_t> ids;
    for (int i = 0; i < pictures; ++i) {
      std::string name;
      for (int n = std::uniform_int_distribution<int>(0, 5)(rng); n > 0; --n) name += Pick(parts);
      const auto status = Chance(10) ? COleDateTime::invalid : COleDateTime::valid;
      const std::int32_t id = doc.Pictures().NextId() + (Chance(20) ? 7 : 0);
      doc.AddOrUpdatePicture(id, name, COleDateTime(status, Pick(dates)), Pick(sizes), "");
      ids.push_back(id);
    }
    // Ids a foreign file may hold: their link keys borrow from the high half.
    for (const std::int32_t id : {-3, -40}) {
      if (!Chance(50)) continue;
      doc.AddOrUpdatePicture(id, Pick(parts), COleDateTime(), Pick(sizes), "");
      ids.push_back(id);
    }
    for (int i = 0; i < pictures / 3 && !ids.empty(); ++i)
      if (Chance(30)) doc.DeletePicture(Pick(ids), false);
    for (int i = 0; i < pictures; ++i) {
      doc.AddThemeToPicture(std::uniform_int_distribution<int>(1, 4)(rng), Pick(ids));
      if (Chance(50))
        doc.AddOrUpdatePersonOnPicture(std::uniform_int_distribution<int>(1, 3)(rng), Rect{}, Pick(ids));
    }
  }

  std::mt19937 rng;
};

TEST(SelectionAgainstRepeatedMinimum, RandomAlbumsGiveTheSameList) {
  CMemorySettings settings;
  for (std::uint32_t seed = 1; seed <= 60; ++seed) {
    CMeriskDoc doc(settings);
    doc.OnNewDocument();
    RandomAlbum album(seed);
    album.Fill(doc, 10 + static_cast<int>(seed % 7) * 15);
    for (const std::int32_t theme : {-1, 0, -2, 1, 3, 9})
      for (const std::int32_t person : {-1, -2, 2})
        for (const std::int32_t key : {-1, 0, 1, 2, 3, 4, 7}) {
          doc.SelectPictures(theme, person, key);
          ASSERT_EQ(doc.Selection(), RepeatedMinimum(doc, theme, person, key))
              << "seed " << seed << " theme " << theme << " person " << person << " key " << key;
          ASSERT_EQ(doc.SelectedCount(), static_cast<std::int32_t>(doc.Selection().size()));
        }
  }
}

TEST(SelectionAgainstRepeatedMinimum, ScatteredIdsGiveTheSameList) {
  // Ids far apart, as a foreign album file may hold them.
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  std::mt19937 rng(5);
  for (int i = 0; i < 200; ++i) {
    const auto id = static_cast<std::int32_t>(rng() % 2000000000u + 1);
    doc.AddOrUpdatePicture(id, std::to_string(rng() % 10), COleDateTime(), rng() % 5, "");
    if (i % 3 == 0) doc.AddThemeToPicture(static_cast<std::int32_t>(i % 2 + 1), id);
    if (i % 4 == 0) doc.AddOrUpdatePersonOnPicture(1, Rect{}, id);
  }
  for (const std::int32_t theme : {-2, 1})
    for (const std::int32_t person : {-2, 1})
      for (const std::int32_t key : {1, 3}) {
        doc.SelectPictures(theme, person, key);
        EXPECT_EQ(doc.Selection(), RepeatedMinimum(doc, theme, person, key));
      }
}

}  // namespace
}  // namespace kolvaro
