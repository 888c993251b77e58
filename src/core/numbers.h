#pragma once
// Numbers in Kolvaro's data formats (album, transaction files, XMP, JSON,
// desktop entries) always use a decimal point. The desktop program runs with
// the user's locale, and the C library's conversions follow LC_NUMERIC once
// Qt has set it, so a German session would write "0,5". Every floating-point
// conversion of a data format goes through here; a source rule holds the
// rest of the tree to it.

#include <cstdint>
#include <string>
#include <string_view>

namespace kolvaro {

/// Appends `value` with `decimals` digits after the point, as "%.*f" does in
/// the C locale.
void AppendFixed(double value, int decimals, std::string& out);
std::string FixedText(double value, int decimals);

/// Appends a number as "%f" writes it (six decimals, point).
inline void AppendFixed6(double value, std::string& out) { AppendFixed(value, 6, out); }

/// `value` with `significant` digits as "%.*g" writes it in the C locale;
/// 17 digits read back as exactly the same double.
std::string GeneralText(double value, int significant);

/// Leading decimal floating-point number as strtod reads it in the C locale:
/// blanks skipped, optional sign, digits up to the first other character;
/// 0 without digits, infinity or 0 beyond the range.
double ParseLeadingDouble(std::string_view text);

/// The whole of `text` (blanks around it allowed) as one finite decimal
/// number with a point. With `acceptComma` a single decimal comma counts as
/// the point ("0,698125"), for files written under a German locale. False,
/// and `value` untouched, for anything else.
bool ParseDecimal(std::string_view text, double& value, bool acceptComma = false);

}  // namespace kolvaro
