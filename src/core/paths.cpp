#include "core/paths.h"

#include <vector>

#include "core/cp1252.h"

namespace kolvaro {
namespace {

bool IsSep(PathStyle style, char c) {
  return c == '/' || (style == PathStyle::Windows && c == '\\');
}

bool HasDrive(std::string_view p) { return p.size() >= 2 && p[1] == ':'; }

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
  // A name that is not absolute here (already stored, or from Windows) stays.
  if (path.empty() || path[0] != '/' || base.empty() || base[0] != '/')
    return std::string(path);
  const SplitPathResult p = SplitPath(style, path);
  std::string dirP = p.dir;
  std::string dirB(base);
  if (dirB.back() != '/') dirB += '/';
  dirP.pop_back();
  dirB.pop_back();
  std::string rel = RelativeDirs(dirP, dirB, '/');
  if (rel.empty()) return p.name + p.ext;
  if (rel.back() != '\\') rel += '\\';
  return rel + p.name + p.ext;
}

bool IsAbsoluteStoredName(PathStyle style, std::string_view stored) {
  if (style == PathStyle::Windows) return stored.size() >= 3 && stored[1] == ':';
  return (!stored.empty() && stored[0] == '/') || HasDrive(stored);
}

std::string ResolveStoredPath(PathStyle style, std::string_view base, std::string_view stored) {
  if (stored.empty()) return {};
  if (IsAbsoluteStoredName(style, stored)) return std::string(stored);
  std::string full(base);
  full += stored;
  if (style == PathStyle::Posix)
    for (std::size_t i = base.size(); i < full.size(); ++i)
      if (full[i] == '\\') full[i] = '/';
  return full;
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

bool Canonicalize(PathStyle style, std::string_view path, std::string& out) {
  const char sep = style == PathStyle::Windows ? '\\' : '/';
  std::string prefix;
  std::string_view rest = path;
  if (style == PathStyle::Windows && HasDrive(path)) {
    prefix = std::string(path.substr(0, 2));
    rest = path.substr(2);
  }
  const bool rooted = !rest.empty() && IsSep(style, rest[0]);
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
  const std::size_t limit = style == PathStyle::Windows ? 260 : 4096;
  if (result.size() >= limit) return false;
  out = std::move(result);
  return true;
}

}  // namespace kolvaro
