#include <gtest/gtest.h>

#include "res/strings.h"

namespace kolvaro {
namespace {

TEST(StringTable, KnownAndUnknownIdentifiers) {
  EXPECT_EQ(LoadString(IDS_DUPLICATE_CAPTION), "Doppelter Eintrag");
  EXPECT_EQ(LoadString(IDS_TRANSACTION_FILTER).substr(0, 24), "Merisk Protokolldateien|");
  EXPECT_EQ(LoadString(4711), "");
}

TEST(FormatMessage, PositionalPlaceholdersWithTypes) {
  EXPECT_EQ(FormatMessage(LoadString(IDS_FILE_ALREADY_IN_ALBUM), {std::string("urlaub\\a.jpg")}),
            "Die Datei urlaub\\a.jpg ist bereits in der Datenbank abgelegt!");
  EXPECT_EQ(FormatMessage(LoadString(IDS_FILES_ADDED), {0LL}), "0 Dateien hinzugefügt.");
  EXPECT_EQ(FormatMessage("%2!i! von %1!i!", {10LL, 3LL}), "3 von 10");
  EXPECT_EQ(FormatMessage("%1 / %1!s!", {std::string("x")}), "x / x");
  EXPECT_EQ(FormatMessage("%1!.2lf! mm", {2.5}), "2.50 mm");
  EXPECT_EQ(FormatMessage("100%% %1!u!", {7LL}), "100% 7");
}

TEST(FormatMessage, MissingArgumentsAndStrayPercentSigns) {
  EXPECT_EQ(FormatMessage("a %3 b", {1LL}), "a  b");
  EXPECT_EQ(FormatMessage("50% sicher %", {}), "50% sicher %");
  EXPECT_EQ(FormatMessage("%1!s", {std::string("x")}), "x!s");
}

}  // namespace
}  // namespace kolvaro
