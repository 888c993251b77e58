#include "collab/transactionsync.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>

#include "collab/transactionformat.h"
#include "collab/transactionimport.h"
#include "collab/transactionreplay.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

constexpr std::string_view kStateMagic = "kolvaro-sync 1";
constexpr std::string_view kConflictMark = ".sync-conflict-";
// A file larger than this is listed, not read: no transaction file of a
// real session comes near it.
constexpr off_t kMaxFileBytes = off_t{512} << 20;
// How much before the applied end is compared to notice a replaced file.
constexpr std::size_t kTailBytes = 4096;
// A record's lines, the rectangle's included; a longer one is damaged.
constexpr int kMaxRecordLines = 12;

std::uint64_t Fnv(std::string_view bytes, std::uint64_t h = 1469598103934665603ull) {
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// The name without a sync engine's conflict part.
std::string BaseName(const std::string& name) {
  const auto at = name.find(kConflictMark);
  if (at == std::string::npos) return name;
  return name.substr(0, at) + ".xml";
}

std::string ErrnoText(int error) { return std::strerror(error); }

// --- What is kept between syncs. -------------------------------------------

struct FileState {
  std::string name;       ///< where it was last seen
  std::string orderName;  ///< the name it had when its first record was read
  std::uint64_t first = 0;
  bool hasFirst = false;
  std::uint64_t applied = 0;  ///< bytes read up to the end of the last complete record
  std::uint64_t tail = 0;     ///< hash of the kTailBytes before `applied`
  std::uint32_t records = 0;
  std::int64_t size = -1;
  std::int64_t mtimeNs = -1;
  std::uint64_t ino = 0;
  bool own = false;
  bool complete = false;
  bool damaged = false;
};

enum class Group : std::uint8_t { Picture, Person, Theme, Mark, Link };

struct Key {
  Group group;
  std::int32_t a;
  std::int32_t b;
  bool operator==(const Key&) const = default;
};

struct KeyHash {
  std::size_t operator()(const Key& k) const {
    const std::uint64_t v = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(k.a)) << 32) ^
                            static_cast<std::uint32_t>(k.b) ^
                            (static_cast<std::uint64_t>(k.group) << 61);
    return std::hash<std::uint64_t>{}(v * 0x9E3779B97F4A7C15ull);
  }
};

/// The last change of a field in the order, and whose it was.
struct Winner {
  std::uint32_t file = 0;  ///< index into the state's files
  std::uint32_t record = 0;
  bool removal = false;
  bool own = false;
};

struct OwnFile {
  std::uint64_t dev = 0;
  std::uint64_t ino = 0;
  std::string name;
};

struct State {
  std::vector<FileState> files;
  std::unordered_map<Key, Winner, KeyHash> index;
  std::unordered_map<std::string, std::uint32_t> byName;
};

std::string Hex(std::uint64_t v) {
  char buf[17];
  const auto r = std::to_chars(buf, buf + 16, v, 16);
  return std::string(buf, r.ptr);
}

template <typename T>
bool Num(std::string_view s, T& out, int base = 10) {
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out, base);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

std::vector<std::string_view> Fields(std::string_view line, std::size_t count) {
  // The last field takes the rest of the line: names may hold blanks.
  std::vector<std::string_view> out;
  while (out.size() + 1 < count) {
    const auto sp = line.find(' ');
    if (sp == std::string_view::npos) break;
    out.push_back(line.substr(0, sp));
    line.remove_prefix(sp + 1);
  }
  out.push_back(line);
  return out;
}

std::string SerializeState(const State& s) {
  std::string out(kStateMagic);
  out += '\n';
  for (const FileState& f : s.files) {
    out += "file " + std::to_string(f.applied) + ' ' + std::to_string(f.records) + ' ' +
           std::to_string(f.size) + ' ' + std::to_string(f.mtimeNs) + ' ' + std::to_string(f.ino) +
           ' ' + Hex(f.tail) + ' ' + (f.hasFirst ? Hex(f.first) : "-") + ' ' + (f.own ? '1' : '0') +
           (f.complete ? '1' : '0') + (f.damaged ? '1' : '0') + ' ' + f.orderName + '\n';
    out += "name " + f.name + '\n';
  }
  out.reserve(out.size() + s.index.size() * 40);
  auto num = [&out](auto v) {
    char b[24];
    out.append(b, std::to_chars(b, b + sizeof b, v).ptr);
    out += ' ';
  };
  for (const auto& [k, w] : s.index) {
    // The bulk of the state: written without temporaries.
    out += "key ";
    num(static_cast<int>(k.group));
    num(k.a);
    num(k.b);
    num(w.file);
    num(w.record);
    out += w.removal ? '1' : '0';
    out += w.own ? '1' : '0';
    out += '\n';
  }
  out += "end\n";
  return out;
}

bool ParseState(std::string_view text, State& s) {
  std::size_t pos = 0;
  auto nextLine = [&](std::string_view& line) {
    if (pos >= text.size()) return false;
    auto nl = text.find('\n', pos);
    if (nl == std::string_view::npos) return false;  // cut short: not ours to trust
    line = text.substr(pos, nl - pos);
    pos = nl + 1;
    return true;
  };
  std::string_view line;
  // A state that waited beside the album while it was saved starts with the album's identity.
  if (text.starts_with("album ") && !nextLine(line)) return false;
  if (!nextLine(line) || line != kStateMagic) return false;
  while (nextLine(line)) {
    if (line == "end") return true;
    if (line.starts_with("file ")) {
      const auto f = Fields(line.substr(5), 9);
      if (f.size() != 9) return false;
      FileState fs;
      if (!Num(f[0], fs.applied) || !Num(f[1], fs.records) || !Num(f[2], fs.size) ||
          !Num(f[3], fs.mtimeNs) || !Num(f[4], fs.ino) || !Num(f[5], fs.tail, 16) ||
          f[7].size() != 3)
        return false;
      fs.hasFirst = f[6] != "-";
      if (fs.hasFirst && !Num(f[6], fs.first, 16)) return false;
      fs.own = f[7][0] == '1';
      fs.complete = f[7][1] == '1';
      fs.damaged = f[7][2] == '1';
      fs.orderName = std::string(f[8]);
      std::string_view nameLine;
      if (!nextLine(nameLine) || !nameLine.starts_with("name ")) return false;
      fs.name = std::string(nameLine.substr(5));
      s.byName[fs.name] = static_cast<std::uint32_t>(s.files.size());
      s.files.push_back(std::move(fs));
    } else if (line.starts_with("key ")) {
      const auto f = Fields(line.substr(4), 6);
      int group = 0;
      Key k{};
      Winner w;
      if (f.size() != 6 || !Num(f[0], group) || group < 0 || group > 4 || !Num(f[1], k.a) ||
          !Num(f[2], k.b) || !Num(f[3], w.file) || !Num(f[4], w.record) || f[5].size() != 2 ||
          w.file >= s.files.size())
        return false;
      k.group = static_cast<Group>(group);
      w.removal = f[5][0] == '1';
      w.own = f[5][1] == '1';
      s.index[k] = w;
    } else {
      return false;
    }
  }
  return false;
}

void SyncFolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
}

/// Writes `bytes` to a fresh temporary beside `path` and renames it there.
int WriteAtomically(const std::string& path, const std::string& bytes) {
  std::string tmp = path + ".tmp-" + std::to_string(::getpid()) + "-XXXXXX";
  const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int err = WriteAll(fd, bytes);
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(tmp.c_str(), path.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(tmp.c_str());
    return err;
  }
  SyncFolderOf(path);
  return 0;
}

std::string PendingPath(const std::string& albumPath) {
  return SyncStatePath(albumPath) + "-pending";
}

std::string IdentityLine(const FileIdentity& id) {
  return "album " + std::to_string(id.dev) + ' ' + std::to_string(id.ino) + ' ' +
         std::to_string(id.size) + ' ' + std::to_string(id.mtime.tv_sec) + ' ' +
         std::to_string(id.mtime.tv_nsec) + '\n';
}

/// A sync cut off between saving the album and its state left the state
/// beside as "-pending", with the album as it was before: when the album
/// is still that one, the save never happened.
void RecoverPending(const std::string& albumPath) {
  const std::string pending = PendingPath(albumPath);
  std::string text;
  int error = 0;
  if (!ReadRegularFile(pending, text, error)) return;
  const auto nl = text.find('\n');
  const bool saved = nl != std::string::npos &&
                     text.substr(0, nl + 1) != IdentityLine(FileIdentity::OfPath(albumPath));
  State probe;
  if (saved && ParseState(text, probe) &&
      ::rename(pending.c_str(), SyncStatePath(albumPath).c_str()) == 0) {
    SyncFolderOf(albumPath);
    return;
  }
  if (!saved) ::unlink(pending.c_str());
}

std::vector<OwnFile> ReadOwnFiles(const std::string& albumPath) {
  std::vector<OwnFile> own;
  std::string text;
  int error = 0;
  if (!ReadRegularFile(SyncOwnPath(albumPath), text, error)) return own;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto nl = text.find('\n', pos);
    if (nl == std::string::npos) break;  // a line cut short by a crash
    const auto f = Fields(std::string_view(text).substr(pos, nl - pos), 3);
    OwnFile o;
    if (f.size() == 3 && Num(f[0], o.dev) && Num(f[1], o.ino)) {
      o.name = std::string(f[2]);
      own.push_back(std::move(o));
    }
    pos = nl + 1;
  }
  return own;
}

bool LoadState(const std::string& albumPath, State& state, std::string& error) {
  std::string text;
  int err = 0;
  const std::string statePath = SyncStatePath(albumPath);
  if (ReadRegularFile(statePath, text, err)) {
    if (ParseState(text, state)) return true;
    error = FormatMessage(LoadString(IDS_SYNC_STATE_DAMAGED), {PrintableName(statePath)});
    return false;
  }
  if (err == ENOENT) return true;
  error = FormatMessage(LoadString(IDS_SYNC_STATE_UNREADABLE),
                        {PrintableName(statePath), ErrnoText(err)});
  return false;
}

bool IsOwnFile(const std::vector<OwnFile>& own, const struct stat& st, const std::string& name) {
  const std::string base = BaseName(name);
  for (const OwnFile& o : own)
    if (o.ino == st.st_ino && o.dev == st.st_dev && o.name == base) return true;
  return false;
}

/// The transaction files in `folder` (ending in a slash), sorted, with their inodes.
bool ListTransactionFiles(const std::string& folder,
                          std::vector<std::pair<std::string, std::uint64_t>>& names,
                          std::string& error) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) {
    error = FormatMessage(LoadString(IDS_SYNC_FOLDER_UNREADABLE),
                          {PrintableName(folder), ErrnoText(errno)});
    return false;
  }
  while (const dirent* e = ::readdir(dir))
    if (IsSyncedTransactionName(e->d_name)) names.emplace_back(e->d_name, e->d_ino);
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return true;
}

// --- Reading a file's new records. ----------------------------------------

struct NewRecord {
  std::uint32_t file;
  std::uint32_t record;
  TransactionRecordData data;
};

struct Tags {
  std::vector<std::pair<std::string, std::string>> kinds;  // open, close
  Tags() {
    for (int i = 0; i <= static_cast<int>(TransactionRecord::RemoveThemeOfPicture); ++i) {
      const std::string tag(TransactionRecordTag(static_cast<TransactionRecord>(i)));
      kinds.emplace_back("<" + tag + ">", "</" + tag + ">");
    }
  }
};

const Tags& AllTags() {
  static const Tags tags;
  return tags;
}

/// The next line of `bytes` from `pos` without its end; false when no
/// complete line is there yet.
bool NextLine(std::string_view bytes, std::size_t& pos, std::string_view& line) {
  const auto nl = bytes.find('\n', pos);
  if (nl == std::string_view::npos) return false;
  line = bytes.substr(pos, nl - pos);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos = nl + 1;
  return true;
}

enum class ReadEnd { Waiting, Complete, Damaged };

/// Finds the complete records of `bytes` (the file from `base` on), at most
/// `most`: `ends` gets the offset after each, `headerEnd` where the first
/// may start, `taken` how many bytes are done with.
ReadEnd ScanRecords(std::string_view bytes, std::uint64_t base, std::size_t most,
                    std::vector<std::size_t>& ends, std::size_t& headerEnd, std::size_t& taken) {
  std::size_t pos = 0;
  ends.clear();
  taken = headerEnd = 0;
  std::string_view line;
  if (base == 0) {
    if (!NextLine(bytes, pos, line)) {
      // The header itself may still be on its way.
      return kTransactionRootOpen.starts_with(bytes.substr(0, kTransactionRootOpen.size()))
                 ? ReadEnd::Waiting
                 : ReadEnd::Damaged;
    }
    if (line != kTransactionRootOpen) return ReadEnd::Damaged;
    taken = headerEnd = pos;
  }
  const Tags& tags = AllTags();
  while (ends.size() < most) {
    if (!NextLine(bytes, pos, line)) return ReadEnd::Waiting;
    if (line == kTransactionRootClose) {
      taken = pos;
      return ReadEnd::Complete;
    }
    std::size_t kind = 0;
    while (kind < tags.kinds.size() && line != tags.kinds[kind].first) ++kind;
    if (kind == tags.kinds.size()) return ReadEnd::Damaged;
    bool closed = false;
    for (int n = 0; n < kMaxRecordLines && !closed; ++n) {
      if (!NextLine(bytes, pos, line)) return ReadEnd::Waiting;
      closed = line == tags.kinds[kind].second;
    }
    if (!closed) return ReadEnd::Damaged;
    ends.push_back(pos);
    taken = pos;
  }
  return ReadEnd::Waiting;
}

// --- The order. -------------------------------------------------------------

SyncOrder OrderOf(const FileState& f) {
  SyncOrder o = SyncOrderOfName(f.orderName);
  o.first = f.first;
  return o;
}

Key KeyOf(const TransactionRecordData& r, bool& removal) {
  removal = false;
  switch (r.kind) {
    case TransactionRecord::RemovePicture: removal = true; [[fallthrough]];
    case TransactionRecord::AddUpdatePicture: return {Group::Picture, r.a, 0};
    case TransactionRecord::RemovePerson: removal = true; [[fallthrough]];
    case TransactionRecord::AddUpdatePerson: return {Group::Person, r.a, 0};
    case TransactionRecord::RemoveTheme: removal = true; [[fallthrough]];
    case TransactionRecord::AddUpdateTheme: return {Group::Theme, r.a, 0};
    case TransactionRecord::RemovePersonOnPicture: removal = true; [[fallthrough]];
    case TransactionRecord::AddUpdatePersonOnPicture: return {Group::Mark, r.a, r.b};
    case TransactionRecord::RemoveThemeOfPicture: removal = true; [[fallthrough]];
    case TransactionRecord::AddUpdateThemeOfPicture: return {Group::Link, r.a, r.b};
  }
  return {Group::Picture, r.a, 0};
}

/// The keys whose removal takes a record's key with it; returns how many.
int ParentsOf(const Key& k, Key (&out)[2]) {
  switch (k.group) {
    case Group::Mark:
      out[0] = {Group::Person, k.a, 0};
      out[1] = {Group::Picture, k.b, 0};
      return 2;
    case Group::Link:
      out[0] = {Group::Theme, k.a, 0};
      out[1] = {Group::Picture, k.b, 0};
      return 2;
    default: return 0;
  }
}

std::string Str(StringId id) { return std::string(LoadString(id)); }

std::string RectText(const Rect& r) {
  return std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
         ", " + std::to_string(r.bottom);
}

std::string DateText(const COleDateTime& d) {
  const std::string text = d.Format("%Y-%m-%d %H:%M:%S");
  return text.empty() ? "-" : text;
}

/// The fields of `r` whose value differs in the album, as conflicts (the
/// album holds this copy's own value).
void AddConflicts(const CMeriskDoc& doc, const TransactionRecordData& r, bool removal,
                  bool theirsWon, const std::string& file, bool mineRemoved,
                  std::vector<SyncConflict>& out) {
  const std::string removed = Str(IDS_SYNC_REMOVED);
  auto add = [&](StringId field, std::string mine, std::string theirs,
                 std::optional<TransactionRecordData> loser = std::nullopt) {
    if (mineRemoved) mine = removed;
    if (removal) theirs = removed;
    if (mine == theirs) return;
    out.push_back({r.kind, r.a, r.b, Str(field), std::move(mine), std::move(theirs), theirsWon,
                   file, removal || mineRemoved ? std::nullopt : std::move(loser)});
  };
  // The record that gives the losing value and keeps every other field as it now is.
  auto loser = [&](auto&& change) {
    TransactionRecordData l = r;
    change(l);
    return l;
  };
  switch (KeyOf(r, removal).group) {
    case Group::Picture: {
      const PictureEntry* e = doc.Pictures().Find(r.a);
      if (!e) mineRemoved = true;
      if (removal || mineRemoved) {
        add(IDS_SYNC_FIELD_TITLE, e ? e->title : "", r.title);
        return;
      }
      TransactionRecordData base = r;
      if (!theirsWon) {
        base.text = e->filename;
        base.title = e->title;
        base.timestamp = e->timestamp;
        base.size = e->size;
      }
      auto lost = [&](auto&& change) {
        TransactionRecordData l = base;
        change(l);
        return l;
      };
      add(IDS_SYNC_FIELD_TITLE, e->title, r.title,
          lost([&](auto& l) { l.title = theirsWon ? e->title : r.title; }));
      // Each copy's path is its own: nothing to take.
      add(IDS_SYNC_FIELD_FILENAME, e->filename, r.text);
      add(IDS_SYNC_FIELD_DATE, DateText(e->timestamp), DateText(r.timestamp),
          lost([&](auto& l) { l.timestamp = theirsWon ? e->timestamp : r.timestamp; }));
      add(IDS_SYNC_FIELD_SIZE, std::to_string(e->size), std::to_string(r.size),
          lost([&](auto& l) { l.size = theirsWon ? e->size : r.size; }));
      return;
    }
    case Group::Person:
    case Group::Theme: {
      std::string name;
      const bool has =
          r.kind == TransactionRecord::AddUpdatePerson || r.kind == TransactionRecord::RemovePerson
              ? doc.Persons().Lookup(r.a, name)
              : doc.Themes().Lookup(r.a, name);
      if (!has) mineRemoved = true;
      add(IDS_SYNC_FIELD_NAME, name, r.text, loser([&](auto& l) { l.text = theirsWon ? name : r.text; }));
      return;
    }
    case Group::Mark: {
      Rect rect;
      if (!doc.PersonsOnPictures().Lookup(r.a, r.b, &rect)) mineRemoved = true;
      add(IDS_SYNC_FIELD_MARK, RectText(rect), RectText(r.rect),
          loser([&](auto& l) { l.rect = theirsWon ? rect : r.rect; }));
      return;
    }
    case Group::Link:
      if (!doc.ThemesOfPictures().Lookup(r.a, r.b)) mineRemoved = true;
      add(IDS_SYNC_FIELD_LINK, Str(IDS_SYNC_ASSIGNED), Str(IDS_SYNC_ASSIGNED));
      return;
  }
}

std::string WithSlash(std::string folder) {
  if (folder.empty()) return "./";
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::string_view LastPart(std::string_view path) {
  const auto at = path.find_last_of("/\\");
  return at == std::string_view::npos ? path : path.substr(at + 1);
}

bool SameLastPart(std::string_view a, std::string_view b) {
  a = LastPart(a);
  b = LastPart(b);
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

/// Pictures are numbered in each copy on its own, so a number may name
/// another file here than in the other editor's copy: an edit must never land
/// on it. Where the name matches, the picture keeps this copy's path, as the
/// other editor's folders are not this computer's. False when `nr` is not to
/// be applied; such pictures are listed once per file.
bool SamePicture(const CMeriskDoc& doc, NewRecord& nr, const std::string& file,
                 std::set<std::pair<std::uint32_t, std::int32_t>>& other,
                 std::vector<std::string>& lines) {
  TransactionRecordData& r = nr.data;
  std::int32_t picture = 0;
  switch (r.kind) {
    case TransactionRecord::AddUpdatePicture:
    case TransactionRecord::RemovePicture: picture = r.a; break;
    case TransactionRecord::AddUpdatePersonOnPicture:
    case TransactionRecord::RemovePersonOnPicture:
    case TransactionRecord::AddUpdateThemeOfPicture:
    case TransactionRecord::RemoveThemeOfPicture: picture = r.b; break;
    default: return true;
  }
  if (other.count({nr.file, picture})) return false;
  if (r.kind != TransactionRecord::AddUpdatePicture) return true;
  PictureEntry here;
  if (!doc.Pictures().Lookup(picture, here)) return true;
  if (SameLastPart(here.filename, r.text)) {
    r.text = here.filename;
    return true;
  }
  other.insert({nr.file, picture});
  lines.push_back(FormatMessage(LoadString(IDS_SYNC_OTHER_PICTURE),
                                {static_cast<long long>(picture), PrintableName(here.filename),
                                 PrintableName(file), PrintableName(r.text)}));
  return false;
}

std::int64_t MtimeNs(const struct stat& st) {
  return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

SyncOrder SyncOrderOfName(const std::string& nameIn) {
  SyncOrder o;
  o.name = nameIn;
  const std::string name = BaseName(nameIn);
  std::string_view rest(name);
  if (!rest.starts_with("mrklog") || !rest.ends_with(".xml")) return o;
  rest = rest.substr(6, rest.size() - 10);
  // "%Y-%m-%d-%H-%M-%S" is 19 characters, then maybe "_000002".
  if (rest.size() < 19) return o;
  const std::string_view stamp = rest.substr(0, 19);
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    const bool dash = i == 4 || i == 7 || i == 10 || i == 13 || i == 16;
    if (dash ? stamp[i] != '-' : !(stamp[i] >= '0' && stamp[i] <= '9')) return o;
  }
  rest.remove_prefix(19);
  std::int32_t number = 1;
  if (!rest.empty()) {
    if (rest[0] != '_' || !AllDigits(rest.substr(1)) || !Num(rest.substr(1), number)) return o;
  }
  o.stamp = std::string(stamp);
  o.number = number;
  return o;
}

bool IsSyncedTransactionName(const std::string& name) {
  return name.size() > 10 && name.starts_with("mrklog") && name.ends_with(".xml");
}

std::string SyncStatePath(const std::string& albumPath) { return albumPath + ".sync"; }
std::string SyncOwnPath(const std::string& albumPath) { return albumPath + ".sync-own"; }

bool NoteOwnTransactionFile(const std::string& albumPath, const std::string& filePath) {
  struct stat st {};
  if (albumPath.empty() || ::stat(filePath.c_str(), &st) != 0) return false;
  const auto slash = filePath.rfind('/');
  const std::string name = slash == std::string::npos ? filePath : filePath.substr(slash + 1);
  const std::string line =
      std::to_string(st.st_dev) + ' ' + std::to_string(st.st_ino) + ' ' + name + '\n';
  const int fd = ::open(SyncOwnPath(albumPath).c_str(),
                        O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return false;
  // One short write with O_APPEND: a crash leaves at most a cut-off last
  // line, which the reader skips.
  const bool ok = WriteAll(fd, line) == 0 && ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

SyncSummary SyncTransactionFolder(CMeriskDoc& doc, const std::string& albumPath,
                                  const std::string& folderIn, const SyncSaveAlbum& save) {
  SyncSummary summary;
  RecoverPending(albumPath);

  State state;
  if (!LoadState(albumPath, state, summary.error)) return summary;
  const std::vector<OwnFile> ownFiles = ReadOwnFiles(albumPath);
  auto isOwn = [&](const struct stat& st, const std::string& name) {
    return IsOwnFile(ownFiles, st, name);
  };

  const std::string folder = WithSlash(folderIn);
  std::vector<std::pair<std::string, std::uint64_t>> names;  // with the inode
  if (!ListTransactionFiles(folder, names, summary.error)) return summary;

  bool stateChanged = false;
  std::vector<NewRecord> fresh;
  std::vector<std::size_t> reportOf;  // per state file: index into summary.files, or npos
  auto report = [&](std::uint32_t fileIdx, const std::string& name) -> SyncFileReport& {
    if (reportOf.size() <= fileIdx) reportOf.resize(fileIdx + 1, std::string::npos);
    if (reportOf[fileIdx] == std::string::npos) {
      reportOf[fileIdx] = summary.files.size();
      SyncFileReport r;
      r.name = name;
      r.stamp = SyncOrderOfName(name).stamp;
      summary.files.push_back(std::move(r));
    }
    return summary.files[reportOf[fileIdx]];
  };
  auto problem = [&](const std::string& name, std::string text) {
    SyncFileReport r;
    r.name = name;
    r.stamp = SyncOrderOfName(name).stamp;
    r.problem = std::move(text);
    summary.files.push_back(std::move(r));
  };

  for (const auto& [name, ino] : names) {
    if (const auto known = state.byName.find(name); known != state.byName.end()) {
      // A finished file still under its inode cannot have changed: it is
      // not even looked at, so that a folder of applied files costs its listing.
      const FileState& f = state.files[known->second];
      if (f.complete && f.ino == ino && ino != 0) continue;
    }
    const std::string path = folder + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) continue;  // gone meanwhile
    if (!S_ISREG(st.st_mode)) {
      // A link could lead out of the folder, a pipe would block.
      problem(name, Str(IDS_SYNC_NOT_REGULAR));
      continue;
    }
    auto known = state.byName.find(name);
    if (known != state.byName.end()) {
      const FileState& f = state.files[known->second];
      // Nothing changed since the last look: not read again.
      if (f.size == st.st_size && f.mtimeNs == MtimeNs(st)) continue;
    }
    if (st.st_size > kMaxFileBytes) {
      problem(name, Str(IDS_SYNC_TOO_LARGE));
      continue;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat fst {};
    if (fd < 0 || ::fstat(fd, &fst) != 0 || !S_ISREG(fst.st_mode)) {
      const int err = errno;
      if (fd >= 0) ::close(fd);
      problem(name, FormatMessage(LoadString(IDS_SYNC_UNREADABLE), {ErrnoText(err)}));
      continue;
    }
    std::string bytes;
    bool readOk = true;
    try {
      bytes.resize(static_cast<std::size_t>(std::min<off_t>(fst.st_size, kMaxFileBytes)));
      std::size_t got = 0;
      while (got < bytes.size()) {
        const ssize_t n =
            ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
          readOk = n == 0;
          break;
        }
        got += static_cast<std::size_t>(n);
      }
      bytes.resize(got);
    } catch (const std::bad_alloc&) {
      readOk = false;
    }
    ::close(fd);
    if (!readOk) {
      problem(name, FormatMessage(LoadString(IDS_SYNC_UNREADABLE), {ErrnoText(EIO)}));
      continue;
    }

    // The first record tells a file apart from another, whatever its name.
    std::uint64_t first = 0;
    bool hasFirst = false;
    std::vector<std::size_t> ends;
    std::size_t headerEnd = 0;
    std::size_t taken = 0;
    ScanRecords(bytes, 0, 1, ends, headerEnd, taken);
    if (!ends.empty()) {
      first = Fnv(std::string_view(bytes).substr(headerEnd, ends[0] - headerEnd));
      hasFirst = true;
    }
    auto tailOf = [&](std::uint64_t end) {
      const std::uint64_t from = end > kTailBytes ? end - kTailBytes : 0;
      return Fnv(std::string_view(bytes).substr(from, end - from));
    };
    auto continues = [&](const FileState& f) {
      return f.applied <= bytes.size() && (!f.hasFirst || (hasFirst && f.first == first)) &&
             tailOf(f.applied) == f.tail;
    };

    std::uint32_t idx;
    if (known != state.byName.end() && continues(state.files[known->second])) {
      idx = known->second;
    } else {
      // A new name may be a file already known under another one (a sync
      // engine's conflict copy): then it goes on from where that one was.
      idx = static_cast<std::uint32_t>(state.files.size());
      for (std::uint32_t i = 0; hasFirst && i < state.files.size(); ++i) {
        const FileState& f = state.files[i];
        if (f.hasFirst && f.first == first && f.name != name &&
            SyncOrderOfName(f.orderName).stamp == SyncOrderOfName(name).stamp && continues(f)) {
          idx = i;
          break;
        }
      }
      if (known != state.byName.end() && idx == state.files.size() &&
          bytes.size() < state.files[known->second].applied && hasFirst &&
          state.files[known->second].first == first) {
        // The same file, shorter than what was taken from it.
        problem(name, Str(IDS_SYNC_SHORTENED));
        FileState& f = state.files[known->second];
        f.size = st.st_size;
        f.mtimeNs = MtimeNs(st);
        stateChanged = true;
        continue;
      }
      if (idx == state.files.size()) {
        FileState f;
        f.name = name;
        f.orderName = name;
        state.files.push_back(std::move(f));
      }
      if (const std::string& old = state.files[idx].name; old != name) {
        const auto o = state.byName.find(old);
        if (o != state.byName.end() && o->second == idx) state.byName.erase(o);
      }
      state.byName[name] = idx;
      state.files[idx].name = name;
    }
    FileState& f = state.files[idx];
    f.own = f.own || isOwn(fst, name);
    f.first = first;
    f.hasFirst = hasFirst;
    f.size = fst.st_size;
    f.mtimeNs = MtimeNs(fst);
    f.ino = fst.st_ino;
    stateChanged = true;

    std::uint32_t n = f.records;
    SyncFileReport* rep = nullptr;
    const std::string_view rest = std::string_view(bytes).substr(f.applied);
    ReadEnd end = ScanRecords(rest, f.applied, std::size_t(-1), ends, headerEnd, taken);
    if (!ends.empty()) {
      // One parser for all of them: the records lie one after another.
      CMemoryByteSource source(rest.substr(headerEnd, ends.back() - headerEnd));
      CTransactionParser parser(source);
      for (std::size_t k = 0; k < ends.size(); ++k) {
        TransactionRecordData r;
        if (parser.Next(r) != CTransactionParser::Status::Record) {
          end = ReadEnd::Damaged;
          taken = k > 0 ? ends[k - 1] : headerEnd;
          break;
        }
        fresh.push_back({idx, n++, std::move(r)});
      }
    }
    const std::size_t added = n - f.records;
    if (added > 0 || end != ReadEnd::Waiting) {
      rep = &report(idx, name);
      rep->records += added;
      rep->own = f.own;
      rep->complete = end == ReadEnd::Complete;
    }
    f.records = n;
    f.applied += taken;
    f.tail = tailOf(f.applied);
    f.complete = end == ReadEnd::Complete;
    if (end == ReadEnd::Damaged) {
      f.damaged = true;
      rep->problem =
          FormatMessage(LoadString(IDS_SYNC_DAMAGED), {static_cast<long long>(f.applied)});
    }
  }

  // Everything new, in the one order.
  std::vector<SyncOrder> orders(state.files.size());
  for (std::size_t i = 0; i < state.files.size(); ++i) orders[i] = OrderOf(state.files[i]);
  auto fileLess = [&](std::uint32_t fa, std::uint32_t fb) {
    const SyncOrder& a = orders[fa];
    const SyncOrder& b = orders[fb];
    if (a.stamp != b.stamp) return a.stamp < b.stamp;
    if (a.number != b.number) return a.number < b.number;
    if (a.first != b.first) return a.first < b.first;
    return a.name < b.name;
  };
  // Files of one place in the order (a file replaced by its own copy) share a rank.
  std::vector<std::uint32_t> byOrder(state.files.size());
  for (std::uint32_t i = 0; i < byOrder.size(); ++i) byOrder[i] = i;
  std::sort(byOrder.begin(), byOrder.end(), fileLess);
  std::vector<std::uint32_t> rank(state.files.size());
  for (std::size_t i = 1; i < byOrder.size(); ++i)
    rank[byOrder[i]] = rank[byOrder[i - 1]] + (fileLess(byOrder[i - 1], byOrder[i]) ? 1 : 0);
  auto less = [&](std::uint32_t fa, std::uint32_t ra, std::uint32_t fb, std::uint32_t rb) {
    return rank[fa] != rank[fb] ? rank[fa] < rank[fb] : ra < rb;
  };
  // Each file's records lie together and in their order: only the files are sorted.
  std::vector<std::pair<std::size_t, std::size_t>> runs;  // first, end in `fresh`
  for (std::size_t i = 0; i < fresh.size(); ++i)
    if (i == 0 || fresh[i].file != fresh[i - 1].file) runs.emplace_back(i, i);
  for (auto& run : runs) {
    run.second = run.first;
    while (run.second < fresh.size() && fresh[run.second].file == fresh[run.first].file)
      ++run.second;
  }
  std::stable_sort(runs.begin(), runs.end(), [&](const auto& x, const auto& y) {
    return rank[fresh[x.first].file] < rank[fresh[y.first].file];
  });
  std::vector<std::uint32_t> sequence;
  sequence.reserve(fresh.size());
  for (const auto& [first, end] : runs)
    for (std::size_t i = first; i < end; ++i) sequence.push_back(static_cast<std::uint32_t>(i));
  state.index.reserve(state.index.size() + fresh.size());

  // Pictures of one number that are different files here and in a file.
  std::set<std::pair<std::uint32_t, std::int32_t>> otherPictures;
  {
    CLogAside aside(doc);
    TransactionReplayer replayer(doc, false);
    // This copy's own records are in the album already; they only take
    // their place in the index, before the others are weighed against them.
    for (const bool own : {true, false}) {
      for (const std::uint32_t at : sequence) {
        NewRecord& nr = fresh[at];
        FileState& f = state.files[nr.file];
        if (f.own != own) continue;
        if (!own && !SamePicture(doc, nr, f.name, otherPictures, summary.otherPictures)) continue;
        bool removal = false;
        const Key key = KeyOf(nr.data, removal);
        bool overtaken = false;
        auto it = state.index.find(key);
        if (it != state.index.end()) {
          const Winner& w = it->second;
          // The same place in the order is the same record: never twice.
          if (!less(w.file, w.record, nr.file, nr.record)) {
            if (!less(nr.file, nr.record, w.file, w.record)) continue;
            overtaken = true;
          }
          // Both changed it, this copy after the other editor's file began.
          if (!own && w.own && !less(w.file, w.record, nr.file, 0))
            AddConflicts(doc, nr.data, removal, !overtaken, f.name, w.removal, summary.conflicts);
        }
        Key parents[2];
        const int nParents = ParentsOf(key, parents);
        for (int i = 0; i < nParents; ++i) {
          const auto p = state.index.find(parents[i]);
          if (p != state.index.end() && p->second.removal &&
              less(nr.file, nr.record, p->second.file, p->second.record))
            overtaken = true;
        }
        if (overtaken) {
          if (!own) ++summary.overtaken;
          continue;
        }
        const Winner now{nr.file, nr.record, removal, own};
        if (it != state.index.end())
          it->second = now;
        else
          state.index.emplace(key, now);
        if (own) continue;
        replayer.Submit(nr.data);
        ++summary.applied;
        if (reportOf.size() > nr.file && reportOf[nr.file] != std::string::npos)
          ++summary.files[reportOf[nr.file]].applied;
      }
    }
    replayer.Settle();
  }
  if (summary.applied > 0) doc.UpdateAllViews(nullptr);

  if (!stateChanged) return summary;
  const std::string stateText = SerializeState(state);
  if (summary.applied == 0) {
    if (const int err = WriteAtomically(SyncStatePath(albumPath), stateText); err != 0)
      summary.error = FormatMessage(LoadString(IDS_SYNC_STATE_NOT_WRITTEN),
                                    {PrintableName(SyncStatePath(albumPath)), ErrnoText(err)});
    return summary;
  }
  // The new state waits beside the album until the album is saved; see
  // RecoverPending for a sync cut off in between.
  const std::string pending = PendingPath(albumPath);
  if (const int err =
          WriteAtomically(pending, IdentityLine(FileIdentity::OfPath(albumPath)) + stateText);
      err != 0) {
    summary.error = FormatMessage(LoadString(IDS_SYNC_STATE_NOT_WRITTEN),
                                  {PrintableName(pending), ErrnoText(err)});
    return summary;
  }
  std::string error;
  if (!save(error)) {
    ::unlink(pending.c_str());
    summary.error = error;
    return summary;
  }
  summary.saved = true;
  if (::rename(pending.c_str(), SyncStatePath(albumPath).c_str()) != 0) {
    // Left as pending: the next sync takes it, the album being a new one.
    summary.error = FormatMessage(LoadString(IDS_SYNC_STATE_NOT_WRITTEN),
                                  {PrintableName(SyncStatePath(albumPath)), ErrnoText(errno)});
    return summary;
  }
  SyncFolderOf(albumPath);
  return summary;
}

bool TakeSyncConflict(CMeriskDoc& doc, const SyncConflict& conflict) {
  if (!conflict.loser) return false;
  // Through the record operations, so that the change is logged like any other.
  TransactionRecordData record = *conflict.loser;
  TransactionReplayer replayer(doc, false);
  replayer.Submit(record);
  replayer.Settle();
  doc.UpdateAllViews(nullptr);
  return true;
}

SyncNews SyncFolderNews(const std::string& albumPath, const std::string& folderIn) {
  State state;
  std::string error;
  std::vector<std::pair<std::string, std::uint64_t>> names;
  // What cannot be read now is the sync's to report, not the look's.
  if (!LoadState(albumPath, state, error) || !ListTransactionFiles(WithSlash(folderIn), names, error))
    return {};
  const std::vector<OwnFile> ownFiles = ReadOwnFiles(albumPath);
  const std::string folder = WithSlash(folderIn);
  SyncNews news;
  for (const auto& [name, ino] : names) {
    const auto known = state.byName.find(name);
    const FileState* f = known == state.byName.end() ? nullptr : &state.files[known->second];
    if (f && (f->own || (f->complete && f->ino == ino && ino != 0))) continue;
    struct stat st {};
    const std::string path = folder + name;
    // Files the sync would only list as a problem again are no news.
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes ||
        ::access(path.c_str(), R_OK) != 0)
      continue;
    if (f ? f->size == st.st_size && f->mtimeNs == MtimeNs(st) : IsOwnFile(ownFiles, st, name))
      continue;
    ++news.files;
    news.fingerprint = Fnv(name, news.fingerprint ^ static_cast<std::uint64_t>(st.st_size) ^
                                     static_cast<std::uint64_t>(MtimeNs(st)));
  }
  return news;
}

std::string SyncConflictText(const SyncConflict& c) {
  std::string what;
  switch (c.kind) {
    case TransactionRecord::AddUpdatePicture:
    case TransactionRecord::RemovePicture:
      what = FormatMessage(LoadString(IDS_SYNC_ENTITY_PICTURE), {static_cast<long long>(c.a)});
      break;
    case TransactionRecord::AddUpdatePerson:
    case TransactionRecord::RemovePerson:
      what = FormatMessage(LoadString(IDS_SYNC_ENTITY_PERSON), {static_cast<long long>(c.a)});
      break;
    case TransactionRecord::AddUpdateTheme:
    case TransactionRecord::RemoveTheme:
      what = FormatMessage(LoadString(IDS_SYNC_ENTITY_THEME), {static_cast<long long>(c.a)});
      break;
    case TransactionRecord::AddUpdatePersonOnPicture:
    case TransactionRecord::RemovePersonOnPicture:
      what = FormatMessage(LoadString(IDS_SYNC_ENTITY_MARK),
                           {static_cast<long long>(c.a), static_cast<long long>(c.b)});
      break;
    case TransactionRecord::AddUpdateThemeOfPicture:
    case TransactionRecord::RemoveThemeOfPicture:
      what = FormatMessage(LoadString(IDS_SYNC_ENTITY_LINK),
                           {static_cast<long long>(c.a), static_cast<long long>(c.b)});
      break;
  }
  return FormatMessage(LoadString(IDS_SYNC_CONFLICT),
                       {what, c.field, PrintableName(c.mine), PrintableName(c.file),
                        PrintableName(c.theirs), PrintableName(c.theirsWon ? c.theirs : c.mine)});
}

std::string SyncSummaryText(const SyncSummary& s, bool withConflicts) {
  std::string out;
  for (const SyncFileReport& f : s.files) {
    if (!f.problem.empty())
      out += FormatMessage(LoadString(IDS_SYNC_FILE_PROBLEM), {PrintableName(f.name), f.problem});
    else if (f.own)
      out += FormatMessage(LoadString(IDS_SYNC_FILE_OWN),
                           {PrintableName(f.name), static_cast<long long>(f.records)});
    else
      out += FormatMessage(LoadString(IDS_SYNC_FILE_LINE),
                           {PrintableName(f.name), f.stamp, static_cast<long long>(f.records),
                            static_cast<long long>(f.applied)});
    out += '\n';
  }
  out += FormatMessage(LoadString(IDS_SYNC_TOTAL),
                       {static_cast<long long>(s.applied), static_cast<long long>(s.overtaken)});
  out += '\n';
  if (withConflicts)
    for (const SyncConflict& c : s.conflicts) out += SyncConflictText(c) + '\n';
  for (const std::string& line : s.otherPictures) out += line + '\n';
  return out;
}

}  // namespace kolvaro
