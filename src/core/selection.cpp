// The selection the views step through: filtered by theme and person,
// ordered by file name, capture date or size.
#include <algorithm>
#include <unordered_set>

#include "core/cp1252.h"
#include "core/meriskdoc.h"

namespace kolvaro {
namespace {

// Pictures that occur as the low half of some key, optionally only for one high half.
template <typename Table>
std::unordered_set<std::int32_t> PicturesIn(const Table& table, std::int32_t high) {
  std::unordered_set<std::int32_t> result;
  std::int32_t h, low;
  for (POSITION p = table.GetStartPosition(); p != kNullPosition;) {
    table.GetNext(p, h, low);
    if (high == -1 || h == high) result.insert(low);
  }
  return result;
}

// Keeps the candidates the filter lets through: -1 and 0 all, -2 those
// without any entry, otherwise those with an entry for that id.
template <typename Table>
void ApplyFilter(std::vector<std::int32_t>& ids, const Table& table, std::int32_t filter) {
  if (filter == -1 || filter == 0) return;
  const bool without = filter == -2;
  const auto marked = PicturesIn(table, without ? -1 : filter);
  std::erase_if(ids, [&](std::int32_t id) { return marked.contains(id) == without; });
}

}  // namespace

void CMeriskDoc::SelectPictures(std::int32_t theme, std::int32_t person, std::int32_t sortKey) {
  std::vector<std::int32_t> ids;
  ids.reserve(static_cast<std::size_t>(m_pictures.GetCount()));
  for (POSITION p = m_pictures.GetStartPosition(); p != kNullPosition;) {
    std::int32_t id;
    m_pictures.GetNextRef(p, id);
    ids.push_back(id);
  }
  ApplyFilter(ids, m_themesOfPictures, theme);
  ApplyFilter(ids, m_personsOnPictures, person);

  // A stable sort gives equal keys in candidate order, as the repeated
  // minimum this replaces did; keys of 4 and above keep the order as it is.
  if (sortKey >= 1 && sortKey <= 3) {
    std::vector<std::pair<std::int32_t, const PictureEntry*>> keyed;
    keyed.reserve(ids.size());
    for (const std::int32_t id : ids) keyed.emplace_back(id, m_pictures.Find(id));
    auto by = [&](auto less) {
      std::stable_sort(keyed.begin(), keyed.end(),
                       [&](const auto& a, const auto& b) { return less(*a.second, *b.second); });
    };
    if (sortKey == 1)
      by([](const PictureEntry& a, const PictureEntry& b) {
        return CompareCp1252(a.filename, b.filename) < 0;
      });
    else if (sortKey == 2)
      by([](const PictureEntry& a, const PictureEntry& b) {
        return COleDateTime::CompareMoments(a.timestamp.Value(), b.timestamp.Value()) < 0;
      });
    else
      by([](const PictureEntry& a, const PictureEntry& b) { return a.size < b.size; });
    for (std::size_t i = 0; i < ids.size(); ++i) ids[i] = keyed[i].first;
  }

  m_selection = std::move(ids);
  m_nCurrentPicture = m_selection.empty() ? -1 : m_selection.front();
  m_nCurrentPosition = 0;
  m_nFilterTheme = theme;
  m_nFilterPerson = person;
  m_nSelectionKind = sortKey;
  m_nSelectedCount = static_cast<std::int32_t>(m_selection.size());
  UpdateAllViews(nullptr);
}

std::int32_t CMeriskDoc::SetExplicitSelection(const std::vector<std::int32_t>& ids) {
  m_selection = ids;
  m_nSelectedCount = static_cast<std::int32_t>(m_selection.size());
  m_nSelectionKind = 4;
  UpdateAllViews(nullptr);
  return m_nSelectedCount - 1;
}

void CMeriskDoc::SetCurrentIndex(std::int32_t index) {
  if (index >= 0 && index < static_cast<std::int32_t>(m_selection.size())) {
    m_nCurrentPicture = m_selection[static_cast<std::size_t>(index)];
    m_nCurrentPosition = index;
  } else {
    m_nCurrentPicture = -1;
    m_nCurrentPosition = -1;
  }
}

}  // namespace kolvaro
