// Feeds arbitrary text as a help page address, as an album's update URL or a
// link may name one: whatever comes back must stay inside the help folder.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "res/helptopics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto page = kolvaro::NormalizeHelpPage(input);
  if (!page) return 0;
  const std::string_view path = std::string_view(*page).substr(0, page->find('#'));
  if (path.empty() || path.front() == '/' || path.find_first_of(":\\") != std::string_view::npos) __builtin_trap();
  // No component may climb out of the folder.
  for (std::size_t at = 0; at <= path.size();) {
    const std::size_t end = std::min(path.find('/', at), path.size());
    const std::string_view part = path.substr(at, end - at);
    if (part.empty() || part == "." || part == "..") __builtin_trap();
    at = end + 1;
  }
  return 0;
}
