#pragma once
// Picture paths in their stored form and back. Two styles: Windows (drive
// letters, '\', directory part lower-cased) and POSIX (no drive, '/', case
// kept, since lower-casing would lose pictures on a case-sensitive file
// system). Stored relative names always use '\' as separator.

#include <string>
#include <string_view>

namespace kolvaro {

enum class PathStyle { Windows, Posix };

struct SplitPathResult {
  std::string drive;  ///< "C:" or ""
  std::string dir;    ///< with its trailing separator, or ""
  std::string name;   ///< file name without extension
  std::string ext;    ///< ".jpg" or ""
};

SplitPathResult SplitPath(PathStyle style, std::string_view path);

/// The stored form of the absolute picture path `path` relative to the base
/// folder `base` (which ends with its separator).
std::string MakeStoredPath(PathStyle style, std::string_view path, std::string_view base);

/// The absolute path of a stored name: relative names are appended to `base`.
std::string ResolveStoredPath(PathStyle style, std::string_view base, std::string_view stored);

/// True when a stored name is absolute (begins with '/' or has the drive form "X:").
bool IsAbsoluteStoredName(PathStyle style, std::string_view stored);

/// Drive and directory of a file path, with the trailing separator.
std::string FolderOfPath(PathStyle style, std::string_view path);

/// The folder in its stored form (':' as '|'; Windows also '/' as '\').
std::string ToStoredFolder(PathStyle style, std::string_view folder);
/// The folder from its stored form; a POSIX folder gets a trailing '/'.
std::string FromStoredFolder(PathStyle style, std::string_view stored);

/// Removes "." and ".." steps; false when the result would be too long for
/// the style (260 characters on Windows, 4096 on POSIX).
bool Canonicalize(PathStyle style, std::string_view path, std::string& out);

}  // namespace kolvaro
