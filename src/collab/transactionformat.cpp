#include "collab/transactionformat.h"

#include <limits>

#include "core/cp1252.h"

namespace kolvaro {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

void AppendReference(char32_t cp, std::string& out) {
  out += "&#";
  out += std::to_string(static_cast<std::uint32_t>(cp));
  out += ';';
}

}  // namespace

std::string_view TransactionRecordTag(TransactionRecord kind) {
  switch (kind) {
    case TransactionRecord::AddUpdatePicture: return "add-update-picture";
    case TransactionRecord::AddUpdatePerson: return "add-update-person";
    case TransactionRecord::AddUpdatePersonOnPicture: return "add-update-person-on-picture";
    case TransactionRecord::AddUpdateTheme: return "add-update-theme";
    case TransactionRecord::AddUpdateThemeOfPicture:
      return "add-update-theme-of-picture-association";
    case TransactionRecord::RemovePerson: return "remove-person";
    case TransactionRecord::RemovePicture: return "remove-picture";
    case TransactionRecord::RemovePersonOnPicture: return "remove-person-on-picture";
    case TransactionRecord::RemoveTheme: return "remove-theme";
    case TransactionRecord::RemoveThemeOfPicture: return "remove-theme-of-picture";
  }
  return {};
}

void EncodeTransactionValue(std::string_view utf8, std::string& out) {
  out.reserve(out.size() + utf8.size());
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char c = utf8[pos];
    if (static_cast<unsigned char>(c) < 0x80) {
      if (c == '\n') {
        out += "&#10;";
      } else if (c == '\r') {
        out += "&#13;";
      } else if (c == '&' && pos + 1 < utf8.size() && utf8[pos + 1] == '#') {
        // Only the ampersand is escaped; the '#' follows as itself.
        out += "&#38;";
      } else {
        out += c;
      }
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    const char32_t cp = DecodeUtf8(utf8, pos);
    if (!Utf8ToCp1252(utf8.substr(start, pos - start), out)) AppendReference(cp, out);
  }
}

void DecodeTransactionValue(std::string_view cp1252, std::string& out) {
  out.clear();
  out.reserve(cp1252.size());
  std::size_t run = 0;  // start of the bytes not converted yet
  auto flush = [&](std::size_t upTo) {
    // Plain ASCII, the usual case, is copied as one piece.
    std::size_t i = run;
    while (i < upTo && static_cast<unsigned char>(cp1252[i]) < 0x80) ++i;
    out.append(cp1252.data() + run, i - run);
    if (i < upTo) Cp1252ToUtf8(cp1252.substr(i, upTo - i), out);
  };
  for (std::size_t i = 0; i + 1 < cp1252.size(); ++i) {
    if (cp1252[i] != '&' || cp1252[i + 1] != '#') continue;
    std::size_t j = i + 2;
    std::uint32_t value = 0;
    while (j < cp1252.size() && j - (i + 2) < 8 && IsDigit(cp1252[j]))
      value = value * 10 + static_cast<std::uint32_t>(cp1252[j++] - '0');
    const std::size_t digits = j - (i + 2);
    if (digits == 0 || digits > 7 || j >= cp1252.size() || cp1252[j] != ';') continue;
    if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) continue;
    flush(i);
    AppendUtf8(static_cast<char32_t>(value), out);
    i = j;
    run = j + 1;
  }
  flush(cp1252.size());
}

std::string DecodeTransactionValue(std::string_view cp1252) {
  std::string out;
  DecodeTransactionValue(cp1252, out);
  return out;
}

std::int32_t ParseLeadingInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  constexpr std::int64_t kLimit = std::int64_t{1} << 32;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    if (value < kLimit) value = value * 10 + (text[i] - '0');
  if (negative) value = -value;
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace kolvaro
