#pragma once
// The summary of a sync with conflicts: each conflict on a line, and the
// value that lost taken back with one click, as a change the other copies follow.

#include <QDialog>
#include <vector>

#include "collab/transactionsync.h"

class QListWidget;
class QPushButton;

namespace kolvaro {

class CMeriskDoc;

class CSyncConflictsDlg : public QDialog {
  Q_OBJECT
 public:
  CSyncConflictsDlg(CMeriskDoc& doc, const SyncSummary& summary, QWidget* parent = nullptr);

 private:
  void UpdateTakeButton();
  void TakeSelected();

  CMeriskDoc& m_doc;
  std::vector<SyncConflict> m_conflicts;
  std::vector<bool> m_taken;
  QListWidget* m_list = nullptr;
  QPushButton* m_take = nullptr;
};

}  // namespace kolvaro
