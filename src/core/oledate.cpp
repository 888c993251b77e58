#include "core/oledate.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace kolvaro {
namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Howard Hinnant's days_from_civil / civil_from_days, counted from 1970-01-01.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr std::int64_t kOleEpochFromUnixDays = -25569;  // 1899-12-30

}  // namespace

std::int64_t OleDayNumber(int year, int month, int day) {
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
         kOleEpochFromUnixDays;
}

COleDateTime COleDateTime::FromCalendar(int year, int month, int day, int hour, int minute,
                                        int second) {
  if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59)
    return COleDateTime(invalid, 0.0);
  const auto days = static_cast<double>(OleDayNumber(year, month, day));
  const double time = (hour * 3600 + minute * 60 + second) / 86400.0;
  return COleDateTime(valid, days >= 0 ? days + time : days - time);
}

COleDateTime COleDateTime::FromTimeT(std::int64_t seconds) {
  const auto t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (localtime_r(&t, &tm) == nullptr) return COleDateTime(invalid, 0.0);
  return FromCalendar(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                      tm.tm_sec);
}

namespace {

// The clock's environment (SOURCE_DATE_EPOCH, TZ) and the last conversion.
// Record operations ask for the time thousands of times a second; reading
// the environment and converting each time cost more than the operations.
struct ClockState {
  bool loaded = false;
  bool hasEpoch = false;
  std::int64_t epoch = 0;
  bool cached = false;
  std::time_t cachedSeconds = 0;
  COleDateTime cachedValue;
};

ClockState& Clock() {
  thread_local ClockState state;
  if (!state.loaded) {
    state = ClockState{};
    state.loaded = true;
    if (const char* env = std::getenv("SOURCE_DATE_EPOCH"); env && *env) {
      char* end = nullptr;
      errno = 0;
      const long long v = std::strtoll(env, &end, 10);
      if (errno == 0 && end && *end == '\0' && v >= 0) {
        state.hasEpoch = true;
        state.epoch = v;
      }
    }
  }
  return state;
}

}  // namespace

void ReloadClockEnvironment() {
  ::tzset();
  Clock().loaded = false;
}

std::int64_t CurrentSeconds(bool* fromEpochVariable) {
  const ClockState& clock = Clock();
  if (fromEpochVariable) *fromEpochVariable = clock.hasEpoch;
  return clock.hasEpoch ? clock.epoch : static_cast<std::int64_t>(std::time(nullptr));
}

COleDateTime COleDateTime::Now() {
  ClockState& clock = Clock();
  const auto t = static_cast<std::time_t>(clock.hasEpoch ? clock.epoch : std::time(nullptr));
  if (clock.cached && clock.cachedSeconds == t) return clock.cachedValue;
  std::tm tm{};
  const std::tm* ok = clock.hasEpoch ? gmtime_r(&t, &tm) : localtime_r(&t, &tm);
  clock.cachedValue =
      ok == nullptr ? COleDateTime(invalid, 0.0)
                    : FromCalendar(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                                   tm.tm_min, tm.tm_sec);
  clock.cachedSeconds = t;
  clock.cached = true;
  return clock.cachedValue;
}

std::optional<CalendarTime> COleDateTime::ToCalendar() const {
  // The year check below settles the exact bounds; this one keeps the
  // integer conversions defined.
  if (m_status != valid || !std::isfinite(m_value) || std::fabs(m_value) > 3.0e6)
    return std::nullopt;
  const double dayPart = std::trunc(m_value);
  auto days = static_cast<std::int64_t>(dayPart);
  auto secs = static_cast<std::int64_t>(std::llround(std::fabs(m_value - dayPart) * 86400.0));
  if (secs >= 86400) {
    // The time of day runs forward on both sides of day 0, so rounding up
    // always reaches the following day.
    secs -= 86400;
    days += 1;
  }
  CalendarTime c;
  CivilFromDays(days + kOleEpochFromUnixDays, c.year, c.month, c.day);
  if (c.year < 100 || c.year > 9999) return std::nullopt;
  c.hour = static_cast<int>(secs / 3600);
  c.minute = static_cast<int>(secs / 60 % 60);
  c.second = static_cast<int>(secs % 60);
  // 1970-01-01 was a Thursday.
  const std::int64_t unixDays = days + kOleEpochFromUnixDays;
  c.dayOfWeek = static_cast<int>(((unixDays % 7) + 7 + 4) % 7);
  return c;
}

int COleDateTime::CompareMoments(double a, double b) {
  // Map to a linear time axis: for negative values the fraction runs the
  // other way, so the moment is trunc(v) + |frac(v)|.
  auto linear = [](double v) {
    const double t = std::trunc(v);
    return t + std::fabs(v - t);
  };
  const double la = linear(a), lb = linear(b);
  if (la < lb) return -1;
  if (la > lb) return 1;
  return 0;
}

std::string COleDateTime::Format(const char* fmt) const {
  const auto c = ToCalendar();
  if (!c) return {};
  std::tm tm{};
  tm.tm_year = c->year - 1900;
  tm.tm_mon = c->month - 1;
  tm.tm_mday = c->day;
  tm.tm_hour = c->hour;
  tm.tm_min = c->minute;
  tm.tm_sec = c->second;
  tm.tm_wday = c->dayOfWeek;
  tm.tm_yday = static_cast<int>(OleDayNumber(c->year, c->month, c->day) -
                                OleDayNumber(c->year, 1, 1));
  tm.tm_isdst = -1;
  char buf[256];
  const std::size_t n = std::strftime(buf, sizeof buf, fmt, &tm);
  return std::string(buf, n);
}

}  // namespace kolvaro
