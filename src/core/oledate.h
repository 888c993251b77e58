#pragma once
// The OLE date of album files: a validity status plus days since
// 30 December 1899 00:00 local time, the fraction being the time of day.

#include <cstdint>
#include <optional>
#include <string>

namespace kolvaro {

struct CalendarTime {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int dayOfWeek = 6;  ///< 0 = Sunday, filled by ToCalendar
  friend bool operator==(const CalendarTime&, const CalendarTime&) = default;
};

class COleDateTime {
 public:
  enum Status : std::int32_t { valid = 0, invalid = 1, null = 2 };

  COleDateTime() = default;
  COleDateTime(Status status, double value) : m_status(status), m_value(value) {}

  /// Only a real moment converts (year 100–9999, month 1–12, day within its
  /// month, hour ≤ 23, minute and second ≤ 59); anything else gives status
  /// invalid and value 0.0. Windows rolls such fields over instead, which turns
  /// a camera's "0000:00:00 00:00:00" into 30 November 1999.
  static COleDateTime FromCalendar(int year, int month, int day, int hour, int minute,
                                   int second);
  static COleDateTime FromCalendar(const CalendarTime& t) {
    return FromCalendar(t.year, t.month, t.day, t.hour, t.minute, t.second);
  }
  /// Local calendar time of a POSIX time; invalid when the conversion fails.
  static COleDateTime FromTimeT(std::int64_t seconds);

  /// "Now" as change dates use it: the clock's local time to the second, or
  /// the moment in SOURCE_DATE_EPOCH (rendered in UTC, so that the same
  /// steps give the same bytes on any machine).
  static COleDateTime Now();

  /// Calendar fields of the value, rounded to the nearest second; empty when
  /// the status is not valid or the value lies outside years 100–9999.
  std::optional<CalendarTime> ToCalendar() const;

  Status GetStatus() const { return m_status; }
  void SetStatus(Status s) { m_status = s; }
  double Value() const { return m_value; }
  bool IsValid() const { return m_status == valid; }

  /// Compares as points in time: for dates before 30 December 1899 the
  /// fraction counts away from zero, so -1.25 (29 Dec 06:00) lies before -1.5.
  static int CompareMoments(double a, double b);

  /// "%Y-%m-%d %H:%M:%S"-like formatting with strftime directives over the
  /// calendar fields; "" when the date has no calendar form.
  std::string Format(const char* fmt) const;

  friend bool operator==(const COleDateTime& a, const COleDateTime& b) {
    return a.m_status == b.m_status &&
           (a.m_value == b.m_value || (a.m_value != a.m_value && b.m_value != b.m_value));
  }

 private:
  Status m_status = valid;
  double m_value = 0.0;
};

/// Days from 30 December 1899 to the given date of the proleptic Gregorian calendar.
std::int64_t OleDayNumber(int year, int month, int day);

/// Seconds of the POSIX epoch, or of SOURCE_DATE_EPOCH when it is set and valid.
std::int64_t CurrentSeconds(bool* fromEpochVariable = nullptr);

/// The clock reads SOURCE_DATE_EPOCH and TZ once; whoever changes them while
/// the program runs (tests) calls this afterwards.
void ReloadClockEnvironment();

}  // namespace kolvaro
