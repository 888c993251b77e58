#include "maintenance/dialogs/managelistdlg.h"

#include <QListWidget>
#include <QStringList>

#include "qt/qtstring.h"
#include "qt/widgets/inputdlg.h"
#include "qt/widgets/listcollation.h"
#include "ui_managelistdlg.h"

namespace kolvaro {

std::optional<std::string> AskWithInputDlg(QWidget* parent, const TextRequest& request) {
  CInputDlg dlg(parent);
  dlg.m_strCaption = ToQString(request.caption);
  dlg.m_strPrompt = ToQString(request.prompt);
  dlg.m_strValue = ToQString(request.value);
  if (dlg.exec() != QDialog::Accepted) return std::nullopt;
  return dlg.m_strValue.toStdString();
}

CManageListDlg::CManageListDlg(CMeriskDoc& doc, int mode, IUserQuestions& ui, QWidget* parent)
    : QDialog(parent),
      m_list(doc, mode),
      m_ui(ui),
      m_ask([this](const TextRequest& r) { return AskWithInputDlg(this, r); }),
      m_form(std::make_unique<Ui::ManageListDlgForm>()) {
  m_form->setupUi(this);
  if (m_list.IsValid()) {
    setWindowTitle(ToQString(m_list.Caption()));
    m_form->listLabel->setText(ToQString(m_list.Label()));
  }
  connect(m_form->newButton, &QPushButton::clicked, this, &CManageListDlg::OnNew);
  connect(m_form->renameButton, &QPushButton::clicked, this, &CManageListDlg::OnRename);
  connect(m_form->deleteButton, &QPushButton::clicked, this, &CManageListDlg::OnDelete);
  connect(m_form->nameList, &QListWidget::itemDoubleClicked, this, &CManageListDlg::OnRename);
  Fill();
}

CManageListDlg::~CManageListDlg() = default;

QListWidget* CManageListDlg::List() const { return m_form->nameList; }

int CManageListDlg::exec() {
  if (!m_list.IsValid()) return QDialog::Rejected;
  return QDialog::exec();
}

void CManageListDlg::Fill() {
  QListWidget* list = m_form->nameList;
  list->clear();
  m_ids.clear();
  const std::vector<NameEntry> entries = m_list.Entries();
  std::vector<QString> texts;
  texts.reserve(entries.size());
  for (const NameEntry& e : entries) texts.push_back(ToQString(e.name));
  QStringList sorted;
  sorted.reserve(static_cast<qsizetype>(texts.size()));
  m_ids.reserve(texts.size());
  for (const std::size_t i : ListOrder(texts)) {
    sorted.push_back(texts[i]);
    m_ids.push_back(entries[i].id);
  }
  // One insertion for all rows: row by row, the view would hear of each.
  list->addItems(sorted);
}

void CManageListDlg::Add(const NameEntry& entry) {
  QListWidget* list = m_form->nameList;
  const QString text = ToQString(entry.name);
  const int row = SortedInsertRow(
      list->count(), [list](int r) { return list->item(r)->text(); }, text);
  list->insertItem(row, text);
  m_ids.insert(m_ids.begin() + row, entry.id);
}

std::vector<NameEntry> CManageListDlg::Selected() const {
  std::vector<NameEntry> selected;
  const QListWidget* list = m_form->nameList;
  for (int row = 0; row < list->count(); ++row) {
    const QListWidgetItem* item = list->item(row);
    if (item->isSelected())
      selected.push_back({m_ids[static_cast<std::size_t>(row)], item->text().toStdString()});
  }
  return selected;
}

void CManageListDlg::OnNew() {
  if (const std::optional<NameEntry> added = m_list.New(m_ask)) Add(*added);
}

void CManageListDlg::OnRename() {
  if (m_list.Rename(Selected(), m_ask)) Fill();
}

void CManageListDlg::OnDelete() {
  if (!m_list.Delete(Selected(), m_ui)) return;
  QListWidget* list = m_form->nameList;
  for (int row = list->count() - 1; row >= 0; --row)
    if (list->item(row)->isSelected()) {
      delete list->takeItem(row);
      m_ids.erase(m_ids.begin() + row);
    }
}

void OnManageList(CMeriskDoc& doc, int mode, IUserQuestions& ui, QWidget* owner) {
  CManageListDlg dlg(doc, mode, ui, owner);
  dlg.exec();
  doc.UpdateAllViews(nullptr);
  doc.SetModifiedFlag();
}

}  // namespace kolvaro
