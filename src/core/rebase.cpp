#include "core/rebase.h"

#include <string_view>
#include <unordered_map>

namespace kolvaro {
namespace {

/// The stored form of `filename` against the new base, before the storage
/// mode has its say.
std::string StoredAgainstNewBase(PathStyle style, const std::string& oldBase,
                                 const std::string& newBase, const std::string& filename) {
  std::string full = filename;
  if (!oldBase.empty() && !filename.empty() && !IsAbsoluteStoredName(style, filename)) {
    full = ResolveStoredPath(style, oldBase, filename);
    // Without its ".." steps the name does not lead through the old
    // folder, which may be gone once the album has moved.
    std::string canonical;
    if (Canonicalize(style, full, canonical)) full = std::move(canonical);
  }
  std::string stored = MakeStoredPath(style, full, newBase);
  // A '\' or a folder "C:" in a POSIX path would lead elsewhere once
  // relative: such a name stays absolute. (Bytes that are not UTF-8 are
  // lost either way; they do not change the choice.)
  const StoredNameProblem problem = CheckStoredName(style, full, newBase, stored);
  if (problem == StoredNameProblem::kBackslash || problem == StoredNameProblem::kOtherFile)
    return full;
  return stored;
}

std::string ForStorageMode(PathStyle style, std::int32_t storageMode, const std::string& newBase,
                           std::string stored, const std::string& filename) {
  if (storageMode == 0) return stored;
  // Resolved against the base the name was just made for: the album's own
  // folder would send a name made for another folder astray.
  std::string name;
  if (!Canonicalize(style, ResolveStoredPath(style, newBase, stored), name)) return filename;
  return name;
}

}  // namespace

std::string RebasedName(PathStyle style, std::int32_t storageMode, const std::string& oldBase,
                        const std::string& newBase, const std::string& filename) {
  return ForStorageMode(style, storageMode, newBase,
                        StoredAgainstNewBase(style, oldBase, newBase, filename), filename);
}

std::vector<std::pair<std::int32_t, std::string>> RebaseStoredNames(
    PathStyle style, std::int32_t storageMode, const std::string& oldBase,
    const std::string& newBase, const CBilderEx& pictures) {
  // A stored name is its folder's stored form followed by the file name, so
  // each folder is worked out once (with a one-letter stand-in for the file):
  // albums hold many pictures per folder. Left out are names whose folder
  // part is shorter than the two characters the tests for an absolute name
  // look at, file names that are steps ("." and "..") or hold a ':' (a
  // folder that shrinks to nothing lets the drive test see the file name),
  // and names long enough that the canonical form could hit its length limit
  // with one file name but not with the other. Keep this in step with
  // StoredAgainstNewBase.
  std::unordered_map<std::string, std::string> folderPrefixes;
  auto cacheable = [&oldBase](const std::string& filename, std::size_t file) {
    const std::string_view name = std::string_view(filename).substr(file);
    return file >= 2 && !name.empty() && name != "." && name != ".." &&
           name.find(':') == std::string_view::npos && oldBase.size() + filename.size() < 200;
  };
  std::vector<std::pair<std::int32_t, std::string>> renamed;
  for (POSITION pos = pictures.GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id;
    const PictureEntry& e = pictures.GetNextRef(pos, id);
    std::string s;
    std::size_t file = e.filename.size();  // where the file name begins
    while (file > 0 && e.filename[file - 1] != '\\' && e.filename[file - 1] != '/') --file;
    if (cacheable(e.filename, file)) {
      auto [it, added] = folderPrefixes.try_emplace(e.filename.substr(0, file));
      if (added) {
        it->second = StoredAgainstNewBase(style, oldBase, newBase, it->first + 'f');
        it->second.pop_back();
      }
      s = it->second;
      s.append(e.filename, file);
    } else {
      s = StoredAgainstNewBase(style, oldBase, newBase, e.filename);
    }
    std::string name = ForStorageMode(style, storageMode, newBase, std::move(s), e.filename);
    if (name != e.filename) renamed.emplace_back(id, std::move(name));
  }
  return renamed;
}

}  // namespace kolvaro
