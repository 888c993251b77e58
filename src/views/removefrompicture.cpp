#include "views/removefrompicture.h"

#include "core/meriskdoc.h"
#include "core/ports/settings.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"

namespace kolvaro {

bool CRemoveFromPicture::Confirm(const std::string& text, const std::string& caption) {
  if (!ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kAskOverwriteDelete)) return true;
  return m_ui.AskYesNo(text, caption, DefaultButton::No) == Answer::Yes;
}

bool CRemoveFromPicture::RemoveThemes(std::int32_t picture, const std::vector<NamedEntry>& themes) {
  if (themes.empty()) return false;
  std::string text(LoadString(themes.size() == 1 ? IDS_DELETE_THEME : IDS_DELETE_THEMES));
  for (const NamedEntry& theme : themes) text += theme.name + "\n";
  if (!Confirm(text, std::string(LoadString(IDS_DELETE_THEME_CAPTION)))) return false;
  for (const NamedEntry& theme : themes) m_doc.RemoveThemeFromPicture(theme.id, picture);
  return true;
}

bool CRemoveFromPicture::RemovePersons(std::int32_t picture,
                                       const std::vector<NamedEntry>& persons) {
  if (persons.empty()) return false;
  std::string names;
  for (const NamedEntry& person : persons) names += person.name + "\n";
  if (!Confirm(FormatMessage(LoadString(IDS_REMOVE_PERSONS), {names}),
               std::string(LoadString(IDS_REMOVE_PERSON_CAPTION))))
    return false;
  for (const NamedEntry& person : persons) m_doc.RemovePersonFromPicture(person.id, picture);
  return true;
}

}  // namespace kolvaro
