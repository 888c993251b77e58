#include "app/documentcommands.h"

#include <algorithm>

#include "app/aboutdlg.h"
#include "app/mainframe.h"
#include "app/syncconflictsdlg.h"
#include "app/waitfreequestions.h"
#include "collab/transactionfile.h"
#include "collab/transactionimport.h"
#include "collab/transactionsync.h"
#include "core/meriskdoc.h"
#include "core/ports/settings.h"
#include "core/safefile.h"
#include "maintenance/addpictures.h"
#include "maintenance/copypicture.h"
#include "maintenance/dialogs/albumsettingsdlg.h"
#include "maintenance/dialogs/cameraimportdlg.h"
#include "maintenance/dialogs/managelistdlg.h"
#include "maintenance/dialogs/replacepathsdlg.h"
#include "maintenance/dialogs/xmpexportdlg.h"
#include "maintenance/dialogs/xmpimportdlg.h"
#include "maintenance/importpersons.h"
#include "res/commands.h"
#include "res/strings.h"

namespace kolvaro {

bool CDocumentCommands::OnCommand(int id) {
  switch (id) {
    case ID_ADD_PICTURES: ReportAdded(OnAddPictures(m_doc, m_ui)); return true;
    case ID_ADD_FOLDER: ReportAdded(OnAddFolder(m_doc, m_ui)); return true;
    case ID_OPEN_IN_GRAPHICS: m_doc.OpenPictureFile(m_doc.CurrentPicture()); return true;
    case ID_IMPORT_PERSONS: OnImportPersons(m_doc, m_ui); return true;
    case ID_CAMERA_IMPORT: ReportAdded(OnCameraImport(m_doc, m_ui, &m_frame)); return true;
    case ID_IMPORT_TRANSACTIONS: ImportTransactions(); return true;
    case ID_SYNC_TRANSACTIONS: SyncTransactions(); return true;
    case ID_SYNC_AT_ONCE:
      ProgramSettings::Set(m_doc.Settings(), ProgramSettings::kSyncAtOnce,
                           ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kSyncAtOnce) ? 0 : 1);
      m_frame.LookForNews();
      return true;
    case ID_MANAGE_THEMES: ManageList(CManageList::kThemes); return true;
    case ID_MANAGE_PERSONS: ManageList(CManageList::kPersons); return true;
    case ID_CHANGE_PATHS: OnReplacePaths(m_doc, m_ui, &m_frame); return true;
    case ID_COPY_FILE: OnCopyPicture(m_doc, m_ui); return true;
    case ID_XMP_EXPORT:
      // A headline being typed goes into the XMP too.
      if (m_frame.CommitEdits()) OnXmpExport(m_doc, m_ui, &m_frame);
      return true;
    case ID_XMP_IMPORT:
      if (m_frame.CommitEdits()) OnXmpImport(m_doc, m_ui, &m_frame);
      return true;
    case ID_FILE_STORAGE: OnFileStorage(m_doc, &m_frame); return true;
    case ID_ALBUM_INFO:
      if (m_doc.CanOpenAlbumInfo()) OnAlbumInfo(m_doc, m_ui, &m_frame);
      return true;
    case ID_APP_ABOUT: {
      CAboutDlg dlg(&m_ui, &m_frame);
      dlg.SetAlbumTexts(m_doc.AlbumInfo(), m_doc.UpdateUrl());
      dlg.exec();
      return true;
    }
    default: return false;
  }
}

void CDocumentCommands::ReportAdded(std::optional<int> added) {
  // New pictures are in the album but not yet in the selection.
  if (added)
    m_frame.ShowStatus(FormatMessage(LoadString(IDS_STATUS_PICTURES_ADDED), {static_cast<long long>(*added)}));
}

void CDocumentCommands::ManageList(int mode) {
  // The views show the album anew afterwards: a headline being typed is stored first.
  if (!m_frame.CommitEdits()) return;
  OnManageList(m_doc, mode, m_ui, &m_frame);
}

void CDocumentCommands::ImportTransactions() {
  const std::vector<std::string> chosen = m_ui.GetOpenFileNames(
      "", std::string(LoadString(IDS_TRANSACTION_FILTER)), m_doc.AlbumFolder(), false);
  if (chosen.empty()) return;
  CWaitFreeQuestions ui(m_ui);
  const TransactionImportOutcome outcome = ImportTransactionFile(m_doc, chosen.front(), &ui);
  // Also a file broken half-way has changed the album: the views show it.
  if (outcome.result != TransactionImportResult::Done && outcome.applied > 0) m_doc.UpdateAllViews(nullptr);
  m_frame.ShowStatus(
      FormatMessage(LoadString(IDS_STATUS_CHANGES_APPLIED), {static_cast<long long>(outcome.applied)}));
}

void CDocumentCommands::SyncTransactions(bool atOnce) {
  // A headline being typed is saved with the album.
  if (!m_frame.CommitEdits() || m_doc.GetPathName().empty()) return;
  const std::string path = m_doc.GetPathName();
  SyncSummary summary;
  {
    // As a save: held for the whole sync, and never over another program's change.
    CFileLock lock;
    if (lock.Acquire(path, LockWaitLimit()) == ETIMEDOUT) {
      m_ui.Warn(FormatMessage(LoadString(IDS_ALBUM_BUSY), {path}));
      return;
    }
    if (m_doc.ChangedOnDisk()) {
      m_ui.Warn(FormatMessage(LoadString(IDS_SYNC_ALBUM_CHANGED), {path}));
      return;
    }
    CWaitCursorGuard wait(&m_ui);
    summary = SyncTransactionFolder(m_doc, path, TransactionFolder(m_doc.Settings()),
                                    [&](std::string& error) { return m_doc.OnSaveDocument(path, &error); });
  }
  m_frame.ShowStatus(
      FormatMessage(LoadString(IDS_STATUS_CHANGES_APPLIED), {static_cast<long long>(summary.applied)}));
  const bool problems = std::any_of(summary.files.begin(), summary.files.end(),
                                    [](const SyncFileReport& f) { return !f.problem.empty(); });
  const bool takeable = std::any_of(summary.conflicts.begin(), summary.conflicts.end(),
                                    [](const SyncConflict& c) { return c.loser.has_value(); });
  if (!summary.error.empty()) {
    m_ui.Warn(SyncSummaryText(summary) + '\n' + summary.error);
  } else if (takeable) {
    CSyncConflictsDlg dlg(m_doc, summary, &m_frame);
    dlg.exec();
  } else if (!atOnce || problems || !summary.conflicts.empty() || !summary.otherPictures.empty()) {
    m_ui.Inform(SyncSummaryText(summary));
  }
  m_frame.LookForNews();
}

bool CDocumentCommands::OnUpdateCommand(int id, CmdState& state) {
  switch (id) {
    case ID_ADD_PICTURES:
    case ID_ADD_FOLDER:
    case ID_IMPORT_PERSONS:
    case ID_CAMERA_IMPORT:
    case ID_MANAGE_THEMES:
    case ID_MANAGE_PERSONS:
    case ID_CHANGE_PATHS:
    case ID_COPY_FILE:
    case ID_XMP_EXPORT:
    case ID_XMP_IMPORT:
    case ID_FILE_STORAGE:
    case ID_APP_ABOUT:
      return true;
    case ID_ALBUM_INFO:
      state.enabled = m_doc.CanOpenAlbumInfo();
      return true;
    case ID_OPEN_IN_GRAPHICS:
      state.enabled = m_doc.CanOpenPictureFile();
      return true;
    case ID_SYNC_TRANSACTIONS:
      // The album's sync state lives beside its file.
      state.enabled = !m_doc.GetPathName().empty();
      return true;
    case ID_SYNC_AT_ONCE:
      state.checked = ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kSyncAtOnce);
      return true;
    case ID_IMPORT_TRANSACTIONS:
      // The state update is where a switched-off collaboration loses its menu.
      m_frame.RemoveCollaborationMenuIfOff(/*deferred=*/true);
      return true;
    default: return false;
  }
}

}  // namespace kolvaro
