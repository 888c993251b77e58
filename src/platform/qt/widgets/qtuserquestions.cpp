#include "platform/qt/widgets/qtuserquestions.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include "platform/qt/widgets/folderchooser.h"
#include "platform/qt/widgets/waitcursor.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

constexpr unsigned kButtonMask = 0x000F;
constexpr unsigned kIconMask = 0x00F0;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Windows matched "*.*" against every name; here it would miss "README".
QStringList Patterns(const QString& text) {
  static const QRegularExpression separators(QStringLiteral("[;\\s]+"));
  QStringList patterns = text.split(separators, Qt::SkipEmptyParts);
  for (QString& p : patterns)
    if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
  return patterns;
}

QMessageBox::Icon IconFor(unsigned flags) {
  switch (flags & kIconMask) {
    case MB_ICONERROR: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONWARNING: return QMessageBox::Warning;
    case MB_ICONINFORMATION: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

}  // namespace

QStringList ConvertFileFilter(std::string_view filter) {
  const QStringList parts = FromUtf8(filter).split(QLatin1Char('|'));
  QStringList result;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    // An empty pattern ("||") ends the list.
    if (parts[i + 1].isEmpty()) break;
    QString text = parts[i].trimmed();
    const QStringList patterns = Patterns(parts[i + 1]);
    if (patterns.isEmpty()) continue;

    // "Textdateien (*.txt)|*.txt": QFileDialog shows the patterns itself.
    const qsizetype open = text.lastIndexOf(QLatin1Char('('));
    if (text.endsWith(QLatin1Char(')')) && open >= 0 &&
        Patterns(text.mid(open + 1, text.size() - open - 2)) == patterns)
      text = text.left(open).trimmed();

    const QString list = patterns.join(QLatin1Char(' '));
    result << (text.isEmpty() ? list : text + QStringLiteral(" (") + list + QLatin1Char(')'));
  }
  return result;
}

CQtUserQuestions::CQtUserQuestions(QWidget* parent) : m_parent(parent) {}

CQtUserQuestions::~CQtUserQuestions() = default;

int CQtUserQuestions::MessageBox(const std::string& text, const std::string& caption,
                                 unsigned flags) {
  QMessageBox box(m_parent);
  box.setWindowTitle(FromUtf8(caption.empty() ? kAppTitle : std::string_view(caption)));
  // File names may contain '<': never let them turn into markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(QString::fromStdString(text));
  box.setIcon(IconFor(flags));

  struct Choice {
    QPushButton* button;
    int result;
  };
  std::vector<Choice> choices;
  const auto add = [&](const QString& label, QMessageBox::ButtonRole role, int result) {
    choices.push_back({box.addButton(label, role), result});
  };
  const QString ok = QStringLiteral("OK"), cancel = QStringLiteral("Abbrechen");
  const QString yes = QStringLiteral("&Ja"), no = QStringLiteral("&Nein");
  switch (flags & kButtonMask) {
    case MB_OKCANCEL:
      add(ok, QMessageBox::AcceptRole, IDOK);
      add(cancel, QMessageBox::RejectRole, IDCANCEL);
      break;
    case MB_YESNOCANCEL:
      add(yes, QMessageBox::YesRole, IDYES);
      add(no, QMessageBox::NoRole, IDNO);
      add(cancel, QMessageBox::RejectRole, IDCANCEL);
      break;
    case MB_YESNO:
      add(yes, QMessageBox::YesRole, IDYES);
      add(no, QMessageBox::NoRole, IDNO);
      break;
    default:
      add(ok, QMessageBox::AcceptRole, IDOK);
      break;
  }
  QPushButton* help =
      (flags & MB_HELP) ? box.addButton(QStringLiteral("Hilfe"), QMessageBox::HelpRole) : nullptr;

  const bool second = (flags & MB_DEFBUTTON2) && choices.size() > 1;
  box.setDefaultButton(choices[second ? 1 : 0].button);
  // Closing the box or Escape gives the last, most cautious answer:
  // "OK" alone, else "Abbrechen", else "Nein".
  const Choice escape = choices.back();
  box.setEscapeButton(escape.button);

  for (;;) {
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (help && clicked == help) {
      if (m_help) m_help();
      continue;
    }
    for (const Choice& c : choices)
      if (c.button == clicked) return c.result;
    return escape.result;
  }
}

std::vector<std::string> CQtUserQuestions::GetOpenFileNames(const std::string& title,
                                                            const std::string& filter,
                                                            const std::string& initialFolder,
                                                            bool multiple) {
  QFileDialog dialog(m_parent, title.empty() ? QStringLiteral("Öffnen") : QString::fromStdString(title),
                     QString::fromStdString(initialFolder));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  const QStringList filters = ConvertFileFilter(filter);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted) return {};

  std::vector<std::string> files;
  for (const QString& file : dialog.selectedFiles()) files.push_back(file.toStdString());
  if (!multiple && files.size() > 1) files.resize(1);
  return files;
}

std::optional<std::string> CQtUserQuestions::ChooseFolder(const std::string& title,
                                                          const std::string& initialFolder) {
  CFolderChooser chooser(m_parent);
  chooser.SetTitle(QString::fromStdString(title));
  chooser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
  chooser.SetInitialFolder(QString::fromStdString(initialFolder));
  if (!chooser.Browse()) return std::nullopt;
  return chooser.GetPath().toStdString();
}

void CQtUserQuestions::BeginWaitCursor() { m_waitCursors.push_back(std::make_unique<CWaitCursor>()); }

void CQtUserQuestions::EndWaitCursor() {
  if (!m_waitCursors.empty()) m_waitCursors.pop_back();
}

}  // namespace kolvaro
