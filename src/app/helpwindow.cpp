#include "app/helpwindow.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <QWindow>
#include <vector>

#include "qt/qtstring.h"
#include "core/ports/settings.h"
#include "res/helptopics.h"
#include "res/strings.h"
#include "views/windowplacement.h"

namespace kolvaro {
namespace {

const char* const kLayoutSection = "Layout";
const char* const kHelpWindowKey = "HelpWindow";

QString Text(StringId id) { return ToQString(LoadString(id)); }

bool IsInside(const QString& path, const QString& folder) {
  const QString base = QDir::cleanPath(folder) + QLatin1Char('/');
  if (!QDir::cleanPath(path).startsWith(base)) return false;
  // A link inside the folder must not lead out of it either.
  const QString real = QFileInfo(path).canonicalFilePath();
  const QString realBase = QFileInfo(folder).canonicalFilePath() + QLatin1Char('/');
  return real.isEmpty() || real.startsWith(realBase);
}

}  // namespace

HelpLink ClassifyHelpLink(const QUrl& url, const QString& helpFolder) {
  const QString scheme = url.scheme().toLower();
  if (scheme == QStringLiteral("http") || scheme == QStringLiteral("https") || scheme == QStringLiteral("mailto"))
    return url.host().isEmpty() && scheme != QStringLiteral("mailto") ? HelpLink::Refuse : HelpLink::OpenInBrowser;
  if (scheme == QStringLiteral("file") && url.host().isEmpty() && IsInside(url.toLocalFile(), helpFolder))
    return HelpLink::Show;
  return HelpLink::Refuse;
}

std::string HelpPageOfWidget(const QWidget* widget, int command) {
  std::vector<std::pair<std::string, std::string>> names;
  for (const QWidget* w = widget; w; w = w->parentWidget())
    names.emplace_back(w->objectName().toStdString(), w->metaObject()->className());
  std::vector<HelpWidget> chain;
  for (const auto& [object, cls] : names) chain.push_back({object, cls});
  return HelpPageFor(chain, command);
}

CHelpWindow::CHelpWindow(const QString& helpFolder, ISettings* settings)
    : m_folder(helpFolder.endsWith(QLatin1Char('/')) ? helpFolder : helpFolder + QLatin1Char('/')),
      m_browser(new QTextBrowser(this)),
      m_settings(settings) {
  setObjectName(QStringLiteral("helpWindow"));
  setWindowTitle(Text(IDS_HELP_TITLE));
  setWindowIcon(QIcon(QStringLiteral(":/icons/kolvaro.svg")));
  // Closing the main window ends the program, help or not.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(760, 640);

  auto* bar = new QToolBar(this);
  QAction* contents = bar->addAction(Text(IDS_HELP_CONTENTS), this, &CHelpWindow::ShowContents);
  contents->setObjectName(QStringLiteral("helpContents"));
  m_back = bar->addAction(Text(IDS_HELP_BACK), m_browser, &QTextBrowser::backward);
  m_back->setObjectName(QStringLiteral("helpBack"));
  m_back->setShortcut(QKeySequence::Back);
  m_forward = bar->addAction(Text(IDS_HELP_FORWARD), m_browser, &QTextBrowser::forward);
  m_forward->setObjectName(QStringLiteral("helpForward"));
  m_forward->setShortcut(QKeySequence::Forward);
  m_back->setEnabled(false);
  m_forward->setEnabled(false);
  connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
  connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);

  // Every link is judged here: an album's page must not start anything.
  m_browser->setOpenLinks(false);
  m_browser->setOpenExternalLinks(false);
  connect(m_browser, &QTextBrowser::anchorClicked, this, &CHelpWindow::OnLink);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(m_browser);
}

CHelpWindow::~CHelpWindow() {
  // Still open when the program ends: no hide event reaches this class then.
  if (isVisible()) SavePlace();
}

void CHelpWindow::SavePlace() {
  if (m_settings)
    m_settings->SetString(kLayoutSection, kHelpWindowKey, saveGeometry().toBase64().toStdString());
}

QUrl CHelpWindow::Source() const { return m_browser->source(); }

bool CHelpWindow::ShowPage(const QString& relativePage) {
  QString path = ToQString(kHelpContents), anchor;
  if (const auto page = NormalizeHelpPage(relativePage.toStdString())) {
    const QString normal = ToQString(*page);
    const qsizetype hash = normal.indexOf(QLatin1Char('#'));
    const QString file = normal.left(hash);
    if (QFileInfo(m_folder + file).isFile()) {
      path = file;
      if (hash >= 0) anchor = normal.mid(hash + 1);
    }
  }
  if (QFileInfo(m_folder + path).isFile()) {
    QUrl url = QUrl::fromLocalFile(m_folder + path);
    if (!anchor.isEmpty()) url.setFragment(anchor);
    m_browser->setSource(url);
  } else {
    m_browser->setPlainText(ToQString(FormatMessage(LoadString(IDS_HELP_MISSING), {m_folder.toStdString()})));
  }
  Present();
  return true;
}

void CHelpWindow::OnLink(const QUrl& link) {
  const QUrl url = m_browser->source().resolved(link);
  switch (ClassifyHelpLink(url, m_folder)) {
    case HelpLink::Show: {
      const QString relative = QDir(m_folder).relativeFilePath(url.toLocalFile());
      ShowPage(url.hasFragment() ? relative + QLatin1Char('#') + url.fragment() : relative);
      break;
    }
    case HelpLink::OpenInBrowser: QDesktopServices::openUrl(url); break;
    case HelpLink::Refuse: break;
  }
}

void CHelpWindow::Place(const QWidget* asking) {
  // Where the user left it, else beside the window that asks, wholly on its screen.
  if (m_settings) {
    const QByteArray geometry = QByteArray::fromBase64(
        QByteArray::fromStdString(m_settings->GetString(kLayoutSection, kHelpWindowKey, "")));
    if (!geometry.isEmpty() && restoreGeometry(geometry)) return;
  }
  setGeometry(PlaceBesideOwner(this, asking, size()));
}

void CHelpWindow::hideEvent(QHideEvent* event) {
  SavePlace();
  QWidget::hideEvent(event);
}

void CHelpWindow::Present() {
  // A modal dialog blocks every window but its own transients: help asked
  // for from a dialog must stay readable and scrollable beside it.
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == this) modal = nullptr;
  if (!isVisible() && !m_placed) {
    QWidget* active = QApplication::activeWindow();
    Place(modal ? modal : active != this ? active : nullptr);
    m_placed = true;
  }
  winId();
  if (QWindow* handle = windowHandle())
    handle->setTransientParent(modal && modal->windowHandle() ? modal->windowHandle() : nullptr);
  show();
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

CHelpRequests::CHelpRequests(std::function<void(const QWidget*)> show,
                             std::function<void(const QString&)> status, QObject* parent)
    : QObject(parent), m_show(std::move(show)), m_status(std::move(status)) {
  qApp->installEventFilter(this);
}

void CHelpRequests::EnterContextHelp() {
  if (!QWhatsThis::inWhatsThisMode()) QWhatsThis::enterWhatsThisMode();
}

bool CHelpRequests::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() != Qt::Key_F1 || !watched->isWidgetType()) break;
      if (key->modifiers() == Qt::ShiftModifier) {
        EnterContextHelp();
        return true;
      }
      if (key->modifiers() != Qt::NoModifier) break;
      // The key goes to the widget with the focus: its page, or its dialog's.
      m_show(static_cast<QWidget*>(watched));
      return true;
    }
    case QEvent::QueryWhatsThis:
      // Every widget has help: the context-help cursor everywhere.
      event->accept();
      return true;
    case QEvent::WhatsThis: {
      if (!watched->isWidgetType()) break;
      event->accept();
      m_show(static_cast<QWidget*>(watched));
      // Not from inside the mode's own event handling.
      QTimer::singleShot(0, this, [] { QWhatsThis::leaveWhatsThisMode(); });
      return true;
    }
    case QEvent::EnterWhatsThisMode:
      if (m_status) m_status(Text(IDS_HELP_MODE_MESSAGE));
      break;
    case QEvent::LeaveWhatsThisMode:
      if (m_status) m_status(QString());
      break;
    default: break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kolvaro
