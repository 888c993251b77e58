#include "app/recentfiles.h"

#include <algorithm>

namespace kolvaro {
namespace {
constexpr const char* kSection = "Recent File List";
std::string EntryName(int i) { return "File" + std::to_string(i + 1); }
}  // namespace

void CRecentFileList::ReadList() {
  m_files.clear();
  for (int i = 0; i < kSize; ++i) {
    std::string path = m_settings.GetString(kSection, EntryName(i), "");
    if (!path.empty()) m_files.push_back(std::move(path));
  }
}

void CRecentFileList::WriteList() {
  for (int i = 0; i < kSize; ++i)
    m_settings.SetString(kSection, EntryName(i),
                         i < static_cast<int>(m_files.size()) ? m_files[static_cast<std::size_t>(i)] : "");
}

void CRecentFileList::Add(const std::string& path) {
  m_files.erase(std::remove(m_files.begin(), m_files.end(), path), m_files.end());
  m_files.insert(m_files.begin(), path);
  if (m_files.size() > kSize) m_files.resize(kSize);
  WriteList();
}

void CRecentFileList::Remove(int index) {
  if (index < 0 || index >= static_cast<int>(m_files.size())) return;
  m_files.erase(m_files.begin() + index);
  WriteList();
}

}  // namespace kolvaro
