#pragma once
// The transaction file's lines and values, shared by the writer and the
// import: tags, the escaping of values, and the number conversions.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/numbers.h"

namespace kolvaro {

inline constexpr std::string_view kTransactionRootOpen = "<merisk-transaction-file>";
inline constexpr std::string_view kTransactionRootClose = "</merisk-transaction-file>";

/// Longest line (without its line end) the import accepts, and the longest
/// the writer writes: it refuses a record with a longer line, so whatever it
/// writes can be read back. The import holds at most one such line, and
/// only as much of it as the file really holds.
inline constexpr std::size_t kMaxTransactionLine = std::size_t{256} << 20;

/// The record kinds, in the order the import compares opening lines.
enum class TransactionRecord {
  AddUpdatePicture,
  AddUpdatePerson,
  AddUpdatePersonOnPicture,
  AddUpdateTheme,
  AddUpdateThemeOfPicture,
  RemovePerson,
  RemovePicture,
  RemovePersonOnPicture,
  RemoveTheme,
  RemoveThemeOfPicture,
};

/// Element name of a record kind, e.g. "add-update-picture".
std::string_view TransactionRecordTag(TransactionRecord kind);

/// Appends the file form of a UTF-8 value: code page 1252, with line feed,
/// carriage return and every character outside code page 1252 written as a
/// decimal character reference ("&#10;", "&#321;"), and a literal "&#" as
/// "&#38;#", so that a value always stays on its line and nothing is lost.
void EncodeTransactionValue(std::string_view utf8, std::string& out);

/// The UTF-8 value of a value's file form: code page 1252 with the
/// character references above decoded. A reference that names no character
/// stays as it is.
std::string DecodeTransactionValue(std::string_view cp1252);
/// The same into `out`, reusing its storage.
void DecodeTransactionValue(std::string_view cp1252, std::string& out);

/// Leading decimal integer as atol reads it: blanks skipped, optional sign,
/// digits up to the first other character; 0 without digits. Values beyond
/// the 32-bit range are clamped to it.
std::int32_t ParseLeadingInt(std::string_view text);

}  // namespace kolvaro
