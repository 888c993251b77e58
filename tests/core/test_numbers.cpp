// Numbers of the data formats: a point whatever the locale, and the comma
// form only where a reader asks for it.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "core/numbers.h"

namespace kolvaro {
namespace {

TEST(Numbers, WholeDecimalsReadWithAPointAndACommaOnlyWhenAsked) {
  const struct {
    const char* text;
    bool comma;
    bool ok;
    double value;
  } cases[] = {
      {"0.698125", false, true, 0.698125},
      {" -1.5 ", false, true, -1.5},
      {"+2", false, true, 2},
      {"1e3", false, true, 1000},
      {".25", false, true, 0.25},
      {"0,698125", false, false, 0},
      {"0,698125", true, true, 0.698125},
      {"1,2,3", true, false, 0},
      {"1.2,3", true, false, 0},
      {"", true, false, 0},
      {"abc", false, false, 0},
      {"1.5x", false, false, 0},
      {"inf", false, false, 0},
      {"nan", false, false, 0},
      {"1e999", false, false, 0},
      {"--1", false, false, 0},
  };
  for (const auto& c : cases) {
    double v = -7;
    EXPECT_EQ(ParseDecimal(c.text, v, c.comma), c.ok) << c.text;
    EXPECT_EQ(v, c.ok ? c.value : -7) << c.text;
  }
}

TEST(Numbers, ConversionsIgnoreAGermanLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no German locale installed";
  double parsed = 0;
  const bool ok = ParseDecimal("0.5", parsed);
  const std::string fixed = FixedText(0.698125, 6);
  const std::string general = GeneralText(0.1, 17);
  const double leading = ParseLeadingDouble("2.5</x>");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_TRUE(ok && parsed == 0.5);
  EXPECT_EQ(fixed, "0.698125");
  EXPECT_EQ(general, "0.10000000000000001");
  EXPECT_EQ(leading, 2.5);
}

}  // namespace
}  // namespace kolvaro
