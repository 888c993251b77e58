#include "maintenance/assignthemes.h"

namespace kolvaro {

ThemeSplit SplitThemes(const CThemenEx& themes, const CThemenDerBilderEx& links,
                       std::int32_t picture) {
  ThemeSplit split;
  for (POSITION pos = themes.GetStartPosition(); pos != kNullPosition;) {
    NameEntry e;
    themes.GetNext(pos, e.id, e.name);
    (links.Lookup(e.id, picture) ? split.assigned : split.available).push_back(std::move(e));
  }
  return split;
}

bool CanAssignThemes(const CMeriskDoc& doc) {
  return doc.SelectedCount() != 0 && doc.CurrentPicture() >= 1 &&
         !doc.GetPictureFullPath(doc.CurrentPicture()).empty();
}

std::int32_t AddNewTheme(CMeriskDoc& doc, const std::string& name) {
  const std::int32_t id = doc.Themes().NextId();
  doc.AddOrUpdateTheme(id, name);
  doc.SetModifiedFlag();
  return id;
}

void WriteThemeAssignment(CMeriskDoc& doc, const std::vector<std::int32_t>& assigned,
                          const std::vector<std::int32_t>& available) {
  for (const std::int32_t theme : assigned) doc.AddThemeToPicture(theme, -1);
  for (const std::int32_t theme : available) doc.RemoveThemeFromPicture(theme, -1);
}

}  // namespace kolvaro
