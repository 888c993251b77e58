#pragma once
// Command routing between the main window and its panes: a command goes to
// the active pane first, then to the frame and the application, and finally
// to every other pane of the document.

#include <string>

namespace kolvaro {

/// What a command's menu item and toolbar button show.
struct CmdState {
  bool enabled = true;
  bool checked = false;
  std::string text;  // a new menu text; empty keeps the text
};

class ICommandTarget {
 public:
  virtual ~ICommandTarget() = default;
  /// Runs the command; false when this target does not handle it.
  virtual bool OnCommand(int id) = 0;
  /// Sets the command's state; false when this target does not handle it.
  virtual bool OnUpdateCommand(int id, CmdState& state) {
    (void)id;
    (void)state;
    return false;
  }
};

}  // namespace kolvaro
