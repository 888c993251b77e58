#pragma once
// Conversions between the UTF-8 strings Kolvaro keeps in memory and the
// Windows code page 1252 that album and transaction files use.

#include <cstdint>
#include <string>
#include <string_view>

namespace kolvaro {

/// Appends the code page 1252 form of `utf8` to `out`. Returns false (and
/// leaves `out` unspecified) when a character has no code page 1252 form or
/// the text is not valid UTF-8.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);

/// True when every character of `utf8` has a code page 1252 form.
bool IsCp1252Representable(std::string_view utf8);

/// Appends the UTF-8 form of the code page 1252 bytes to `out`. The five
/// bytes 1252 leaves undefined (81 8D 8F 90 9D) map to U+0081 … as Windows does.
void Cp1252ToUtf8(std::string_view cp1252, std::string& out);
std::string Cp1252ToUtf8(std::string_view cp1252);

/// UTF-16 code units (host order) to UTF-8; unpaired surrogates become U+FFFD.
void Utf16ToUtf8(const char16_t* text, std::size_t count, std::string& out);
/// UTF-8 to UTF-16 code units; invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);

/// Decodes one UTF-8 code point at `pos` and advances it; invalid bytes give
/// U+FFFD and advance by one.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos);
void AppendUtf8(char32_t cp, std::string& out);

/// Lower case of a code point for the letters of code page 1252
/// (A–Z, À–Þ without ×, Š, Œ, Ž, Ÿ); every other code point is returned as is.
char32_t LowerCp1252(char32_t cp);

/// Lower-cases the code page 1252 letters of a UTF-8 string.
std::string LowerCp1252(std::string_view utf8);

/// Case-insensitive equality in the sense of LowerCp1252.
bool EqualsNoCaseCp1252(std::string_view a, std::string_view b);

/// Three-way comparison of two UTF-8 strings by the bytes of their
/// code page 1252 form (characters outside 1252 sort after all of it,
/// by code point).
int CompareCp1252(std::string_view a, std::string_view b);

}  // namespace kolvaro
