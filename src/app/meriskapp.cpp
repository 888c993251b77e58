#include "app/meriskapp.h"

#include <QApplication>
#include <QFileInfo>
#include <QStatusBar>
#include <QStandardPaths>
#include <QTimer>
#include <cerrno>

#include "app/filetypecmd.h"
#include "app/helpwindow.h"
#include "app/mainframe.h"
#include "app/settingsdlg.h"
#include "core/helpfolder.h"
#include "core/safefile.h"
#include "qt/qtstring.h"
#include "qt/widgets/hyperlink.h"
#include "res/commands.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

/// The default of "RootFolder": the user's pictures folder in stored form,
/// or the home folder on an account that has none.
std::string DefaultRootFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (folder.isEmpty() || !QFileInfo(folder).isDir())
    folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  return StoredRootFolder(folder.toStdString());
}

}  // namespace

CMeriskApp::CMeriskApp(ISettings& settings, IUserQuestions& ui, IFileOperations* fileOps)
    : m_settings(settings), m_ui(ui), m_doc(settings, PathStyle::Posix), m_recent(settings) {
  m_doc.SetUserQuestions(&m_ui);
  m_doc.SetFileOperations(fileOps);
}

CMeriskApp::~CMeriskApp() {
  SetHelpPageOpener({});
  // The frame's views observe the document: they go first.
  m_frame.reset();
}

bool CMeriskApp::InitInstance(const CommandLine& commandLine, const std::string& programPath) {
  m_commandLine = commandLine;
  m_strProgramPath = programPath;
  m_recent.ReadList();
  // A first start stores the platform's default, so that new albums, this
  // program and kolvaro-cli all start from the user's pictures folder.
  const std::string kAbsent = "\x01";
  if (m_settings.GetString("Pictures", "RootFolder", kAbsent) == kAbsent)
    m_settings.SetString("Pictures", "RootFolder", DefaultRootFolder());
  m_strHelpFilePath = FindHelpFolder(programPath);
  m_doc.SetHelpFolder(m_strHelpFilePath);
  m_helpRequests = std::make_unique<CHelpRequests>(
      [this](const QWidget* about) { ShowHelpFor(about); },
      [this](const QString& text) {
        if (!m_frame) return;
        if (text.isEmpty())
          m_frame->statusBar()->clearMessage();
        else
          m_frame->statusBar()->showMessage(text);
      });
  // Help pages named by links (an album's update address, the About box) open here.
  SetHelpPageOpener([this](const QString& page) { return HelpWindow().ShowPage(page); });

  // The shell command: the main window with an empty album, or the named one.
  // The new-document step runs in every case: it starts the transaction log
  // of a collaborating editor, which an album opened from the command line
  // would otherwise never get.
  m_frame = std::make_unique<CMainFrame>(*this);
  OnFileNew();
  if (!m_commandLine.file.empty()) {
    if (!OpenDocumentFile(m_commandLine.file)) {
      m_frame.reset();
      m_exitCode = 1;
      return false;
    }
  } else if (!m_recent.Files().empty()) {
    // The last album used opens as soon as the event loop runs.
    QTimer::singleShot(0, this, [this] { OnOpenRecentFile(0); });
  }
  m_frame->show();
  m_frame->update();
  NormalizeRootFolderSetting();
  return true;
}

void CMeriskApp::NormalizeRootFolderSetting() {
  const std::string value = m_settings.GetString("Pictures", "RootFolder", DefaultRootFolder());
  if (const auto normal = NormalizeRootFolder(value)) m_settings.SetString("Pictures", "RootFolder", *normal);
}

void CMeriskApp::AfterNewOrOpen() {
  emit DocumentReplaced();
  emit DocumentChanged();
}

bool CMeriskApp::OnFileNew() {
  if (!SaveModified()) return false;
  m_doc.OnNewDocument();
  m_doc.SetTitle(kNewAlbumName);
  UseHomeForMissingRootFolder();
  AfterNewOrOpen();
  return true;
}

void CMeriskApp::UseHomeForMissingRootFolder() {
  // Pictures added to an album based in a folder that is not there would be
  // stored relative to nothing the user has; the setting itself stays, the
  // folder may be a disk that is not plugged in.
  if (QFileInfo(ToQString(m_doc.AlbumFolder())).isDir()) return;
  const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
  m_doc.SetAlbumFolder(home.toStdString() + (home.endsWith(QLatin1Char('/')) ? "" : "/"));
}

bool CMeriskApp::CommitEdits() {
  return !m_frame || m_frame->CommitEdits();
}

void CMeriskApp::OnFileOpen() {
  const std::vector<std::string> files =
      m_ui.GetOpenFileNames(std::string(LoadString(IDS_OPEN_TITLE)), kAlbumFilter,
                            m_doc.AlbumFolder(), false);
  if (!files.empty()) OpenDocumentFile(files.front());
}

bool CMeriskApp::OpenDocumentFile(const std::string& path) {
  return DoOpen(path) == OpenResult::Opened;
}

CMeriskApp::OpenResult CMeriskApp::DoOpen(const std::string& path) {
  if (!SaveModified()) return OpenResult::Cancelled;
  std::string error;
  if (!m_doc.OnOpenDocument(path, &error)) {
    m_ui.Warn(error);
    // A file that was read in part leaves an empty album behind.
    if (m_doc.GetPathName().empty() && m_doc.GetTitle() != kNewAlbumName) {
      m_doc.SetTitle(kNewAlbumName);
      UseHomeForMissingRootFolder();
      AfterNewOrOpen();
    }
    return OpenResult::Failed;
  }
  m_recent.Add(m_doc.GetPathName());
  AfterNewOrOpen();
  emit DocumentOpened();
  return OpenResult::Opened;
}

void CMeriskApp::OnOpenRecentFile(int index) {
  const auto& files = m_recent.Files();
  if (index < 0 || index >= static_cast<int>(files.size())) return;
  // The entry goes when the file failed, not when the user cancelled the save prompt.
  if (DoOpen(files[static_cast<std::size_t>(index)]) == OpenResult::Failed) m_recent.Remove(index);
  emit RecentFilesChanged();
}

bool CMeriskApp::DoSave(const std::string& path) {
  // A kolvaro-cli command busy with the album finishes first, and none starts
  // before this save is done, so the check below sees every change of theirs.
  CFileLock lock;
  if (path == m_doc.GetPathName()) {
    CWaitCursorGuard wait(&m_ui);
    if (lock.Acquire(path, LockWaitLimit()) == ETIMEDOUT) {
      m_ui.Warn(FormatMessage(LoadString(IDS_ALBUM_BUSY), {path}));
      return false;
    }
  }
  // Another program saved the album since it was read here: its change is
  // never overwritten without asking.
  if (path == m_doc.GetPathName() && m_doc.ChangedOnDisk()) {
    const Answer answer = m_ui.AskYesNoCancel(
        FormatMessage(LoadString(IDS_ALBUM_CHANGED_ON_DISK), {path}),
        "", QuestionIcon::Warning, DefaultButton::No);
    if (answer == Answer::No) {
      lock.Release();  // the other name may be this one again
      return OnFileSaveAs();
    }
    if (answer != Answer::Yes) return false;
  }
  std::string error;
  if (!m_doc.OnSaveDocument(path, &error)) {
    m_ui.Warn(error);
    return false;
  }
  m_recent.Add(m_doc.GetPathName());
  emit DocumentChanged();
  // Saving re-bases the stored names: the views show them as they are now.
  m_doc.UpdateAllViews(nullptr);
  emit DocumentSaved();
  return true;
}

bool CMeriskApp::OnFileSave() {
  if (!CommitEdits()) return false;
  if (m_doc.GetPathName().empty()) return OnFileSaveAs();
  return DoSave(m_doc.GetPathName());
}

bool CMeriskApp::OnFileSaveAs() {
  if (!CommitEdits()) return false;
  std::string proposed = m_doc.GetPathName();
  if (proposed.empty()) proposed = m_doc.AlbumFolder() + "Kolvaro.kvo";
  std::string path = m_ui.GetSaveFileName(std::string(LoadString(IDS_SAVE_AS_TITLE)), kAlbumFilter, proposed);
  if (path.empty()) return false;
  if (QFileInfo(ToQString(path)).suffix().isEmpty()) path += ".kvo";
  return DoSave(path);
}

bool CMeriskApp::SaveModified() {
  // The text being typed belongs to the album that is about to go.
  if (!CommitEdits()) return false;
  if (!m_doc.IsModified()) return true;
  const std::string name = m_doc.GetPathName().empty() ? m_doc.GetTitle() : m_doc.GetPathName();
  const Answer answer = m_ui.AskYesNoCancel(FormatMessage(LoadString(IDS_SAVE_CHANGES), {name}), "",
                                            QuestionIcon::Warning);
  if (answer == Answer::Cancel) return false;
  if (answer == Answer::Yes) return OnFileSave();
  return true;
}

void CMeriskApp::OnOptions() {
  CSettingsDialog dlg(m_settings, m_ui, m_frame.get());
  if (dlg.exec() != QDialog::Accepted) return;
  // The log follows the setting with the next album opened or created, so that
  // it always starts from an album as the other editors have it.
  if (m_frame) m_frame->RemoveCollaborationMenuIfOff();
  // The path display and the picture window's title follow the new settings now.
  m_doc.UpdateAllViews(nullptr);
}

CHelpWindow& CMeriskApp::HelpWindow() {
  if (!m_helpWindow)
    m_helpWindow = std::make_unique<CHelpWindow>(ToQString(m_strHelpFilePath), &m_settings);
  return *m_helpWindow;
}

void CMeriskApp::ShowHelp(const std::string& page) { HelpWindow().ShowPage(ToQString(page)); }

void CMeriskApp::ShowHelpFor(const QWidget* window) {
  ShowHelp(HelpPageOfWidget(window, m_frame ? m_frame->RunningCommand() : 0));
}

bool CMeriskApp::OnCommand(int id) {
  switch (id) {
    case ID_DOCUMENTATION:
    case ID_HELP_FINDER:
    case ID_DEFAULT_HELP: ShowHelp({}); return true;
    case ID_CONTEXT_HELP: CHelpRequests::EnterContextHelp(); return true;
    case ID_HELP: ShowHelp(HelpPageOfWidget(QApplication::focusWidget() ? QApplication::focusWidget() : m_frame.get())); return true;
    case ID_FILE_NEW: OnFileNew(); return true;
    case ID_FILE_OPEN: OnFileOpen(); return true;
    case ID_FILE_SAVE: OnFileSave(); return true;
    case ID_FILE_SAVE_AS: OnFileSaveAs(); return true;
    case ID_OPTIONS: OnOptions(); return true;
    case ID_REGISTER_FILETYPE: OnRegisterFileType(m_ui, m_strProgramPath); return true;
    case ID_APP_EXIT:
      if (m_frame) m_frame->close();
      return true;
    default:
      if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + CRecentFileList::kSize) {
        OnOpenRecentFile(id - ID_FILE_MRU_FILE1);
        return true;
      }
      return false;
  }
}

bool CMeriskApp::OnUpdateCommand(int id, CmdState& state) {
  switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_SAVE:
    case ID_FILE_SAVE_AS:
    case ID_OPTIONS:
    case ID_APP_EXIT:
    case ID_DOCUMENTATION:
    case ID_HELP_FINDER:
    case ID_DEFAULT_HELP:
    case ID_CONTEXT_HELP:
    case ID_HELP:
      state.enabled = true;
      return true;
    case ID_REGISTER_FILETYPE:
      state.text = RegisterFileTypeMenuText(m_strProgramPath);
      return true;
    default:
      return false;
  }
}

}  // namespace kolvaro
