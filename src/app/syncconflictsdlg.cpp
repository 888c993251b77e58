#include "app/syncconflictsdlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "res/strings.h"

namespace kolvaro {

CSyncConflictsDlg::CSyncConflictsDlg(CMeriskDoc& doc, const SyncSummary& summary, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_conflicts(summary.conflicts), m_taken(summary.conflicts.size()) {
  setObjectName(QStringLiteral("syncConflicts"));
  setWindowTitle(ToQString(LoadString(IDS_SYNC_CONFLICTS_TITLE)));
  auto* layout = new QVBoxLayout(this);
  auto* text = new QLabel(ToQString(SyncSummaryText(summary, false)), this);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(text);
  layout->addWidget(new QLabel(ToQString(LoadString(IDS_SYNC_CONFLICTS_LABEL)), this));
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("conflictList"));
  for (const SyncConflict& c : m_conflicts) m_list->addItem(ToQString(SyncConflictText(c)));
  m_list->setCurrentRow(0);
  layout->addWidget(m_list, 1);
  auto* buttons = new QDialogButtonBox(this);
  m_take = buttons->addButton(ToQString(LoadString(IDS_SYNC_TAKE)), QDialogButtonBox::ActionRole);
  m_take->setObjectName(QStringLiteral("takeLoser"));
  buttons->addButton(QDialogButtonBox::Close);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_take, &QPushButton::clicked, this, &CSyncConflictsDlg::TakeSelected);
  connect(m_list, &QListWidget::currentRowChanged, this, &CSyncConflictsDlg::UpdateTakeButton);
  connect(m_list, &QListWidget::itemDoubleClicked, this, &CSyncConflictsDlg::TakeSelected);
  UpdateTakeButton();
  resize(720, 360);
}

void CSyncConflictsDlg::UpdateTakeButton() {
  const int row = m_list->currentRow();
  m_take->setEnabled(row >= 0 && m_conflicts[row].loser && !m_taken[row]);
}

void CSyncConflictsDlg::TakeSelected() {
  const int row = m_list->currentRow();
  if (row < 0 || m_taken[row] || !TakeSyncConflict(m_doc, m_conflicts[row])) return;
  m_taken[row] = true;
  QListWidgetItem* item = m_list->item(row);
  item->setText(item->text() + ToQString(LoadString(IDS_SYNC_TAKEN)));
  UpdateTakeButton();
}

}  // namespace kolvaro
