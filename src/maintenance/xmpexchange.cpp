#include "maintenance/xmpexchange.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "res/strings.h"

namespace kolvaro {
namespace {

std::vector<NamedId> NamesOf(const NameTable& table) {
  std::vector<NamedId> names;
  for (POSITION pos = table.GetStartPosition(); pos != kNullPosition;) {
    NamedId n;
    table.GetNext(pos, n.id, n.name);
    names.push_back(std::move(n));
  }
  return names;
}

bool Tell(const XmpProgress& progress, std::size_t done, std::size_t total) {
  return !progress || progress(done, total);
}

// The id of `name` among `known` (the album's records followed by those the
// plan creates), adding it to both as a new record when it is not there.
std::int32_t Resolve(const std::string& name, NameIndex& known, std::vector<std::string>& created) {
  const std::int32_t id = known.Find(name);
  if (id != -1) return id;
  created.push_back(name);
  const std::int32_t placeholder = -1 - static_cast<std::int32_t>(created.size());
  known.Add({placeholder, name});
  return placeholder;
}

std::shared_ptr<const XmpAlbumNames> AlbumNames(const CMeriskDoc& doc) {
  auto names = std::make_shared<XmpAlbumNames>();
  for (const NamedId& n : NamesOf(doc.Persons())) names->persons.insert(FoldCase(n.name));
  for (const NamedId& n : NamesOf(doc.Themes())) names->themes.insert(FoldCase(n.name));
  return names;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string StemOf(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool IsSidecarName(const std::string& name) {
  return name.size() > 4 && FoldCase(name.substr(name.size() - 4)) == ".xmp";
}

// "bild.xmp" belongs to a picture only when no other file of the folder
// could claim it ("bild.jpg" and "bild.JPG", "bild.jpeg"). Each folder is
// listed once per import.
class SharedSidecars {
 public:
  bool IsShared(const std::string& sidecar) {
    const std::string folder = FolderOf(sidecar);
    auto [it, added] = m_folders.try_emplace(folder);
    if (added) {
      if (DIR* d = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(d)) {
          const std::string name = e->d_name;
          if (name == "." || name == ".." || IsSidecarName(name)) continue;
          ++it->second[StemOf(name)];
        }
        ::closedir(d);
      }
    }
    const auto stem = it->second.find(StemOf(sidecar.substr(folder.size())));
    return stem != it->second.end() && stem->second > 1;
  }

 private:
  std::unordered_map<std::string, std::unordered_map<std::string, int>> m_folders;
};

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

std::string JoinNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names) joined += (joined.empty() ? "" : ", ") + name;
  return joined;
}

bool WithinOnePixel(const Rect& a, const Rect& b) {
  return std::abs(a.left - b.left) <= 1 && std::abs(a.top - b.top) <= 1 && std::abs(a.right - b.right) <= 1 &&
         std::abs(a.bottom - b.bottom) <= 1;
}

}  // namespace

std::vector<std::int32_t> AllPictures(const CMeriskDoc& doc) {
  std::vector<std::int32_t> ids;
  for (POSITION pos = doc.Pictures().GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id = 0;
    doc.Pictures().GetNext(pos, id);
    ids.push_back(id);
  }
  return ids;
}

XmpContent ContentOfPicture(const CMeriskDoc& doc, std::int32_t picture, const PictureGeometry& geometry) {
  XmpContent content;
  unsigned width = 0;
  unsigned height = 0;
  UprightSize(geometry, width, height);
  doc.PersonsOnPictures().ForEachOnPicture(picture, [&](std::int32_t person, Rect rect) {
    // Only what lies on the picture: a normalised area never leaves 0 to 1.
    if (!ClipToPicture(rect, geometry)) return;
    XmpRegion region;
    region.name = doc.Persons().GetName(person);
    region.type = "Face";
    region.area = StoredRectToArea(rect, geometry);
    region.applied = {static_cast<double>(width), static_cast<double>(height), false};
    content.regions.push_back(std::move(region));
  });
  doc.ThemesOfPictures().ForEachOnPicture(picture, [&](std::int32_t theme) {
    std::string name;
    if (doc.Themes().Lookup(theme, name)) content.keywords.push_back(name);
  });
  PictureEntry entry;
  if (doc.Pictures().Lookup(picture, entry)) content.title = entry.title;
  return content;
}

XmpExportResult ExportXmp(const CMeriskDoc& doc, const std::vector<std::int32_t>& pictures,
                          const XmpExportOptions& options, IXmpStore& store, const XmpProgress& progress) {
  XmpExportResult result;
  const std::shared_ptr<const XmpAlbumNames> albumNames = AlbumNames(doc);
  // New sidecars take their names in groups; one that fails then is no
  // longer counted as written.
  std::map<std::string, bool> prepared;  // sidecar, whether its picture counted
  const auto flush = [&] {
    for (const IXmpStore::WriteFailure& f : store.Flush()) {
      result.problems.push_back(f.error);
      if (prepared[f.path]) --result.written;
    }
    prepared.clear();
  };
  constexpr std::size_t kGroup = 250;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    if (i % kGroup == 0) flush();
    if (!Tell(progress, i, pictures.size())) {
      result.cancelled = true;
      flush();
      return result;
    }
    const std::string path = doc.GetPictureFullPath(pictures[i]);
    PictureGeometry geometry;
    std::string error;
    if (!store.ReadGeometry(path, geometry, error)) {
      result.problems.push_back(error);
      continue;
    }
    XmpContent content = ContentOfPicture(doc, pictures[i], geometry);
    content.albumNames = albumNames;
    // A picture with nothing to say still has its earlier sidecar brought in step.
    const bool nothing = content.regions.empty() && content.keywords.empty() && content.title.empty();
    bool ok = true;
    std::string sidecar;
    if (options.sidecar && !(nothing && !Exists(SidecarPath(path, *options.sidecar)))) {
      sidecar = SidecarPath(path, *options.sidecar);
      if (!store.WriteSidecar(sidecar, content, error)) {
        result.problems.push_back(error);
        ok = false;
        sidecar.clear();
      }
    }
    if (options.embed && !store.WriteEmbedded(path, content, error)) {
      result.problems.push_back(error);
      ok = false;
    }
    if (nothing && sidecar.empty() && !options.embed) continue;
    if (ok) ++result.written;
    if (!sidecar.empty()) prepared[sidecar] = ok;
  }
  flush();
  Tell(progress, pictures.size(), pictures.size());
  return result;
}

XmpImportPlan PlanXmpImport(const CMeriskDoc& doc, const std::vector<std::int32_t>& pictures, IXmpStore& store,
                            const XmpProgress& progress) {
  XmpImportPlan plan;
  NameIndex persons(NamesOf(doc.Persons()));
  NameIndex themes(NamesOf(doc.Themes()));
  SharedSidecars shared;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    if (!Tell(progress, i, pictures.size())) {
      plan.cancelled = true;
      return plan;
    }
    const std::int32_t picture = pictures[i];
    const std::string path = doc.GetPictureFullPath(picture);
    XmpContent content;
    std::string source;
    std::string error;
    if (!store.Read(path, content, source, error)) {
      plan.problems.push_back(error);
      ++plan.unreadable;
      continue;
    }
    if (source == SidecarPath(path, SidecarName::kWithoutExtension) && source != path &&
        shared.IsShared(source)) {
      plan.problems.push_back(FormatMessage(LoadString(IDS_XMP_SIDECAR_SHARED), {source}));
      continue;
    }
    ++plan.pictures;
    if (!content.keywordsNotTaken.empty())
      plan.problems.push_back(
          FormatMessage(LoadString(IDS_XMP_KEYWORDS_NOT_TAKEN), {source, JoinNames(content.keywordsNotTaken)}));

    PictureGeometry geometry;
    if (!content.regions.empty() && !store.ReadGeometry(path, geometry, error)) {
      plan.problems.push_back(error);
      ++plan.unreadable;
      content.regions.clear();
    }
    // One rectangle per person and picture: a later region of the same name wins.
    std::map<std::int32_t, Rect> marked;
    for (const XmpRegion& region : content.regions) {
      NormalisedArea area;
      if (region.type != "Face") {
        plan.problems.push_back(FormatMessage(LoadString(IDS_XMP_REGION_NOT_FACE), {source, region.type, region.name}));
      } else if (region.name.empty()) {
        plan.problems.push_back(FormatMessage(LoadString(IDS_XMP_REGION_NO_NAME), {source}));
      } else if (!AreaForPicture(region.area, region.applied, geometry, area)) {
        plan.problems.push_back(FormatMessage(LoadString(IDS_XMP_REGION_BAD_AREA), {source, region.name}));
      } else if (const Rect rect = AreaToStoredRect(area, geometry);
                 rect.right <= rect.left || rect.bottom <= rect.top) {
        plan.problems.push_back(FormatMessage(LoadString(IDS_XMP_REGION_OUTSIDE), {source, region.name}));
      } else {
        marked[Resolve(region.name, persons, plan.newPersons)] = rect;
      }
    }
    for (const auto& [person, rect] : marked) {
      Rect old;
      const bool had = person > 0 && doc.PersonsOnPictures().Lookup(person, picture, &old);
      if (!had || !WithinOnePixel(old, rect)) plan.rectangles.push_back({person, picture, rect, had});
    }

    std::unordered_set<std::int32_t> linked;
    for (const std::string& keyword : content.keywords) {
      if (keyword.empty()) continue;
      const std::int32_t theme = Resolve(keyword, themes, plan.newThemes);
      if (theme > 0 && doc.ThemesOfPictures().Lookup(theme, picture)) continue;
      if (!linked.insert(theme).second) continue;
      plan.themeLinks.push_back({theme, picture});
    }

    PictureEntry entry;
    if (!content.title.empty() && doc.Pictures().Lookup(picture, entry) && entry.title != content.title)
      plan.headlines.push_back({picture, content.title});
  }
  Tell(progress, pictures.size(), pictures.size());
  return plan;
}

void ApplyXmpImport(CMeriskDoc& doc, const XmpImportPlan& plan) {
  std::vector<std::int32_t> personIds;
  for (const std::string& name : plan.newPersons) {
    personIds.push_back(doc.Persons().NextId());
    doc.AddOrUpdatePerson(personIds.back(), name);
  }
  std::vector<std::int32_t> themeIds;
  for (const std::string& name : plan.newThemes) {
    themeIds.push_back(doc.Themes().NextId());
    doc.AddOrUpdateTheme(themeIds.back(), name);
  }
  const auto real = [](std::int32_t id, const std::vector<std::int32_t>& created) {
    return id < -1 ? created.at(static_cast<std::size_t>(-2 - id)) : id;
  };
  for (const XmpImportPlan::Rectangle& r : plan.rectangles)
    doc.AddOrUpdatePersonOnPicture(real(r.person, personIds), r.rect, r.picture);
  for (const XmpImportPlan::ThemeLink& l : plan.themeLinks) doc.AddThemeToPicture(real(l.theme, themeIds), l.picture);
  for (const XmpImportPlan::Headline& h : plan.headlines) {
    PictureEntry entry;
    if (doc.Pictures().Lookup(h.picture, entry))
      doc.AddOrUpdatePicture(h.picture, entry.filename, entry.timestamp, entry.size, h.title);
  }
}

std::string XmpImportSummary(const XmpImportPlan& plan, bool applied) {
  if (plan.Empty()) return std::string(LoadString(IDS_XMP_NOTHING_NEW));
  std::size_t changed = 0;
  for (const auto& r : plan.rectangles) changed += r.changed ? 1 : 0;
  const auto n = [](std::size_t v) { return static_cast<long long>(v); };
  std::string text = FormatMessage(
      LoadString(applied ? IDS_XMP_IMPORT_APPLIED : IDS_XMP_IMPORT_SUMMARY),
      {n(plan.pictures), n(plan.newPersons.size()), n(plan.rectangles.size() - changed), n(changed),
       n(plan.newThemes.size()), n(plan.themeLinks.size()), n(plan.headlines.size())});
  const auto list = JoinNames;
  if (!plan.newPersons.empty() || !plan.newThemes.empty()) text += "\n";
  if (!plan.newPersons.empty())
    text += "\n" + FormatMessage(LoadString(IDS_XMP_NEW_PERSONS), {list(plan.newPersons)});
  if (!plan.newThemes.empty()) text += "\n" + FormatMessage(LoadString(IDS_XMP_NEW_THEMES), {list(plan.newThemes)});
  return text;
}

}  // namespace kolvaro
