#include "maintenance/replacepaths.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kolvaro {
namespace {

std::string WithSeparator(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

}  // namespace

std::optional<std::string> ReplacedPath(PathStyle style, std::string_view stored,
                                        std::string_view search, std::string_view replacement) {
  if (style == PathStyle::Windows) {
    if (!stored.starts_with(search)) return std::nullopt;
    std::string result(replacement);
    result += stored.substr(search.size());
    return result;
  }
  const bool posixSearch = search.starts_with('/');
  const std::string prefix =
      posixSearch ? std::string(search) : WithSeparator(std::string(search), '/', '\\');
  if (!stored.starts_with(prefix)) return std::nullopt;
  // In a POSIX name a backslash is part of a file name; elsewhere it separates.
  const bool literalBackslashes = stored.starts_with('/');
  std::string tail(stored.substr(prefix.size()));
  std::string result(replacement);
  if (result.starts_with('/')) {
    result = WithSeparator(std::move(result), '\\', '/');
    if (!literalBackslashes) tail = WithSeparator(std::move(tail), '\\', '/');
  } else {
    // A relative name separates with backslashes: a file name holding one cannot become one.
    if (literalBackslashes && tail.find('\\') != std::string::npos) return std::nullopt;
    result = WithSeparator(std::move(result), '/', '\\');
    tail = WithSeparator(std::move(tail), '/', '\\');
  }
  return result + tail;
}

std::size_t ReplacePaths(CMeriskDoc& doc, const std::string& search,
                         const std::string& replacement) {
  std::vector<std::pair<std::int32_t, std::string>> changed;
  const CBilderEx& pictures = doc.Pictures();
  for (POSITION pos = pictures.GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id;
    const PictureEntry& e = pictures.GetNextRef(pos, id);
    std::optional<std::string> name =
        ReplacedPath(doc.GetPathStyle(), e.filename, search, replacement);
    // An empty search and replacement match everything and change nothing.
    if (name && *name != e.filename) changed.emplace_back(id, std::move(*name));
  }
  doc.SetStoredNames(changed);
  return changed.size();
}

}  // namespace kolvaro
