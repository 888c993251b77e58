#include "app/settingsvalues.h"

#include <charconv>

#include "res/strings.h"

namespace kolvaro {
namespace {

constexpr const char* kSection = "Settings";

}  // namespace

SettingsValues ReadSettingsValues(ISettings& settings) {
  SettingsValues v;
  v.askOverwriteDelete = settings.GetInt(kSection, "AskOverwriteDelete", 1) != 0;
  v.slideshowPause = settings.GetInt(kSection, "Diashow", 2500);
  v.collaboration = settings.GetInt(kSection, "Zusammenarbeit", 0) != 0;
  v.headlineOption = settings.GetInt(kSection, "HeadlineOption", 0);
  v.relativePath = settings.GetInt(kSection, "RelativePath", 0) != 0;
  return v;
}

void WriteSettingsValues(ISettings& settings, const SettingsValues& v) {
  settings.SetInt(kSection, "AskOverwriteDelete", v.askOverwriteDelete ? 1 : 0);
  settings.SetInt(kSection, "Diashow", v.slideshowPause);
  settings.SetInt(kSection, "Zusammenarbeit", v.collaboration ? 1 : 0);
  settings.SetInt(kSection, "HeadlineOption", CaptionOrderPosition(v.headlineOption));
  settings.SetInt(kSection, "RelativePath", v.relativePath ? 1 : 0);
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
  if (ec == std::errc::result_out_of_range || value < SettingsValues::kMinPause || value > SettingsValues::kMaxPause)
    return {0, FormatMessage(LoadString(IDS_PARSE_INT_RANGE),
                             {static_cast<long long>(SettingsValues::kMinPause),
                              static_cast<long long>(SettingsValues::kMaxPause)})};
  return {static_cast<std::int32_t>(value), {}};
}

}  // namespace kolvaro
