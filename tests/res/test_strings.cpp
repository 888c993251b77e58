#include <gtest/gtest.h>

#include "res/strings.h"

#include <cerrno>
#include <string>
#include <vector>

#include "res/commands.h"

namespace kolvaro {
namespace {

TEST(StringTable, KnownAndUnknownIdentifiers) {
  EXPECT_EQ(LoadString(IDS_DUPLICATE_CAPTION), "Doppelter Eintrag");
  EXPECT_EQ(LoadString(IDS_TRANSACTION_FILTER).substr(0, 24), "Merisk Protokolldateien|");
  EXPECT_EQ(LoadString(4711), "");
}

// Splits a list-valued string ("a\nb\n") into its entries as the list
// controls read it: every piece ended by a line break.
std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (auto end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return lines;
}

TEST(StringTable, ListValuedStrings) {
  EXPECT_EQ(Lines(LoadString(IDS_SORT_KEYS)),
            (std::vector<std::string>{"<keine>", "Datum", "Größe", "Dateiname"}));
  const auto presets = Lines(LoadString(IDS_LAYOUT_PRESETS));
  ASSERT_EQ(presets.size(), 10u);
  EXPECT_EQ(presets.front(), "--- bitte Auswählen ---");
  EXPECT_EQ(presets[5], "1/2 Seite rchts");
  EXPECT_EQ(presets.back(), "1/4 Seite unten rechts");
  // The document template: title, new name, file-new name, filter, extension,
  // file type, file type name; the last one has no line break after it.
  const std::string tmpl(LoadString(IDS_DOC_TEMPLATE));
  const auto fields = Lines(tmpl + "\n");
  ASSERT_EQ(fields.size(), 7u);
  EXPECT_EQ(fields[1], "Leeres Kolvaroalbum");
  EXPECT_EQ(fields[3], "Kolvaro-Album Dateien (*.kvo)");
  EXPECT_EQ(fields[4], ".kvo");
  EXPECT_EQ(fields[6], "Kolvaro File");
  EXPECT_EQ(LoadString(IDS_APP_TITLE), kAppTitle);
}

TEST(StringTable, MessagesWithPlaceholders) {
  EXPECT_EQ(FormatMessage(LoadString(IDS_PICTURES_FOUND), {12LL}), "12 Bilder gefunden");
  // The names come with their own line breaks; the text adds none after them.
  EXPECT_EQ(FormatMessage(LoadString(IDS_REMOVE_PERSONS), {std::string("Anna\nBernd\n")}),
            "Möchten Sie\nAnna\nBernd\nvon diesem Bild steichen?");
  EXPECT_EQ(FormatMessage(LoadString(IDS_DELETE_ENTRIES), {std::string("Urlaub\n")}),
            "Möchten Sie\n\nUrlaub\n\nwirklich endgültig aus der Datenbank entfernen?");
  EXPECT_EQ(FormatMessage(LoadString(IDS_PARSE_INT_RANGE), {250LL, 3600000LL}),
            "Geben Sie eine ganze Zahl zwischen 250 und 3600000 ein.");
  EXPECT_EQ(FormatMessage(LoadString(IDS_SAVE_CHANGES), {std::string("Reise.kvo")}),
            "Änderungen in Reise.kvo speichern?");
  EXPECT_EQ(FormatMessage(LoadString(IDS_FILE_NOT_ACCESSIBLE), {std::string()}),
            "Auf die Datei  kann nicht zugegriffen werden!");
}

// Every errno the messages name has its own cause; anything else is left to
// the system's text.
TEST(FileFailure, ErrnoValuesMapToCausesWithText) {
  const struct {
    int error;
    FileFailure failure;
  } cases[] = {{ENOENT, FileFailure::kNotFound},      {EPERM, FileFailure::kAccessDenied},
               {EACCES, FileFailure::kAccessDenied},  {EDQUOT, FileFailure::kQuotaExhausted},
               {EROFS, FileFailure::kReadOnly},       {ENOTDIR, FileFailure::kNotAFolder},
               {ENFILE, FileFailure::kTooManyOpenFiles}, {EAGAIN, FileFailure::kOther}};
  for (const auto& c : cases) EXPECT_EQ(FileFailureOf(c.error), c.failure) << c.error;
  EXPECT_EQ(FileFailureText(FileFailure::kNotFound), "Die Datei oder der Ordner wurde nicht gefunden.");
  EXPECT_EQ(FileFailureText(FileFailure::kTooManyOpenFiles), "Es sind zu viele Dateien geöffnet.");
  EXPECT_EQ(FileFailureText(FileFailure::kOther), "");
}

TEST(CommandStrings, PromptAndTooltipSplitting) {
  EXPECT_EQ(StatusPrompt(ID_ADD_PICTURES),
            "Bietet die Möglichkeit, ein oder mehrere Bilder aus einem Verzeichnis in die Datenbank aufzunehmen");
  EXPECT_EQ(ToolTip(ID_ADD_PICTURES), "Bilder hinzufügen");
  // A third part is neither prompt nor tooltip.
  EXPECT_EQ(StatusPrompt(ID_MANAGE_THEMES), "Themen eingeben, umbenenen, löschen");
  EXPECT_EQ(ToolTip(ID_MANAGE_THEMES), "Themen");
  // Without a line break the whole text is the prompt and there is no tooltip.
  EXPECT_EQ(StatusPrompt(ID_CHANGE_PATHS), "Ändert absolute Pfadangaben.");
  EXPECT_EQ(ToolTip(ID_CHANGE_PATHS), "");
  EXPECT_EQ(StatusPrompt(4711), "");
  EXPECT_EQ(ToolTip(4711), "");
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
