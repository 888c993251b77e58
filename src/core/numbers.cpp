#include "core/numbers.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace kolvaro {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The power of ten of the first significant digit of a decimal number in
// [first, last): "0.001" gives -3, "12e5" 6; 0 without one.
std::int64_t DecimalExponent(const char* first, const char* last) {
  const char* p = first;
  bool significant = false;
  std::int64_t exponent = 0;
  for (; p < last && IsDigit(*p); ++p) {
    if (significant)
      ++exponent;
    else
      significant = *p != '0';
  }
  if (p < last && *p == '.') {
    std::int64_t zeros = 0;
    for (++p; p < last && IsDigit(*p); ++p) {
      if (significant) continue;
      if (*p == '0') {
        ++zeros;
      } else {
        significant = true;
        exponent = -zeros - 1;
      }
    }
  }
  if (!significant) return 0;
  if (p < last && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
    std::int64_t e = 0;
    for (; p < last && IsDigit(*p); ++p)
      if (e < (std::int64_t{1} << 40)) e = e * 10 + (*p - '0');
    exponent += negative ? -e : e;
  }
  return exponent;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

void AppendFixed(double value, int decimals, std::string& out) {
  // Large enough for the longest fixed form of a double (309 digits) and the decimals.
  std::array<char, 400> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed,
                               decimals < 0    ? 0
                               : decimals > 60 ? 60
                                               : decimals);
  out.append(buf.data(), r.ptr);
}

std::string FixedText(double value, int decimals) {
  std::string out;
  AppendFixed(value, decimals, out);
  return out;
}

std::string GeneralText(double value, int significant) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general,
                               significant < 1    ? 1
                               : significant > 17 ? 17
                                                  : significant);
  return std::string(buf, r.ptr);
}

double ParseLeadingDouble(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // from_chars takes no sign of its own here, so "--1" stays 0 as with strtod.
  if (i >= text.size() || !(IsDigit(text[i]) || text[i] == '.')) return negative ? -0.0 : 0.0;
  double value = 0.0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  const auto r = std::from_chars(first, last, value, std::chars_format::general);
  if (r.ec == std::errc::invalid_argument) {
    value = 0.0;
  } else if (r.ec == std::errc::result_out_of_range) {
    // Too large gives infinity, too small zero, as strtod does.
    value = DecimalExponent(first, r.ptr) < 0 ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}

bool ParseDecimal(std::string_view text, double& value, bool acceptComma) {
  text = Trimmed(text);
  std::string pointed;
  if (acceptComma && text.find(',') != std::string_view::npos) {
    if (text.find(',') != text.rfind(',') || text.find('.') != std::string_view::npos) return false;
    pointed.assign(text);
    pointed[pointed.find(',')] = '.';
    text = pointed;
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty() || !(IsDigit(text.front()) || text.front() == '.' || text.front() == '-'))
    return false;
  double parsed = 0.0;
  const auto r =
      std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(parsed))
    return false;
  value = parsed;
  return true;
}

}  // namespace kolvaro
