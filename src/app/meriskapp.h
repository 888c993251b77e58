#pragma once
// The application: start-up, the one album document, the framework's file
// commands (new, open, save, recent files) and the save prompt.

#include <QObject>
#include <QStringList>
#include <memory>
#include <string>

#include "app/recentfiles.h"
#include "app/startup.h"
#include "core/meriskdoc.h"
#include "core/ports/fileops.h"
#include "core/ports/settings.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"
#include "views/commandtarget.h"

namespace kolvaro {

class CHelpRequests;
class CHelpWindow;
class CMainFrame;

class CMeriskApp : public QObject, public ICommandTarget {
  Q_OBJECT
 public:
  /// The template's texts: window title, name of a new album, file filter.
  static inline const std::string kWindowTitle{LoadString(IDS_WINDOW_TITLE)};
  static inline const std::string kNewAlbumName{LoadString(IDS_NEW_ALBUM_NAME)};
  static inline const std::string kAlbumFilter{LoadString(IDS_ALBUM_FILTER)};

  CMeriskApp(ISettings& settings, IUserQuestions& ui, IFileOperations* fileOps);
  ~CMeriskApp() override;

  /// Start-up with the command line as main() parsed it (help, version and
  /// errors are answered there, before any window). False: the program ends
  /// with ExitCode().
  bool InitInstance(const CommandLine& commandLine, const std::string& programPath);
  int ExitCode() const { return m_exitCode; }
  bool QuitAfterShow() const { return m_commandLine.quitAfterShow; }

  CMeriskDoc& Document() { return m_doc; }
  CMainFrame* MainFrame() const { return m_frame.get(); }
  ISettings& Settings() { return m_settings; }
  IUserQuestions& UserQuestions() { return m_ui; }
  CRecentFileList& RecentFiles() { return m_recent; }
  const std::string& HelpFilePath() const { return m_strHelpFilePath; }

  /// Opens the help window at a page relative to the help folder (the
  /// contents for "" or a page that is not there).
  void ShowHelp(const std::string& page);
  /// Help about `window` (F1, context help, "Hilfe" in a message box over
  /// it): the page of the running command, else of that window.
  void ShowHelpFor(const QWidget* window);
  /// The help window, made on first use.
  CHelpWindow& HelpWindow();

  // --- The framework's document handling.
  bool OnFileNew();
  void OnFileOpen();
  /// Opens an album after the save prompt; reports a failure and returns false.
  bool OpenDocumentFile(const std::string& path);
  bool OnFileSave();
  bool OnFileSaveAs();
  /// Asks "Änderungen in %1 speichern?" for a modified album; false when the
  /// user cancels or saving fails (the album must then stay open).
  bool SaveModified();
  void OnOpenRecentFile(int index);
  /// "Einstellungen"; a changed collaboration applies with the next album.
  void OnOptions();

  /// Stores the headline and date being typed in the picture view; false
  /// (the user was told) when the date is none.
  bool CommitEdits();

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CmdState& state) override;

 signals:
  /// The album shown changed: new, opened, saved under another name.
  void DocumentChanged();
  /// A new or opened album replaced the one shown.
  void DocumentReplaced();
  /// An album file was opened (the collaboration menu may have to go).
  void DocumentOpened();
  void DocumentSaved();
  void RecentFilesChanged();

 private:
  enum class OpenResult { Opened, Cancelled, Failed };
  OpenResult DoOpen(const std::string& path);
  bool DoSave(const std::string& path);
  void AfterNewOrOpen();
  void NormalizeRootFolderSetting();
  void UseHomeForMissingRootFolder();

  ISettings& m_settings;
  IUserQuestions& m_ui;
  CMeriskDoc m_doc;
  CRecentFileList m_recent;
  CommandLine m_commandLine;
  std::string m_strHelpFilePath;
  std::string m_strProgramPath;
  std::unique_ptr<CMainFrame> m_frame;
  std::unique_ptr<CHelpWindow> m_helpWindow;
  std::unique_ptr<CHelpRequests> m_helpRequests;
  int m_exitCode = 0;
};

}  // namespace kolvaro
