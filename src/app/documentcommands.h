#pragma once
// The album's own commands on the menu: adding pictures and folders, opening
// the picture in the graphics program, importing persons and transaction
// files. The logic lives in the catalogue and collaboration libraries.

#include <optional>

#include "views/commandtarget.h"

namespace kolvaro {

class CMeriskDoc;
class CMainFrame;
class IUserQuestions;

class CDocumentCommands : public ICommandTarget {
 public:
  CDocumentCommands(CMeriskDoc& doc, IUserQuestions& ui, CMainFrame& frame)
      : m_doc(doc), m_ui(ui), m_frame(frame) {}
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CmdState& state) override;

  /// Applies what is new in the transaction folder, saves and shows the
  /// summary; `atOnce` (nobody asked) shows it only for conflicts and problems.
  void SyncTransactions(bool atOnce = false);

 private:
  void ReportAdded(std::optional<int> added);
  /// Replays a transaction file and says in the status bar how many changes it made.
  void ImportTransactions();
  /// The persons' (CManageList::kPersons) or themes' management dialog.
  void ManageList(int mode);

  CMeriskDoc& m_doc;
  IUserQuestions& m_ui;
  CMainFrame& m_frame;
};

}  // namespace kolvaro
