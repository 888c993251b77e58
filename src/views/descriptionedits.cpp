// The picture view: the headline and date the user typed go into the album.
#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "core/meriskdoc.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"
#include "ui_imagedescription.h"
#include "views/datetext.h"
#include "views/imagedescription.h"

namespace kolvaro {
namespace {

// The multi-line edit of Windows keeps CR LF; albums hold headlines in that form.
std::string HeadlineToStored(const QString& text) {
  QString t = text;
  return t.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString();
}

}  // namespace

// ---------------------------------------------------------------- commits

bool CImageDescription::CommitHeadline() {
  QPlainTextEdit* edit = m_form->editHeadline;
  // Only the user's typing counts: the shown text may differ from the stored
  // one in its line breaks alone.
  if (m_nShownPicture == -1 || !edit->document()->isModified()) return true;
  m_strHeadline = edit->toPlainText();
  edit->document()->setModified(false);
  PictureEntry entry;
  if (!m_doc.Pictures().Lookup(m_nShownPicture, entry)) return true;
  const std::string title = HeadlineToStored(m_strHeadline);
  if (title != entry.title) {
    m_doc.AddOrUpdatePicture(m_nShownPicture, entry.filename, entry.timestamp, entry.size, title);
    emit CommandStatesChanged();
  }
  return true;
}

bool CImageDescription::CommitDate() {
  QLineEdit* edit = m_form->editDate;
  // The field shows whole seconds; an untouched field must not round the stored date.
  if (m_nShownPicture == -1 || !edit->isModified()) return true;
  const std::optional<COleDateTime> date = DateFromField(edit->text());
  if (!date) {
    m_ui.Warn(std::string(LoadString(IDS_PARSE_DATETIME)));
    edit->setFocus();
    return false;
  }
  edit->setModified(false);
  m_date = *date;
  PictureEntry entry;
  if (!m_doc.Pictures().Lookup(m_nShownPicture, entry)) return true;
  if (!(m_date == entry.timestamp)) {
    m_doc.AddOrUpdatePicture(m_nShownPicture, entry.filename, m_date, entry.size, entry.title);
    emit CommandStatesChanged();
  }
  return true;
}

bool CImageDescription::CommitEdits() {
  if (m_bCommitting) return true;
  m_bCommitting = true;
  CommitHeadline();
  const bool dateOk = CommitDate();
  m_bCommitting = false;
  return dateOk;
}

bool CImageDescription::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut &&
      static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason && !m_bCommitting) {
    m_bCommitting = true;
    if (watched == m_form->editHeadline) CommitHeadline();
    if (watched == m_form->editDate) CommitDate();
    m_bCommitting = false;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kolvaro
