#pragma once
// "Thema hinzufügen": the current picture's themes on the right, the other
// themes of the album on the left; entries move by ">" and "<", a double
// click on the left, or a drag from one list to the other.

#include <QDialog>
#include <cstdint>
#include <memory>
#include <vector>

#include "maintenance/assignthemes.h"

class QWidget;

namespace Ui {
class AssignThemesDlgForm;
}

namespace kolvaro {

class CDragDropListBox;

class CAssignThemesDlg : public QDialog {
  Q_OBJECT
 public:
  /// Fills both lists for the document's current picture.
  explicit CAssignThemesDlg(CMeriskDoc& doc, QWidget* parent = nullptr);
  ~CAssignThemesDlg() override;

  /// ">" and the double click on the left: the selected available themes
  /// move to the assigned list.
  void OnAssign();
  /// "<": the selected assigned themes move back.
  void OnUnassign();
  /// "neu ...": a new theme, at once in the album, not yet assigned.
  void OnNew();
  /// OK: writes the assignment (see WriteThemeAssignment) and closes.
  void OnOK();

  CDragDropListBox* AssignedList() const;
  CDragDropListBox* AvailableList() const;
  void SetAskText(AskText ask) { m_ask = std::move(ask); }

 private:
  void UpdateButtons();

  CMeriskDoc& m_doc;
  AskText m_ask;
  std::unique_ptr<Ui::AssignThemesDlgForm> m_form;
};

/// The assign-themes operation of the picture view (ID_ASSIGN_THEMES and its
/// button): nothing without a selection or a stored path of the current
/// picture; after OK every view is updated and the album marked modified.
/// Whether the dialog ended with OK.
bool OnAssignThemes(CMeriskDoc& doc, QWidget* owner);

}  // namespace kolvaro
