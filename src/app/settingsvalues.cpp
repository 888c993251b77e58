#include "app/settingsvalues.h"

#include <charconv>

#include "res/strings.h"

namespace kolvaro {
SettingsValues ReadSettingsValues(ISettings& settings) {
  SettingsValues v;
  using S = ProgramSettings;
  v.askOverwriteDelete = S::IsOn(settings, S::kAskOverwriteDelete);
  v.slideshowPause = S::Get(settings, S::kSlideshowPause);
  v.collaboration = S::IsOn(settings, S::kCollaboration);
  v.headlineOption = S::Get(settings, S::kHeadlineOption);
  v.relativePath = S::IsOn(settings, S::kRelativePath);
  return v;
}

void WriteSettingsValues(ISettings& settings, const SettingsValues& v) {
  using S = ProgramSettings;
  S::Set(settings, S::kAskOverwriteDelete, v.askOverwriteDelete ? 1 : 0);
  S::Set(settings, S::kSlideshowPause, v.slideshowPause);
  S::Set(settings, S::kCollaboration, v.collaboration ? 1 : 0);
  S::Set(settings, S::kHeadlineOption, CaptionOrderPosition(v.headlineOption));
  S::Set(settings, S::kRelativePath, v.relativePath ? 1 : 0);
}

int CaptionOrderPosition(std::int32_t stored) {
  return stored >= 0 && stored < SettingsValues::kCaptionOrders ? stored : -1;
}

PauseCheck CheckPause(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  // Too many digits for any integer is still a number, only out of range.
  long long value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || end != text.data() + text.size() || (ec != std::errc() && ec != std::errc::result_out_of_range))
    return {0, std::string(LoadString(IDS_PARSE_INT))};
  if (ec == std::errc::result_out_of_range || value < ProgramSettings::kShortestPause ||
      value > ProgramSettings::kLongestPause)
    return {0, FormatMessage(LoadString(IDS_PARSE_INT_RANGE),
                             {static_cast<long long>(ProgramSettings::kShortestPause),
                              static_cast<long long>(ProgramSettings::kLongestPause)})};
  return {static_cast<std::int32_t>(value), {}};
}

}  // namespace kolvaro
