#include "core/paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "core/cp1252.h"
#include "core/mediafile.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

bool IsSep(PathStyle style, char c) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool HasDrive(std::string_view p) { return p.size() >= 2 && p[1] == ':'; }

// "." and ".." steps removed, without a length limit.
std::string Lexical(PathStyle style, std::string_view path) {
  const char sep = style == PathStyle::Windows ? '\\' : '/';
  std::string prefix;
  std::string_view rest = path;
  if (style == PathStyle::Windows && HasDrive(path)) {
    prefix = std::string(path.substr(0, 2));
    rest = path.substr(2);
  }
  const bool rooted = !rest.empty() && IsSep(style, rest[0]);
  // Most paths are clean already: no "." or ".." step, no doubled separator.
  bool clean = true;
  for (std::size_t i = rooted ? 1 : 0; clean && i < rest.size();) {
    std::size_t j = i;
    while (j < rest.size() && !IsSep(style, rest[j])) ++j;
    const std::string_view part = rest.substr(i, j - i);
    clean = part != "." && part != ".." && (!part.empty() || j == rest.size());
    i = j + 1;
  }
  if (clean) {
    std::string result = prefix;
    result.append(rest);
    if (style == PathStyle::Windows)
      for (std::size_t k = prefix.size(); k < result.size(); ++k)
        if (result[k] == '/') result[k] = '\\';
    return result;
  }
  std::vector<std::string_view> parts;
  std::size_t i = 0;
  while (i <= rest.size()) {
    std::size_t j = i;
    while (j < rest.size() && !IsSep(style, rest[j])) ++j;
    const std::string_view part = rest.substr(i, j - i);
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") parts.pop_back();
      else if (!rooted) parts.push_back(part);
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string result = prefix;
  if (rooted) result += sep;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (k) result += sep;
    result += parts[k];
  }
  const bool trailing = !rest.empty() && IsSep(style, rest.back()) && !parts.empty();
  if (trailing) result += sep;
  return result;
}

// The cut-and-climb of the stored-path rule, over directories without their
// trailing separator.
std::string RelativeDirs(std::string dirP, std::string dirB, char sep) {
  std::string up;
  auto isAncestor = [&](const std::string& b) {
    if (b.empty()) return true;
    return dirP.compare(0, b.size(), b) == 0 && (dirP.size() == b.size() || dirP[b.size()] == sep);
  };
  while (!isAncestor(dirB)) {
    const auto cut = dirB.find_last_of(sep);
    dirB = cut == std::string::npos ? std::string() : dirB.substr(0, cut);
    up += "..\\";
  }
  std::string rest = dirP.size() > dirB.size() ? dirP.substr(dirB.size() + 1) : std::string();
  for (char& c : rest)
    if (c == '/') c = '\\';
  return up + rest;
}

}  // namespace

SplitPathResult SplitPath(PathStyle style, std::string_view path) {
  SplitPathResult r;
  std::string_view rest = path;
  if (style == PathStyle::Windows && HasDrive(path)) {
    r.drive = std::string(path.substr(0, 2));
    rest = path.substr(2);
  }
  std::size_t lastSep = std::string_view::npos;
  for (std::size_t i = 0; i < rest.size(); ++i)
    if (IsSep(style, rest[i])) lastSep = i;
  std::string_view file = rest;
  if (lastSep != std::string_view::npos) {
    r.dir = std::string(rest.substr(0, lastSep + 1));
    file = rest.substr(lastSep + 1);
  }
  const auto dot = file.find_last_of('.');
  if (dot == std::string_view::npos) {
    r.name = std::string(file);
  } else {
    r.name = std::string(file.substr(0, dot));
    r.ext = std::string(file.substr(dot));
  }
  return r;
}

std::string MakeStoredPath(PathStyle style, std::string_view path, std::string_view base) {
  if (style == PathStyle::Windows) {
    const SplitPathResult p = SplitPath(style, path);
    const SplitPathResult b = SplitPath(style, base);
    std::string dirP = LowerCp1252(p.dir);
    std::string dirB = LowerCp1252(b.dir);
    if (p.drive != b.drive) return std::string(path);
    if (!dirB.empty()) dirB.pop_back();
    if (!dirP.empty()) dirP.pop_back();
    std::string rel = RelativeDirs(dirP, dirB, '\\');
    if (rel.empty()) return p.name + p.ext;
    if (rel.back() != '\\') rel += '\\';
    return rel + p.name + p.ext;
  }
  // An album written on Windows keeps its names in Windows form.
  if (HasWindowsDrive(base))
    return HasWindowsDrive(path) ? MakeStoredPath(PathStyle::Windows, path, base)
                                 : std::string(path);
  // A name that is not absolute here (already stored, or from Windows) stays.
  if (path.empty() || path[0] != '/' || base.empty() || base[0] != '/')
    return std::string(path);
  const SplitPathResult p = SplitPath(style, Lexical(style, path));
  std::string dirP = p.dir;
  std::string dirB = Lexical(style, base);
  if (dirB.back() != '/') dirB += '/';
  dirP.pop_back();
  dirB.pop_back();
  std::string rel = RelativeDirs(dirP, dirB, '/');
  if (rel.empty()) return p.name + p.ext;
  if (rel.back() != '\\') rel += '\\';
  return rel + p.name + p.ext;
}

bool HasWindowsDrive(std::string_view path) {
  if (path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/')) return false;
  const char d = path[0];
  return (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
}

bool IsAbsoluteStoredName(PathStyle style, std::string_view stored) {
  if (style == PathStyle::Windows) return stored.size() >= 3 && stored[1] == ':';
  return (!stored.empty() && stored[0] == '/') || HasWindowsDrive(stored);
}

std::string ResolveStoredPath(PathStyle style, std::string_view base, std::string_view stored) {
  if (stored.empty()) return {};
  if (style == PathStyle::Windows) {
    if (IsAbsoluteStoredName(style, stored)) return std::string(stored);
    return std::string(base) + std::string(stored);
  }
  if (stored[0] == '/') return Lexical(style, stored);
  if (HasWindowsDrive(stored)) return std::string(stored);
  if (HasWindowsDrive(base)) return ResolveStoredPath(PathStyle::Windows, base, stored);
  std::string full(base);
  if (!full.empty() && full.back() != '/') full += '/';
  const std::size_t from = full.size();
  full += stored;
  for (std::size_t i = from; i < full.size(); ++i)
    if (full[i] == '\\') full[i] = '/';
  // Lexically: "Bilder/../x.jpg" must lead to x.jpg also where Bilder does not exist.
  return full[0] == '/' ? Lexical(style, full) : full;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    int len;
    char32_t cp, min;
    if ((b & 0xE0) == 0xC0) len = 2, cp = b & 0x1F, min = 0x80;
    else if ((b & 0xF0) == 0xE0) len = 3, cp = b & 0x0F, min = 0x800;
    else if ((b & 0xF8) == 0xF0) len = 4, cp = b & 0x07, min = 0x10000;
    else return false;
    if (i + len > text.size()) return false;
    for (int k = 1; k < len; ++k) {
      const auto c = static_cast<unsigned char>(text[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += len;
  }
  return true;
}

std::string PrintableName(std::string_view text) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    // The longest valid piece from here: one character of up to four bytes.
    std::size_t len = 1;
    while (len <= 4 && i + len <= text.size() && !IsValidUtf8(text.substr(i, len))) ++len;
    if (len <= 4 && i + len <= text.size()) {
      out += text.substr(i, len);
      i += len;
    } else {
      const auto b = static_cast<unsigned char>(text[i++]);
      out += "\\x";
      out += digits[b >> 4];
      out += digits[b & 15];
    }
  }
  return out;
}

StoredNameProblem CheckStoredName(PathStyle style, std::string_view path, std::string_view base,
                                  std::string_view stored) {
  if (style == PathStyle::Posix && !path.empty() && path[0] == '/') {
    const bool backslash = path.find('\\') != std::string_view::npos;
    // An absolute name keeps its backslash only until a save makes it relative.
    if (backslash && !stored.empty() && stored[0] == '/') return StoredNameProblem::kBackslash;
    if (ResolveStoredPath(style, base, stored) != Lexical(style, path))
      return backslash ? StoredNameProblem::kBackslash : StoredNameProblem::kOtherFile;
  }
  return IsValidUtf8(stored) ? StoredNameProblem::kNone : StoredNameProblem::kNotUtf8;
}

std::string StoredNameProblemText(StoredNameProblem problem, std::string_view path) {
  StringId why = IDS_NAME_NOT_UTF8;
  switch (problem) {
    case StoredNameProblem::kNone:
      return {};
    case StoredNameProblem::kNotUtf8:
      why = IDS_NAME_NOT_UTF8;
      break;
    case StoredNameProblem::kBackslash:
      why = IDS_NAME_BACKSLASH;
      break;
    case StoredNameProblem::kOtherFile:
      why = IDS_NAME_DRIVE_FORM;
      break;
  }
  return FormatMessage(LoadString(IDS_STORED_NAME_REFUSED),
                       {PrintableName(path), std::string(LoadString(why))});
}

PictureFileKind ExaminePictureFile(const std::string& path) {
  // Never the working folder, and never a name whose ".." steps the kernel
  // would take through a linked folder instead of as the album means them.
  if (path.empty() || path[0] != '/' || Lexical(PathStyle::Posix, path) != path)
    return PictureFileKind::kNotHere;
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? PictureFileKind::kMissing
                                               : PictureFileKind::kUnknown;
  if (S_ISREG(st.st_mode)) return PictureFileKind::kRegular;
  if (S_ISDIR(st.st_mode)) return PictureFileKind::kFolder;
  if (S_ISLNK(st.st_mode)) return PictureFileKind::kSymlink;
  return PictureFileKind::kSpecial;
}

bool HasPictureContent(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  std::uint8_t head[kMediaHeadSize] = {};
  ssize_t got = 0;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    do got = ::pread(fd, head, sizeof head, 0);
    while (got < 0 && errno == EINTR);
  }
  ::close(fd);
  if (got < 0) return false;
  return DetectMediaKind({head, static_cast<std::size_t>(got)}) != MediaKind::kUnknown;
}

std::string PictureFileRefusal(PictureFileKind kind) {
  switch (kind) {
    case PictureFileKind::kRegular:
    case PictureFileKind::kMissing:
      return {};
    case PictureFileKind::kNotHere:
      return std::string(LoadString(IDS_REFUSE_NOT_HERE));
    case PictureFileKind::kFolder:
      return std::string(LoadString(IDS_REFUSE_FOLDER));
    case PictureFileKind::kSymlink:
      return std::string(LoadString(IDS_REFUSE_SYMLINK));
    case PictureFileKind::kSpecial:
      return std::string(LoadString(IDS_REFUSE_SPECIAL));
    case PictureFileKind::kUnknown:
      return std::string(LoadString(IDS_REFUSE_UNKNOWN));
  }
  return {};
}

std::string DisplayedStoredName(PathStyle style, std::string_view stored) {
  std::string shown(stored);
  if (style == PathStyle::Posix && !shown.starts_with('/'))
    std::replace(shown.begin(), shown.end(), '\\', '/');
  return shown;
}

std::string FolderOfPath(PathStyle style, std::string_view path) {
  const SplitPathResult p = SplitPath(style, path);
  return p.drive + p.dir;
}

std::string ToStoredFolder(PathStyle style, std::string_view folder) {
  std::string s(folder);
  for (char& c : s) {
    if (c == ':') c = '|';
    else if (c == '/' && style == PathStyle::Windows) c = '\\';
  }
  return s;
}

std::string FromStoredFolder(PathStyle style, std::string_view stored) {
  std::string s(stored);
  for (char& c : s) {
    if (c == '|') c = ':';
    else if (c == '/' && style == PathStyle::Windows) c = '\\';
  }
  if (style == PathStyle::Posix && !s.empty() && s.back() != '/') s += '/';
  return s;
}

std::string AbsoluteNormalPath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path abs = std::filesystem::absolute(path, ec);
  return ec ? path : abs.lexically_normal().string();
}

bool Canonicalize(PathStyle style, std::string_view path, std::string& out) {
  if (style == PathStyle::Posix && HasWindowsDrive(path)) style = PathStyle::Windows;
  std::string result = Lexical(style, path);
  const std::size_t limit = style == PathStyle::Windows ? 260 : 4096;
  if (result.size() >= limit) return false;
  out = std::move(result);
  return true;
}

}  // namespace kolvaro
