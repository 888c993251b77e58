#pragma once
// A text that behaves like a link in a web page, and the one gate through
// which Kolvaro opens addresses. Addresses come from album files, which may
// come from anyone: only web and mail addresses and Kolvaro's own help pages
// are ever opened, never a file or a program.

#include <QColor>
#include <QLabel>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

namespace kolvaro {

class IUserQuestions;

/// What an address may open.
struct LinkTarget {
  enum Kind { Web, HelpPage, Refused };
  Kind kind = Refused;
  /// Web: the address; HelpPage: the page relative to the help folder
  /// ("html/x.html#anchor").
  QString value;
  /// Refused: the error code the link reports.
  int error = 0;
};

/// The codes a refused address reports: one that names a file, a path or
/// nothing is "not found"; any other scheme an unknown error.
inline constexpr int kLinkFileNotFound = 2;
inline constexpr int kLinkNoApplication = 31;
inline constexpr int kLinkRefusedScheme = 1;

/// http, https and mailto are web addresses; "mk:@MSITStore:…Kolvaro.chm::/p"
/// and a plain relative page ("html/x.html") are help pages; all else is refused.
LinkTarget ClassifyLink(std::string_view address);

/// "Unable to open hyperlink:\n\n" and the text of the error code.
std::string LinkErrorMessage(int code);

/// Opens a page of Kolvaro's help (relative to the help folder) in the help
/// window; false when it could not be shown. The program sets it at start-up.
void SetHelpPageOpener(std::function<bool(const QString& relativePage)> opener);

/// Opens an address through the desktop's URL handler or the help window.
/// Returns a value above 32 on success, else the error code.
int GotoURL(std::string_view address);

class CHyperLink : public QLabel {
  Q_OBJECT
 public:
  static constexpr QColor kLinkColour{0, 0, 238};
  static constexpr QColor kVisitedColour{85, 26, 139};

  explicit CHyperLink(QWidget* parent = nullptr);

  /// The target, shown as tooltip; an empty text shows the target.
  void SetURL(const QString& url);
  QString URL() const { return m_strURL; }
  /// Sets the text and fits the control to it.
  void SetLinkText(const QString& text);
  /// Where the "Unable to open hyperlink" box is shown; none: a box of its own.
  void SetUserQuestions(IUserQuestions* ui) { m_ui = ui; }
  void SetUnderline(bool underline);
  void SetAutoSize(bool adjust) { m_bAdjustToFit = adjust; }

  bool IsVisited() const { return m_bVisited; }
  bool IsHovering() const { return m_bOverControl; }
  /// The colour the text is drawn in now.
  QColor TextColour() const;

  /// Shrinks or grows the control to its text: a centred text keeps its
  /// centre, a right-aligned one its right edge, any other its left edge.
  void AdjustToText();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void OnClicked();
  void UpdateLook();

  QString m_strURL;
  QColor m_crHoverColour;
  bool m_bOverControl = false;
  bool m_bVisited = false;
  bool m_bUnderline = true;
  bool m_bAdjustToFit = true;
  IUserQuestions* m_ui = nullptr;
};

}  // namespace kolvaro
