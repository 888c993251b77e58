#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>
#include <string>

#include "collab/transactionformat.h"
#include "core/cp1252.h"

namespace kolvaro {
namespace {

std::string Encode(std::string_view utf8) {
  std::string out;
  EncodeTransactionValue(utf8, out);
  return out;
}

TEST(TransactionValue, PlainValuesAreWrittenAsBefore) {
  // Code page 1252 bytes, tabs, "<", ">" and a lone "&" stay raw, so a
  // reader of the plain format reads them unchanged.
  EXPECT_EQ(Encode("Anna </name> Berg"), "Anna </name> Berg");
  EXPECT_EQ(Encode("Jürgen Weiß € & Söhne\tx"), "J\xFCrgen Wei\xDF \x80 & S\xF6hne\tx");
  EXPECT_EQ(Encode("#1 &"), "#1 &");
}

TEST(TransactionValue, LineBreaksOutsideCharactersAndReferencesAreEscaped) {
  EXPECT_EQ(Encode("a\nb\r\nc\r"), "a&#10;b&#13;&#10;c&#13;");
  EXPECT_EQ(Encode("Łódź"), "&#321;\xF3" "d&#378;");
  EXPECT_EQ(Encode("\xF0\x9F\x98\x80"), "&#128512;");
  EXPECT_EQ(Encode("a&#10;b"), "a&#38;#10;b");
  EXPECT_EQ(Encode("&&#"), "&&#38;#");
  // Bytes that are no UTF-8 at all cannot be kept; they become U+FFFD.
  EXPECT_EQ(Encode("x\xFFy"), "x&#65533;y");
}

TEST(TransactionValue, DecodingGivesBackEveryValue) {
  const std::string values[] = {
      "",
      "Zeile 1\nZeile 2\r\nZeile 3\r",
      "Łukasz Żółw 😀 日本",
      "literal &#10; and &#38; and &#",
      "&#38;#",
      "ends with &",
      "ends with &#",
      "Städte & Plätze </theme>",
      std::string("nul\0byte", 8),
      "\xC2\x81\xC2\x8D undefined bytes of 1252",
  };
  for (const std::string& v : values) EXPECT_EQ(DecodeTransactionValue(Encode(v)), v) << v;
}

TEST(TransactionValue, ReferencesThatNameNoCharacterStayAsTheyAre) {
  EXPECT_EQ(DecodeTransactionValue("&#;"), "&#;");
  EXPECT_EQ(DecodeTransactionValue("&#12a;"), "&#12a;");
  EXPECT_EQ(DecodeTransactionValue("&#55296;"), "&#55296;");    // a surrogate
  EXPECT_EQ(DecodeTransactionValue("&#1114112;"), "&#1114112;");  // past U+10FFFF
  EXPECT_EQ(DecodeTransactionValue("&#00000065;"), "&#00000065;");  // too many digits
  EXPECT_EQ(DecodeTransactionValue("&#65"), "&#65");
  EXPECT_EQ(DecodeTransactionValue("&#65;&#66;\xE4"), "AB\xC3\xA4");
}

TEST(TransactionNumbers, IntegersAreReadLikeAtol) {
  EXPECT_EQ(ParseLeadingInt("42</id-picture>"), 42);
  EXPECT_EQ(ParseLeadingInt("  \t-17x"), -17);
  EXPECT_EQ(ParseLeadingInt("+5"), 5);
  EXPECT_EQ(ParseLeadingInt("</id>"), 0);
  EXPECT_EQ(ParseLeadingInt(""), 0);
  EXPECT_EQ(ParseLeadingInt("- 5"), 0);
  EXPECT_EQ(ParseLeadingInt("2147483647"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ParseLeadingInt("99999999999999999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ParseLeadingInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ParseLeadingInt("-99999999999"), std::numeric_limits<std::int32_t>::min());
}

TEST(TransactionNumbers, FloatingPointIsReadWithAPoint) {
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("46363.800579</timestamp>"), 46363.800579);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble(" -1.5x"), -1.5);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("+.25"), 0.25);
  EXPECT_DOUBLE_EQ(ParseLeadingDouble("1e3"), 1000.0);
  EXPECT_EQ(ParseLeadingDouble("abc"), 0.0);
  EXPECT_EQ(ParseLeadingDouble("12,5"), 12.0);
  EXPECT_EQ(ParseLeadingDouble("1e999"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingDouble("1e-999"), 0.0);
  EXPECT_EQ(ParseLeadingDouble("0." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(ParseLeadingDouble("-0." + std::string(400, '0') + "1e5"), 0.0);
  EXPECT_EQ(ParseLeadingDouble("1" + std::string(400, '0')), std::numeric_limits<double>::infinity());
}

TEST(TransactionNumbers, FixedFormatHasSixDecimalsAndAPoint) {
  std::string out;
  AppendFixed6(46363.80057870370, out);
  EXPECT_EQ(out, "46363.800579");
  out.clear();
  AppendFixed6(-1.25, out);
  EXPECT_EQ(out, "-1.250000");
  out.clear();
  AppendFixed6(0.0, out);
  EXPECT_EQ(out, "0.000000");
  out.clear();
  AppendFixed6(1e20, out);
  EXPECT_EQ(out, "100000000000000000000.000000");
}

TEST(TransactionNumbers, FixedFormatIgnoresTheNumericLocale) {
  // The desktop program runs with the user's locale; a German one must not
  // turn the point into a comma.
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE"))
    GTEST_SKIP() << "no German locale installed";
  std::string out;
  AppendFixed6(2.5, out);
  const double back = ParseLeadingDouble("2.5");
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(out, "2.500000");
  EXPECT_EQ(back, 2.5);
}

}  // namespace
}  // namespace kolvaro
