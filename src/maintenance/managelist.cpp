#include "maintenance/managelist.h"

#include "res/strings.h"

namespace kolvaro {

std::string CManageList::Caption() const {
  return std::string(
      LoadString(m_mode == kPersons ? IDS_MANAGE_PERSONS_CAPTION : IDS_MANAGE_THEMES_CAPTION));
}

std::string CManageList::Label() const {
  return std::string(
      LoadString(m_mode == kPersons ? IDS_MANAGE_PERSONS_LABEL : IDS_MANAGE_THEMES_LABEL));
}

std::vector<NameEntry> CManageList::Entries() const {
  std::vector<NameEntry> entries;
  if (!IsValid()) return entries;
  const NameTable& table =
      m_mode == kPersons ? static_cast<const NameTable&>(m_doc.Persons()) : m_doc.Themes();
  entries.reserve(static_cast<std::size_t>(table.GetCount()));
  for (POSITION pos = table.GetStartPosition(); pos != kNullPosition;) {
    NameEntry e;
    table.GetNext(pos, e.id, e.name);
    entries.push_back(std::move(e));
  }
  return entries;
}

std::optional<NameEntry> CManageList::New(const AskText& ask) {
  if (!IsValid()) return std::nullopt;
  const bool persons = m_mode == kPersons;
  const std::optional<std::string> name =
      ask({std::string(LoadString(persons ? IDS_NEW_PERSON_CAPTION : IDS_NEW_THEME_CAPTION)),
           std::string(LoadString(persons ? IDS_NEW_PERSON_PROMPT : IDS_NEW_THEME_PROMPT)),
           {}});
  if (!name) return std::nullopt;
  NameEntry added{persons ? m_doc.Persons().NextId() : m_doc.Themes().NextId(), *name};
  if (persons)
    m_doc.AddOrUpdatePerson(added.id, added.name);
  else
    m_doc.AddOrUpdateTheme(added.id, added.name);
  return added;
}

bool CManageList::Rename(const std::vector<NameEntry>& selected, const AskText& ask) {
  if (!IsValid() || selected.size() != 1) return false;
  const bool persons = m_mode == kPersons;
  const std::optional<std::string> name =
      ask({std::string(LoadString(persons ? IDS_RENAME_PERSON_CAPTION : IDS_RENAME_THEME_CAPTION)),
           std::string(LoadString(persons ? IDS_RENAME_PERSON_PROMPT : IDS_RENAME_THEME_PROMPT)),
           selected.front().name});
  if (!name) return false;
  if (persons)
    m_doc.AddOrUpdatePerson(selected.front().id, *name);
  else
    m_doc.AddOrUpdateTheme(selected.front().id, *name);
  return true;
}

bool CManageList::Delete(const std::vector<NameEntry>& selected, IUserQuestions& ui) {
  if (!IsValid() || selected.empty()) return false;
  std::string names;
  for (const NameEntry& e : selected) names += e.name + '\n';
  if (ui.AskYesNo(FormatMessage(LoadString(IDS_DELETE_ENTRIES), {names}),
                  std::string(LoadString(IDS_SAFETY_QUERY))) != Answer::Yes)
    return false;
  // Removal takes the links first: no picture keeps a link to a name gone.
  for (const NameEntry& e : selected) {
    if (m_mode == kPersons)
      m_doc.RemovePerson(e.id);
    else
      m_doc.RemoveTheme(e.id);
  }
  return true;
}

}  // namespace kolvaro
