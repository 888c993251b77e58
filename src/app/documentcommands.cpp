#include "app/documentcommands.h"

#include "app/mainframe.h"
#include "collab/transactionimport.h"
#include "core/meriskdoc.h"
#include "maintenance/addpictures.h"
#include "maintenance/importpersons.h"
#include "res/commands.h"

namespace kolvaro {

bool CDocumentCommands::OnCommand(int id) {
  switch (id) {
    case ID_ADD_PICTURES: OnAddPictures(m_doc, m_ui); return true;
    case ID_ADD_FOLDER: OnAddFolder(m_doc, m_ui); return true;
    case ID_OPEN_IN_GRAPHICS: m_doc.OpenPictureFile(m_doc.CurrentPicture()); return true;
    case ID_IMPORT_PERSONS: OnImportPersons(m_doc, m_ui); return true;
    case ID_IMPORT_TRANSACTIONS: OnImportTransactionFile(m_doc, m_ui); return true;
    default: return false;
  }
}

bool CDocumentCommands::OnUpdateCommand(int id, CmdState& state) {
  switch (id) {
    case ID_ADD_PICTURES:
    case ID_ADD_FOLDER:
    case ID_IMPORT_PERSONS:
      return true;
    case ID_OPEN_IN_GRAPHICS:
      state.enabled = m_doc.CanOpenPictureFile();
      return true;
    case ID_IMPORT_TRANSACTIONS:
      // The state update is where a switched-off collaboration loses its menu.
      m_frame.RemoveCollaborationMenuIfOff(/*deferred=*/true);
      return true;
    default: return false;
  }
}

}  // namespace kolvaro
