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
/// folder `base` (which ends with its separator). In the POSIX style both
/// are taken lexically ("." and ".." steps removed, nothing looked up), and
/// a base with a Windows drive (an album written on Windows) gets the
/// Windows rules.
std::string MakeStoredPath(PathStyle style, std::string_view path, std::string_view base);

/// The absolute path of a stored name: relative names are appended to `base`.
/// The POSIX style resolves lexically, so no folder on the way has to exist,
/// and turns the stored '\' into '/'; against a base with a Windows drive it
/// gives the Windows form, which cannot be found here.
std::string ResolveStoredPath(PathStyle style, std::string_view base, std::string_view stored);

/// A stored name as a user of `style` reads it: on POSIX a relative or
/// Windows name shows '/' for its stored '\'. A POSIX absolute name, whose
/// '\' can be part of a file name, shows as stored.
std::string DisplayedStoredName(PathStyle style, std::string_view stored);

/// True when a stored name is absolute. Windows: a ':' in second place. POSIX:
/// it begins with '/' or with a drive "X:\" (a plain "x:y.jpg" is relative).
bool IsAbsoluteStoredName(PathStyle style, std::string_view stored);

/// True when `path` begins with a Windows drive and a separator ("D:\", "D:/").
bool HasWindowsDrive(std::string_view path);

/// True when `text` is valid UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view text);

/// `text` with every byte that is no part of valid UTF-8 shown as "\xHH",
/// for naming a file in a message.
std::string PrintableName(std::string_view text);

/// Why a file cannot be kept under the stored name MakeStoredPath gives it.
enum class StoredNameProblem {
  kNone,
  kNotUtf8,    ///< the name's bytes are not UTF-8; the album would keep U+FFFD
  kBackslash,  ///< a '\' in a POSIX name would read as a folder separator
  kOtherFile,  ///< the name would resolve elsewhere, e.g. a folder "C:" reads as a drive
};

/// Checks that `stored` (MakeStoredPath of `path` against `base`) resolves
/// back to `path` and can be written to the album file unaltered.
StoredNameProblem CheckStoredName(PathStyle style, std::string_view path, std::string_view base,
                                  std::string_view stored);

/// The German message that refuses adding the file `path` for `problem`.
std::string StoredNameProblemText(StoredNameProblem problem, std::string_view path);

/// What stands at a picture's full path, as far as trashing, moving or
/// copying it on the album's behalf goes. Only kRegular may be touched.
enum class PictureFileKind {
  kRegular,  ///< a regular file, reached without a symbolic link at its name
  kMissing,  ///< nothing there
  kNotHere,  ///< no clean absolute path of this computer (a Windows name, "..", relative)
  kFolder,
  kSymlink,  ///< the name is a symbolic link: its target is not what the album names
  kSpecial,  ///< a device, a pipe or a socket
  kUnknown,  ///< its status cannot be read
};

/// Looks at `path` without following a symbolic link at its end; a relative
/// path is never looked up in the working folder.
PictureFileKind ExaminePictureFile(const std::string& path);

/// Whether the file at `path` begins as a picture or video of a kind the
/// program adds (DetectMediaKind); its name does not count.
bool HasPictureContent(const std::string& path);

/// Why a file of that kind is left alone, in German, as a sentence; empty
/// for kRegular and kMissing.
std::string PictureFileRefusal(PictureFileKind kind);

/// Drive and directory of a file path, with the trailing separator.
std::string FolderOfPath(PathStyle style, std::string_view path);

/// The folder in its stored form (':' as '|'; Windows also '/' as '\').
std::string ToStoredFolder(PathStyle style, std::string_view folder);
/// The folder from its stored form; a POSIX folder gets a trailing '/'.
std::string FromStoredFolder(PathStyle style, std::string_view stored);

/// `path` made absolute against the working folder, its "." and ".." steps
/// removed without looking anything up; unchanged when the working folder
/// cannot be read.
std::string AbsoluteNormalPath(const std::string& path);

/// Removes "." and ".." steps; false when the result would be too long for
/// the style (260 characters on Windows, 4096 on POSIX). In the POSIX style a
/// path with a Windows drive is canonicalized by the Windows rules.
bool Canonicalize(PathStyle style, std::string_view path, std::string& out);

}  // namespace kolvaro
