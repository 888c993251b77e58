// The pieces the subcommands share: number arguments and JSON text.

#include <cmath>
#include <limits>
#include <sstream>
#include <string_view>

#include "cli/command.h"
#include "cli/json.h"
#include "testsupport/cli.h"

namespace kolvaro::test {
namespace {

using cli::JsonNumber;
using cli::JsonQuote;

TEST(CliParseInt, AcceptsWholeDecimal32BitNumbersOnly) {
  const std::pair<const char*, std::int32_t> good[] = {
      {"0", 0}, {"-1", -1}, {"42", 42}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}};
  for (const auto& [text, expected] : good) {
    std::int32_t v = 7;
    EXPECT_TRUE(cli::ParseInt(text, v)) << text;
    EXPECT_EQ(v, expected) << text;
  }
  for (const char* text : {"", "+1", " 1", "1 ", "1x", "0x10", "2147483648", "-2147483649", "1.0"}) {
    std::int32_t v = 7;
    EXPECT_FALSE(cli::ParseInt(text, v)) << text;
  }
}

// --help lists the table as it stands, so an entry out of place shows there.
TEST(CliCommands, TableIsSortedByNameAndEachUsageStartsWithItsName) {
  const auto commands = cli::Commands();
  ASSERT_FALSE(commands.empty());
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const std::string_view name = commands[i].name;
    if (i > 0) {
      EXPECT_LT(std::string_view(commands[i - 1].name), name);
    }
    EXPECT_EQ(commands[i].Usage().substr(0, name.size() + 1),
              std::string(name) + ' ');
    EXPECT_EQ(cli::FindCommand(name), &commands[i]);
  }
  EXPECT_EQ(cli::FindCommand("nix"), nullptr);
}

TEST(CliJson, NumbersRoundTripAndNonFiniteBecomesNull) {
  for (const double d : {0.1, -1.25, 45245.5, 1e300, -1e-300, 5e-324,
                         std::numeric_limits<double>::max(), 2958465.9999884259}) {
    const std::string text = JsonNumber(d);
    const Json parsed = Json::Parse(text);
    ASSERT_EQ(parsed.kind, Json::Number) << text;
    EXPECT_EQ(parsed.number, d) << text;
  }
  EXPECT_EQ(JsonNumber(std::numeric_limits<double>::quiet_NaN()), "null");
  EXPECT_EQ(JsonNumber(std::numeric_limits<double>::infinity()), "null");
  EXPECT_EQ(JsonNumber(-std::numeric_limits<double>::infinity()), "null");
}

TEST(CliJson, StringsEscapeAndStayUtf8) {
  const std::string plain = "a\"b\\c/d\n\r\t\b\f\x01\x1f\x7f ÄÖÜß € 😀";
  EXPECT_EQ(Json::Parse(JsonQuote(plain)).text, plain);
  EXPECT_EQ(JsonQuote("\x01"), "\"\\u0001\"");
  // Broken UTF-8 (a lone continuation byte, a cut sequence) becomes U+FFFD.
  EXPECT_EQ(Json::Parse(JsonQuote("a\x80z")).text, "a\xEF\xBF\xBDz");
  EXPECT_EQ(Json::Parse(JsonQuote("\xE2\x82")).text.find("\xEF\xBF\xBD"), 0u);
}

TEST(CliText, ControlCharactersNeverReachTheTerminal) {
  struct Case {
    std::string in, terminal, json;
  };
  const Case cases[] = {
      {"\x1b]0;x\x07", "\\x1B]0;x\\x07", "\"\\u001b]0;x\\u0007\""},
      {"a\x7f\xc2\x9b" "2J", "a\\x7F\\u{9B}2J", "\"a\\u007f\\u009b2J\""},
      {"Zeile\nzwei\r", "Zeile\\x0Azwei\\x0D", "\"Zeile\\nzwei\\r\""},
      {"M\xfcller \xe2\x82\xac", "M\\xFCller \xe2\x82\xac", "\"M\xef\xbf\xbdller \xe2\x82\xac\""},
      {"bilder\\a.jpg \xc2\xa0", "bilder\\a.jpg \xc2\xa0", "\"bilder\\\\a.jpg \xc2\xa0\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cli::TerminalText(c.in), c.terminal);
    EXPECT_EQ(JsonQuote(c.in), c.json);
  }
  EXPECT_EQ(cli::TerminalText("a\nb\x1b", true), "a\nb\\x1B");
}

TEST(CliJson, WriterNestsAndKeepsInlineValuesOnOneLine) {
  std::ostringstream out;
  cli::JsonWriter w(out);
  w.BeginObject();
  w.Key("leer");
  w.BeginArray();
  w.EndArray();
  w.Key("r");
  w.BeginArray(true);
  w.Int(-1);
  w.UInt(4294967295u);
  w.EndArray();
  w.Key("o");
  w.BeginObject();
  w.Key("d");
  w.Double(0.5);
  w.EndObject();
  w.EndObject();
  w.Finish();
  EXPECT_EQ(out.str(),
            "{\n  \"leer\": [],\n  \"r\": [-1, 4294967295],\n  \"o\": {\n    \"d\": 0.5\n  }\n}\n");
}

}  // namespace
}  // namespace kolvaro::test
