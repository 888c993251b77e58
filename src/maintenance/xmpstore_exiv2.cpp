// The XMP store on Exiv2. Packets are decoded and encoded in memory; a
// sidecar is written under a temporary name and renamed, a picture gets its
// new packet through CJpegXmpFile, which keeps every other byte of it. A
// failed or killed write never leaves half a sidecar or picture behind.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <map>
#include <unordered_set>
#include <utility>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <set>

#include <exiv2/exiv2.hpp>

#include "core/cp1252.h"
#include "core/numbers.h"
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
const std::string kOwnNamespace = "http://ns.kolvaro.de/album/1.0/";
// What Kolvaro wrote into the packet last time, so that the next export can
// take back what the album no longer says (a renamed person, a deleted theme).
const std::string kOwnPersons = "Xmp.kolvaro.Persons";
const std::string kOwnKeywords = "Xmp.kolvaro.Keywords";
const std::string kOwnTitle = "Xmp.kolvaro.Title";
const std::string kOwnPrefix = "Xmp.kolvaro.";

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
    Exiv2::XmpProperties::registerNs(kOwnNamespace, "kolvaro");
    // The library writes its own complaints to stderr; callers get ours.
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
  });
}

// XMP packets are kilobytes: a larger file is no sidecar and is not read.
constexpr std::size_t kMaxSidecarBytes = 16 << 20;

bool ReadWholeFile(const std::string& path, std::string& bytes, int& error) {
  return ReadRegularFile(path, bytes, error, kMaxSidecarBytes);
}

std::string ReadError(const std::string& path, int error) {
  if (error == kNotARegularFile) return NotARegularFileText(path);
  if (error == EFBIG) return FormatMessage(LoadString(IDS_XMP_SIDECAR_TOO_LARGE), {path});
  return FileError(path, error);
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// The library's own complaints are English and name its internals; the user
// reads ours.
std::string LibraryFailure() { return std::string(LoadString(IDS_XMP_LIBRARY_FAILURE)); }


bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// "[12]/rest" after `list` in `key`: the item's index and what follows it.
bool ItemOf(std::string_view key, std::string_view list, int& index, std::string_view& rest) {
  if (!StartsWith(key, list) || key.size() <= list.size() || key[list.size()] != '[') return false;
  const std::size_t close = key.find(']', list.size());
  if (close == std::string_view::npos) return false;
  const char* first = key.data() + list.size() + 1;
  const auto r = std::from_chars(first, key.data() + close, index);
  if (r.ec != std::errc() || r.ptr != key.data() + close) return false;
  rest = key.substr(close + 1);
  return true;
}

// A region number; one written with a decimal comma by an earlier Kolvaro
// in a German session is read too.
double Number(const std::string& text, bool& ok) {
  double v = 0;
  if (!ParseDecimal(text, v, true)) ok = false;
  return v;
}

std::vector<std::string> Items(const Exiv2::Xmpdatum& d) {
  std::vector<std::string> items;
  for (long i = 0; i < d.count(); ++i) items.push_back(d.toString(i));
  return items;
}

std::string LangAltDefault(const Exiv2::Xmpdatum& d) {
  if (const auto* alt = dynamic_cast<const Exiv2::LangAltValue*>(&d.value())) {
    const auto found = alt->value_.find("x-default");
    if (found != alt->value_.end()) return found->second;
    return alt->value_.empty() ? std::string() : alt->value_.begin()->second;
  }
  return d.toString();
}

struct RegionFields {
  std::string name;
  std::string type;
  std::string area[4];  // x, y, w, h
  std::string unit;
};

// One pass over the packet: lookups by key would be linear each.
void ReadMwgRegions(const Exiv2::XmpData& xmp, XmpContent& content) {
  std::map<int, RegionFields> items;
  std::string appliedW, appliedH;
  static const char* const kArea[] = {"/mwg-rs:Area/stArea:x", "/mwg-rs:Area/stArea:y", "/mwg-rs:Area/stArea:w",
                                      "/mwg-rs:Area/stArea:h"};
  for (const Exiv2::Xmpdatum& d : xmp) {
    const std::string key = d.key();
    if (!StartsWith(key, kRegions)) continue;
    int index = 0;
    std::string_view rest;
    if (ItemOf(key, kRegionList, index, rest)) {
      RegionFields& f = items[index];
      if (rest == "/mwg-rs:Name") f.name = d.toString();
      else if (rest == "/mwg-rs:Type") f.type = d.toString();
      else if (rest == "/mwg-rs:Area/stArea:unit") f.unit = d.toString();
      for (int i = 0; i < 4; ++i)
        if (rest == kArea[i]) f.area[i] = d.toString();
    } else if (key == kApplied + "/stDim:w") {
      appliedW = d.toString();
    } else if (key == kApplied + "/stDim:h") {
      appliedH = d.toString();
    }
  }
  AppliedTo applied;
  bool ok = true;
  applied.width = Number(appliedW, ok);
  applied.height = Number(appliedH, ok);
  if (!ok) applied = {};
  for (auto& [index, f] : items) {
    XmpRegion region;
    region.name = std::move(f.name);
    region.type = std::move(f.type);
    bool areaOk = true;
    region.area = {Number(f.area[0], areaOk), Number(f.area[1], areaOk), Number(f.area[2], areaOk),
                   Number(f.area[3], areaOk)};
    if (!areaOk) region.area = {};
    region.applied = applied;
    region.applied.pixelUnit = f.unit == "pixel";
    content.regions.push_back(std::move(region));
  }
}

// The older Microsoft schema: "x, y, w, h" from the top left corner.
void ReadMpRegions(const Exiv2::XmpData& xmp, XmpContent& content) {
  std::map<int, std::pair<std::string, std::string>> items;  // rectangle, name
  for (const Exiv2::Xmpdatum& d : xmp) {
    const std::string key = d.key();
    int index = 0;
    std::string_view rest;
    if (!ItemOf(key, kMpRegions, index, rest)) continue;
    if (rest == "/MPReg:Rectangle") items[index].first = d.toString();
    else if (rest == "/MPReg:PersonDisplayName") items[index].second = d.toString();
    else items[index];
  }
  for (auto& [index, item] : items) {
    XmpRegion region;
    region.name = std::move(item.second);
    region.type = "Face";
    double v[4] = {0, 0, 0, 0};
    std::string_view rest = item.first;
    bool ok = true;
    for (int i = 0; i < 4 && ok; ++i) {
      const std::size_t comma = i < 3 ? rest.find(',') : rest.size();
      ok = comma != std::string_view::npos && ParseDecimal(rest.substr(0, comma), v[i]);
      rest = comma < rest.size() ? rest.substr(comma + 1) : std::string_view();
    }
    if (ok && rest.empty()) region.area = {v[0] + v[2] / 2, v[1] + v[3] / 2, v[2], v[3]};
    content.regions.push_back(std::move(region));
  }
}

std::string Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

// The last non-empty level of a hierarchical keyword ("Orte|Europa|Paris").
std::string Leaf(std::string_view path, char separator) {
  while (!path.empty()) {
    const std::size_t at = path.rfind(separator);
    std::string leaf = Trim(at == std::string_view::npos ? path : path.substr(at + 1));
    if (!leaf.empty()) return leaf;
    if (at == std::string_view::npos) break;
    path = path.substr(0, at);
  }
  return {};
}

// IPTC keywords (2:25) in UTF-8 where 1:90 says so, else in the Windows
// code page the older programs wrote.
std::vector<std::string> IptcKeywords(const Exiv2::IptcData& iptc) {
  std::vector<std::string> keywords;
  bool utf8 = false;
  for (const Exiv2::Iptcdatum& d : iptc)
    if (d.key() == "Iptc.Envelope.CharacterSet") utf8 = d.toString() == "\x1b%G";
  for (const Exiv2::Iptcdatum& d : iptc)
    if (d.key() == "Iptc.Application2.Keywords") keywords.push_back(utf8 ? d.toString() : Cp1252ToUtf8(d.toString()));
  return keywords;
}

// Keywords: dc:subject is the file's list where it has one (or Kolvaro
// wrote it: then a missing keyword was taken away). Otherwise the leaves of
// the hierarchical lists and the IPTC keywords, each once. What the other
// lists hold beyond dc:subject is named, not taken.
void ReadKeywords(const Exiv2::XmpData& xmp, const std::vector<std::string>& iptc, XmpContent& content) {
  bool flat = false;
  std::vector<std::string> subject;
  std::vector<std::pair<std::string, std::string>> others;  // as written, leaf
  for (const Exiv2::Xmpdatum& d : xmp) {
    const std::string key = d.key();
    if (key == "Xmp.dc.subject") {
      flat = true;
      subject = Items(d);
    } else if (StartsWith(key, kOwnPrefix)) {
      flat = true;
    } else if (key == "Xmp.lr.hierarchicalSubject" || key == "Xmp.digiKam.TagsList") {
      const char separator = key == "Xmp.digiKam.TagsList" ? '/' : '|';
      for (std::string& path : Items(d)) {
        std::string leaf = Leaf(path, separator);
        others.emplace_back(std::move(path), std::move(leaf));
      }
    }
  }
  for (const std::string& k : iptc) others.emplace_back(k, Trim(k));
  std::unordered_set<std::string> seen;
  for (std::string& k : subject)
    if (seen.insert(FoldCase(k)).second) content.keywords.push_back(std::move(k));
  for (auto& [written, leaf] : others) {
    if (leaf.empty() || seen.count(FoldCase(leaf)) != 0) continue;
    if (flat) {
      if (std::find(content.keywordsNotTaken.begin(), content.keywordsNotTaken.end(), written) ==
          content.keywordsNotTaken.end())
        content.keywordsNotTaken.push_back(std::move(written));
    } else {
      seen.insert(FoldCase(leaf));
      content.keywords.push_back(std::move(leaf));
    }
  }
}

void ReadContent(const Exiv2::XmpData& xmp, const std::vector<std::string>& iptc, XmpContent& content) {
  ReadMwgRegions(xmp, content);
  bool own = false;
  for (const Exiv2::Xmpdatum& d : xmp) own = own || StartsWith(d.key(), kOwnPrefix);
  // Once Kolvaro wrote the region list it is the file's: the older list
  // would bring back the marks the user removed.
  if (content.regions.empty() && !own) ReadMpRegions(xmp, content);
  ReadKeywords(xmp, iptc, content);
  for (const Exiv2::Xmpdatum& d : xmp) {
    const std::string key = d.key();
    if (key == "Xmp.dc.title") content.title = LangAltDefault(d);
    else if (key == "Xmp.dc.description") content.description = LangAltDefault(d);
  }
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

void SetBag(Exiv2::XmpData& xmp, const std::string& key, const std::vector<std::string>& items) {
  if (items.empty()) return;
  Exiv2::XmpArrayValue bag(Exiv2::xmpBag);
  for (const std::string& k : items) bag.read(k);
  xmp.add(Exiv2::XmpKey(key), &bag);
}

std::string Decimal(double v) { return FixedText(v, 6); }

// The packet as Merge finds it, read in one pass.
struct Found {
  std::map<int, std::vector<const Exiv2::Xmpdatum*>> regionItems;
  std::map<int, RegionFields> regionFields;
  std::vector<const Exiv2::Xmpdatum*> regionsRest;  // of the regions struct, outside the list
  std::vector<std::string> subject;
  bool hasSubject = false;
  Exiv2::LangAltValue::ValueType title;  // language, text
  bool hasTitle = false;
  bool own = false;
  std::unordered_set<std::string> ownPersons;  // folded
  std::unordered_set<std::string> ownKeywords;  // folded
  std::string ownTitle;
};

Found Survey(const Exiv2::XmpData& xmp, bool newDimensions) {
  Found f;
  static const char* const kArea[] = {"/mwg-rs:Area/stArea:x", "/mwg-rs:Area/stArea:y", "/mwg-rs:Area/stArea:w",
                                      "/mwg-rs:Area/stArea:h"};
  for (const Exiv2::Xmpdatum& d : xmp) {
    const std::string key = d.key();
    int index = 0;
    std::string_view rest;
    if (ItemOf(key, kRegionList, index, rest)) {
      f.regionItems[index].push_back(&d);
      RegionFields& fields = f.regionFields[index];
      if (rest == "/mwg-rs:Name") fields.name = d.toString();
      else if (rest == "/mwg-rs:Type") fields.type = d.toString();
      else if (rest == "/mwg-rs:Area/stArea:unit") fields.unit = d.toString();
      for (int i = 0; i < 4; ++i)
        if (rest == kArea[i]) fields.area[i] = d.toString();
    } else if (key == kRegions || key == kRegionList) {
    } else if (StartsWith(key, kRegions + "/")) {
      if (!(newDimensions && StartsWith(key, kApplied))) f.regionsRest.push_back(&d);
    } else if (key == "Xmp.dc.subject") {
      f.hasSubject = true;
      f.subject = Items(d);
    } else if (key == "Xmp.dc.title") {
      f.hasTitle = true;
      if (const auto* alt = dynamic_cast<const Exiv2::LangAltValue*>(&d.value())) f.title = alt->value_;
      else f.title["x-default"] = d.toString();
    } else if (key == kOwnPersons) {
      f.own = true;
      for (const std::string& n : Items(d)) f.ownPersons.insert(FoldCase(n));
    } else if (key == kOwnKeywords) {
      f.own = true;
      for (const std::string& k : Items(d)) f.ownKeywords.insert(FoldCase(k));
    } else if (key == kOwnTitle) {
      f.own = true;
      f.ownTitle = d.toString();
    }
  }
  return f;
}

bool IsRegionKey(const std::string& key) { return key == kRegions || StartsWith(key, kRegions + "/"); }

// Whether a region the file holds is the one Kolvaro would write now: the
// same name and, within a pixel, the same place. Such a region stays as it
// is, with whatever another program added to it.
bool SameRegion(const RegionFields& f, const XmpRegion& r) {
  if (f.type != "Face" || f.name != r.name || (!f.unit.empty() && f.unit != "normalized")) return false;
  // Strictly points: a region written with decimal commas is written anew.
  double v[4];
  for (int i = 0; i < 4; ++i)
    if (!ParseDecimal(f.area[i], v[i])) return false;
  const double w = std::max(1.0, r.applied.width);
  const double h = std::max(1.0, r.applied.height);
  return std::fabs(v[0] - r.area.x) * w <= 1 && std::fabs(v[1] - r.area.y) * h <= 1 &&
         std::fabs(v[2] - r.area.w) * w <= 1 && std::fabs(v[3] - r.area.h) * h <= 1;
}

// Makes the packet say what the album says of the picture. False, with the
// packet untouched, when it has nothing of Kolvaro's and nothing to take back.
bool Merge(Exiv2::XmpData& xmp, const XmpContent& content) {
  const Found f = Survey(xmp, !content.regions.empty());
  const XmpAlbumNames none;
  const XmpAlbumNames& album = content.albumNames ? *content.albumNames : none;
  bool removed = false;

  // Regions: those of the album's names (or Kolvaro's earlier ones) follow the picture.
  std::vector<int> keptItems;
  std::vector<bool> present(content.regions.size(), false);
  for (const auto& [index, fields] : f.regionFields) {
    const std::string folded = FoldCase(fields.name);
    const bool ours = fields.type == "Face" && !fields.name.empty() &&
                      (album.persons.count(folded) != 0 || f.ownPersons.count(folded) != 0);
    bool same = false;
    for (std::size_t i = 0; i < content.regions.size() && !same; ++i)
      if (!present[i] && FoldCase(content.regions[i].name) == folded && SameRegion(fields, content.regions[i]))
        present[i] = same = true;
    bool written = false;
    for (std::size_t i = 0; i < content.regions.size() && !written; ++i)
      written = FoldCase(content.regions[i].name) == folded && fields.type == "Face";
    if (same || (!ours && !written)) {
      keptItems.push_back(index);
    } else if (!written) {
      removed = true;
    }
  }

  // Keywords: those of the album's themes (or Kolvaro's earlier ones) follow the picture.
  std::vector<std::string> keywords;
  std::unordered_set<std::string> exact;
  const std::unordered_set<std::string> wanted(content.keywords.begin(), content.keywords.end());
  for (const std::string& k : f.subject) {
    const std::string folded = FoldCase(k);
    const bool ours = album.themes.count(folded) != 0 || f.ownKeywords.count(folded) != 0;
    if (ours && wanted.count(k) == 0) {
      removed = true;
      continue;
    }
    if (exact.insert(k).second) keywords.push_back(k);
  }
  for (const std::string& k : content.keywords)
    if (exact.insert(k).second) keywords.push_back(k);

  // The title: Kolvaro's own, taken back when the headline went.
  Exiv2::LangAltValue::ValueType title = f.title;
  if (!content.title.empty()) {
    title["x-default"] = content.title;
  } else if (!f.ownTitle.empty() && title.count("x-default") != 0 && title["x-default"] == f.ownTitle) {
    title.erase("x-default");
    removed = true;
  }

  const bool worth = !content.regions.empty() || !content.keywords.empty() || !content.title.empty() || f.own ||
                     removed;
  if (!worth) return false;

  const auto emitRegions = [&](Exiv2::XmpData& out) {
    const bool anyRegion = !keptItems.empty() || !content.regions.empty();
    if (!anyRegion && f.regionsRest.empty()) return;
    AddStruct(out, kRegions);
    for (const Exiv2::Xmpdatum* d : f.regionsRest) out.add(*d);
    const XmpRegion* first = content.regions.empty() ? nullptr : &content.regions.front();
    if (first) {
      AddStruct(out, kApplied);
      SetText(out, kApplied + "/stDim:w", std::to_string(static_cast<long long>(first->applied.width)));
      SetText(out, kApplied + "/stDim:h", std::to_string(static_cast<long long>(first->applied.height)));
      SetText(out, kApplied + "/stDim:unit", "pixel");
    }
    if (!anyRegion) return;
    Exiv2::XmpTextValue list;
    list.setXmpArrayType(Exiv2::XmpValue::xaBag);
    out.add(Exiv2::XmpKey(kRegionList), &list);
    int index = 0;
    for (int old : keptItems) {
      const std::string item = kRegionList + "[" + std::to_string(++index) + "]";
      const std::string oldItem = kRegionList + "[" + std::to_string(old) + "]";
      for (const Exiv2::Xmpdatum* d : f.regionItems.at(old))
        out.add(Exiv2::XmpKey(item + d->key().substr(oldItem.size())), &d->value());
    }
    for (std::size_t i = 0; i < content.regions.size(); ++i) {
      if (present[i]) continue;
      const XmpRegion& r = content.regions[i];
      const std::string item = kRegionList + "[" + std::to_string(++index) + "]";
      AddStruct(out, item);
      AddStruct(out, item + "/mwg-rs:Area");
      SetText(out, item + "/mwg-rs:Area/stArea:x", Decimal(r.area.x));
      SetText(out, item + "/mwg-rs:Area/stArea:y", Decimal(r.area.y));
      SetText(out, item + "/mwg-rs:Area/stArea:w", Decimal(r.area.w));
      SetText(out, item + "/mwg-rs:Area/stArea:h", Decimal(r.area.h));
      SetText(out, item + "/mwg-rs:Area/stArea:unit", "normalized");
      SetText(out, item + "/mwg-rs:Type", "Face");
      SetText(out, item + "/mwg-rs:Name", r.name);
    }
  };
  const auto emitSubject = [&](Exiv2::XmpData& out) { SetBag(out, "Xmp.dc.subject", keywords); };
  const auto emitTitle = [&](Exiv2::XmpData& out) {
    if (title.empty()) return;
    Exiv2::LangAltValue value;
    value.value_ = title;
    out.add(Exiv2::XmpKey("Xmp.dc.title"), &value);
  };
  const auto emitOwn = [&](Exiv2::XmpData& out) {
    std::vector<std::string> persons;
    for (const XmpRegion& r : content.regions) persons.push_back(r.name);
    SetBag(out, kOwnPersons, persons);
    SetBag(out, kOwnKeywords, content.keywords);
    // Always there, also empty: it marks the packet as one Kolvaro wrote.
    SetText(out, kOwnTitle, content.title);
  };

  // Everything else keeps its place; what Kolvaro says takes the place it had.
  Exiv2::XmpData out;
  bool regionsDone = false, subjectDone = false, titleDone = false, ownDone = false;
  for (const Exiv2::Xmpdatum& d : xmp) {
    const std::string key = d.key();
    if (IsRegionKey(key)) {
      if (!std::exchange(regionsDone, true)) emitRegions(out);
    } else if (key == "Xmp.dc.subject") {
      if (!std::exchange(subjectDone, true)) emitSubject(out);
    } else if (key == "Xmp.dc.title") {
      if (!std::exchange(titleDone, true)) emitTitle(out);
    } else if (StartsWith(key, kOwnPrefix)) {
      if (!std::exchange(ownDone, true)) emitOwn(out);
    } else {
      out.add(d);
    }
  }
  if (!regionsDone) emitRegions(out);
  if (!subjectDone) emitSubject(out);
  if (!titleDone) emitTitle(out);
  if (!ownDone) emitOwn(out);
  xmp.clear();
  for (const Exiv2::Xmpdatum& d : out) xmp.add(d);
  return true;
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
    } catch (const std::exception&) {
      error = FormatMessage(LoadString(IDS_XMP_NOT_READABLE), {picture, LibraryFailure()});
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
        ReadContent(xmp, {}, content);
        return true;
      }
      source = picture;
      auto image = OpenPicture(picture, error);
      if (!image.get()) return false;
      ReadContent(image->xmpData(), IptcKeywords(image->iptcData()), content);
      return true;
    } catch (const std::exception&) {
      error = FormatMessage(LoadString(IDS_XMP_NOT_READABLE), {source, LibraryFailure()});
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
      std::string before;
      if (exists) {
        int err = 0;
        if (!ReadWholeFile(path, before, err)) {
          error = ReadError(path, err);
          return false;
        }
        // A sidecar we cannot understand is not replaced: it may hold what
        // another program needs.
        if (Exiv2::XmpParser::decode(xmp, before) != 0) {
          error = FormatMessage(LoadString(IDS_XMP_NOT_READABLE), {path, std::string()});
          return false;
        }
      }
      if (!Merge(xmp, content)) return true;
      std::string packet;
      if (!Encode(xmp, packet)) {
        error = FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {path});
        return false;
      }
      if (packet.rfind("<?xml", 0) != 0) packet.insert(0, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
      // Said already: the file and its time stay as they are.
      if (packet == before) return true;
      // Never in place, not even for a sidecar with several names: a write
      // cut short would leave none of them whole.
      return Prepare(path, packet, exists ? &st : nullptr, error);
    } catch (const std::exception&) {
      error = FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {path}) + " " + LibraryFailure();
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
        // Nothing of Kolvaro's to say, or said already: the original stays untouched.
        if (!Merge(xmp, content)) return true;
        std::string packet;
        if (!EncodeEmbedded(xmp, packet)) {
          error = FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {picture});
          return false;
        }
        if (packet == file.Packet()) return true;
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
    } catch (const std::exception&) {
      error = FormatMessage(LoadString(IDS_XMP_NOT_WRITTEN), {picture}) + " " + LibraryFailure();
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
