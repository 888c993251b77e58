#pragma once
// The keys the selection orders pictures by, for code that keeps a
// selection's order up to date without rebuilding it.

#include <cstdint>
#include <string>
#include <string_view>

namespace kolvaro {

/// The capture date's place on the date order as an integer; false for a
/// date that is not a number, which the date order places by its own rule.
bool SelectionDateKey(double value, std::uint64_t& key);

/// Appends the file name's key for the name order: byte strings compare as
/// the names do.
void AppendSelectionNameKey(std::string_view name, std::string& out);

}  // namespace kolvaro
