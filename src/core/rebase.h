#pragma once
// Saving an album moves its pictures' stored names onto the base folder it
// is saved with, so that no picture is lost when the album changes folder.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/paths.h"
#include "core/tables.h"

namespace kolvaro {

/// The name under which a picture stored as `filename` is saved. Relative
/// names are read against `oldBase` (the folder they were stored for; ""
/// for none). With storage mode 0 the name becomes relative to `newBase`
/// where it can; with any other mode it becomes the full canonical path,
/// or stays as it is when that cannot be made.
std::string RebasedName(PathStyle style, std::int32_t storageMode, const std::string& oldBase,
                        const std::string& newBase, const std::string& filename);

/// RebasedName for every picture of the table, each folder worked out once;
/// only the pictures whose name changes, with their new names, in table order.
std::vector<std::pair<std::int32_t, std::string>> RebaseStoredNames(
    PathStyle style, std::int32_t storageMode, const std::string& oldBase,
    const std::string& newBase, const CBilderEx& pictures);

}  // namespace kolvaro
