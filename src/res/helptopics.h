#pragma once
// Which help page belongs to which window, control and command. Help
// requests carry context numbers as the help file's map knows them: a
// window's resource id plus 0x20000, a control's id plus 0x40000, a
// command's id plus 0x10000.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kolvaro {

inline constexpr std::uint32_t kHelpCommandBase = 0x10000;
inline constexpr std::uint32_t kHelpDialogBase = 0x20000;
inline constexpr std::uint32_t kHelpControlBase = 0x40000;

/// The program's windows and dialogs by resource id.
enum DialogId : int {
  IDD_ABOUTBOX = 100,
  IDD_SELECT_VIEW = 101,
  IDR_MAINFRAME = 128,
  IDD_PERSONS_ON_PICTURE = 132,
  IDD_IMAGE_DESCRIPTION = 133,
  IDD_ASSIGN_THEMES = 134,
  IDD_DELETE_PICTURE = 140,
  IDD_INPUT = 141,
  IDD_MANAGE_LIST = 142,
  IDD_PICTURE_WND = 146,
  IDD_STORAGE_OPTIONS = 147,
  IDD_PAGE_LAYOUT = 155,
  IDD_CAMERA_IMPORT = 156,
  IDD_ALBUM_INFO = 157,
  IDD_SETTINGS = 158,
  IDD_REPLACE_PATHS = 160,
  IDD_SPECIAL_SELECT = 163,
  // Dialogs of Kolvaro's own, without an id of old.
  IDD_XMP_EXPORT = 170,
  IDD_XMP_IMPORT = 171,
};

/// The table of contents, relative to the help folder.
inline constexpr std::string_view kHelpContents = "index.html";

struct HelpWindow {
  int dialog;
  /// The window's object name (from its form) or its class name.
  std::string_view names[2];
  /// Relative to the help folder, maybe with "#anchor".
  std::string_view page;
};

/// Every window and dialog of the program with its page.
std::span<const HelpWindow> HelpWindows();

/// The dialog id of a window, by its object name or class name; 0 when unknown.
int HelpDialogOf(std::string_view objectName, std::string_view className);

/// The control id of a control of `dialog`, by its object name; 0 when it has no topic.
int HelpControlOf(int dialog, std::string_view objectName);

/// The page of a context number; control numbers need their dialog, since
/// the same control id means different things in different dialogs. Empty
/// when the number has no page.
std::string_view HelpPageForContext(std::uint32_t context, int dialog = 0);

/// One widget on the way from the one asked about up to its top window.
struct HelpWidget {
  std::string_view objectName;
  std::string_view className;
};

/// The page for a help request about `chain` (the widget asked about first,
/// then its parents, across windows): the topic of the running `command`
/// when it has one, else of the nearest control that has a topic in its
/// dialog, else of the nearest dialog or window, else the table of contents.
std::string HelpPageFor(std::span<const HelpWidget> chain, int command = 0);

/// A page address from a link or an album as a page inside the help folder:
/// "html/x.html#a". Leading '/' and "./" are dropped. Nothing for an address
/// that could leave the folder ("..", a scheme, a backslash) or names no page.
std::optional<std::string> NormalizeHelpPage(std::string_view page);

}  // namespace kolvaro
