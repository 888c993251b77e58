#pragma once
// The album's two name lists, persons and themes, as the management dialog
// changes them: new, rename and delete, each at once through the document's
// record operations. The dialog only shows the list and asks for the texts.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "core/ports/userquestions.h"

namespace kolvaro {

/// One entry of a name list: the name shown and the record it stands for.
struct NameEntry {
  std::int32_t id = 0;
  std::string name;
  bool operator==(const NameEntry&) const = default;
};

/// What a one-line input shows: caption, prompt and the preset value.
struct TextRequest {
  std::string caption;
  std::string prompt;
  std::string value;
};

/// Asks for one line of text; nothing when the user cancels.
using AskText = std::function<std::optional<std::string>(const TextRequest&)>;

class CManageList {
 public:
  /// The dialog's modes: 1 persons, 2 themes; any other mode manages nothing.
  enum Mode : int { kPersons = 1, kThemes = 2 };

  CManageList(CMeriskDoc& doc, int mode) : m_doc(doc), m_mode(mode) {}

  bool IsValid() const { return m_mode == kPersons || m_mode == kThemes; }
  int GetMode() const { return m_mode; }
  /// Window title and list label from the string table.
  std::string Caption() const;
  std::string Label() const;
  /// Every person or theme of the album, in table order (the list sorts).
  std::vector<NameEntry> Entries() const;

  /// "&neu ...": asks for a name and stores it under the next free id. The
  /// text is not checked: empty or existing names make further entries.
  std::optional<NameEntry> New(const AskText& ask);
  /// "&ändern ..." and a double click: only with exactly one entry selected;
  /// asks with the entry's name preset and stores the new one under its id.
  bool Rename(const std::vector<NameEntry>& selected, const AskText& ask);
  /// "&löchsen ...": with at least one entry selected, one question naming
  /// every selected entry; on "Ja" each is removed with its picture links,
  /// in the order given (the list's). Whether they were removed.
  bool Delete(const std::vector<NameEntry>& selected, IUserQuestions& ui);

 private:
  CMeriskDoc& m_doc;
  int m_mode;
};

}  // namespace kolvaro
