#include "qt/widgets/hyperlink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>
#include <QUrlQuery>

#include "qt/qtstring.h"
#include "qt/widgets/qtuserquestions.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

std::function<bool(const QString&)>& HelpPageOpener() {
  static std::function<bool(const QString&)> opener;
  return opener;
}

bool IsPageChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == '/';
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  for (std::size_t i = 0; i < end.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[text.size() - end.size() + i])) != end[i]) return false;
  return true;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

LinkTarget Refuse(int code) { return {LinkTarget::Refused, {}, code}; }

// A page inside the help folder: plain names, no way out of the folder, an
// HTML page and at most an anchor after it.
LinkTarget HelpPage(std::string_view page) {
  const std::size_t hash = page.find('#');
  const std::string_view path = page.substr(0, hash);
  if (path.empty() || path.front() == '/' || !(EndsWithNoCase(path, ".html") || EndsWithNoCase(path, ".htm")))
    return Refuse(kLinkFileNotFound);
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    const std::string_view part = path.substr(start, slash - start);
    if (part.empty() || part == "." || part == "..") return Refuse(kLinkFileNotFound);
    for (const char c : part)
      if (!IsPageChar(c)) return Refuse(kLinkFileNotFound);
    start = slash + 1;
  }
  if (hash != std::string_view::npos)
    for (const char c : page.substr(hash + 1))
      if (!IsPageChar(c) || c == '/') return Refuse(kLinkFileNotFound);
  return {LinkTarget::HelpPage, ToQString(page), 0};
}

}  // namespace

LinkTarget ClassifyLink(std::string_view address) {
  while (!address.empty() && address.front() == ' ') address.remove_prefix(1);
  while (!address.empty() && address.back() == ' ') address.remove_suffix(1);
  for (const char c : address)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return Refuse(kLinkFileNotFound);
  std::size_t colon = 0;
  while (colon < address.size() && (std::isalnum(static_cast<unsigned char>(address[colon])) ||
                                    ((address[colon] == '+' || address[colon] == '-' || address[colon] == '.') && colon > 0)))
    ++colon;
  const bool hasScheme = colon > 0 && colon < address.size() && address[colon] == ':' &&
                         std::isalpha(static_cast<unsigned char>(address[0]));
  // Without a scheme, or with a drive letter: a file name or a program.
  if (!hasScheme || colon == 1) {
    if (address.empty() || address.front() == '/' || address.front() == '\\' || address.front() == '~' || hasScheme)
      return Refuse(kLinkFileNotFound);
    return HelpPage(address);
  }
  const std::string scheme = Lower(address.substr(0, colon));
  if (scheme == "http" || scheme == "https") {
    const QUrl url(ToQString(address), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !address.substr(colon).starts_with("://"))
      return Refuse(kLinkFileNotFound);
    return {LinkTarget::Web, url.toString(QUrl::FullyEncoded), 0};
  }
  if (scheme == "mailto") {
    QUrl url(ToQString(address), QUrl::StrictMode);
    if (!url.isValid() || url.path().isEmpty()) return Refuse(kLinkFileNotFound);
    // Only the fields a mail program shows before sending: others, such as
    // "attach", could make it attach the user's files.
    QUrlQuery shown;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyEncoded)) {
      const QString name = QUrl::fromPercentEncoding(key.toUtf8()).toLower();
      if (name == QLatin1String("subject") || name == QLatin1String("body") ||
          name == QLatin1String("cc"))
        shown.addQueryItem(name, value);
    }
    if (shown.isEmpty())
      url.setQuery(QString());
    else
      url.setQuery(shown);
    return {LinkTarget::Web, url.toString(QUrl::FullyEncoded), 0};
  }
  // The help file's pages: "mk:@MSITStore:<folder>Kolvaro.chm::/html/x.html",
  // the folder written with either separator; another help file is not ours.
  constexpr std::string_view kStore = "mk:@msitstore:";
  if (Lower(address.substr(0, kStore.size())) == kStore) {
    const std::string_view rest = address.substr(kStore.size());
    const std::size_t split = rest.find("::");
    if (split == std::string_view::npos) return Refuse(kLinkFileNotFound);
    const std::string_view file = rest.substr(0, split);
    const std::string_view page = rest.substr(split + 2);
    constexpr std::string_view kHelpFile = "kolvaro.chm";
    const bool ours = EndsWithNoCase(file, kHelpFile) &&
                      (file.size() == kHelpFile.size() || file[file.size() - kHelpFile.size() - 1] == '/' ||
                       file[file.size() - kHelpFile.size() - 1] == '\\');
    if (!ours || !page.starts_with('/')) return Refuse(kLinkFileNotFound);
    return HelpPage(page.substr(1));
  }
  if (scheme == "file") return Refuse(kLinkFileNotFound);
  return Refuse(kLinkRefusedScheme);
}

std::string LinkErrorMessage(int code) {
  static constexpr struct {
    int code;
    StringId text;
  } kTexts[] = {{0, IDS_LINK_ERROR_0},   {2, IDS_LINK_ERROR_2},   {3, IDS_LINK_ERROR_3},   {5, IDS_LINK_ERROR_5},
                {8, IDS_LINK_ERROR_8},   {11, IDS_LINK_ERROR_11}, {26, IDS_LINK_ERROR_26}, {27, IDS_LINK_ERROR_27},
                {28, IDS_LINK_ERROR_28}, {29, IDS_LINK_ERROR_29}, {30, IDS_LINK_ERROR_30}, {31, IDS_LINK_ERROR_31},
                {32, IDS_LINK_ERROR_32}};
  std::string text;
  for (const auto& t : kTexts)
    if (t.code == code) text = LoadString(t.text);
  if (text.empty()) {
    text = LoadString(IDS_LINK_ERROR_UNKNOWN);
    text.replace(text.find("%d"), 2, std::to_string(code));
  }
  return std::string(LoadString(IDS_LINK_FAILED)) + text;
}

void SetHelpPageOpener(std::function<bool(const QString& relativePage)> opener) {
  HelpPageOpener() = std::move(opener);
}

int GotoURL(std::string_view address) {
  constexpr int kSuccess = 33;
  const LinkTarget target = ClassifyLink(address);
  switch (target.kind) {
    case LinkTarget::Web:
      return QDesktopServices::openUrl(QUrl(target.value, QUrl::StrictMode)) ? kSuccess : kLinkNoApplication;
    case LinkTarget::HelpPage:
      return HelpPageOpener() && HelpPageOpener()(target.value) ? kSuccess : kLinkFileNotFound;
    case LinkTarget::Refused:
      break;
  }
  return target.error;
}

CHyperLink::CHyperLink(QWidget* parent)
    : QLabel(parent), m_crHoverColour(palette().color(QPalette::Highlight)) {
  setTextFormat(Qt::PlainText);
  setCursor(Qt::PointingHandCursor);
  SetUnderline(true);
}

void CHyperLink::SetURL(const QString& url) {
  m_strURL = url;
  if (text().isEmpty()) setText(url);
  setToolTip(url);
  AdjustToText();
}

void CHyperLink::SetLinkText(const QString& text) {
  setText(text);
  if (m_strURL.isEmpty()) SetURL(text);
  AdjustToText();
}

void CHyperLink::SetUnderline(bool underline) {
  m_bUnderline = underline;
  QFont f = font();
  f.setUnderline(underline);
  setFont(f);
  UpdateLook();
  AdjustToText();
}

QColor CHyperLink::TextColour() const {
  if (m_bOverControl) return m_crHoverColour;
  return m_bVisited ? kVisitedColour : kLinkColour;
}

void CHyperLink::UpdateLook() {
  QPalette p = palette();
  p.setColor(QPalette::WindowText, TextColour());
  setPalette(p);
}

void CHyperLink::AdjustToText() {
  if (!m_bAdjustToFit) return;
  const QSize text = sizeHint();
  QRect r = geometry();
  const Qt::Alignment align = alignment();
  if (align & Qt::AlignVCenter) r.adjust(0, (r.height() - text.height()) / 2, 0, 0);
  r.setHeight(text.height());
  if (align & Qt::AlignHCenter) {
    r.adjust((r.width() - text.width()) / 2, 0, 0, 0);
    r.setWidth(text.width());
  } else if (align & Qt::AlignRight) {
    r.setLeft(r.right() + 1 - text.width());
  } else {
    r.setWidth(text.width());
  }
  setGeometry(r);
}

void CHyperLink::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  m_bOverControl = true;
  UpdateLook();
}

void CHyperLink::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  m_bOverControl = false;
  UpdateLook();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) OnClicked();
}

void CHyperLink::OnClicked() {
  const int result = GotoURL(m_strURL.toStdString());
  m_bVisited = result > 32;
  UpdateLook();
  if (m_bVisited) return;
  QApplication::beep();
  CQtUserQuestions own(window());
  (m_ui ? m_ui : &own)->Warn(LinkErrorMessage(result));
}

}  // namespace kolvaro
