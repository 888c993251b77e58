#pragma once
// Taking themes and persons off one picture after asking, as the picture
// view's "-" buttons do. No window involved: it asks through IUserQuestions,
// so tests drive it with scripted answers.

#include <cstdint>
#include <string>
#include <vector>

namespace kolvaro {

class CMeriskDoc;
class IUserQuestions;

/// A theme or person as the picture's list shows it.
struct NamedEntry {
  std::int32_t id = 0;
  std::string name;
};

class CRemoveFromPicture {
 public:
  CRemoveFromPicture(CMeriskDoc& doc, IUserQuestions& ui) : m_doc(doc), m_ui(ui) {}

  /// Asks, while `AskOverwriteDelete` is on, whether the themes are to go
  /// (naming them in the given order; default answer No), then takes them off
  /// the picture. False when nothing was given or the user said No.
  bool RemoveThemes(std::int32_t picture, const std::vector<NamedEntry>& themes);
  /// The same for the persons marked on the picture; the persons stay in the album.
  bool RemovePersons(std::int32_t picture, const std::vector<NamedEntry>& persons);

 private:
  bool Confirm(const std::string& text, const std::string& caption);

  CMeriskDoc& m_doc;
  IUserQuestions& m_ui;
};

}  // namespace kolvaro
