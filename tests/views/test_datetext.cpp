// Dates as the user reads and types them, and as transaction files name them.
#include <gtest/gtest.h>

#include "views/datetext.h"

namespace kolvaro {
namespace {

TEST(DateText, ShownInTheGermanLocaleAndReadBack) {
  const QLocale de(QLocale::German, QLocale::Germany);
  const COleDateTime evening = COleDateTime::FromCalendar(2026, 12, 7, 19, 12, 50);
  EXPECT_EQ(FormatOleDate(evening, de), QStringLiteral("07.12.2026 19:12:50"));
  EXPECT_EQ(ParseOleDate(QStringLiteral("07.12.2026 19:12:50"), de), evening);
  EXPECT_EQ(ParseOleDate(QStringLiteral(" 7.12.2026 19:12:50 "), de), evening);
  EXPECT_EQ(ParseOleDate(QStringLiteral("07.12.2026 19:12"), de),
            COleDateTime::FromCalendar(2026, 12, 7, 19, 12, 0));
  EXPECT_EQ(ParseOleDate(QStringLiteral("7.12.26 19:12"), de),
            COleDateTime::FromCalendar(2026, 12, 7, 19, 12, 0));
  EXPECT_EQ(ParseOleDate(QStringLiteral("07.12.45"), de),
            COleDateTime::FromCalendar(1945, 12, 7, 0, 0, 0));

  const COleDateTime midnight = COleDateTime::FromCalendar(2026, 12, 7, 0, 0, 0);
  EXPECT_EQ(FormatOleDate(midnight, de), QStringLiteral("07.12.2026"));
  EXPECT_EQ(ParseOleDate(QStringLiteral("07.12.2026"), de), midnight);
  const COleDateTime timeOnly = COleDateTime::FromCalendar(1899, 12, 30, 8, 5, 0);
  EXPECT_EQ(FormatOleDate(timeOnly, de), QStringLiteral("08:05:00"));
  EXPECT_EQ(ParseOleDate(QStringLiteral("08:05:00"), de), timeOnly);

  EXPECT_EQ(FormatOleDate(COleDateTime(COleDateTime::null, 0.0), de), QString());
  EXPECT_EQ(FormatOleDate(COleDateTime(COleDateTime::invalid, 0.0), de), QString());
  for (const char* bad : {"", "morgen", "31.02.2023 10:00:00", "07.13.2026", "25:00:00"})
    EXPECT_FALSE(ParseOleDate(QString::fromUtf8(bad), de)) << bad;
}

// Folder and card imports store 0.0 for "no capture date": the field is empty
// and an empty field is that 0.0 again; other times of day 0 keep their form.
TEST(DateText, TheFieldOfAPictureWithoutDateIsEmptyAndReadsBackUnchanged) {
  const QLocale de(QLocale::German, QLocale::Germany);
  const COleDateTime none(COleDateTime::valid, 0.0);
  EXPECT_EQ(DateFieldText(none, de), QString());
  EXPECT_EQ(DateFromField(DateFieldText(none, de), de), none);
  EXPECT_EQ(DateFromField(QStringLiteral("  "), de), none);
  EXPECT_EQ(DateFieldText(COleDateTime(COleDateTime::valid, 0.5), de), QStringLiteral("12:00:00"));
  const COleDateTime evening = COleDateTime::FromCalendar(2026, 12, 7, 19, 12, 50);
  EXPECT_EQ(DateFromField(DateFieldText(evening, de), de), evening);
  EXPECT_FALSE(DateFromField(QStringLiteral("morgen"), de));
}

// Other editors read German "timestamp-text"; only another locale writes its own.
TEST(DateText, TimestampTextIsTheWritersDefaultInGermanAndTheLocalesOtherwise) {
  const COleDateTime midnight = COleDateTime::FromCalendar(2026, 12, 7, 0, 0, 0);
  EXPECT_EQ(LocaleTimestampText(midnight, QLocale(QLocale::German, QLocale::Germany)), "");
  EXPECT_EQ(LocaleTimestampText(midnight, QLocale(QLocale::English, QLocale::UnitedStates)),
            "12/7/26");
  EXPECT_EQ(
      LocaleTimestampText(COleDateTime(COleDateTime::invalid, 0.0), QLocale(QLocale::English)), "");
}

}  // namespace
}  // namespace kolvaro
