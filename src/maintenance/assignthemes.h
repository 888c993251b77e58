#pragma once
// Giving the current picture its themes: which themes it has, which it could
// get, and what OK writes. The dialog moves entries between its two lists.

#include <cstdint>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "maintenance/managelist.h"

namespace kolvaro {

/// The album's themes split by whether `picture` has them, in table order.
struct ThemeSplit {
  std::vector<NameEntry> assigned;
  std::vector<NameEntry> available;
};
ThemeSplit SplitThemes(const CThemenEx& themes, const CThemenDerBilderEx& links,
                       std::int32_t picture);

/// The guard of the assign-themes operation: a selection, a current picture
/// and a stored path for it; otherwise the operation does nothing.
bool CanAssignThemes(const CMeriskDoc& doc);

/// "neu ...": a theme under the next free id, assigned to no picture; it
/// stays even when the dialog is cancelled.
std::int32_t AddNewTheme(CMeriskDoc& doc, const std::string& name);

/// OK: links each assigned theme to the current picture, top to bottom, then
/// unlinks each available one. Every theme gets its record, changed or not,
/// so that another editor's copy ends with exactly this assignment.
void WriteThemeAssignment(CMeriskDoc& doc, const std::vector<std::int32_t>& assigned,
                          const std::vector<std::int32_t>& available);

}  // namespace kolvaro
