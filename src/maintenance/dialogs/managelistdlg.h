#pragma once
// The album's persons or themes in one sorted list, to add, rename and
// delete (commands ID_MANAGE_PERSONS and ID_MANAGE_THEMES).

#include <QDialog>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "maintenance/managelist.h"
#include "qt/widgets/listcollation.h"

class QListWidget;
class QWidget;

namespace Ui {
class ManageListDlgForm;
}

namespace kolvaro {

/// The one-line input of the catalogue's dialogs: CInputDlg owned by `parent`.
std::optional<std::string> AskWithInputDlg(QWidget* parent, const TextRequest& request);

class CManageListDlg : public QDialog {
  Q_OBJECT
 public:
  /// `mode`: CManageList::kPersons or kThemes.
  CManageListDlg(CMeriskDoc& doc, int mode, IUserQuestions& ui, QWidget* parent = nullptr);
  ~CManageListDlg() override;

  /// A mode that is neither persons nor themes closes with Cancel at once.
  int exec() override;

  void OnNew();
  /// "&ändern ..." and the double click.
  void OnRename();
  void OnDelete();

  QListWidget* List() const;
  /// Where the names are typed; CInputDlg unless a test answers instead.
  void SetAskText(AskText ask) { m_ask = std::move(ask); }

 private:
  void Fill();
  void Add(const NameEntry& entry);
  std::vector<NameEntry> Selected() const;

  CManageList m_list;
  /// The id of each row's entry, kept beside the list rather than in its
  /// items: thousands of item data writes would cost more than the rows.
  std::vector<std::int32_t> m_ids;
  IUserQuestions& m_ui;
  AskText m_ask;
  std::unique_ptr<Ui::ManageListDlgForm> m_form;
};

/// Commands ID_MANAGE_PERSONS / ID_MANAGE_THEMES: runs the dialog; then,
/// whichever button closed it, every view is updated and the album marked
/// modified, since its changes were made at once.
void OnManageList(CMeriskDoc& doc, int mode, IUserQuestions& ui, QWidget* owner);

}  // namespace kolvaro
