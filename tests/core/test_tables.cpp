// The five album tables: ids, change dates, lookups, the 17-bucket record
// order and their file blocks.

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/tables.h"
#include "testsupport/album_bytes.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

using test::ByteWriter;
using test::Serialized;
using test::Hex;

template <typename Table>
void Read(Table& table, const std::string& bytes) {
  CArchive ar(bytes);
  table.Serialize(ar);
  EXPECT_EQ(ar.Remaining(), 0u) << "block read to the wrong place";
}

std::vector<std::int32_t> PictureOrder(const CBilderEx& t) {
  std::vector<std::int32_t> ids;
  for (POSITION p = t.GetStartPosition(); p != kNullPosition;) {
    std::int32_t id;
    t.GetNext(p, id);
    ids.push_back(id);
  }
  return ids;
}

template <typename Table>
std::vector<std::int32_t> NameOrder(const Table& t) {
  std::vector<std::int32_t> ids;
  for (POSITION p = t.GetStartPosition(); p != kNullPosition;) {
    std::int32_t id;
    std::string name;
    t.GetNext(p, id, name);
    ids.push_back(id);
  }
  return ids;
}

template <typename Table>
std::vector<std::pair<std::int32_t, std::int32_t>> PairOrder(const Table& t) {
  std::vector<std::pair<std::int32_t, std::int32_t>> keys;
  for (POSITION p = t.GetStartPosition(); p != kNullPosition;) {
    std::int32_t high, low;
    t.GetNext(p, high, low);
    keys.emplace_back(high, low);
  }
  return keys;
}

/// Records of a pair table that FindNext yields for (high, low).
template <typename Table>
std::multiset<std::pair<std::int32_t, std::int32_t>> Found(const Table& t, std::int32_t high,
                                                           std::int32_t low) {
  std::multiset<std::pair<std::int32_t, std::int32_t>> out;
  POSITION pos = t.GetStartPosition();
  while (pos != kNullPosition) {
    POSITION at = t.FindNext(pos, high, low);
    if (at == kNullPosition) break;
    std::int32_t h, l;
    t.GetNext(at, h, l);
    out.emplace(h, l);
  }
  return out;
}

/// Pins "now" to a given moment; the fixture restores the variable.
class TablesTest : public ::testing::Test {
 protected:
  void At(std::int64_t seconds) {
    ::setenv("SOURCE_DATE_EPOCH", std::to_string(seconds).c_str(), 1);
    ReloadClockEnvironment();
  }
  static COleDateTime Moment(std::int64_t seconds) {
    return COleDateTime(COleDateTime::valid, test::OleOfUtcSeconds(seconds));
  }
  test::ScopedEnv m_epoch{"SOURCE_DATE_EPOCH", "1000000000"};
};

// ------------------------------------------------------------------ ids

TEST_F(TablesTest, IdCountersStartResetAndRiseOnReading) {
  CBilderEx pictures;
  EXPECT_EQ(pictures.NextId(), 1);
  pictures.AddOrUpdate(5, "a.jpg", COleDateTime(), 1, "");
  pictures.AddOrUpdate(3, "b.jpg", COleDateTime(), 1, "");
  EXPECT_EQ(pictures.NextId(), 6);
  EXPECT_TRUE(pictures.Remove(5));
  EXPECT_FALSE(pictures.Remove(5));
  EXPECT_EQ(pictures.NextId(), 6) << "removing never lowers the counter";

  ByteWriter file;
  file.Dword(3).Date(0, 1.0);  // count, changed
  for (const std::int32_t id : {7, 41, 3})  // id, name, taken, size, changed, headline
    file.Int(id).Str("x.jpg").Date(0, 2.0).Dword(9).Date(0, 3.0).Str("");
  Read(pictures, file.Bytes());
  EXPECT_EQ(pictures.NextId(), 42);
  pictures.Remove(41);
  EXPECT_EQ(pictures.NextId(), 42);
  pictures.Clear();
  EXPECT_EQ(pictures.m_nMaxId, -1);
  EXPECT_EQ(pictures.NextId(), 1);

  CPersonenEx persons;
  EXPECT_EQ(persons.m_nMaxId, 0);
  EXPECT_EQ(persons.NextId(), 1);
  // Count, changed, then id and name of each person.
  Read(persons, ByteWriter().Dword(2).Date(0, 1.0).Int(12).Str("Anna").Int(4).Str("Bernd").Bytes());
  EXPECT_EQ(persons.NextId(), 13);
  persons.Remove(12);
  EXPECT_EQ(persons.NextId(), 13);
  persons.Clear();
  EXPECT_EQ(persons.m_nMaxId, 0);
  EXPECT_EQ(persons.NextId(), 1);

  CThemenEx themes;
  EXPECT_EQ(themes.NextId(), 1);
  Read(themes,
       ByteWriter().Dword(2).Date(0, 1.0).Int(9).Str("Urlaub").Int(2).Str("Familie").Bytes());
  EXPECT_EQ(themes.NextId(), 10);
  Read(themes, ByteWriter().Dword(0).Date(0, 1.0).Bytes());
  EXPECT_EQ(themes.m_nMaxId, 0);
  EXPECT_EQ(themes.NextId(), 1);
  themes.AddOrUpdate(4, "x");
  themes.Clear();
  EXPECT_EQ(themes.m_nMaxId, -1);
  EXPECT_EQ(themes.NextId(), 1);
}

// --------------------------------------------------------- change dates

TEST_F(TablesTest, PictureChangeDatesAndTouch) {
  CBilderEx t;
  At(1000);
  t.AddOrUpdate(4, "urlaub\\a.jpg", COleDateTime(COleDateTime::valid, 45000.25), 1234, "Strand");
  PictureEntry e;
  ASSERT_TRUE(t.Lookup(4, e));
  EXPECT_EQ(e.changed, Moment(1000));
  EXPECT_EQ(t.changed, Moment(1000));

  At(2000);
  t.Touch(4);
  ASSERT_TRUE(t.Lookup(4, e));
  EXPECT_EQ(e.changed, Moment(2000));
  EXPECT_EQ(t.changed, Moment(2000));
  EXPECT_EQ(e.filename, "urlaub\\a.jpg");
  EXPECT_EQ(e.title, "Strand");
  EXPECT_EQ(e.size, 1234u);
  EXPECT_EQ(e.timestamp.Value(), 45000.25);

  At(3000);
  t.Touch(99);
  EXPECT_EQ(t.GetCount(), 2);
  EXPECT_EQ(t.NextId(), 5) << "Touch leaves the counter alone";
  ASSERT_TRUE(t.Lookup(99, e));
  EXPECT_EQ(e.filename, "");
  EXPECT_EQ(e.title, "");
  EXPECT_EQ(e.size, 0u);
  EXPECT_EQ(e.timestamp, COleDateTime());
  EXPECT_EQ(e.changed, Moment(3000));

  At(4000);
  t.Remove(4);
  t.Clear();
  EXPECT_EQ(t.changed, Moment(3000)) << "removing and clearing keep the table's date";
  EXPECT_FALSE(t.Lookup(99, e));
}

TEST_F(TablesTest, NameTablesAndLinkTablesDateTheirChanges) {
  CPersonenEx persons;
  CThemenEx themes;
  CPersonenAufBildernEx rects;
  CThemenDerBilderEx links;

  At(1000);
  persons.Remove(8);
  themes.Remove(8);
  rects.Remove(1, 2);
  rects.RemoveAllOfPerson(1);
  links.Remove(1, 2);
  for (const COleDateTime& d : {persons.changed, themes.changed, rects.changed, links.changed})
    EXPECT_EQ(d, Moment(1000));

  At(2000);
  links.RemoveAllOfTheme(1);
  links.RemoveAllOfPicture(1);
  EXPECT_EQ(links.changed, Moment(1000)) << "an empty link table keeps its date";
  links.Put(-1, -1, Moment(5));
  EXPECT_EQ(links.changed, Moment(1000));
  links.RemoveAllOfTheme(7);
  EXPECT_EQ(links.changed, Moment(2000)) << "a table with links is dated even without a match";

  At(3000);
  rects.AddOrUpdate(3, 7, Rect{1, 2, 3, 4});
  links.AddOrUpdate(4, 7);
  EXPECT_EQ(rects.changed, Moment(3000));
  EXPECT_EQ(links.changed, Moment(3000));
  COleDateTime linkDate;
  ASSERT_TRUE(links.Lookup(4, 7, &linkDate));
  EXPECT_EQ(linkDate, Moment(3000));
  POSITION p = rects.GetStartPosition();
  EXPECT_EQ(rects.GetNextRef(p).changed, Moment(3000));

  At(4000);
  persons.Clear();
  themes.Clear();
  rects.Clear();
  links.Clear();
  for (const COleDateTime& d : {persons.changed, themes.changed, rects.changed, links.changed})
    EXPECT_EQ(d, Moment(4000));

  // Reading takes the table's date from the file, never from the clock.
  Read(themes, ByteWriter().Dword(0).Date(2, 17.5).Bytes());
  Read(persons, ByteWriter().Dword(0).Date(1, 18.5).Bytes());
  EXPECT_EQ(themes.changed, COleDateTime(COleDateTime::null, 17.5));
  EXPECT_EQ(persons.changed, COleDateTime(COleDateTime::invalid, 18.5));
}

// ------------------------------------------------------------- lookups

TEST_F(TablesTest, ContainsFileIgnoresCaseOfEveryCodePageLetter) {
  CBilderEx t;
  t.AddOrUpdate(1, "urlaub\\a.jpg", COleDateTime(), 0, "");
  t.AddOrUpdate(2, "äpfel\\öl šœžÿ àáâãåæçèéêëìíîïðñòóôõöøùúûüýþ.jpg", COleDateTime(), 0, "");
  EXPECT_TRUE(t.ContainsFile("URLAUB\\A.JPG"));
  EXPECT_TRUE(t.ContainsFile("urlaub\\a.jpg"));
  EXPECT_TRUE(t.ContainsFile("ÄPFEL\\ÖL ŠŒŽŸ ÀÁÂÃÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ.JPG"));
  EXPECT_FALSE(t.ContainsFile("urlaub\\a.jpe"));
  EXPECT_FALSE(t.ContainsFile("urlaub\\a.jpg "));
  EXPECT_FALSE(t.ContainsFile("urlaub/a.jpg"));
  t.Remove(1);
  EXPECT_FALSE(t.ContainsFile("urlaub\\a.jpg"));
}

TEST_F(TablesTest, PersonRectanglesAndNames) {
  CPersonenAufBildernEx rects;
  rects.AddOrUpdate(3, 7, Rect{10, 20, 110, 220});
  rects.AddOrUpdate(3, 7, Rect{11, 21, 111, 221});
  EXPECT_EQ(rects.GetCount(), 1);
  Rect r;
  EXPECT_TRUE(rects.Lookup(3, 7));
  ASSERT_TRUE(rects.Lookup(3, 7, &r));
  EXPECT_EQ(r, (Rect{11, 21, 111, 221}));
  EXPECT_FALSE(rects.Lookup(7, 3, &r));
  EXPECT_EQ(r, (Rect{11, 21, 111, 221})) << "a failed lookup leaves the rectangle alone";

  CPersonenEx persons;
  persons.AddOrUpdate(2, "Anna");
  persons.AddOrUpdate(2, "Änne");
  EXPECT_EQ(persons.GetCount(), 1);
  EXPECT_EQ(persons.GetName(2), "Änne");
  EXPECT_EQ(persons.GetName(3), "");
  CThemenEx themes;
  themes.AddOrUpdate(5, "Urlaub");
  EXPECT_EQ(themes.GetName(5), "Urlaub");
  EXPECT_EQ(themes.GetName(6), "");
}

// ------------------------------------------------------------ record order

TEST_F(TablesTest, RecordOrderFollowsTheBuckets) {
  auto order = [](std::initializer_list<std::int32_t> ids) {
    CBilderEx t;
    for (const auto id : ids) t.AddOrUpdate(id, "x", COleDateTime(), 0, "");
    return PictureOrder(t);
  };
  using V = std::vector<std::int32_t>;
  EXPECT_EQ(order({16, 17}), (V{17, 16})) << "ids 16 and 17 share bucket 1; the later comes first";
  EXPECT_EQ(order({17, 16}), (V{16, 17}));
  EXPECT_EQ(order({18, 1}), (V{1, 18})) << "ids 1 and 18 lie in buckets 0 and 1";
  EXPECT_EQ(order({16, 17, 16}), (V{17, 16})) << "replacing keeps the place";
  EXPECT_EQ(order({272, 0, 16}), (V{0, 272, 16})) << "272 >> 4 = 17 wraps to bucket 0";

  CBilderEx t;
  t.AddOrUpdate(16, "a", COleDateTime(), 0, "");
  t.AddOrUpdate(17, "b", COleDateTime(), 0, "");
  t.Remove(16);
  t.AddOrUpdate(16, "c", COleDateTime(), 0, "");
  EXPECT_EQ(PictureOrder(t), (V{16, 17})) << "a removed id comes back at the head";
  const std::string bytes = Serialized(t);
  EXPECT_EQ(Hex(bytes.substr(16, 4)), "10 00 00 00") << "the file lists id 16 first";

  // The link tables take the bucket from the picture half only.
  CThemenDerBilderEx links;
  links.AddOrUpdate(1, 17);
  links.AddOrUpdate(2, 1);
  links.AddOrUpdate(3, 16);
  using P = std::vector<std::pair<std::int32_t, std::int32_t>>;
  EXPECT_EQ(PairOrder(links), (P{{2, 1}, {3, 16}, {1, 17}}));
}

TEST_F(TablesTest, RandomChangesKeepTheModelOrderAndLookups) {
  std::mt19937 rng(2024);
  CBilderEx pictures;
  CPersonenEx persons;
  CThemenDerBilderEx links;
  CPersonenAufBildernEx rects;
  test::BucketOrderModel<std::int64_t> pictureModel, personModel, linkModel, rectModel;
  std::set<std::int32_t> pictureIds;
  std::map<std::int32_t, std::string> names;

  auto pairKey = [](std::int32_t high, std::int32_t low) {
    // High half × 2^32 plus the sign-extended low half.
    return static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(high)) << 32) +
        static_cast<std::uint64_t>(static_cast<std::int64_t>(low)));
  };
  for (int i = 0; i < 6000; ++i) {
    const auto id = static_cast<std::int32_t>(rng() % 400);
    const auto high = static_cast<std::int32_t>(rng() % 6) - 1;
    const auto low = static_cast<std::int32_t>(rng() % 300) - 2;
    const bool remove = rng() % 3 == 0;
    switch (i % 4) {
      case 0:
        if (remove) {
          pictures.Remove(id);
          pictureModel.Remove(id);
          pictureIds.erase(id);
        } else {
          pictures.AddOrUpdate(id, "p" + std::to_string(i), COleDateTime(), 0, "");
          pictureModel.Set(id);
          pictureIds.insert(id);
        }
        break;
      case 1:
        if (remove) {
          persons.Remove(id);
          personModel.Remove(id);
          names.erase(id);
        } else {
          // Empty, short, two-byte-length and long names; renames and
          // removals leave enough behind for the names to be moved together.
          const std::size_t lengths[] = {0, 1, 200, 6000};
          const std::string name(lengths[rng() % 4], static_cast<char>('a' + i % 26));
          persons.AddOrUpdate(id, name);
          personModel.Set(id);
          names[id] = name;
        }
        break;
      case 2:
        if (remove) {
          links.Remove(high, low);
          linkModel.Remove(pairKey(high, low));
        } else {
          links.AddOrUpdate(high, low);
          linkModel.Set(pairKey(high, low));
        }
        break;
      default:
        if (remove) {
          rects.Remove(high, low);
          rectModel.Remove(pairKey(high, low));
        } else {
          rects.AddOrUpdate(high, low, Rect{i, 0, 0, 0});
          rectModel.Set(pairKey(high, low));
        }
    }
  }
  auto asKeys = [](const std::vector<std::int32_t>& ids) {
    return std::vector<std::int64_t>(ids.begin(), ids.end());
  };
  // The halves GetNext reports are the key's raw upper and lower 32 bits.
  auto pairKeys = [&](const std::vector<std::pair<std::int32_t, std::int32_t>>& pairs) {
    std::vector<std::int64_t> keys;
    for (const auto& [h, l] : pairs)
      keys.push_back(static_cast<std::int64_t>(
          static_cast<std::uint64_t>(static_cast<std::uint32_t>(h)) << 32 |
          static_cast<std::uint32_t>(l)));
    return keys;
  };
  EXPECT_EQ(asKeys(PictureOrder(pictures)), pictureModel.Order());
  EXPECT_EQ(asKeys(NameOrder(persons)), personModel.Order());
  EXPECT_EQ(pairKeys(PairOrder(links)), linkModel.Order());
  EXPECT_EQ(pairKeys(PairOrder(rects)), rectModel.Order());
  EXPECT_EQ(static_cast<std::size_t>(pictures.GetCount()), pictureIds.size());
  for (std::int32_t id = 0; id < 400; ++id) {
    EXPECT_EQ(pictures.Find(id) != nullptr, pictureIds.count(id) == 1) << id;
    std::string name;
    EXPECT_EQ(persons.Lookup(id, name), names.count(id) == 1) << id;
    EXPECT_EQ(name, names.count(id) ? names[id] : "") << id;
  }
}

// ------------------------------------------------------------ file blocks

TEST_F(TablesTest, RecordBytes) {
  CBilderEx pictures;
  EXPECT_EQ(Hex(Serialized(pictures)), Hex(ByteWriter().Dword(0).Date(0, 0.0).Bytes()));

  At(1000);
  pictures.AddOrUpdate(5, "urlaub\\ä.jpg", COleDateTime(COleDateTime::invalid, 0.0), 5000000000ULL,
                       "Titel");
  const std::string expected = ByteWriter()
                                   .Dword(1)                               // count
                                   .Date(0, test::OleOfUtcSeconds(1000))   // changed
                                   .Dword(5)                               // id
                                   .Str("urlaub\\\xE4.jpg")                 // name
                                   .Date(1, 0.0)                           // taken
                                   .Dword(705032704)                       // size, low 32 bits
                                   .Date(0, test::OleOfUtcSeconds(1000))   // changed
                                   .Str("Titel")                           // headline
                                   .Bytes();
  EXPECT_EQ(Hex(Serialized(pictures)), Hex(expected));
  CBilderEx back;
  Read(back, expected);
  PictureEntry e;
  ASSERT_TRUE(back.Lookup(5, e));
  EXPECT_EQ(e.size, 705032704u);
  EXPECT_EQ(e.filename, "urlaub\\ä.jpg");

  CPersonenAufBildernEx rects;
  rects.AddOrUpdate(3, 7, Rect{10, 20, 110, 220});
  const std::string rectBytes = Serialized(rects).substr(16);
  EXPECT_EQ(Hex(rectBytes.substr(0, 24)),
            "03 00 00 00 07 00 00 00 0A 00 00 00 14 00 00 00 6E 00 00 00 DC 00 00 00");
  EXPECT_EQ(rectBytes.size(), 36u);

  CThemenDerBilderEx links;
  links.AddOrUpdate(2, 5);
  EXPECT_EQ(Hex(Serialized(links).substr(16)),
            Hex(ByteWriter().Dword(2).Dword(5).Date(0, test::OleOfUtcSeconds(1000)).Bytes()));

  CPersonenEx persons;
  persons.AddOrUpdate(12, "Jürgen");
  EXPECT_EQ(Hex(Serialized(persons)), Hex(ByteWriter()
                                           .Dword(1)                              // count
                                           .Date(0, test::OleOfUtcSeconds(1000))  // changed
                                           .Dword(12)                             // id
                                           .Str("J\xFCrgen")                      // name
                                           .Bytes()));
}

TEST_F(TablesTest, NegativePictureHalvesMoveTheOtherHalfOnAtEverySave) {
  // The placeholder link of theme -1 and picture -1: the sign-extended
  // picture half borrows one from the theme half, on adding and on reading.
  CThemenDerBilderEx links;
  links.Put(-1, -1, Moment(0));
  std::string bytes = Serialized(links);
  EXPECT_EQ(Hex(bytes.substr(16, 8)), "FE FF FF FF FF FF FF FF");
  for (const char* next : {"FD FF FF FF FF FF FF FF", "FC FF FF FF FF FF FF FF"}) {
    CThemenDerBilderEx again;
    Read(again, bytes);
    bytes = Serialized(again);
    EXPECT_EQ(Hex(bytes.substr(16, 8)), next);
  }

  // Person and picture halves as the rectangle block lists them.
  auto written = [](CPersonenAufBildernEx& t) {
    const std::string b = Serialized(t);
    std::set<std::pair<std::int32_t, std::int32_t>> out;
    for (std::size_t at = 16; at + 36 <= b.size(); at += 36) {
      CArchive ar(std::string_view(b).substr(at, 8));
      const std::int32_t high = ar.ReadInt();
      out.emplace(high, ar.ReadInt());
    }
    return out;
  };
  using S = std::set<std::pair<std::int32_t, std::int32_t>>;
  CPersonenAufBildernEx rects;
  rects.AddOrUpdate(3, -1, Rect{});
  rects.AddOrUpdate(INT_MIN, -5, Rect{});
  rects.AddOrUpdate(4, 5, Rect{});
  EXPECT_TRUE(rects.Lookup(3, -1));
  EXPECT_EQ(written(rects), (S{{2, -1}, {INT_MAX, -5}, {4, 5}}));
  CPersonenAufBildernEx back;
  Read(back, Serialized(rects));
  EXPECT_EQ(written(back), (S{{1, -1}, {INT_MAX - 1, -5}, {4, 5}}));
  EXPECT_TRUE(back.Lookup(2, -1)) << "the key read is the pair key of the halves in the file";
  EXPECT_FALSE(back.Lookup(3, -1));
  EXPECT_TRUE(back.Lookup(INT_MAX, -5));
  EXPECT_TRUE(back.Lookup(4, 5));
}

TEST_F(TablesTest, RepeatedIdsInAFileLeaveTheLastValuesInTheFirstPlace) {
  ByteWriter file;
  file.Dword(3).Date(0, 1.0);  // count, changed; then id, name, taken, size, changed, headline
  file.Int(16).Str("alt.jpg").Date(0, 2.0).Dword(1).Date(0, 3.0).Str("alt");
  file.Int(17).Str("b.jpg").Date(0, 2.0).Dword(2).Date(0, 3.0).Str("b");
  file.Int(16).Str("neu.jpg").Date(0, 4.0).Dword(3).Date(0, 5.0).Str("neu");
  CBilderEx t;
  Read(t, file.Bytes());
  EXPECT_EQ(t.GetCount(), 2);
  EXPECT_EQ(PictureOrder(t), (std::vector<std::int32_t>{17, 16}));
  PictureEntry e;
  ASSERT_TRUE(t.Lookup(16, e));
  EXPECT_EQ(e.filename, "neu.jpg");
  EXPECT_EQ(e.title, "neu");
  const std::string out = Serialized(t);
  EXPECT_EQ(Hex(out.substr(0, 4)), "02 00 00 00") << "one record fewer than the count read";
}

TEST_F(TablesTest, CountsFromAFileAreNotTrusted) {
  auto huge = [](bool withDate) {
    ByteWriter w;
    w.Dword(2147483647);
    if (withDate) w.Date(0, 1.0);
    return w.Raw(std::string(10, '\x01')).Bytes();
  };
  for (const bool withDate : {false, true}) {
    const std::string bytes = huge(withDate);
    auto expectFailure = [&](auto& table, const char* name) {
      test::AllocationProbe probe;
      try {
        CArchive ar(bytes);
        table.Serialize(ar);
        ADD_FAILURE() << name << " read a count it cannot hold";
      } catch (const CArchiveException& e) {
        EXPECT_STREQ(e.what(), "Unerwartetes Dateiformat.");
      }
      EXPECT_LT(probe.Largest(), 4096u) << name;
    };
    CBilderEx pictures;
    CPersonenEx persons;
    CThemenEx themes;
    CPersonenAufBildernEx rects;
    CThemenDerBilderEx links;
    expectFailure(pictures, "pictures");
    expectFailure(persons, "persons");
    expectFailure(themes, "themes");
    expectFailure(rects, "rectangles");
    expectFailure(links, "links");
  }

  // A negative count means no records; the next value follows at once.
  const std::string negative = ByteWriter().Int(-3).Date(0, 1.0).Dword(0xC0FFEE).Bytes();
  CArchive ar(negative);
  CThemenEx themes;
  themes.Serialize(ar);
  EXPECT_EQ(themes.GetCount(), 0);
  EXPECT_EQ(ar.ReadDword(), 0xC0FFEEu);
}

// ------------------------------------------------------ walks and removals

TEST_F(TablesTest, FindNextVisitsEveryMatchOnce) {
  CPersonenAufBildernEx rects;
  CThemenDerBilderEx links;
  std::multiset<std::pair<std::int32_t, std::int32_t>> all;
  for (std::int32_t person = 1; person <= 6; ++person)
    for (const std::int32_t picture : {7, 8, 23, 24, 41, 300})
      if ((person + picture) % 3 != 0) {
        rects.AddOrUpdate(person, picture, Rect{});
        links.AddOrUpdate(person, picture);
        all.emplace(person, picture);
      }
  auto expected = [&](std::int32_t high, std::int32_t low) {
    std::multiset<std::pair<std::int32_t, std::int32_t>> out;
    for (const auto& k : all)
      if ((high == -1 || k.first == high) && (low == -1 || k.second == low)) out.insert(k);
    return out;
  };
  for (const auto& [high, low] : std::vector<std::pair<std::int32_t, std::int32_t>>{
           {-1, 7}, {4, -1}, {-1, -1}, {2, 8}, {3, 7}, {9, -1}, {-1, 9}}) {
    EXPECT_EQ(Found(rects, high, low), expected(high, low)) << high << "," << low;
    EXPECT_EQ(Found(links, high, low), expected(high, low)) << high << "," << low;
  }
  CThemenDerBilderEx empty;
  EXPECT_EQ(empty.GetStartPosition(), kNullPosition);
}

TEST_F(TablesTest, RemoveAllOfKeepsTheRestAndItsOrder) {
  CPersonenAufBildernEx rects;
  CThemenDerBilderEx links;
  std::mt19937 rng(5);
  for (int i = 0; i < 400; ++i) {
    const auto high = static_cast<std::int32_t>(rng() % 8) + 1;
    const auto low = static_cast<std::int32_t>(rng() % 200) + 1;
    rects.AddOrUpdate(high, low, Rect{high, low, 0, 0});
    links.AddOrUpdate(high, low);
  }
  auto check = [&](auto removed) {
    const auto r = PairOrder(rects);
    const auto l = PairOrder(links);
    EXPECT_EQ(r, l) << "both tables saw the same changes";
    EXPECT_EQ(r.size(), static_cast<std::size_t>(rects.GetCount()));
    for (const auto& [h, lo] : r) EXPECT_FALSE(removed(h, lo)) << h << "," << lo;
  };
  const auto before = PairOrder(rects);
  rects.RemoveAllOfPerson(3);
  links.RemoveAllOfTheme(3);
  check([](std::int32_t h, std::int32_t) { return h == 3; });
  rects.RemoveAllOfPicture(17);
  links.RemoveAllOfPicture(17);
  check([](std::int32_t h, std::int32_t l) { return h == 3 || l == 17; });

  // What is left keeps its relative order.
  std::vector<std::pair<std::int32_t, std::int32_t>> kept;
  for (const auto& k : before)
    if (k.first != 3 && k.second != 17) kept.push_back(k);
  EXPECT_EQ(PairOrder(rects), kept);
  for (const auto& [h, l] : before)
    EXPECT_EQ(rects.Lookup(h, l), h != 3 && l != 17) << h << "," << l;
}

}  // namespace
}  // namespace kolvaro
