// The XMP store on Exiv2. Packets are decoded and encoded in memory; a
// sidecar is written under a temporary name and renamed, a picture gets its
// new packet through CJpegXmpFile, which keeps every other byte of it. A
// failed or killed write never leaves half a sidecar or picture behind.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include <exiv2/exiv2.hpp>

#include "core/safefile.h"
#include "maintenance/jpegsegments.h"
#include "maintenance/xmpstore.h"
#include "res/strings.h"

namespace kolvaro {

std::string SidecarPath(const std::string& picture, SidecarName form) {
  if (form == SidecarName::kWithExtension) return picture + ".xmp";
  const std::size_t slash = picture.find_last_of('/');
  const std::size_t dot = picture.find_last_of('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return (hasExtension ? picture.substr(0, dot) : picture) + ".xmp";
}

namespace {

const std::string kRegions = "Xmp.mwg-rs.Regions";
const std::string kRegionList = "Xmp.mwg-rs.Regions/mwg-rs:RegionList";
const std::string kApplied = "Xmp.mwg-rs.Regions/mwg-rs:AppliedToDimensions";
const std::string kMpRegions = "Xmp.MP.RegionInfo/MPRI:Regions";

std::string Reason(int error) {
  const std::string_view text = FileFailureText(FileFailureOf(error));
  return text.empty() ? std::string(std::strerror(error)) : std::string(text);
}

std::string FileError(const std::string& path, int error) {
  return FormatMessage(LoadString(IDS_XMP_FILE_ERROR), {path, Reason(error)});
}

void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::XmpParser::initialize();
    // The library writes its own complaints to stderr; callers get ours.
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
  });
}

// XMP packets are kilobytes: a larger file is no sidecar and is not read.
constexpr std::size_t kMaxSidecarBytes = 16 << 20;

bool ReadWholeFile(const std::string& path, std::string& bytes, int& error) {
  const int fd = OpenRegularFile(path, error);
  if (fd < 0) return false;
  bytes.clear();
  struct stat st {};
  if (::fstat(fd, &st) == 0 && static_cast<std::uint64_t>(st.st_size) > kMaxSidecarBytes) {
    error = EFBIG;
    ::close(fd);
    return false;
  }
  char buffer[65536];
  for (;;) {
    if (bytes.size() > kMaxSidecarBytes) {  // it grew meanwhile
      error = EFBIG;
      ::close(fd);
      return false;
    }
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

std::string ReadError(const std::string& path, int error) {
  if (error == kNotARegularFile) return NotARegularFileText(path);
  if (error == EFBIG) return FormatMessage(LoadString(IDS_XMP_SIDECAR_TOO_LARGE), {path});
  return FileError(path, error);
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::string Text(const Exiv2::XmpData& xmp, const std::string& key) {
  const auto it = xmp.findKey(Exiv2::XmpKey(key));
  return it == xmp.end() ? std::string() : it->toString();
}

bool Has(const Exiv2::XmpData& xmp, const std::string& key) {
  return xmp.findKey(Exiv2::XmpKey(key)) != xmp.end();
}

double Number(const std::string& text, bool& ok) {
  if (text.empty()) {
    ok = false;
    return 0;
  }
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end == text.c_str()) ok = false;
  return v;
}

std::string LangAlt(const Exiv2::XmpData& xmp, const std::string& key) {
  const auto it = xmp.findKey(Exiv2::XmpKey(key));
  if (it == xmp.end()) return {};
  if (const auto* alt = dynamic_cast<const Exiv2::LangAltValue*>(&it->value())) {
    const auto found = alt->value_.find("x-default");
    if (found != alt->value_.end()) return found->second;
    return alt->value_.empty() ? std::string() : alt->value_.begin()->second;
  }
  return it->toString();
}

void ReadMwgRegions(const Exiv2::XmpData& xmp, XmpContent& content) {
  AppliedTo applied;
  bool ok = true;
  applied.width = Number(Text(xmp, kApplied + "/stDim:w"), ok);
  applied.height = Number(Text(xmp, kApplied + "/stDim:h"), ok);
  if (!ok) applied = {};
  for (int i = 1;; ++i) {
    const std::string item = kRegionList + "[" + std::to_string(i) + "]";
    if (!Has(xmp, item) && !Has(xmp, item + "/mwg-rs:Area/stArea:x")) break;
    XmpRegion region;
    region.name = Text(xmp, item + "/mwg-rs:Name");
    region.type = Text(xmp, item + "/mwg-rs:Type");
    const std::string area = item + "/mwg-rs:Area/stArea:";
    bool areaOk = true;
    region.area = {Number(Text(xmp, area + "x"), areaOk), Number(Text(xmp, area + "y"), areaOk),
                   Number(Text(xmp, area + "w"), areaOk), Number(Text(xmp, area + "h"), areaOk)};
    if (!areaOk) region.area = {};
    region.applied = applied;
    region.applied.pixelUnit = Text(xmp, area + "unit") == "pixel";
    content.regions.push_back(std::move(region));
  }
}

// The older Microsoft schema: "x, y, w, h" from the top left corner.
void ReadMpRegions(const Exiv2::XmpData& xmp, XmpContent& content) {
  for (int i = 1;; ++i) {
    const std::string item = kMpRegions + "[" + std::to_string(i) + "]";
    const std::string rectangle = Text(xmp, item + "/MPReg:Rectangle");
    const std::string name = Text(xmp, item + "/MPReg:PersonDisplayName");
    if (!Has(xmp, item) && rectangle.empty() && name.empty()) break;
    XmpRegion region;
    region.name = name;
    region.type = "Face";
    double v[4] = {0, 0, 0, 0};
    if (std::sscanf(rectangle.c_str(), "%lf , %lf , %lf , %lf", &v[0], &v[1], &v[2], &v[3]) == 4)
      region.area = {v[0] + v[2] / 2, v[1] + v[3] / 2, v[2], v[3]};
    content.regions.push_back(std::move(region));
  }
}

void ReadContent(const Exiv2::XmpData& xmp, XmpContent& content) {
  ReadMwgRegions(xmp, content);
  if (content.regions.empty()) ReadMpRegions(xmp, content);
  const auto subject = xmp.findKey(Exiv2::XmpKey("Xmp.dc.subject"));
  if (subject != xmp.end())
    for (long i = 0; i < subject->count(); ++i) content.keywords.push_back(subject->toString(i));
  content.title = LangAlt(xmp, "Xmp.dc.title");
  content.description = LangAlt(xmp, "Xmp.dc.description");
}

void AddStruct(Exiv2::XmpData& xmp, const std::string& key) {
  Exiv2::XmpTextValue v;
  v.setXmpStruct();
  xmp.add(Exiv2::XmpKey(key), &v);
}

void SetText(Exiv2::XmpData& xmp, const std::string& key, const std::string& text) {
  Exiv2::XmpTextValue v(text);
  xmp.add(Exiv2::XmpKey(key), &v);
}

std::string Decimal(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6f", v);
  return buffer;
}

// A datum kept aside while the regions are rebuilt.
struct Datum {
  std::string key;
  std::shared_ptr<Exiv2::Value> value;
};

void Merge(Exiv2::XmpData& xmp, const XmpContent& content) {
  // Face regions of the persons written are replaced; others stay as they were.
  std::set<std::string> written;
  for (const XmpRegion& r : content.regions) written.insert(FoldCase(r.name));
  std::vector<std::vector<Datum>> kept;
  for (int i = 1;; ++i) {
    const std::string item = kRegionList + "[" + std::to_string(i) + "]";
    std::vector<Datum> datums;
    for (const Exiv2::Xmpdatum& d : xmp)
      if (d.key() == item || d.key().rfind(item + "/", 0) == 0)
        datums.push_back({d.key().substr(item.size()), std::shared_ptr<Exiv2::Value>(d.getValue().release())});
    if (datums.empty()) break;
    const bool replaced = Text(xmp, item + "/mwg-rs:Type") == "Face" &&
                          written.count(FoldCase(Text(xmp, item + "/mwg-rs:Name"))) != 0;
    if (!replaced) kept.push_back(std::move(datums));
  }
  // Region datums go back parents first, so the encoder meets each container
  // before its members.
  const bool newDimensions = !content.regions.empty();
  std::vector<Datum> regionsRest;
  for (auto it = xmp.begin(); it != xmp.end();) {
    const std::string key = it->key();
    if (key == kRegions || key.rfind(kRegions + "/", 0) == 0) {
      if (key.rfind(kRegionList, 0) != 0 && key != kRegions && !(newDimensions && key.rfind(kApplied, 0) == 0))
        regionsRest.push_back({key, std::shared_ptr<Exiv2::Value>(it->getValue().release())});
      it = xmp.erase(it);
    } else {
      ++it;
    }
  }
  if (!content.regions.empty() || !kept.empty()) {
    AddStruct(xmp, kRegions);
    for (Datum& d : regionsRest) xmp.add(Exiv2::XmpKey(d.key), d.value.get());
    const XmpRegion* first = content.regions.empty() ? nullptr : &content.regions.front();
    if (first) {
      AddStruct(xmp, kApplied);
      SetText(xmp, kApplied + "/stDim:w", std::to_string(static_cast<long long>(first->applied.width)));
      SetText(xmp, kApplied + "/stDim:h", std::to_string(static_cast<long long>(first->applied.height)));
      SetText(xmp, kApplied + "/stDim:unit", "pixel");
    }
    Exiv2::XmpTextValue list;
    list.setXmpArrayType(Exiv2::XmpValue::xaBag);
    xmp.add(Exiv2::XmpKey(kRegionList), &list);
    int index = 0;
    for (std::vector<Datum>& datums : kept) {
      const std::string item = kRegionList + "[" + std::to_string(++index) + "]";
      for (Datum& d : datums) xmp.add(Exiv2::XmpKey(item + d.key), d.value.get());
    }
    for (const XmpRegion& r : content.regions) {
      const std::string item = kRegionList + "[" + std::to_string(++index) + "]";
      AddStruct(xmp, item);
      AddStruct(xmp, item + "/mwg-rs:Area");
      SetText(xmp, item + "/mwg-rs:Area/stArea:x", Decimal(r.area.x));
      SetText(xmp, item + "/mwg-rs:Area/stArea:y", Decimal(r.area.y));
      SetText(xmp, item + "/mwg-rs:Area/stArea:w", Decimal(r.area.w));
      SetText(xmp, item + "/mwg-rs:Area/stArea:h", Decimal(r.area.h));
      SetText(xmp, item + "/mwg-rs:Area/stArea:unit", "normalized");
      SetText(xmp, item + "/mwg-rs:Type", "Face");
      SetText(xmp, item + "/mwg-rs:Name", r.name);
    }
  }

  if (!content.keywords.empty()) {
    std::vector<std::string> keywords;
    const auto subject = xmp.findKey(Exiv2::XmpKey("Xmp.dc.subject"));
    if (subject != xmp.end()) {
      for (long i = 0; i < subject->count(); ++i) keywords.push_back(subject->toString(i));
      xmp.erase(subject);
    }
    for (const std::string& k : content.keywords)
      if (std::find(keywords.begin(), keywords.end(), k) == keywords.end()) keywords.push_back(k);
    Exiv2::XmpArrayValue bag(Exiv2::xmpBag);
    for (const std::string& k : keywords) bag.read(k);
    xmp.add(Exiv2::XmpKey("Xmp.dc.subject"), &bag);
  }

  if (!content.title.empty()) {
    Exiv2::LangAltValue title;
    const auto old = xmp.findKey(Exiv2::XmpKey("Xmp.dc.title"));
    if (old != xmp.end()) {
      if (const auto* alt = dynamic_cast<const Exiv2::LangAltValue*>(&old->value())) title.value_ = alt->value_;
      xmp.erase(old);
    }
    title.value_["x-default"] = content.title;
    xmp.add(Exiv2::XmpKey("Xmp.dc.title"), &title);
  }
}

bool Encode(const Exiv2::XmpData& xmp, std::string& packet) {
  return Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::omitPacketWrapper) == 0;
}

// Whether an existing file at `path` may be replaced; true when there is none.
bool FileWritable(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) != 0 ||
         (ModeAllowsWrite(st, ::geteuid(), true) && ::access(path.c_str(), W_OK) == 0);
}

// Whether a save into `path` may go ahead: an existing file must be
// writable, and its folder too, since the new file is made beside it. The
// mode bits decide for root as well: a folder marked read-only stays so.
bool Writable(const std::string& path, std::string& error) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  struct stat st {};
  if (FileWritable(path) && ::stat(folder.c_str(), &st) == 0 && ModeAllowsWrite(st, ::geteuid(), true) &&
      ::access(folder.c_str(), W_OK | X_OK) == 0)
    return true;
  error = FormatMessage(LoadString(IDS_XMP_READ_ONLY), {path});
  return false;
}

// The packet as it goes into a picture: wrapped, with room for other
// programs to add to it in place where one segment has that room.
bool EncodeEmbedded(const Exiv2::XmpData& xmp, std::string& packet) {
  for (std::uint32_t padding : {2048u, 0u}) {
    if (Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::useCompactFormat, padding) != 0) return false;
    if (packet.size() <= kMaxXmpPacket) break;
  }
  return true;
}

class CExiv2XmpStore final : public IXmpStore {
 public:
  CExiv2XmpStore() { InitialiseOnce(); }

  bool ReadGeometry(const std::string& picture, PictureGeometry& geometry, std::string& error) override {
    geometry = {};
    try {
      auto image = OpenPicture(picture, error);
      if (!image.get()) return false;
      geometry.width = static_cast<unsigned>(std::max(0, image->pixelWidth()));
      geometry.height = static_cast<unsigned>(std::max(0, image->pixelHeight()));
      const auto it = image->exifData().findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
      if (it != image->exifData().end() && it->count() > 0) geometry.orientation = static_cast<int>(it->toLong());
      if (geometry.width == 0 || geometry.height == 0) {
        error = FormatMessage(LoadString(IDS_XMP_NO_PICTURE_SIZE), {picture});
        return false;
      }
      return true;
    } catch (const std::exception& e) {
      error = FormatMessage(LoadString(IDS_XMP_NOT_READABLE), {picture, std::string(e.what())});
      return false;
    }
  }

  bool Read(const std::string& picture, XmpContent& content, std::string& source, std::string& error) override {
    content = {};
    source.clear();
    try {
      for (SidecarName form : {SidecarName::kWithExtension, SidecarName::kWithoutExtension}) {
        const std::string sidecar = SidecarPath(picture, form);
        if (!Exists(sidecar)) continue;
        source = sidecar;
        std::string packet;
        int err = 0;
        if (!ReadWholeFile(sidecar, packet, err)) {
          error = ReadError(sidecar, err);
          return false;
        }
        Exiv2::XmpData xmp;
        if (Exiv2::XmpParser::decode(xmp, packet) != 0) {
          error = FormatMessage(LoadString(IDS_XMP_NOT_READABLE), {sidecar, std::string()});
          return false;
        }
        ReadContent(xmp, content);
        return true;
      }
      source = picture;
      auto image = OpenPicture(picture, error);
      if (!image.get()) return false;
      ReadContent(image->xmpData(), content);
      return true;
    } catch (const std::exception& e) {
      error = FormatMessage(LoadString(IDS_XMP_NOT_READABLE), {source, std::string(e.what())});
      return false;
    }
  }

  bool WriteSidecar(const std::string& path, const XmpContent& content, std::string& error) override {
    try {
      // Nothing is written through a link: a dangling one would create its
      // target wherever it points.
      struct stat st {};
      const bool exists = ::lstat(path.c_str(), &st) == 0;
      if (!exists && errno != ENOENT) {
        error = FileError(path, errno);
        return false;
      }
      if (exists && !S_ISREG(st.st_mode)) {
        error = FormatMessage(LoadString(S_ISLNK(st.st_mode) ? IDS_XMP_SIDECAR_IS_LINK : IDS_XMP_SIDECAR_NOT_FILE),
                              {path});
        return false;
      }
      if (!Writable(path, error)) return false;
      Exiv2::XmpData xmp;
      if (exists) {
        std::string packet;
        int err = 0;
        if (!ReadWholeFile(path, packet, err)) {
          error = ReadError(path, err);
          return false;
        }
        // A sidecar we cannot understand is not replaced: it may hold what
        // another program needs.
        if (Exiv2::XmpParser::decode(xmp, packet) != 0) {
          error = FormatMessage(LoadString(IDS_XMP_NOT_READABLE), {path, std::string()});
          return false;
        }
      }
      Merge(xmp, content);
      std::string packet;
      if (!Encode(xmp, packet)) {
        error = FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {path});
        return false;
      }
      if (packet.rfind("<?xml", 0) != 0) packet.insert(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
      // Never in place, not even for a sidecar with several names: a write
      // cut short would leave none of them whole.
      return Prepare(path, packet, exists ? &st : nullptr, error);
    } catch (const std::exception& e) {
      error = FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {path}) + " " + e.what();
      return false;
    }
  }

  bool WriteEmbedded(const std::string& picture, const XmpContent& content, std::string& error) override {
    using Result = CJpegXmpFile::Result;
    try {
      // A locked folder is no reason to refuse: the sidecar may still go.
      if (!FileWritable(picture)) {
        error = FormatMessage(LoadString(IDS_XMP_READ_ONLY), {picture});
        return false;
      }
      CJpegXmpFile file;
      Result result = file.Open(picture);
      if (result == Result::kOk) {
        Exiv2::XmpData xmp;
        // A packet we cannot understand is not replaced: it may hold what
        // another program needs.
        if (!file.Packet().empty() && Exiv2::XmpParser::decode(xmp, file.Packet()) != 0) {
          error = FormatMessage(LoadString(IDS_XMP_NOT_READABLE), {picture, std::string()});
          return false;
        }
        Merge(xmp, content);
        std::string packet;
        if (!EncodeEmbedded(xmp, packet)) {
          error = FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {picture});
          return false;
        }
        result = file.Replace(packet);
      }
      const auto text = [&](StringId id) { return FormatMessage(LoadString(id), {picture}); };
      switch (result) {
        case Result::kOk: return true;
        case Result::kHardLinks: return InSidecarInstead(picture, content, text(IDS_XMP_EMBED_HARD_LINKS), error);
        case Result::kFolderLocked:
          return InSidecarInstead(picture, content, text(IDS_XMP_EMBED_FOLDER_LOCKED), error);
        case Result::kTooLarge: return InSidecarInstead(picture, content, text(IDS_XMP_EMBED_TOO_LARGE), error);
        case Result::kNotJpeg: return InSidecarInstead(picture, content, text(IDS_XMP_EMBED_NOT_JPEG), error);
        case Result::kDamaged: error = text(IDS_XMP_EMBED_DAMAGED); break;
        case Result::kChanged: error = text(IDS_XMP_EMBED_CHANGED); break;
        case Result::kNotRegular: error = NotARegularFileText(picture); break;
        case Result::kIoError: error = FileError(picture, file.Error()); break;
      }
      return false;
    } catch (const std::exception& e) {
      error = FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {picture}) + " " + e.what();
      return false;
    }
  }

  std::vector<WriteFailure> Flush() override {
    std::vector<WriteFailure> failures;
    if (m_pending.empty()) return failures;
    // One flush of each file system instead of one per file: until it is
    // done no name points at a new sidecar, so a crash leaves none half written.
    std::set<std::string> folders;
    for (const Pending& p : m_pending) folders.insert(FolderOf(p.target));
    for (const std::string& folder : folders) {
      const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
      }
    }
    for (const Pending& p : m_pending) {
      const unsigned flags = p.replaces ? 0 : RENAME_NOREPLACE;
      if (::renameat2(AT_FDCWD, p.temp.c_str(), AT_FDCWD, p.target.c_str(), flags) == 0) continue;
      const int err = errno;
      ::unlink(p.temp.c_str());
      failures.push_back({p.target, err == EEXIST ? FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {p.target})
                                                  : FileError(p.target, err)});
    }
    for (const std::string& folder : folders) {
      const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
      }
    }
    m_pending.clear();
    return failures;
  }

  ~CExiv2XmpStore() override { Flush(); }

 private:
  struct Pending {
    std::string temp;
    std::string target;
    bool replaces;  ///< an existing sidecar; a new one never replaces a file
  };

  static std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  }

  // A sidecar under a temporary name beside its place, not yet flushed; it
  // takes the owner and mode of the one it replaces (`old`). False without
  // a temporary file left behind.
  bool Prepare(const std::string& path, const std::string& packet, const struct stat* old, std::string& error) {
    const std::size_t slash = path.find_last_of('/');
    std::string temp = path.substr(0, slash + 1) + "." + path.substr(slash + 1) + ".tmp-" +
                       std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      error = err == EACCES || err == EROFS || err == EPERM ? FormatMessage(LoadString(IDS_XMP_READ_ONLY), {path})
                                                            : FileError(path, err);
      return false;
    }
    mode_t mode;
    if (old) {
      // Owner first: a change of owner clears the set-id bits the mode restores.
      if (::fchown(fd, old->st_uid, old->st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old->st_gid);
      mode = old->st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    int err = ::fchmod(fd, mode) != 0 ? errno : WriteAll(fd, packet);
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
      ::unlink(temp.c_str());
      error = FileError(path, err);
      return false;
    }
    m_pending.push_back({std::move(temp), path, old != nullptr});
    return true;
  }

  std::vector<Pending> m_pending;

  // Where the picture itself cannot take the XMP, its sidecar does: the one
  // other programs already read, else the name with extension. Still a
  // problem for the export, since the picture was not written as asked.
  bool InSidecarInstead(const std::string& picture, const XmpContent& content, const std::string& reason,
                        std::string& error) {
    std::string sidecar = SidecarPath(picture, SidecarName::kWithExtension);
    const std::string other = SidecarPath(picture, SidecarName::kWithoutExtension);
    struct stat st {};
    if (::lstat(sidecar.c_str(), &st) != 0 && ::lstat(other.c_str(), &st) == 0) sidecar = other;
    const bool pending = std::any_of(m_pending.begin(), m_pending.end(),
                                     [&](const Pending& p) { return p.target == sidecar; });
    std::string failure;
    if (!pending && !WriteSidecar(sidecar, content, failure)) {
      error = reason + " " + failure;
      return false;
    }
    error = reason + " " + FormatMessage(LoadString(IDS_XMP_IN_SIDECAR_INSTEAD), {sidecar});
    return false;
  }

  static Exiv2::Image::AutoPtr OpenPicture(const std::string& picture, std::string& error) {
    int err = 0;
    const int fd = OpenRegularFile(picture, err);
    if (fd < 0) {
      error = err == kNotARegularFile ? NotARegularFileText(picture) : FileError(picture, err);
      return Exiv2::Image::AutoPtr();
    }
    ::close(fd);
    auto image = Exiv2::ImageFactory::open(picture);
    image->readMetadata();
    return image;
  }
};

}  // namespace

std::unique_ptr<IXmpStore> CreateXmpStore() { return std::make_unique<CExiv2XmpStore>(); }

}  // namespace kolvaro
