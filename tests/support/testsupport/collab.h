#pragma once
// Pieces of the collaboration tests: the transaction files in a folder, and
// lines ended as the writer ends them.

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kolvaro::test {

/// The transaction files in a folder, sorted by name.
inline std::vector<std::string> ListLogs(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("mrklog", 0) == 0 && name.size() > 10 &&
        name.compare(name.size() - 4, 4, ".xml") == 0)
      found.push_back(e.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

/// Lines joined with CR LF, the way the writer ends them.
inline std::string CrLf(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (const auto l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

}  // namespace kolvaro::test
