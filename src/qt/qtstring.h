#pragma once
// Texts cross from the standard-library layers into Qt as UTF-8: album names,
// string-table entries, paths.

#include <QString>
#include <string_view>

namespace kolvaro {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace kolvaro
