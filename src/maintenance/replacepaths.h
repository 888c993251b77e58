#pragma once
// Rewriting the beginning of stored picture paths (ID_CHANGE_PATHS), for an
// album whose pictures moved, for example to another disk.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/meriskdoc.h"
#include "core/paths.h"

namespace kolvaro {

/// The stored name `stored` with its beginning `search` replaced, or nothing
/// when it does not begin with `search` (compared with case). In the POSIX
/// style the user may type '/' or '\' in a search text that is not a POSIX
/// absolute path (stored relative and Windows names use '\'), and the new
/// name gets the separators of its kind: '/' throughout when it begins with
/// '/', '\' otherwise, so a Windows album moved here resolves whole.
std::optional<std::string> ReplacedPath(PathStyle style, std::string_view stored,
                                        std::string_view search, std::string_view replacement);

/// Rewrites every stored path that begins with `search`, in table order,
/// keeping change dates and writing no record; returns how many changed.
/// An empty `search` matches nothing. A picture whose new name would not be
/// UTF-8 (the album could not keep it) or would be another picture's name
/// keeps its old one; `refused` gets a German sentence for each.
std::size_t ReplacePaths(CMeriskDoc& doc, const std::string& search, const std::string& replacement,
                         std::vector<std::string>* refused = nullptr);

}  // namespace kolvaro
