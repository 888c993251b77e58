#pragma once
// The main menu, its accelerator table and the toolbar as data. The desktop
// program builds its menu bar from this, leaving out commands it does not
// offer (yet).

#include <string_view>
#include <vector>

namespace kolvaro {

struct MenuEntry {
  enum Kind { Command, Separator, Popup, RecentFiles };
  Kind kind = Command;
  int command = 0;              // Command only
  std::string_view text;        // menu text with '&' mnemonic and "\t" accelerator hint
  std::vector<MenuEntry> items; // Popup only
};

/// The top-level popups of the main menu, in order.
const std::vector<MenuEntry>& MainMenu();

struct Accelerator {
  std::string_view keys;  // in QKeySequence's portable form, e.g. "Ctrl+Shift+A"
  int command;
};

/// The main accelerator table.
const std::vector<Accelerator>& MainAccelerators();

/// The toolbar: command ids in order, 0 for a separator.
const std::vector<int>& MainToolbar();

/// The resource path (":/icons/....svg") of a command's toolbar icon; "" when it has none.
std::string_view CommandIcon(int command);

}  // namespace kolvaro
