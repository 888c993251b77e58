#include "qt/widgets/dragdroptext.h"

#include <cstdlib>

namespace kolvaro {
namespace {

bool ParseValue(std::string_view digits, std::uint32_t& value) {
  if (digits.empty()) return false;
  std::uint64_t v = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
    if (v > UINT32_MAX) return false;  // also stops before 64 bits could wrap
  }
  value = static_cast<std::uint32_t>(v);
  return true;
}

}  // namespace

std::string FormatDragText(const std::vector<DragEntry>& entries) {
  std::string out;
  for (const DragEntry& e : entries) {
    out += std::to_string(e.value);
    out += '\t';
    for (const char c : e.text) out += (c == '\n' || c == '\r') ? ' ' : c;
    out += '\n';
  }
  return out;
}

std::vector<DragEntry> ParseDropText(std::string_view text) {
  std::vector<DragEntry> entries;
  for (std::size_t lf = text.find('\n'); lf != std::string_view::npos; lf = text.find('\n')) {
    std::string_view line = text.substr(0, lf);
    text.remove_prefix(lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t tab = line.find('\t');
    DragEntry entry;
    if (tab == std::string_view::npos || !ParseValue(line.substr(0, tab), entry.value)) continue;
    entry.text = line.substr(tab + 1);
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool OutsideDragThreshold(int dx, int dy, int itemHeight) {
  const int half = itemHeight / 2;
  return std::abs(dx) > half || std::abs(dy) > half;
}

}  // namespace kolvaro
