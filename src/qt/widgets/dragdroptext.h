#pragma once
// The text a drag-and-drop list carries: one "%lu\t%s\n" line per entry, the
// entry's item value in decimal, a tab, its text. Standard library only, so
// the rules can be checked without a display.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kolvaro {

struct DragEntry {
  std::uint32_t value = 0;
  std::string text;  ///< UTF-8
  bool operator==(const DragEntry&) const = default;
};

/// One line per entry, in the given order. A line break inside an entry's
/// text becomes a space: it would split the line and make a second entry of
/// its rest.
std::string FormatDragText(const std::vector<DragEntry>& entries);

/// The drop handler's reading of a text:
/// - the text is split at line feeds; text after the last line feed is ignored;
/// - a CR right before a line feed belongs to the line end (CR LF texts read
///   as LF texts), any other CR is kept;
/// - a line that is empty or has no tab is skipped;
/// - the part before the first tab must be an unsigned decimal number of at
///   most 2^32 - 1, digits only; a line with anything else there (a sign,
///   a space, a letter, nothing, a larger number) is skipped whole, since an
///   entry whose value is guessed could name the wrong record;
/// - the part after the first tab is the entry's text, further tabs included.
std::vector<DragEntry> ParseDropText(std::string_view text);

/// Whether a pointer moved (dx, dy) from the press point has left the drag
/// threshold: a square centred on the press point whose half side is half
/// the list's item height (integer division). Its edge still counts as inside.
bool OutsideDragThreshold(int dx, int dy, int itemHeight);

}  // namespace kolvaro
