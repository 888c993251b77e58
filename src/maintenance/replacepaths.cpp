#include "maintenance/replacepaths.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "res/strings.h"

namespace kolvaro {
namespace {

std::string WithSeparator(std::string text, char from, char to) {
  std::replace(text.begin(), text.end(), from, to);
  return text;
}

}  // namespace

std::optional<std::string> ReplacedPath(PathStyle style, std::string_view stored,
                                        std::string_view search, std::string_view replacement) {
  // An empty beginning would match every name and rewrite the separators of all.
  if (search.empty()) return std::nullopt;
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

std::size_t ReplacePaths(CMeriskDoc& doc, const std::string& search, const std::string& replacement,
                         std::vector<std::string>* refused) {
  const PathStyle style = doc.GetPathStyle();
  // Windows names are one name whatever their case.
  auto key = [style](std::string name) {
    if (style == PathStyle::Windows)
      for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return name;
  };
  struct Name {
    std::int32_t id;
    const std::string* old;
    std::string now;
    bool changes;
  };
  std::vector<Name> all;
  const CBilderEx& pictures = doc.Pictures();
  for (POSITION pos = pictures.GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id;
    const PictureEntry& e = pictures.GetNextRef(pos, id);
    Name n{id, &e.filename,
           ReplacedPath(style, e.filename, search, replacement).value_or(e.filename), false};
    n.changes = n.now != e.filename;
    if (n.changes && !IsValidUtf8(n.now)) {
      if (refused)
        refused->push_back(FormatMessage(LoadString(IDS_RELOCATE_NOT_UTF8),
                                         {PrintableName(e.filename), PrintableName(n.now)}));
      n.changes = false;
    }
    all.push_back(std::move(n));
  }
  // Two pictures of one name would be one file: a new name that meets
  // another is refused, until no picture keeping its old name meets one.
  for (bool again = true; again;) {
    std::map<std::string, int> count;
    for (const Name& n : all) ++count[key(n.changes ? n.now : *n.old)];
    again = false;
    for (Name& n : all) {
      if (!n.changes || count[key(n.now)] < 2) continue;
      if (refused)
        refused->push_back(FormatMessage(LoadString(IDS_RELOCATE_SHARED_NAME),
                                         {PrintableName(*n.old), PrintableName(n.now)}));
      n.changes = false;
      again = true;
    }
  }
  std::vector<std::pair<std::int32_t, std::string>> changed;
  for (Name& n : all)
    if (n.changes) changed.emplace_back(n.id, std::move(n.now));
  doc.SetStoredNames(changed);
  return changed.size();
}

}  // namespace kolvaro
