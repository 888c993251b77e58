#pragma once
// The five program settings that "Einstellungen" edits, read from and written
// to the store, and the check of the slideshow pause as typed.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ports/settings.h"

namespace kolvaro {

struct SettingsValues {
  bool askOverwriteDelete = true;
  std::int32_t slideshowPause = ProgramSettings::kSlideshowPause.fallback;  // milliseconds
  bool collaboration = false;
  /// The caption order's list position; -1 (or anything outside 0..5)
  /// shows the list without a selection.
  std::int32_t headlineOption = 0;
  bool relativePath = false;

  static constexpr int kCaptionOrders = 6;
};

/// Any non-zero flag reads as set.
SettingsValues ReadSettingsValues(ISettings& settings);
/// Flags as 0 or 1; a caption order outside the list as -1.
void WriteSettingsValues(ISettings& settings, const SettingsValues& values);

/// The list position shown for a stored caption order: -1 outside 0..5.
int CaptionOrderPosition(std::int32_t stored);

struct PauseCheck {
  std::int32_t pause = 0;
  /// Empty when the text is a pause within 250 ... 3600000; otherwise the
  /// framework's message to show.
  std::string error;
};
/// The pause as typed in the edit.
PauseCheck CheckPause(std::string_view text);

}  // namespace kolvaro
