#include "views/datetext.h"

#include <QDateTime>
#include <QStringList>

namespace kolvaro {
namespace {

// The locale's short date with four-digit years, and its short time with seconds.
QString LongYearDateFormat(const QLocale& locale) {
  QString f = locale.dateFormat(QLocale::ShortFormat);
  if (!f.contains(QStringLiteral("yyyy"))) f.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  return f;
}
QString SecondsTimeFormat(const QLocale& locale) {
  QString f = locale.timeFormat(QLocale::ShortFormat);
  if (f.contains(QLatin1Char('s'))) return f;
  const qsizetype at = f.indexOf(QStringLiteral("mm"));
  if (at >= 0) f.insert(at + 2, QStringLiteral(":ss"));
  return f;
}
// Formats that also read one-digit days, months and hours.
QStringList Lenient(const QString& format) {
  QString f = format;
  f.replace(QStringLiteral("dd"), QStringLiteral("d"))
      .replace(QStringLiteral("MM"), QStringLiteral("M"))
      .replace(QStringLiteral("HH"), QStringLiteral("H"))
      .replace(QStringLiteral("hh"), QStringLiteral("h"));
  return f == format ? QStringList{format} : QStringList{format, f};
}

}  // namespace

QString FormatOleDate(const COleDateTime& date, const QLocale& locale) {
  if (!date.IsValid()) return {};
  const auto c = date.ToCalendar();
  if (!c) return {};
  const QDate day(c->year, c->month, c->day);
  const QTime time(c->hour, c->minute, c->second);
  if (c->year == 1899 && c->month == 12 && c->day == 30)
    return locale.toString(time, SecondsTimeFormat(locale));
  if (time == QTime(0, 0)) return locale.toString(day, LongYearDateFormat(locale));
  return locale.toString(QDateTime(day, time),
                         LongYearDateFormat(locale) + QLatin1Char(' ') + SecondsTimeFormat(locale));
}

std::optional<COleDateTime> ParseOleDate(const QString& input, const QLocale& locale) {
  const QString text = input.simplified();
  if (text.isEmpty()) return std::nullopt;
  QStringList longYear = Lenient(LongYearDateFormat(locale));
  QStringList shortYear;
  const QString localeDate = locale.dateFormat(QLocale::ShortFormat);
  if (!localeDate.contains(QStringLiteral("yyyy"))) shortYear = Lenient(localeDate);
  QStringList times =
      Lenient(SecondsTimeFormat(locale)) + Lenient(locale.timeFormat(QLocale::ShortFormat));
  times.removeDuplicates();

  auto make = [](const QDate& d, const QTime& t) -> std::optional<COleDateTime> {
    const COleDateTime v =
        COleDateTime::FromCalendar(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second());
    if (!v.IsValid()) return std::nullopt;
    return v;
  };
  // Two-digit years fall into 1930 to 2029, as Windows reads them; Qt alone
  // would put every one into the 1900s.
  auto window = [](const QDate& d) {
    const int yy = d.year() % 100;
    return QDate(yy < 30 ? 2000 + yy : 1900 + yy, d.month(), d.day());
  };
  auto tryDates = [&](const QStringList& formats, bool twoDigits) -> std::optional<COleDateTime> {
    for (const QString& df : formats) {
      for (const QString& tf : times) {
        const QDateTime dt = locale.toDateTime(text, df + QLatin1Char(' ') + tf);
        if (!dt.isValid()) continue;
        if (auto v = make(twoDigits ? window(dt.date()) : dt.date(), dt.time())) return v;
      }
      const QDate d = locale.toDate(text, df);
      if (!d.isValid()) continue;
      if (auto v = make(twoDigits ? window(d) : d, QTime(0, 0))) return v;
    }
    return std::nullopt;
  };
  if (auto v = tryDates(longYear, false)) return v;
  if (auto v = tryDates(shortYear, true)) return v;
  for (const QString& tf : times) {
    const QTime t = locale.toTime(text, tf);
    if (t.isValid()) return make(QDate(1899, 12, 30), t);
  }
  return std::nullopt;
}

QString DateFieldText(const COleDateTime& date, const QLocale& locale) {
  // Day 0 shows its time alone; at exactly 0.0 that would be a midnight nobody recorded.
  if (date.IsValid() && date.Value() == 0.0) return {};
  return FormatOleDate(date, locale);
}

std::optional<COleDateTime> DateFromField(const QString& text, const QLocale& locale) {
  if (text.trimmed().isEmpty()) return COleDateTime(COleDateTime::valid, 0.0);
  return ParseOleDate(text, locale);
}

std::string LocaleTimestampText(const COleDateTime& date, const QLocale& locale) {
  if (locale.language() == QLocale::German) return {};
  const auto cal = date.ToCalendar();
  if (!cal) return {};
  const QDate day(cal->year, cal->month, cal->day);
  const QTime time(cal->hour, cal->minute, cal->second);
  const bool midnight = time == QTime(0, 0);
  const bool epochDay = day == QDate(1899, 12, 30);
  QString text;
  if (!epochDay) text = locale.toString(day, QLocale::ShortFormat);
  if (!midnight || epochDay) {
    if (!text.isEmpty()) text += QLatin1Char(' ');
    text += locale.toString(time, QLocale::LongFormat);
  }
  return text.toStdString();
}

}  // namespace kolvaro
