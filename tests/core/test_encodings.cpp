// Album file encodings: DWORDs, strings in their prefix forms and code
// pages, OLE dates, rectangles, and the failure when the data ends early.

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <new>
#include <random>
#include <string>

#include "core/archive.h"
#include "core/cp1252.h"
#include "core/oledate.h"
#include "testsupport/album_bytes.h"
#include "testsupport/files.h"

// The test binary's allocation functions, so AllocationProbe can watch them.
// They pair malloc with free, which GCC cannot see through once inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
namespace {
std::atomic<int> g_probes{0};
std::atomic<std::size_t> g_largest{0};
}  // namespace

void* operator new(std::size_t n) {
  if (g_probes.load(std::memory_order_relaxed) > 0) {
    std::size_t seen = g_largest.load(std::memory_order_relaxed);
    while (n > seen && !g_largest.compare_exchange_weak(seen, n)) {
    }
  }
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace kolvaro {
namespace test {
AllocationProbe::AllocationProbe() {
  g_largest = 0;
  ++g_probes;
}
AllocationProbe::~AllocationProbe() { --g_probes; }
std::size_t AllocationProbe::Largest() const { return g_largest.load(); }
}  // namespace test

namespace {

using test::ByteWriter;
using test::Hex;

std::string Written(std::string_view utf8) {
  CArchive ar;
  ar.WriteString(utf8);
  return ar.Bytes();
}

/// Reads one string and checks that exactly the DWORD 0xC0FFEE behind it is left.
std::string ReadOne(const std::string& bytes) {
  const std::string data = bytes + ByteWriter().Dword(0xC0FFEE).Bytes();
  CArchive ar(data);
  std::string s = ar.ReadString();
  EXPECT_EQ(ar.ReadDword(), 0xC0FFEEu)
      << "string read to the wrong place: " << Hex(bytes.substr(0, 16));
  return s;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (const int v : values) s.push_back(static_cast<char>(v));
  return s;
}

template <typename F>
void ExpectFormatError(F&& read, const std::string& what) {
  try {
    read();
    ADD_FAILURE() << what << ": no failure";
  } catch (const CArchiveException& e) {
    EXPECT_STREQ(e.what(), "Unerwartetes Dateiformat.") << what;
  } catch (const std::exception& e) {
    ADD_FAILURE() << what << ": wrong exception " << e.what();
  }
}

// ------------------------------------------------------------------ values

TEST(ArchiveValues, DwordDateAndRectangleBytes) {
  CArchive ar;
  ar.WriteDword(0x12345678);
  ar.WriteInt(-2);
  ar.WriteDate(COleDateTime());
  ar.WriteDate(COleDateTime(COleDateTime::null, 1.5));
  ar.WriteRect(Rect{-1, 2, -3, 4});
  const std::string expected =
      ByteWriter()
          .Raw(Bytes({0x78, 0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF}))
          .Raw(std::string(12, '\0'))
          .Raw(Bytes({2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF8, 0x3F}))
          .Raw(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0}))
          .Bytes();
  EXPECT_EQ(Hex(ar.Bytes()), Hex(expected));

  CArchive in(ar.Bytes());
  EXPECT_EQ(in.ReadDword(), 0x12345678u);
  EXPECT_EQ(in.ReadInt(), -2);
  EXPECT_EQ(in.ReadDate(), COleDateTime());
  EXPECT_EQ(in.ReadDate(), COleDateTime(COleDateTime::null, 1.5));
  EXPECT_EQ(in.ReadRect(), (Rect{-1, 2, -3, 4}));
  EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ArchiveValues, DatesKeepEveryBitOfTheirDouble) {
  const double values[] = {-0.0,
                           std::numeric_limits<double>::denorm_min(),
                           -657434.99998842591,
                           2958465.9999884259,
                           1e300,
                           std::numeric_limits<double>::infinity(),
                           std::bit_cast<double>(0x7FF8DEADBEEF0001ULL)};
  for (const double v : values) {
    for (const std::uint32_t status : {0u, 1u, 2u, 7u}) {
      CArchive out;
      out.WriteDate(COleDateTime(static_cast<COleDateTime::Status>(status), v));
      EXPECT_EQ(Hex(out.Bytes()), Hex(ByteWriter().Date(status, v).Bytes()));
      CArchive in(out.Bytes());
      const COleDateTime d = in.ReadDate();
      EXPECT_EQ(static_cast<std::uint32_t>(d.GetStatus()), status);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(d.Value()), std::bit_cast<std::uint64_t>(v));
    }
  }
}

// ----------------------------------------------------------------- strings

TEST(ArchiveString, PrefixFormsAtTheirLimits) {
  const struct {
    std::size_t length;
    std::string prefix;
  } cases[] = {
      {0, Bytes({0x00})},
      {254, Bytes({0xFE})},
      {255, Bytes({0xFF, 0xFF, 0x00})},
      {65533, Bytes({0xFF, 0xFD, 0xFF})},
      {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
      {65535, Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00})},
      {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
  };
  for (const auto& c : cases) {
    const std::string text(c.length, 'k');
    const std::string bytes = Written(text);
    EXPECT_EQ(Hex(bytes.substr(0, c.prefix.size())), Hex(c.prefix)) << c.length;
    EXPECT_EQ(bytes.size(), c.prefix.size() + c.length);
    EXPECT_EQ(ReadOne(bytes), text) << c.length;
  }
}

TEST(ArchiveString, ReaderAcceptsEveryPrefixFormAndTheTwoByteForm) {
  const std::string forms[] = {
      ByteWriter().Byte(3).Raw("abc").Bytes(),
      ByteWriter().Byte(0xFF).Word(3).Raw("abc").Bytes(),
      ByteWriter().Byte(0xFF).Word(0xFFFF).Dword(3).Raw("abc").Bytes(),
      ByteWriter().Byte(0xFF).Word(0xFFFF).Dword(0xFFFFFFFF).Qword(3).Raw("abc").Bytes(),
      ByteWriter().WideStr(u"abc").Bytes(),
      ByteWriter().Byte(0xFF).Word(0xFFFE).Byte(0xFF).Word(3).Word('a').Word('b').Word('c').Bytes(),
      ByteWriter()
          .Byte(0xFF)         // a longer prefix follows
          .Word(0xFFFE)       //   the two-byte form
          .Byte(0xFF)         // its length: longer than a byte
          .Word(0xFFFF)       //   longer than a word
          .Dword(0xFFFFFFFF)  //   longer than a double word
          .Qword(3)           //   three characters
          .Word('a')
          .Word('b')
          .Word('c')
          .Bytes(),
      // The two-byte form announced twice: the prefix is read again each time.
      ByteWriter().Byte(0xFF).Word(0xFFFE).Byte(0xFF).Word(0xFFFE).Byte(3).Word('a').Word('b').Word('c').Bytes(),
  };
  for (const auto& f : forms) EXPECT_EQ(ReadOne(f), "abc") << Hex(f);
}

TEST(ArchiveString, CodePage1252BytesSurviveReadAndWrite) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string file = ByteWriter().Str(all).Bytes();
  const std::string text = ReadOne(file);
  EXPECT_EQ(Written(text), file) << "every 1252 string must keep the single-byte form";

  EXPECT_EQ(ReadOne(ByteWriter().Str("\x80").Bytes()), "€");
  EXPECT_EQ(ReadOne(ByteWriter().Str("\x81").Bytes()), "\u0081");
  EXPECT_EQ(ReadOne(ByteWriter().Str("\x9F").Bytes()), "Ÿ");
  EXPECT_EQ(Hex(Written("Größe €")), Hex(ByteWriter()
                                             .Str("Gr\xF6\xDF"
                                                  "e \x80")
                                             .Bytes()));
}

TEST(ArchiveString, TextOutside1252TakesTheTwoByteForm) {
  const std::string text = "Ωmega € 😀";
  const std::string bytes = Written(text);
  EXPECT_EQ(Hex(bytes), Hex(ByteWriter().WideStr(u"Ωmega € 😀").Bytes()));
  EXPECT_EQ(ReadOne(bytes), text);

  std::string longText;
  for (int i = 0; i < 300; ++i) longText += "Ω";
  const std::string longBytes = Written(longText);
  EXPECT_EQ(Hex(longBytes.substr(0, 6)), Hex(Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01})));
  EXPECT_EQ(longBytes.size(), 6u + 600u);
  EXPECT_EQ(ReadOne(longBytes), longText);

  // A lone surrogate cannot become UTF-8; it reads as the replacement character.
  EXPECT_EQ(ReadOne(ByteWriter().WideStr(std::u16string{u'a', char16_t(0xD800), u'b'}).Bytes()),
            "a\uFFFDb");

  // Read in the two-byte form, written back in the single-byte one.
  const std::string read = ReadOne(ByteWriter().WideStr(u"Bäume €").Bytes());
  EXPECT_EQ(read, "Bäume €");
  EXPECT_EQ(Hex(Written(read)), Hex(ByteWriter().Str("B\xE4ume \x80").Bytes()));
}

// ---------------------------------------------------------------- failures

TEST(ArchiveFailure, DataEndingInsideAValue) {
  const std::string record = ByteWriter()
                                 .Dword(7)
                                 .Str("Urlaub")
                                 .Date(0, 45000.5)
                                 .Rect(1, 2, 3, 4)
                                 .WideStr(u"Ω")
                                 .Byte(0xFF)
                                 .Word(300)
                                 .Raw(std::string(300, 'x'))
                                 .Bytes();
  auto readAll = [](CArchive& ar) {
    ar.ReadDword();
    ar.ReadString();
    ar.ReadDate();
    ar.ReadRect();
    ar.ReadString();
    ar.ReadString();
  };
  {
    CArchive ar(record);
    readAll(ar);
    EXPECT_EQ(ar.Remaining(), 0u);
  }
  for (std::size_t cut = 0; cut < record.size(); ++cut) {
    const std::string part = record.substr(0, cut);
    ExpectFormatError(
        [&] {
          CArchive ar(part);
          readAll(ar);
        },
        "cut at " + std::to_string(cut));
  }
}

TEST(ArchiveFailure, DeclaredLengthBeyondTheDataFailsBeforeAllocating) {
  const std::string filler(100, 'x');
  const std::string cases[] = {
      ByteWriter().Byte(0xFF).Word(0xFFFF).Dword(0xFFFFFFFE).Raw(filler).Bytes(),
      ByteWriter().Byte(0xFF).Word(0xFFFF).Dword(0xFFFFFFFF).Qword(1ULL << 32).Raw(filler).Bytes(),
      ByteWriter().Byte(0xFF).Word(0xFFFF).Dword(0xFFFFFFFF).Qword(~0ULL).Raw(filler).Bytes(),
      ByteWriter()
          .Byte(0xFF)
          .Word(0xFFFE)
          .Byte(0xFF)
          .Word(0xFFFF)
          .Dword(0x80000000)
          .Raw(filler)
          .Bytes(),
      ByteWriter()
          .Byte(0xFF)
          .Word(0xFFFE)
          .Byte(0xFF)
          .Word(0xFFFF)
          .Dword(0xFFFFFFFF)
          .Qword(1ULL << 62)
          .Raw(filler)
          .Bytes(),
      ByteWriter().Byte(101).Raw(filler).Bytes(),
      ByteWriter().Byte(0xFF).Word(0xFFFE).Byte(51).Raw(filler).Bytes(),  // 102 bytes wanted
  };
  {
    test::AllocationProbe probe;
    const std::string big(10000, 'x');
    EXPECT_EQ(big.back(), 'x');
    ASSERT_GE(probe.Largest(), 10000u) << "the probe does not see allocations";
  }
  for (const auto& bytes : cases) {
    test::AllocationProbe probe;
    ExpectFormatError(
        [&] {
          CArchive ar(bytes);
          ar.ReadString();
        },
        Hex(bytes.substr(0, 16)));
    EXPECT_LT(probe.Largest(), 4096u) << Hex(bytes.substr(0, 16));

    // The same from a file of about a hundred bytes.
    std::FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    test::AllocationProbe fileProbe;
    ExpectFormatError(
        [&] {
          CArchive ar(f, bytes.size());
          ar.ReadString();
        },
        "file " + Hex(bytes.substr(0, 16)));
    EXPECT_LT(fileProbe.Largest(), 4096u);
    std::fclose(f);
  }
}

TEST(ArchiveFile, ReadsTheSameAsFromMemoryAcrossBufferBoundaries) {
  std::mt19937 rng(42);
  ByteWriter w;
  std::vector<std::string> strings;
  for (int i = 0; i < 60; ++i) {
    // Mostly short, now and then longer than the read buffer.
    const std::size_t n = i % 13 == 0 ? 70000 + rng() % 70000 : rng() % 3000;
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>('a' + rng() % 26);
    if (i % 7 == 0 && !s.empty()) s[0] = '\xE4';
    strings.push_back(Cp1252ToUtf8(s));
    w.Str(s).Dword(static_cast<std::uint32_t>(i)).Date(0, i * 1.25).Rect(i, -i, 2 * i, -2 * i);
  }
  const std::string data = w.Bytes();
  std::FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  std::fwrite(data.data(), 1, data.size(), f);

  auto check = [&](CArchive& ar) {
    for (int i = 0; i < 60; ++i) {
      ASSERT_EQ(ar.ReadString(), strings[static_cast<std::size_t>(i)]) << i;
      ASSERT_EQ(ar.ReadDword(), static_cast<std::uint32_t>(i));
      ASSERT_EQ(ar.ReadDate().Value(), i * 1.25);
      ASSERT_EQ(ar.ReadRect(), (Rect{i, -i, 2 * i, -2 * i}));
    }
    EXPECT_EQ(ar.Remaining(), 0u);
    ExpectFormatError([&] { ar.ReadDword(); }, "past the end");
  };
  std::rewind(f);
  CArchive fromFile(f, data.size());
  check(fromFile);
  CArchive fromMemory(data);
  check(fromMemory);

  // A file that ends a few bytes early fails at its last value, not before.
  std::rewind(f);
  CArchive shortFile(f, data.size() - 3);
  for (int i = 0; i < 59; ++i) {
    shortFile.ReadString();
    shortFile.ReadDword();
    shortFile.ReadDate();
    shortFile.ReadRect();
  }
  shortFile.ReadString();
  shortFile.ReadDword();
  shortFile.ReadDate();
  ExpectFormatError([&] { shortFile.ReadRect(); }, "short file");
  std::fclose(f);
}

// ------------------------------------------------------------ code page 1252

TEST(CodePage1252, CaseFoldsExactlyTheLettersOfTheCodePage) {
  // Upper- and lower-case bytes of every letter pair in code page 1252.
  std::vector<std::pair<int, int>> pairs = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
  for (int c = 'A'; c <= 'Z'; ++c) pairs.emplace_back(c, c + 0x20);
  for (int c = 0xC0; c <= 0xDE; ++c)
    if (c != 0xD7) pairs.emplace_back(c, c + 0x20);
  for (const auto& [up, low] : pairs) {
    const std::string u = Cp1252ToUtf8(std::string(1, static_cast<char>(up)));
    const std::string l = Cp1252ToUtf8(std::string(1, static_cast<char>(low)));
    EXPECT_TRUE(EqualsNoCaseCp1252("x" + u + "y", "X" + l + "Y")) << u << " " << l;
    EXPECT_EQ(LowerCp1252(u), l);
  }
  // Look-alikes that are not a case pair.
  EXPECT_FALSE(EqualsNoCaseCp1252("×", "÷"));
  EXPECT_FALSE(EqualsNoCaseCp1252("ß", "ÿ"));
  EXPECT_FALSE(EqualsNoCaseCp1252("@", "`"));
  EXPECT_FALSE(EqualsNoCaseCp1252("[", "{"));
  EXPECT_FALSE(EqualsNoCaseCp1252("ä", "äx"));
  EXPECT_EQ(LowerCp1252("ÄRGER-Ω.JPG"), "ärger-Ω.jpg");
}

// --------------------------------------------------------------- OLE dates

TEST(OleDate, DayNumbersOfKnownDates) {
  EXPECT_EQ(OleDayNumber(1899, 12, 30), 0);
  EXPECT_EQ(OleDayNumber(1899, 12, 29), -1);
  EXPECT_EQ(OleDayNumber(1900, 1, 1), 2);
  EXPECT_EQ(OleDayNumber(1900, 3, 1), 61);  // 1900 is no leap year
  EXPECT_EQ(OleDayNumber(1970, 1, 1), 25569);
  EXPECT_EQ(OleDayNumber(2000, 1, 1), 36526);
  EXPECT_EQ(OleDayNumber(100, 1, 1), -657434);
  EXPECT_EQ(OleDayNumber(9999, 12, 31), 2958465);
}

TEST(OleDate, FromCalendarCarriesTheTimeAwayFromZero) {
  auto value = [](int y, int mo, int d, int h, int mi, int s) {
    const COleDateTime t = COleDateTime::FromCalendar(y, mo, d, h, mi, s);
    EXPECT_EQ(t.GetStatus(), COleDateTime::valid);
    return t.Value();
  };
  EXPECT_EQ(value(1899, 12, 30, 0, 0, 0), 0.0);
  EXPECT_EQ(value(1899, 12, 30, 12, 0, 0), 0.5);
  EXPECT_EQ(value(1899, 12, 29, 6, 0, 0), -1.25);
  EXPECT_EQ(value(1899, 12, 28, 18, 0, 0), -2.75);
  EXPECT_EQ(value(2000, 1, 1, 12, 0, 0), 36526.5);
  // To the last bit: the day number plus the time of day as one division.
  EXPECT_EQ(std::bit_cast<std::uint64_t>(value(2024, 2, 29, 13, 45, 30)),
            std::bit_cast<std::uint64_t>(45351.0 + 49530 / 86400.0));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(value(1850, 6, 1, 23, 59, 59)),
            std::bit_cast<std::uint64_t>(static_cast<double>(OleDayNumber(1850, 6, 1)) -
                                         86399 / 86400.0));
}

TEST(OleDate, OnlyRealMomentsConvert) {
  const int bad[][6] = {{0, 0, 0, 0, 0, 0},     {99, 12, 31, 0, 0, 0},  {10000, 1, 1, 0, 0, 0},
                        {2024, 0, 1, 0, 0, 0},  {2024, 13, 1, 0, 0, 0}, {2024, 4, 31, 0, 0, 0},
                        {2023, 2, 29, 0, 0, 0}, {1900, 2, 29, 0, 0, 0}, {2024, 1, 0, 0, 0, 0},
                        {2024, 1, 1, 24, 0, 0}, {2024, 1, 1, 0, 60, 0}, {2024, 1, 1, 0, 0, 60},
                        {2024, 1, 1, -1, 0, 0}, {2024, 1, 1, 0, 0, -1}};
  for (const auto& b : bad) {
    const COleDateTime t = COleDateTime::FromCalendar(b[0], b[1], b[2], b[3], b[4], b[5]);
    EXPECT_EQ(t.GetStatus(), COleDateTime::invalid) << b[0] << "-" << b[1] << "-" << b[2];
    EXPECT_EQ(t.Value(), 0.0);
  }
  EXPECT_TRUE(COleDateTime::FromCalendar(2000, 2, 29, 0, 0, 0).IsValid());
  EXPECT_TRUE(COleDateTime::FromCalendar(100, 1, 1, 0, 0, 0).IsValid());
  EXPECT_TRUE(COleDateTime::FromCalendar(9999, 12, 31, 23, 59, 59).IsValid());
}

TEST(OleDate, CalendarRoundTripOverTheWholeRange) {
  std::mt19937 rng(7);
  for (int i = 0; i < 20000; ++i) {
    CalendarTime c;
    c.year = 100 + static_cast<int>(rng() % 9900);
    c.month = 1 + static_cast<int>(rng() % 12);
    c.day = 1 + static_cast<int>(rng() % 28);
    c.hour = static_cast<int>(rng() % 24);
    c.minute = static_cast<int>(rng() % 60);
    c.second = static_cast<int>(rng() % 60);
    if (i % 10 == 0) c.year = 1899 - static_cast<int>(rng() % 3);  // around day 0
    const COleDateTime t = COleDateTime::FromCalendar(c);
    const auto back = t.ToCalendar();
    ASSERT_TRUE(back.has_value());
    c.dayOfWeek = back->dayOfWeek;
    ASSERT_EQ(*back, c) << t.Value();
  }
  EXPECT_EQ(COleDateTime::FromCalendar(2024, 2, 29, 0, 0, 0).ToCalendar()->dayOfWeek, 4);
  EXPECT_EQ(COleDateTime().ToCalendar()->dayOfWeek, 6);
  EXPECT_FALSE(COleDateTime(COleDateTime::invalid, 1.0).ToCalendar());
  EXPECT_FALSE(COleDateTime(COleDateTime::valid, 3.0e6).ToCalendar());
}

TEST(OleDate, ToCalendarRoundsToTheNearestSecond) {
  auto at = [](double v) {
    const auto c = COleDateTime(COleDateTime::valid, v).ToCalendar();
    EXPECT_TRUE(c.has_value()) << v;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c->year, c->month, c->day,
                  c->hour, c->minute, c->second);
    return std::string(buf);
  };
  const double second = 1.0 / 86400.0;
  EXPECT_EQ(at(36526.5 + 0.4 * second), "2000-01-01 12:00:00");
  EXPECT_EQ(at(36526.5 + 0.6 * second), "2000-01-01 12:00:01");
  EXPECT_EQ(at(36526.0 + 86399.6 * second), "2000-01-02 00:00:00");
  EXPECT_EQ(at(-1.25), "1899-12-29 06:00:00");
  EXPECT_EQ(at(-0.5), "1899-12-30 12:00:00");
  EXPECT_EQ(at(-(0.0 + 86399.6 * second)), "1899-12-31 00:00:00");
  // Before day 0 the fraction counts away from zero: 29 December 23:59:59.6
  // is nearest to midnight of the 30th.
  EXPECT_EQ(at(-(1.0 + 86399.6 * second)), "1899-12-30 00:00:00");
  EXPECT_EQ(at(-(100.0 + 86399.7 * second)), at(-99.0));
}

TEST(OleDate, NowIsTheClockOrSourceDateEpoch) {
  const test::ScopedEnv tz("TZ", "Europe/Berlin");
  {
    const test::ScopedEnv epoch("SOURCE_DATE_EPOCH", "1700000000");
    const COleDateTime now = COleDateTime::Now();
    EXPECT_EQ(now.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(now.Value(), test::OleOfUtcSeconds(1700000000));
    EXPECT_EQ(now.Format("%Y-%m-%d %H:%M:%S"), "2023-11-14 22:13:20");
  }
  for (const char* ignored : {"", "abc", "-5", "12x"}) {
    const test::ScopedEnv epoch("SOURCE_DATE_EPOCH", std::string(ignored));
    const std::time_t before = std::time(nullptr);
    const COleDateTime now = COleDateTime::Now();
    const std::time_t after = std::time(nullptr);
    EXPECT_GE(COleDateTime::CompareMoments(now.Value(), COleDateTime::FromTimeT(before).Value()),
              0);
    EXPECT_LE(COleDateTime::CompareMoments(now.Value(), COleDateTime::FromTimeT(after).Value()), 0);
    // Whole seconds only.
    const double secs = (now.Value() - std::trunc(now.Value())) * 86400.0;
    EXPECT_NEAR(secs, std::round(secs), 1e-4);
  }
  // Local time: midnight UTC is one o'clock in Berlin in winter.
  EXPECT_EQ(COleDateTime::FromTimeT(0).Value(), 25569.0 + 3600 / 86400.0);
  EXPECT_EQ(COleDateTime::FromTimeT(1719792000).Format("%d.%m.%Y %H:%M:%S"), "01.07.2024 02:00:00");
}

TEST(OleDate, MomentsCompareAlongTheTimeAxis) {
  // -1.25 is 29 December 06:00, -1.5 the same day at noon.
  EXPECT_LT(COleDateTime::CompareMoments(-1.25, -1.5), 0);
  EXPECT_GT(COleDateTime::CompareMoments(-1.99, -1.0), 0);
  EXPECT_GT(COleDateTime::CompareMoments(-0.5, -1.99), 0);
  EXPECT_LT(COleDateTime::CompareMoments(-1.75, 0.0), 0);
  EXPECT_LT(COleDateTime::CompareMoments(-0.5, 0.75), 0);
  EXPECT_EQ(COleDateTime::CompareMoments(-0.5, 0.5), 0);
  EXPECT_GT(COleDateTime::CompareMoments(1.0, 0.999), 0);
}

}  // namespace
}  // namespace kolvaro
