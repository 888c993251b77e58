#include "views/personsdlg.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimerEvent>
#include <algorithm>
#include <limits>

#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "qt/widgets/inputdlg.h"
#include "qt/widgets/listcollation.h"
#include "core/ports/settings.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"
#include "ui_personsdlg.h"

namespace kolvaro {
namespace {

constexpr int kPreviewMs = 500;

// Centre as the rectangle's halves give it, truncating toward zero.
std::int64_t CentreX(const Rect& r) { return (std::int64_t{r.left} + r.right) / 2; }
std::int64_t CentreY(const Rect& r) { return (std::int64_t{r.top} + r.bottom) / 2; }

}  // namespace

bool CSortedListItem::operator<(const QListWidgetItem& other) const {
  return ListCollator().compare(text(), other.text()) < 0;
}

int AddSortedComboItem(QComboBox* combo, const QString& text, std::int32_t id) {
  const int lo = SortedInsertRow(combo->count(), [combo](int row) { return combo->itemText(row); }, text);
  // Inserting into an empty combo box would select the entry.
  const bool none = combo->currentIndex() < 0;
  combo->insertItem(lo, text, id);
  if (none) combo->setCurrentIndex(-1);
  return lo;
}

CPersonsDlg::CPersonsDlg(CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_ui(ui), m_form(std::make_unique<Ui::PersonsDlgForm>()) {
  m_form->setupUi(this);
  connect(m_form->buttonEnter, &QPushButton::clicked, this, &CPersonsDlg::OnEnter);
  connect(m_form->buttonNew, &QPushButton::clicked, this, &CPersonsDlg::OnNewPerson);
  connect(m_form->listMarked, &QListWidget::itemSelectionChanged, this,
          &CPersonsDlg::OnMarkedSelectionChanged);
  connect(m_form->listMarked, &QListWidget::itemDoubleClicked, this, &CPersonsDlg::OnMarkedDoubleClicked);
}

CPersonsDlg::~CPersonsDlg() = default;

void CPersonsDlg::showEvent(QShowEvent* event) {
  if (!m_bInitialised) OnInitDialog();
  QDialog::showEvent(event);
}

void CPersonsDlg::OnInitDialog() {
  m_bInitialised = true;
  m_savedRect = m_rect;
  QComboBox* combo = m_form->comboPerson;
  combo->clear();
  for (POSITION pos = m_doc.Persons().GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id = 0;
    std::string name;
    m_doc.Persons().GetNext(pos, id, name);
    AddSortedComboItem(combo, ToQString(name), id);
  }

  QListWidget* list = m_form->listMarked;
  list->clear();
  const std::int64_t cx = CentreX(m_rect), cy = CentreY(m_rect);
  // Squares of picture coordinates overflow 32 bits on large pictures.
  std::int64_t best = std::numeric_limits<std::int64_t>::max();
  m_nNearest = 0;
  m_doc.PersonsOnPictures().ForEachOnPicture(m_nPicture, [&](std::int32_t person, const Rect& rect) {
    auto* item = new CSortedListItem(ToQString(m_doc.Persons().GetName(person)));
    item->setData(Qt::UserRole, person);
    list->addItem(item);
    const std::int64_t dx = CentreX(rect) - cx, dy = CentreY(rect) - cy;
    const std::int64_t distance = dx * dx + dy * dy;
    if (distance < best) {
      best = distance;
      m_nNearest = person;
    }
  });

  {
    // Preselecting is no choice of the user's: no preview.
    const QSignalBlocker block(list);
    for (int i = 0; i < list->count(); ++i)
      if (list->item(i)->data(Qt::UserRole).toInt() == m_nNearest) {
        list->setCurrentItem(list->item(i));
        break;
      }
  }
  combo->setCurrentIndex(combo->findData(m_nNearest));
  WriteFields();
}

void CPersonsDlg::WriteFields() {
  m_form->editLeft->setText(QString::number(m_rect.left));
  m_form->editTop->setText(QString::number(m_rect.top));
  m_form->editRight->setText(QString::number(m_rect.right));
  m_form->editBottom->setText(QString::number(m_rect.bottom));
  m_form->editPath->setText(m_strPath);
  m_form->editPicture->setText(QString::number(m_nPicture));
}

bool CPersonsDlg::ReadRect(Rect& rect) {
  QLineEdit* edits[] = {m_form->editLeft, m_form->editTop, m_form->editRight, m_form->editBottom};
  std::int32_t values[4] = {};
  for (int i = 0; i < 4; ++i) {
    bool ok = false;
    values[i] = edits[i]->text().trimmed().toInt(&ok);
    if (!ok) {
      m_ui.Warn(std::string(LoadString(IDS_PARSE_INT)));
      edits[i]->setFocus();
      edits[i]->selectAll();
      return false;
    }
  }
  const auto within = [](std::int32_t v, unsigned limit) -> std::int32_t {
    if (limit == 0) return v;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, limit));
  };
  rect.left = within(values[0], m_nPictureWidth);
  rect.top = within(values[1], m_nPictureHeight);
  rect.right = within(values[2], m_nPictureWidth);
  rect.bottom = within(values[3], m_nPictureHeight);
  if (rect.left > rect.right) std::swap(rect.left, rect.right);
  if (rect.top > rect.bottom) std::swap(rect.top, rect.bottom);
  return true;
}

bool CPersonsDlg::IsMarked(std::int32_t person) const {
  const QListWidget* list = m_form->listMarked;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->data(Qt::UserRole).toInt() == person) return true;
  return false;
}

void CPersonsDlg::OnEnter() {
  QComboBox* combo = m_form->comboPerson;
  if (combo->currentIndex() < 0) {
    QApplication::beep();
    return;
  }
  const std::int32_t person = combo->currentData().toInt();
  Rect rect;
  // While an entry's old rectangle is on show, the marked one is meant.
  if (IsPreviewing())
    rect = m_savedRect;
  else if (!ReadRect(rect))
    return;
  if (IsMarked(person) &&
      ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kAskOverwriteDelete)) {
    const std::string text = combo->currentText().toStdString() + std::string(LoadString(IDS_PERSON_ALREADY_MARKED));
    if (m_ui.AskYesNo(text, std::string(LoadString(IDS_DUPLICATE_CAPTION))) != Answer::Yes)
      return;
  }
  m_doc.AddOrUpdatePersonOnPicture(person, rect, m_nPicture);
  m_rect = rect;
  m_previewTimer.stop();
  accept();
}

void CPersonsDlg::OnNewPerson() {
  CInputDlg input(this);
  input.m_strCaption = ToQString(LoadString(IDS_NEW_PERSON_CAPTION));
  input.m_strPrompt = ToQString(LoadString(IDS_NEW_PERSON_PROMPT));
  if (input.exec() != QDialog::Accepted) return;
  const std::int32_t id = m_doc.Persons().NextId();
  m_doc.AddOrUpdatePerson(id, input.m_strValue.toStdString());
  m_doc.SetModifiedFlag();
  AddSortedComboItem(m_form->comboPerson, input.m_strValue, id);
}

void CPersonsDlg::OnMarkedSelectionChanged() {
  const QList<QListWidgetItem*> selected = m_form->listMarked->selectedItems();
  if (!selected.isEmpty()) ShowEntry(selected.front());
}

void CPersonsDlg::ShowEntry(const QListWidgetItem* item) {
  const std::int32_t person = item->data(Qt::UserRole).toInt();
  Rect rect;
  if (!m_doc.PersonsOnPictures().Lookup(person, m_nPicture, &rect)) return;
  m_rect = rect;
  WriteFields();
  SetCoordinatesReadOnly(true);
  m_previewTimer.start(kPreviewMs, this);
  m_form->comboPerson->setCurrentIndex(m_form->comboPerson->findData(person));
}

void CPersonsDlg::OnMarkedDoubleClicked(QListWidgetItem* item) {
  {
    const QSignalBlocker block(m_form->listMarked);
    m_form->listMarked->setCurrentItem(item);
  }
  ShowEntry(item);
  m_rect = m_savedRect;
  WriteFields();
  OnEnter();
}

void CPersonsDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() != m_previewTimer.timerId()) {
    QDialog::timerEvent(event);
    return;
  }
  m_rect = m_savedRect;
  WriteFields();
  SetCoordinatesReadOnly(false);
  m_previewTimer.stop();
}

void CPersonsDlg::SetCoordinatesReadOnly(bool readOnly) {
  for (QLineEdit* e : {m_form->editLeft, m_form->editTop, m_form->editRight, m_form->editBottom})
    e->setReadOnly(readOnly);
}

}  // namespace kolvaro
