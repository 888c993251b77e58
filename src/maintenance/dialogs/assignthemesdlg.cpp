#include "maintenance/dialogs/assignthemesdlg.h"

#include <QPushButton>

#include "maintenance/dialogs/managelistdlg.h"
#include "qt/qtstring.h"
#include "qt/widgets/dragdroplistbox.h"
#include "res/strings.h"
#include "ui_assignthemesdlg.h"

namespace kolvaro {
namespace {

bool AnySelected(const QListWidget* list) {
  for (int row = 0; row < list->count(); ++row)
    if (list->item(row)->isSelected()) return true;
  return false;
}

void Fill(CDragDropListBox* list, const std::vector<NameEntry>& entries) {
  std::vector<QString> texts;
  texts.reserve(entries.size());
  for (const NameEntry& e : entries) texts.push_back(ToQString(e.name));
  // Appended in their sorted order; entries added later find their place.
  list->SetSorted(false);
  list->setUpdatesEnabled(false);
  for (const std::size_t i : ListOrder(texts))
    list->AddEntry(texts[i], static_cast<std::uint32_t>(entries[i].id));
  list->setUpdatesEnabled(true);
  list->SetSorted(true);
}

/// Copies the selected entries of `from`, top to bottom, into `to`, then
/// deletes them from `from`.
void MoveSelected(CDragDropListBox* from, CDragDropListBox* to) {
  for (int row = 0; row < from->count(); ++row)
    if (from->item(row)->isSelected()) to->AddEntry(from->item(row)->text(), from->Value(row));
  for (int row = from->count() - 1; row >= 0; --row)
    if (from->item(row)->isSelected()) delete from->takeItem(row);
}

std::vector<std::int32_t> Ids(const CDragDropListBox* list) {
  std::vector<std::int32_t> ids;
  ids.reserve(static_cast<std::size_t>(list->count()));
  for (int row = 0; row < list->count(); ++row)
    ids.push_back(static_cast<std::int32_t>(list->Value(row)));
  return ids;
}

}  // namespace

CAssignThemesDlg::CAssignThemesDlg(CMeriskDoc& doc, QWidget* parent)
    : QDialog(parent),
      m_doc(doc),
      m_ask([this](const TextRequest& r) { return AskWithInputDlg(this, r); }),
      m_form(std::make_unique<Ui::AssignThemesDlgForm>()) {
  m_form->setupUi(this);
  const ThemeSplit split = SplitThemes(doc.Themes(), doc.ThemesOfPictures(), doc.CurrentPicture());
  Fill(m_form->assignedList, split.assigned);
  Fill(m_form->availableList, split.available);
  m_form->pathLabel->setText(ToQString(doc.GetPictureFullPath(doc.CurrentPicture())));

  connect(m_form->assignButton, &QPushButton::clicked, this, &CAssignThemesDlg::OnAssign);
  connect(m_form->unassignButton, &QPushButton::clicked, this, &CAssignThemesDlg::OnUnassign);
  connect(m_form->newButton, &QPushButton::clicked, this, &CAssignThemesDlg::OnNew);
  connect(m_form->okButton, &QPushButton::clicked, this, &CAssignThemesDlg::OnOK);
  connect(m_form->availableList, &QListWidget::itemDoubleClicked, this,
          &CAssignThemesDlg::OnAssign);
  for (CDragDropListBox* list : {m_form->assignedList, m_form->availableList}) {
    connect(list, &QListWidget::itemSelectionChanged, this, &CAssignThemesDlg::UpdateButtons);
    connect(list, &CDragDropListBox::SelectionChangedByDrag, this,
            &CAssignThemesDlg::UpdateButtons);
  }
  UpdateButtons();
}

CAssignThemesDlg::~CAssignThemesDlg() = default;

CDragDropListBox* CAssignThemesDlg::AssignedList() const { return m_form->assignedList; }
CDragDropListBox* CAssignThemesDlg::AvailableList() const { return m_form->availableList; }

void CAssignThemesDlg::UpdateButtons() {
  m_form->assignButton->setEnabled(AnySelected(m_form->availableList));
  m_form->unassignButton->setEnabled(AnySelected(m_form->assignedList));
}

void CAssignThemesDlg::OnAssign() {
  MoveSelected(m_form->availableList, m_form->assignedList);
  UpdateButtons();
}

void CAssignThemesDlg::OnUnassign() {
  MoveSelected(m_form->assignedList, m_form->availableList);
  UpdateButtons();
}

void CAssignThemesDlg::OnNew() {
  const std::optional<std::string> name = m_ask({std::string(LoadString(IDS_NEW_THEME_CAPTION)),
                                                 std::string(LoadString(IDS_NEW_THEME_PROMPT)),
                                                 {}});
  if (!name) return;
  const std::int32_t id = AddNewTheme(m_doc, *name);
  m_form->availableList->AddEntry(ToQString(*name), static_cast<std::uint32_t>(id));
}

void CAssignThemesDlg::OnOK() {
  WriteThemeAssignment(m_doc, Ids(m_form->assignedList), Ids(m_form->availableList));
  accept();
}

bool OnAssignThemes(CMeriskDoc& doc, QWidget* owner) {
  if (!CanAssignThemes(doc)) return false;
  CAssignThemesDlg dlg(doc, owner);
  const std::int32_t themes = doc.Themes().GetCount();
  if (dlg.exec() != QDialog::Accepted) {
    // Themes made with "neu ..." stay; the selection bar lists them.
    if (doc.Themes().GetCount() != themes) doc.UpdateAllViews(nullptr);
    return false;
  }
  doc.UpdateAllViews(nullptr);
  doc.SetModifiedFlag();
  return true;
}

}  // namespace kolvaro
