#pragma once
// Kolvaro's help: a window of its own with the German pages of the help
// folder, and the requests that open it (F1, Shift+F1 and "Hilfe zu ...",
// "Hilfe" in message boxes, "Dokumentation ...").

#include <QObject>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <string>

class QAction;
class QTextBrowser;

namespace kolvaro {

class ISettings;

/// What a click on a link inside the help does.
enum class HelpLink { Show, OpenInBrowser, Refuse };

/// `url` as resolved against the page it is on: pages inside `helpFolder`
/// show in the help window, web and mail addresses go to the user's
/// programs, anything else (another local file, a program) is refused.
HelpLink ClassifyHelpLink(const QUrl& url, const QString& helpFolder);

/// The page asked about for `widget`: the nearest control, dialog or window
/// that has one, else the table of contents (relative to the help folder).
std::string HelpPageOfWidget(const QWidget* widget, int command = 0);

class CHelpWindow : public QWidget {
  Q_OBJECT
 public:
  /// `helpFolder` ends in '/'. The window has no parent: it stays open
  /// beside the program's windows, and a modal dialog does not block it.
  /// With `settings` it opens where the user left it last time.
  explicit CHelpWindow(const QString& helpFolder, ISettings* settings = nullptr);
  ~CHelpWindow() override;

  /// Shows a page relative to the help folder ("html/x.html#anker"); a page
  /// that is not there shows the table of contents. Always true: the
  /// window shows something, never an error box.
  bool ShowPage(const QString& relativePage);
  void ShowContents() { ShowPage(QString()); }

  QString HelpFolder() const { return m_folder; }
  /// The file shown, as a URL with its anchor.
  QUrl Source() const;
  QTextBrowser* Browser() const { return m_browser; }

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  void OnLink(const QUrl& url);
  void Present();
  void Place(const QWidget* asking);
  void SavePlace();

  QString m_folder;
  QTextBrowser* m_browser;
  ISettings* m_settings;
  bool m_placed = false;
  QAction* m_back;
  QAction* m_forward;
};

/// Watches the whole program for help requests: F1 opens the page of the
/// window or control that has the focus, Shift+F1 starts context help, in
/// which the next click picks the control.
class CHelpRequests : public QObject {
  Q_OBJECT
 public:
  /// `show` opens the help about a widget; `status` shows (or with "")
  /// clears the prompt of context help.
  CHelpRequests(std::function<void(const QWidget* about)> show,
                std::function<void(const QString& text)> status, QObject* parent = nullptr);

  /// "Hilfe zu ...": the next click picks what to show help about.
  static void EnterContextHelp();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void(const QWidget*)> m_show;
  std::function<void(const QString&)> m_status;
};

}  // namespace kolvaro
