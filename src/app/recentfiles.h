#pragma once
// The recent-file list: the four albums used last, kept in the settings
// section "Recent File List" as File1 ... File4.

#include <string>
#include <vector>

#include "core/ports/settings.h"

namespace kolvaro {

class CRecentFileList {
 public:
  static constexpr int kSize = 4;

  explicit CRecentFileList(ISettings& settings) : m_settings(settings) {}

  void ReadList();
  void WriteList();
  /// Puts the path first (moving it up when it is listed already) and keeps four.
  void Add(const std::string& path);
  void Remove(int index);
  const std::vector<std::string>& Files() const { return m_files; }

 private:
  ISettings& m_settings;
  std::vector<std::string> m_files;
};

}  // namespace kolvaro
