#pragma once
// Kolvaro's German string table: every user-visible text by its identifier.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kolvaro {

/// String identifiers.
enum StringId : int {
  IDS_PICTURE_FILTER = 129,            // filter of the add-pictures open dialog
  IDS_TRANSACTION_FILTER = 132,        // filter of the transaction-file open dialog
  IDS_PERSON_IMPORT_FILTER = 133,      // filter of the person-import open dialog
  IDS_DUPLICATE_CAPTION = 1037,        // "Doppelter Eintrag"
  IDS_FILE_ALREADY_IN_ALBUM = 1049,    // %1!s! = stored path
  IDS_FILES_ADDED = 1050,              // %1!li! = count
  IDS_COLLABORATION_MENU = 1051,       // "&Zusammenarbeit"
  IDS_TRANSACTION_DAMAGED = 1052,      // nothing applied
  IDS_TRANSACTION_DISCARD = 1053,      // applied records must be discarded
  IDS_SAVE_CHANGES = 61699,            // framework: "Änderungen in %1 speichern?"
  IDS_UNEXPECTED_FORMAT = 61728,       // framework: "Unerwartetes Dateiformat."
};

/// The text of a string identifier; "" for an unknown one.
std::string_view LoadString(int id);

/// The application title, the caption of message boxes without their own.
inline constexpr std::string_view kAppTitle = "Merisk";

/// An argument of FormatMessage: a number or a text.
using MessageArg = std::variant<long long, double, std::string>;

/// Formats a text with positional placeholders as Windows' FormatMessage
/// does: "%1", "%1!s!", "%1!i!", "%2!li!", "%1!.2lf!"; "%%" is a percent sign.
std::string FormatMessage(std::string_view format, const std::vector<MessageArg>& args);

}  // namespace kolvaro
