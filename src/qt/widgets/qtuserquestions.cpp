#include "qt/widgets/qtuserquestions.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include "qt/qtstring.h"
#include "qt/widgets/folderchooser.h"
#include "qt/widgets/waitcursor.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

QString Text(StringId id) { return ToQString(LoadString(id)); }

// Windows matched "*.*" against every name; here it would miss "README".
QStringList Patterns(const QString& text) {
  static const QRegularExpression separators(QStringLiteral("[;\\s]+"));
  QStringList patterns = text.split(separators, Qt::SkipEmptyParts);
  for (QString& p : patterns)
    if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
  return patterns;
}

QMessageBox::Icon IconFor(const UserMessage& m) {
  switch (m.kind) {
    case UserMessage::Kind::Error: return QMessageBox::Critical;
    case UserMessage::Kind::Warning: return QMessageBox::Warning;
    case UserMessage::Kind::YesNo:
    case UserMessage::Kind::YesNoCancel:
      return m.icon == QuestionIcon::Warning ? QMessageBox::Warning : QMessageBox::Question;
    case UserMessage::Kind::Information: break;
  }
  // A plain message shows no icon, as a Windows box without an icon flag.
  return QMessageBox::NoIcon;
}

}  // namespace

QStringList ConvertFileFilter(std::string_view filter) {
  const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
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

Answer CQtUserQuestions::Show(const UserMessage& message) {
  QMessageBox box(m_parent);
  box.setWindowTitle(ToQString(message.caption.empty() ? kAppTitle : std::string_view(message.caption)));
  // File names may contain '<': never let them turn into markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(ToQString(message.text));
  box.setIcon(IconFor(message));

  struct Choice {
    QPushButton* button;
    Answer result;
  };
  std::vector<Choice> choices;
  const auto add = [&](const QString& label, QMessageBox::ButtonRole role, Answer result) {
    choices.push_back({box.addButton(label, role), result});
  };
  const QString ok = Text(IDS_BUTTON_OK), cancel = Text(IDS_BUTTON_CANCEL);
  const QString yes = Text(IDS_BUTTON_YES), no = Text(IDS_BUTTON_NO);
  switch (message.kind) {
    case UserMessage::Kind::YesNoCancel:
      add(yes, QMessageBox::YesRole, Answer::Yes);
      add(no, QMessageBox::NoRole, Answer::No);
      add(cancel, QMessageBox::RejectRole, Answer::Cancel);
      break;
    case UserMessage::Kind::YesNo:
      add(yes, QMessageBox::YesRole, Answer::Yes);
      add(no, QMessageBox::NoRole, Answer::No);
      break;
    default:
      add(ok, QMessageBox::AcceptRole, Answer::Ok);
      break;
  }
  QPushButton* help = message.help == HelpButton::Shown
                          ? box.addButton(Text(IDS_BUTTON_HELP), QMessageBox::HelpRole)
                          : nullptr;

  const bool second = message.IsQuestion() && message.defaultButton == DefaultButton::No;
  box.setDefaultButton(choices[second ? 1 : 0].button);
  // Closing the box or Escape gives the last, most cautious answer:
  // "OK" alone, else "Abbrechen", else "Nein".
  const Choice escape = choices.back();
  box.setEscapeButton(escape.button);

  // The dialog or window the message is about, not the box itself.
  QWidget* const asked = QApplication::activeWindow() ? QApplication::activeWindow() : m_parent.data();
  for (;;) {
    box.exec();
    const QAbstractButton* clicked = box.clickedButton();
    if (help && clicked == help) {
      if (m_help) m_help(asked);
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
  QFileDialog dialog(m_parent, title.empty() ? Text(IDS_OPEN_TITLE) : ToQString(title),
                     ToQString(initialFolder));
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

std::string CQtUserQuestions::GetSaveFileName(const std::string& title, const std::string& filter,
                                              const std::string& proposed) {
  return QFileDialog::getSaveFileName(m_parent, ToQString(title),
                                      ToQString(proposed),
                                      ConvertFileFilter(filter).join(QStringLiteral(";;")))
      .toStdString();
}

std::optional<std::string> CQtUserQuestions::ChooseFolder(const std::string& title,
                                                          const std::string& initialFolder) {
  CFolderChooser chooser(m_parent);
  chooser.SetTitle(ToQString(title));
  chooser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
  chooser.SetInitialFolder(ToQString(initialFolder));
  if (!chooser.Browse()) return std::nullopt;
  return chooser.GetPath().toStdString();
}

void CQtUserQuestions::BeginWaitCursor() { m_waitCursors.push_back(std::make_unique<CWaitCursor>()); }

void CQtUserQuestions::EndWaitCursor() {
  if (!m_waitCursors.empty()) m_waitCursors.pop_back();
}

}  // namespace kolvaro
