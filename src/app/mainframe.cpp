#include "app/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "app/documentcommands.h"
#include "app/meriskapp.h"
#include "app/selectview.h"
#include "app/syncnote.h"
#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "core/ports/settings.h"
#include "res/commands.h"
#include "res/strings.h"
#include "views/imagedescription.h"
#include "views/thumbnailgrid.h"
#include "views/thumbnailstrip.h"

namespace kolvaro {
namespace {

// The commands the program offers. A command joins this list when its
// handler is built; the menus and the toolbar show nothing else.
const std::set<int>& OfferedCommands() {
  static const std::set<int> commands = {
      ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_APP_EXIT,
      ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_NEXT_PANE, ID_PREV_PANE,
      ID_ADD_PICTURES, ID_ADD_FOLDER, ID_OPEN_IN_GRAPHICS, ID_IMPORT_PERSONS, ID_IMPORT_TRANSACTIONS,
      ID_SYNC_TRANSACTIONS, ID_SYNC_AT_ONCE, ID_CAMERA_IMPORT,
      ID_NEXT_PICTURE, ID_PREV_PICTURE, ID_ADD_PERSON, ID_CANCEL_ADD_PERSON, ID_REMOVE_THEMES,
      ID_REMOVE_PERSONS, ID_DELETE_PICTURE, ID_ENLARGE, ID_MANAGE_THEMES, ID_MANAGE_PERSONS,
      ID_SLIDESHOW, ID_PICTURE_WINDOW,
      ID_CHANGE_PATHS, ID_COPY_FILE,
      ID_XMP_EXPORT, ID_XMP_IMPORT,
      ID_PAGE_SETUP, ID_FILE_PRINT_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW,
      ID_ASSIGN_THEMES, ID_OPTIONS, ID_FILE_STORAGE, ID_ALBUM_INFO,
      ID_DOCUMENTATION, ID_CONTEXT_HELP,
      ID_THUMBNAIL_STRIP, ID_OVERVIEW,
      ID_REGISTER_FILETYPE, ID_APP_ABOUT,
  };
  return commands;
}

// Commands whose menu item carries a check mark.
bool IsCheckable(int command) {
  return command == ID_ADD_PERSON || command == ID_ENLARGE || command == ID_VIEW_TOOLBAR ||
         command == ID_VIEW_STATUS_BAR || command == ID_SLIDESHOW || command == ID_PICTURE_WINDOW ||
         command == ID_THUMBNAIL_STRIP || command == ID_SYNC_AT_ONCE || command == ID_OVERVIEW;
}

}  // namespace

bool CMainFrame::IsOffered(int command) { return OfferedCommands().count(command) != 0; }

CMainFrame::CMainFrame(CMeriskApp& app) : m_app(app), m_doc(app.Document()) {
  setObjectName(QStringLiteral("mainFrame"));
  setWindowIcon(QIcon(QStringLiteral(":/icons/kolvaro.svg")));
  m_docCommands = std::make_unique<CDocumentCommands>(m_doc, app.UserQuestions(), *this);
  CreateActions();
  for (const MenuEntry& popup : MainMenu()) {
    auto* menu = new QMenu(ToQString(popup.text), this);
    BuildMenu(menu, popup.items);
    if (menu->actions().isEmpty()) {
      delete menu;
      continue;
    }
    menuBar()->addMenu(menu);
  }
  // A menu that would vanish at its first click is not offered at all.
  RemoveCollaborationMenuIfOff();
  CreateToolBar();
  CreateStatusBar();
  CreateClientArea();
  m_doc.AddView(this);
  connect(&app, &CMeriskApp::DocumentReplaced, this, &CMainFrame::OnDocumentReplaced);
  connect(&app, &CMeriskApp::DocumentOpened, this, [this] { RemoveCollaborationMenuIfOff(); });
  connect(&app, &CMeriskApp::DocumentSaved, this, &CMainFrame::OnDocumentSaved);
  connect(&app, &CMeriskApp::RecentFilesChanged, this, &CMainFrame::RefreshRecentFiles);
  // The program's accelerators win over the word jumps of the text fields.
  qApp->installEventFilter(this);
  RestoreLayout();
  UpdateTitle();
}

void CMainFrame::RestoreLayout() {
  ISettings& settings = m_doc.Settings();
  const QByteArray geometry =
      QByteArray::fromBase64(QByteArray::fromStdString(settings.GetString("Layout", "MainWindow", "")));
  // Qt puts a window kept from a larger screen back onto the screen there is.
  if (geometry.isEmpty() || !restoreGeometry(geometry)) {
    QSize size(1180, 720);
    if (const QScreen* s = screen()) size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
    resize(size.expandedTo(minimumSizeHint()));
  }
  const QByteArray splitter =
      QByteArray::fromBase64(QByteArray::fromStdString(settings.GetString("Layout", "Splitter", "")));
  if (!splitter.isEmpty()) m_splitter->restoreState(splitter);
}

void CMainFrame::SaveLayout() {
  ISettings& settings = m_doc.Settings();
  settings.SetString("Layout", "MainWindow", saveGeometry().toBase64().toStdString());
  settings.SetString("Layout", "Splitter", m_splitter->saveState().toBase64().toStdString());
}

bool CMainFrame::CommitEdits() { return !m_description || m_description->CommitEdits(); }

void CMainFrame::ShowStatus(const std::string& text) { statusBar()->showMessage(ToQString(text)); }

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QKeySequence pressed(key->keyCombination());
    const QKeySequence unpadded(
        QKeyCombination(key->modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(key->key())));
    for (const auto& [id, action] : m_actions) {
      if (!action->isEnabled()) continue;
      for (const QKeySequence& k : action->shortcuts()) {
        if (k == pressed || k == unpadded) {
          // Not taken by the field: the shortcut fires.
          event->ignore();
          return true;
        }
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

CMainFrame::~CMainFrame() {
  m_doc.RemoveView(this);
  // The panes observe the document and go before the frame's other parts.
  delete m_splitter;
  m_splitter = nullptr;
}

QAction* CMainFrame::Action(int command) const {
  const auto it = m_actions.find(command);
  return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions() {
  // One action per offered command, with the text of the menu entry where
  // there is one; shortcuts come from the accelerator table.
  std::map<int, std::string_view> texts;
  std::function<void(const std::vector<MenuEntry>&)> collect = [&](const std::vector<MenuEntry>& items) {
    for (const MenuEntry& e : items) {
      if (e.kind == MenuEntry::Command) texts.emplace(e.command, e.text);
      if (e.kind == MenuEntry::Popup) collect(e.items);
    }
  };
  for (const MenuEntry& popup : MainMenu()) collect(popup.items);
  for (const int id : OfferedCommands()) {
    const auto text = texts.find(id);
    auto* action = new QAction(text != texts.end() ? ToQString(text->second) : ToQString(ToolTip(id)), this);
    action->setData(id);
    action->setStatusTip(ToQString(StatusPrompt(id)));
    if (!ToolTip(id).empty()) action->setToolTip(ToQString(ToolTip(id)));
    action->setCheckable(IsCheckable(id));
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    addAction(action);  // shortcuts work also for commands on no menu
    m_actions[id] = action;
  }
  std::map<int, QList<QKeySequence>> keys;
  for (const Accelerator& acc : MainAccelerators())
    if (IsOffered(acc.command)) keys[acc.command].append(QKeySequence(ToQString(acc.keys), QKeySequence::PortableText));
  for (auto& [id, list] : keys) m_actions[id]->setShortcuts(list);
  for (int i = 0; i < CRecentFileList::kSize; ++i) {
    auto* action = new QAction(this);
    const int id = ID_FILE_MRU_FILE1 + i;
    action->setData(id);
    action->setStatusTip(ToQString(LoadString(IDS_OPEN_RECENT_PROMPT)));
    connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    m_recentActions.push_back(action);
  }
}

void CMainFrame::BuildMenu(QMenu* menu, const std::vector<MenuEntry>& items) {
  bool pendingSeparator = false;
  auto flushSeparator = [&] {
    if (pendingSeparator && !menu->actions().isEmpty()) menu->addSeparator();
    pendingSeparator = false;
  };
  for (const MenuEntry& e : items) {
    switch (e.kind) {
      case MenuEntry::Separator:
        pendingSeparator = true;
        break;
      case MenuEntry::Command:
        if (QAction* a = Action(e.command)) {
          flushSeparator();
          menu->addAction(a);
        }
        break;
      case MenuEntry::Popup: {
        auto* sub = new QMenu(ToQString(e.text), menu);
        BuildMenu(sub, e.items);
        if (sub->actions().isEmpty()) {
          delete sub;
        } else {
          flushSeparator();
          menu->addMenu(sub);
        }
        break;
      }
      case MenuEntry::RecentFiles:
        flushSeparator();
        m_fileMenu = menu;
        m_recentMarker = menu->addSeparator();
        m_recentMarker->setVisible(false);
        for (QAction* a : m_recentActions) menu->addAction(a);
        pendingSeparator = true;
        break;
    }
  }
  connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateCommandStates(menu->actions()); });
}

void CMainFrame::CreateToolBar() {
  m_toolBar = new QToolBar(ToQString(LoadString(IDS_TOOLBAR_TITLE)), this);
  m_toolBar->setObjectName(QStringLiteral("toolBar"));
  m_toolBar->setMovable(true);
  m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
  m_toolBar->setIconSize(QSize(24, 24));
  bool pendingSeparator = false;
  for (const int id : MainToolbar()) {
    if (id == 0) {
      pendingSeparator = !m_toolBar->actions().isEmpty();
      continue;
    }
    QAction* a = Action(id);
    if (!a) continue;
    if (pendingSeparator) m_toolBar->addSeparator();
    pendingSeparator = false;
    const std::string_view icon = CommandIcon(id);
    if (!icon.empty()) a->setIcon(QIcon(ToQString(icon)));
    m_toolBar->addAction(a);
  }
  addToolBar(Qt::TopToolBarArea, m_toolBar);
}

void CMainFrame::CreateStatusBar() {
  // The lock-key panes are left out: the platform does not report them.
  statusBar()->setObjectName(QStringLiteral("statusBar"));
  const QString idle = ToQString(LoadString(IDS_IDLE_MESSAGE));
  statusBar()->showMessage(idle);
  connect(statusBar(), &QStatusBar::messageChanged, this, [this, idle](const QString& text) {
    if (text.isEmpty()) statusBar()->showMessage(idle);
  });
}

void CMainFrame::CreateClientArea() {
  m_splitter = new QSplitter(Qt::Vertical, this);
  m_splitter->setObjectName(QStringLiteral("splitter"));
  m_splitter->setChildrenCollapsible(false);
  m_selectView = new CSelectView(m_doc, m_splitter);
  // The strip belongs to the picture view's pane, under the view.
  auto* pane = new QWidget(m_splitter);
  pane->setObjectName(QStringLiteral("picturePane"));
  m_description = new CImageDescription(m_doc, m_app.UserQuestions(), pane);
  m_strip = new CThumbnailStrip(
      m_doc, [this](int position) { m_description->ShowPosition(position); }, CThumbnailCache(), pane);
  m_strip->setHidden(!ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kThumbnailStrip));
  m_grid = new CThumbnailGrid(
      m_doc, [this](int position) { m_description->ShowPosition(position); },
      [this](int position) {
        m_description->ShowPosition(position);
        ShowOverview(false);
      },
      CThumbnailCache(), pane);
  m_grid->hide();
  connect(m_grid, &CThumbnailGrid::MarkedCountChanged, this, [this] {
    if (m_grid->isVisible()) ShowMarkedCount();
  });
  auto* paneLayout = new QVBoxLayout(pane);
  paneLayout->setContentsMargins(0, 0, 0, 0);
  paneLayout->setSpacing(0);
  m_syncNote = new CSyncNote(m_doc, pane);
  connect(m_syncNote, &CSyncNote::SyncRequested, this,
          [this](bool atOnce) { m_docCommands->SyncTransactions(atOnce); });
  paneLayout->addWidget(m_syncNote);
  paneLayout->addWidget(m_description, 1);
  paneLayout->addWidget(m_grid, 1);
  paneLayout->addWidget(m_strip);
  m_descriptionWidget = pane;
  connect(m_description, &CImageDescription::CommandStatesChanged, this, &CMainFrame::UpdateVisibleStates);
  m_splitter->addWidget(m_selectView);
  m_splitter->addWidget(m_descriptionWidget);
  m_splitter->setStretchFactor(0, 0);
  m_splitter->setStretchFactor(1, 1);
  setCentralWidget(m_splitter);
}

std::vector<ICommandTarget*> CMainFrame::Route() {
  std::vector<ICommandTarget*> panes = {m_selectView, m_description};
  // The pane holding the focus comes first.
  QWidget* focus = QApplication::focusWidget();
  if (focus && m_descriptionWidget && m_descriptionWidget->isAncestorOf(focus))
    std::swap(panes[0], panes[1]);
  std::vector<ICommandTarget*> route = {panes[0], this, &m_app, m_docCommands.get(), panes[1]};
  route.erase(std::remove(route.begin(), route.end(), nullptr), route.end());
  return route;
}

void CMainFrame::RouteCommand(int command) {
  // Accelerators of disabled commands do nothing, as their menu items do.
  CmdState state;
  for (ICommandTarget* t : Route())
    if (t->OnUpdateCommand(command, state)) break;
  if (!state.enabled) return;
  // Text being typed is stored before the command leaves or replaces it.
  if (!CommitEdits()) return;
  const int outer = std::exchange(m_runningCommand, command);
  for (ICommandTarget* t : Route())
    if (t->OnCommand(command)) break;
  m_runningCommand = outer;
  // The command may have closed the window (Exit).
  if (!isVisible()) return;
  UpdateTitle();
  UpdateVisibleStates();
}

void CMainFrame::UpdateCommandStates(const QList<QAction*>& actions) {
  for (QAction* a : actions) {
    if (a->isSeparator() || a->menu() || !a->data().isValid()) continue;
    const int id = a->data().toInt();
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + CRecentFileList::kSize) continue;
    CmdState state;
    for (ICommandTarget* t : Route())
      if (t->OnUpdateCommand(id, state)) break;
    a->setEnabled(state.enabled);
    if (a->isCheckable()) a->setChecked(state.checked);
    if (!state.text.empty()) a->setText(ToQString(state.text));
  }
}

void CMainFrame::UpdateVisibleStates() {
  // Toolbar buttons show their state all the time, and a disabled action's
  // shortcut would not fire: both follow every change. Menu items are
  // brought up to date when their menu opens.
  QList<QAction*> actions = m_toolBar ? m_toolBar->actions() : QList<QAction*>();
  for (const auto& [id, action] : m_actions)
    if (!action->shortcuts().isEmpty() && !actions.contains(action)) actions.append(action);
  UpdateCommandStates(actions);
}

void CMainFrame::RemoveCollaborationMenuIfOff(bool deferred) {
  if (ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kCollaboration)) return;
  auto remove = [bar = QPointer<QMenuBar>(menuBar())] {
    if (!bar) return;
    const QString text = ToQString(LoadString(IDS_COLLABORATION_MENU));
    for (QAction* a : bar->actions()) {
      if (a->text() == text) {
        if (a->menu()) a->menu()->hide();
        bar->removeAction(a);
        break;
      }
    }
    bar->update();
  };
  if (deferred)
    QTimer::singleShot(0, this, remove);
  else
    remove();
}

void CMainFrame::LookForNews() { m_syncNote->Look(); }

void CMainFrame::OnDocumentReplaced() {
  m_syncNote->Restart();
  UpdateTitle();
  RefreshRecentFiles();
  m_selectView->OnInitialUpdate();
  m_description->OnInitialUpdate();
  UpdateVisibleStates();
}

void CMainFrame::OnDocumentSaved() {
  m_syncNote->Restart();  // a new album's first save gives it its sync state's place
  UpdateTitle();
  RefreshRecentFiles();
}

void CMainFrame::RefreshRecentFiles() {
  const auto& files = m_app.RecentFiles().Files();
  const QString home = QDir::homePath();
  for (int i = 0; i < CRecentFileList::kSize; ++i) {
    QAction* a = m_recentActions[static_cast<std::size_t>(i)];
    if (i < static_cast<int>(files.size())) {
      QString path = QString::fromStdString(files[static_cast<std::size_t>(i)]);
      if (path.startsWith(home + QLatin1Char('/'))) path = QLatin1Char('~') + path.mid(home.size());
      path.replace(QLatin1Char('&'), QStringLiteral("&&"));
      a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
      a->setVisible(true);
    } else {
      a->setVisible(false);
    }
  }
  if (m_recentMarker) m_recentMarker->setVisible(false);
}

void CMainFrame::UpdateTitle() {
  setWindowTitle(QString::fromStdString(m_doc.GetTitle()) + QStringLiteral("[*] - ") +
                 QString::fromUtf8(CMeriskApp::kWindowTitle));
  setWindowModified(m_doc.IsModified());
}

void CMainFrame::OnUpdate(CDocument&, IDocumentObserver*, long) { UpdateVisibleStates(); }

void CMainFrame::OnModifiedChanged(bool modified) { setWindowModified(modified); }

void CMainFrame::ShowOverview(bool show) {
  if (show == !m_grid->isHidden()) return;
  // What is being typed into the picture view is kept before it goes.
  if (show && !CommitEdits()) return;
  m_description->setHidden(show);
  m_grid->setVisible(show);
  if (show) {
    m_grid->setFocus(Qt::OtherFocusReason);
    ShowMarkedCount();
  } else {
    m_description->setFocus(Qt::OtherFocusReason);
  }
  UpdateVisibleStates();
}

void CMainFrame::ShowMarkedCount() {
  ShowStatus(FormatMessage(LoadString(IDS_GRID_MARKED),
                           {static_cast<long long>(m_grid->MarkedCount()),
                            static_cast<long long>(m_doc.SelectedCount())}));
}

void CMainFrame::FocusPane(int step) {
  std::vector<QWidget*> panes{m_selectView, m_descriptionWidget};
  // The strip is a pane while it is shown: the keyboard reaches it as it does the others.
  if (m_strip && m_strip->isVisible()) panes.push_back(m_strip);
  QWidget* focus = QApplication::focusWidget();
  const int count = static_cast<int>(panes.size());
  int current = 0;
  for (int i = 1; i < count; ++i)
    if (focus && (focus == panes[i] || panes[i]->isAncestorOf(focus))) current = i;
  QWidget* next = panes[(current + step + count) % count];
  // The pane's first control that takes the keyboard (the picture does not).
  QWidget* target = next;
  for (QWidget* w = next->nextInFocusChain(); w && w != next; w = w->nextInFocusChain()) {
    if (next->isAncestorOf(w) && w->isEnabled() && w->isVisible() && (w->focusPolicy() & Qt::TabFocus)) {
      target = w;
      break;
    }
  }
  target->setFocus(Qt::TabFocusReason);
}

bool CMainFrame::OnCommand(int id) {
  switch (id) {
    case ID_VIEW_TOOLBAR: m_toolBar->setVisible(!m_toolBar->isVisible()); return true;
    case ID_VIEW_STATUS_BAR: statusBar()->setVisible(!statusBar()->isVisible()); return true;
    case ID_THUMBNAIL_STRIP:
      m_strip->setHidden(!m_strip->isHidden());
      ProgramSettings::Set(m_doc.Settings(), ProgramSettings::kThumbnailStrip,
                           m_strip->isHidden() ? 0 : 1);
      return true;
    case ID_OVERVIEW: ShowOverview(m_grid->isHidden()); return true;
    case ID_NEXT_PANE: FocusPane(1); return true;
    case ID_PREV_PANE: FocusPane(-1); return true;
    default: return false;
  }
}

bool CMainFrame::OnUpdateCommand(int id, CmdState& state) {
  switch (id) {
    case ID_VIEW_TOOLBAR: state.checked = m_toolBar->isVisible(); return true;
    case ID_VIEW_STATUS_BAR: state.checked = statusBar()->isVisible(); return true;
    case ID_THUMBNAIL_STRIP: state.checked = !m_strip->isHidden(); return true;
    case ID_OVERVIEW: state.checked = !m_grid->isHidden(); return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE: return true;
    default: return false;
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!m_app.SaveModified()) {
    event->ignore();
    return;
  }
  SaveLayout();
  event->accept();
}

}  // namespace kolvaro
