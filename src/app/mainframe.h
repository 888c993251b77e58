#pragma once
// The main window: menus, toolbar and status bar built from the resource
// data, the selection bar above the picture view, and the routing of every
// command to whoever handles it.

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>
#include <vector>

#include "core/document.h"
#include "res/menu.h"
#include "views/commandtarget.h"

class QAction;
class QMenu;
class QSplitter;
class QToolBar;

namespace kolvaro {

class CDocumentCommands;
class CImageDescription;
class CThumbnailGrid;
class CThumbnailStrip;
class CMeriskApp;
class CMeriskDoc;
class CSelectView;
class CSyncNote;

class CMainFrame : public QMainWindow, public IDocumentObserver, public ICommandTarget {
  Q_OBJECT
 public:
  explicit CMainFrame(CMeriskApp& app);
  ~CMainFrame() override;

  /// Whether the program offers a command (only those are on menus and toolbar).
  static bool IsOffered(int command);

  QAction* Action(int command) const;
  QToolBar* ToolBar() const { return m_toolBar; }
  CSelectView* SelectView() const { return m_selectView; }
  CImageDescription* DescriptionView() const { return m_description; }
  /// The thumbnails of the selection under the picture view.
  CThumbnailStrip* ThumbnailStrip() const { return m_strip; }
  /// The overview of the selection that takes the picture view's place.
  CThumbnailGrid* ThumbnailGrid() const { return m_grid; }
  /// Shows the overview in place of the picture view, or the picture view again.
  void ShowOverview(bool show);

  /// Runs a command along the route: active pane, frame, application,
  /// document, then the other panes. A disabled command does nothing.
  void RouteCommand(int command);
  /// The command being run, 0 between commands: help asked for from one of
  /// its messages shows its page.
  int RunningCommand() const { return m_runningCommand; }
  /// Asks the route for the state of the actions and applies it.
  void UpdateCommandStates(const QList<QAction*>& actions);
  /// Toolbar buttons and accelerators follow every change of state.
  void UpdateVisibleStates();

  /// Removes the "&Zusammenarbeit" popup while collaboration is off. With
  /// `deferred` the removal waits for the event loop (a menu may be opening).
  void RemoveCollaborationMenuIfOff(bool deferred = false);

  /// Looks whether other editors' changes wait in the transaction folder.
  void LookForNews();

  /// After new or open: title, recent files, initial update of both panes.
  void OnDocumentReplaced();
  /// Stores what is being typed in the picture view; false when its date is none.
  bool CommitEdits();
  /// Shows a result in the status bar until the next prompt replaces it.
  void ShowStatus(const std::string& text);
  /// Size, position and splitter as the settings keep them between starts.
  void RestoreLayout();
  void SaveLayout();
  void OnDocumentSaved();
  void RefreshRecentFiles();
  void UpdateTitle();

  void OnUpdate(CDocument& doc, IDocumentObserver* sender, long hint) override;
  void OnModifiedChanged(bool modified) override;
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CmdState& state) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void BuildMenu(QMenu* menu, const std::vector<MenuEntry>& items);
  void CreateToolBar();
  void CreateStatusBar();
  void CreateClientArea();
  std::vector<ICommandTarget*> Route();
  void FocusPane(int step);
  /// "n von m Bildern markiert" for the overview.
  void ShowMarkedCount();

  CMeriskApp& m_app;
  CMeriskDoc& m_doc;
  std::unique_ptr<CDocumentCommands> m_docCommands;
  std::map<int, QAction*> m_actions;
  QToolBar* m_toolBar = nullptr;
  QSplitter* m_splitter = nullptr;
  CSelectView* m_selectView = nullptr;
  CImageDescription* m_description = nullptr;
  CThumbnailStrip* m_strip = nullptr;
  CSyncNote* m_syncNote = nullptr;
  CThumbnailGrid* m_grid = nullptr;
  QWidget* m_descriptionWidget = nullptr;
  QMenu* m_fileMenu = nullptr;
  QAction* m_recentMarker = nullptr;
  std::vector<QAction*> m_recentActions;
  int m_runningCommand = 0;
};

}  // namespace kolvaro
