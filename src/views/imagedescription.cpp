#include "views/imagedescription.h"

#include <QApplication>
#include <QFocusEvent>
#include <QListWidget>
#include <QResizeEvent>
#include <QWheelEvent>
#include <algorithm>

#include "core/meriskdoc.h"
#include "maintenance/dialogs/assignthemesdlg.h"
#include "platform/qt/qtstring.h"
#include "platform/settings.h"
#include "platform/userquestions.h"
#include "res/commands.h"
#include "res/strings.h"
#include "ui_imagedescription.h"
#include "views/datetext.h"
#include "views/deletepicturedlg.h"
#include "views/descriptionlayout.h"
#include "views/personsdlg.h"
#include "views/picturectrl.h"
#include "views/picturelayout.h"
#include "views/picturewnd.h"
#include "views/printing.h"
#include "views/removefrompicture.h"
#include "views/slideshow.h"
#include "views/titletip.h"
#include "views/titletipgeometry.h"

namespace kolvaro {
namespace {

// The multi-line edit of Windows keeps CR LF; albums hold headlines in that form.
QString HeadlineFromStored(const std::string& title) {
  return ToQString(title).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}
std::string HeadlineToStored(const QString& text) {
  QString t = text;
  return t.replace(QLatin1Char('\n'), QStringLiteral("\r\n")).toStdString();
}

}  // namespace

// ------------------------------------------------------------------- view

CImageDescription::CImageDescription(CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_ui(ui), m_form(std::make_unique<Ui::ImageDescriptionForm>()) {
  m_form->setupUi(this);
  m_layout = std::make_unique<DescriptionLayout>(*this, *m_form);
  Ui::ImageDescriptionForm& f = *m_form;
  f.buttonDateLock->EnableHover(
      ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kCollaboration));
  f.editHeadline->installEventFilter(this);
  f.editDate->installEventFilter(this);
  // A control reached with the keyboard is scrolled into sight.
  m_focusConnection = connect(qApp, &QApplication::focusChanged, this,
                              [this](QWidget*, QWidget* now) { m_layout->ShowInColumn(now); });

  connect(f.pictureCtrl, &CPictureCtrl::DoubleClicked, this, [this] {
    if (m_doc.CurrentPicture() != -1) m_doc.OpenPictureFile(m_doc.CurrentPicture());
  });
  connect(f.pictureCtrl, &CPictureCtrl::RectMarked, this, [this](const Rect& marked) {
    if (m_bMarking) OnRectMarked(marked);
  });
  m_pTitleTip = new ZTitleTip(this);
  connect(f.pictureCtrl, &CPictureCtrl::MouseMoved, this, &CImageDescription::ShowTitleTip);
  connect(f.buttonDateLock, &QPushButton::clicked, this,
          [this] { m_form->editDate->setReadOnly(!m_form->editDate->isReadOnly()); });
  connect(f.buttonAddThemes, &QPushButton::clicked, this, [this] { OnCommand(ID_ASSIGN_THEMES); });
  connect(f.buttonRemoveThemes, &QPushButton::clicked, this, [this] { OnCommand(ID_REMOVE_THEMES); });
  connect(f.buttonAddPerson, &QPushButton::clicked, this, [this] {
    OnCommand(ID_ADD_PERSON);
    m_form->buttonAddPerson->setChecked(m_bMarking);
  });
  connect(f.buttonRemovePersons, &QPushButton::clicked, this, [this] { OnCommand(ID_REMOVE_PERSONS); });
  connect(f.checkFrames, &QPushButton::clicked, this, &CImageDescription::OnFramesClicked);
  connect(f.listPersons, &QListWidget::itemSelectionChanged, this,
          &CImageDescription::OnPersonSelectionChanged);
  connect(f.listThemes, &QListWidget::itemSelectionChanged, this,
          &CImageDescription::OnThemeSelectionChanged);
  connect(f.sliderPosition, &QSlider::sliderMoved, this, &CImageDescription::OnSliderMoved);
  connect(f.sliderPosition, &QSlider::sliderReleased, this, &CImageDescription::OnSliderChangeEnd);
  connect(f.sliderPosition, &QSlider::valueChanged, this, [this] {
    // Clicks on the channel and keys end a change at once; a drag ends at the release.
    if (!m_bSettingSlider && !m_form->sliderPosition->isSliderDown()) OnSliderChangeEnd();
  });
  // The right arrow steps forward, as the spin's negative delta does.
  connect(f.spinRight, &QToolButton::clicked, this, [this] { OnSpin(-1); });
  connect(f.spinLeft, &QToolButton::clicked, this, [this] { OnSpin(+1); });

  m_printCommands = std::make_unique<CPrintCommands>(*this, m_doc, m_ui);
  UpdateButtons();
  m_doc.AddView(this);
  m_slideshow = std::make_unique<CSlideshow>(
      m_doc, *f.pictureCtrl,
      [this] { return m_pPictureWnd && m_pPictureWnd->isVisible() ? m_pPictureWnd->PictureCtrl() : nullptr; },
      [this] { SlideshowTick(); });
}

CImageDescription::~CImageDescription() {
  // No commits and no scrolling while the form goes away: focus moves as
  // its controls are deleted, after the layout is gone.
  m_form->editHeadline->removeEventFilter(this);
  m_form->editDate->removeEventFilter(this);
  disconnect(m_focusConnection);
  m_slideshow.reset();
  if (m_pPictureWnd) m_pPictureWnd->close();
  m_doc.RemoveView(this);
}

CPictureCtrl* CImageDescription::PictureCtrl() { return m_form->pictureCtrl; }
bool CImageDescription::IsEnlarged() const { return m_layout->IsEnlarged(); }
int CImageDescription::ColumnOffset() const { return m_layout->ColumnOffset(); }
int CImageDescription::FormHeight() const { return m_layout->FormHeight(); }

void CImageDescription::OnInitialUpdate() {
  LeaveMarking();
  SetSliderRange();
  SetSliderPos(m_doc.CurrentPosition());
  Refresh(m_doc.CurrentPicture());
  m_layout->Start();
}

void CImageDescription::OnUpdate(CDocument&, IDocumentObserver*, long) {
  if (m_bUpdatingSuspended) return;
  DocumentUpdate();
}

void CImageDescription::DocumentUpdate() {
  SetSliderRange();
  SetSliderPos(m_doc.CurrentPosition());
  Refresh(m_doc.CurrentPicture());
}

// ---------------------------------------------------------------- refresh

void CImageDescription::Refresh(std::int32_t id) {
  // The names it shows belong to the picture shown so far.
  m_pTitleTip->Hide();
  const std::int32_t count = m_doc.SelectedCount();
  const std::int32_t pos = m_doc.CurrentPosition();
  if (count == 1)
    m_strPosition = ToQString(LoadString(IDS_ONE_PICTURE_FOUND));
  else if (pos != 0)
    m_strPosition = QString::asprintf("%li / %li", static_cast<long>(pos) + 1, static_cast<long>(count));
  else
    m_strPosition = ToQString(FormatMessage(LoadString(IDS_PICTURES_FOUND), {static_cast<long long>(count)}));

  PictureEntry entry;
  // A picture that is no longer in the album shows as none.
  if (id != -1 && !m_doc.Pictures().Lookup(id, entry)) id = -1;

  if (m_doc.CurrentPicture() == -1 || count == 0 || id == -1) {
    m_strPosition = ToQString(LoadString(IDS_NO_PICTURES_FOUND));
    m_strFileName.clear();
    m_date = COleDateTime(COleDateTime::null, 0.0);
    m_form->listPersons->clear();
    m_form->listThemes->clear();
    m_strSize.clear();
    m_strHeadline.clear();
    m_form->pictureCtrl->Load(QString());
  }
  m_nShownPicture = id;
  WriteFields();
  m_personRects.clear();
  if (id == -1) {
    if (m_pPictureWnd && m_pPictureWnd->isVisible()) ShowInPictureWnd();
    m_form->pictureCtrl->update();
    UpdateButtons();
    update();
    emit CommandStatesChanged();
    return;
  }

  const bool relativePath = ProgramSettings::IsOn(m_doc.Settings(), ProgramSettings::kRelativePath);
  m_strHeadline = HeadlineFromStored(entry.title);
  FillPersons(id);
  FillThemes(id);
  m_strFileName = ToQString(m_doc.GetPictureFullPath(id));
  m_date = entry.timestamp;
  // Also an empty name: the previous picture must not stay on screen.
  m_form->pictureCtrl->Load(m_strFileName);
  if (m_pPictureWnd && m_pPictureWnd->isVisible()) ShowInPictureWnd();
  m_strSize = QString::asprintf("%u x %u (%.1f kB)", m_form->pictureCtrl->PictureWidth(),
                                m_form->pictureCtrl->PictureHeight(),
                                static_cast<double>(entry.size) / 1024.0);
  if (relativePath)
    m_strFileName = ToQString(DisplayedStoredName(m_doc.GetPathStyle(), entry.filename));

  WriteFields();
  SetSliderPos(pos);
  UpdateButtons();
  // The new picture shows without blinking frames (loading stopped them); the
  // frames switch applies again when the user presses it.
  update();
  emit CommandStatesChanged();
}

void CImageDescription::WriteFields() {
  Ui::ImageDescriptionForm& f = *m_form;
  // A field whose text stays keeps its caret, selection and scrolling: a
  // refresh after a save must not move the user's typing elsewhere.
  // Narrow fields (enlarged layout) show the beginning of a new date and size.
  const auto writeLine = [](QLineEdit* edit, const QString& text, bool fromStart) {
    if (edit->text() == text) return;
    edit->setText(text);
    if (fromStart) edit->setCursorPosition(0);
  };
  writeLine(f.editSize, m_strSize, true);
  f.textPosition->setText(m_strPosition);
  writeLine(f.editFileName, m_strFileName, false);
  writeLine(f.editDate, DateFieldText(m_date), true);
  f.editDate->setModified(false);
  if (f.editHeadline->toPlainText() != m_strHeadline) f.editHeadline->setPlainText(m_strHeadline);
  f.editHeadline->document()->setModified(false);
  WriteFramesSwitch();
}

void CImageDescription::WriteFramesSwitch() {
  m_form->checkFrames->setChecked(m_form->pictureCtrl->m_bFramesVisible != 0);
}

void CImageDescription::FillPersons(std::int32_t picture) {
  QListWidget* list = m_form->listPersons;
  list->clear();
  m_doc.PersonsOnPictures().ForEachOnPicture(picture, [&](std::int32_t person, const Rect& rect) {
    auto* item = new QListWidgetItem(ToQString(m_doc.Persons().GetName(person)));
    item->setData(Qt::UserRole, person);
    list->addItem(item);
    m_personRects[static_cast<std::uint32_t>(person)] = rect;
  });
}

void CImageDescription::FillThemes(std::int32_t picture) {
  QListWidget* list = m_form->listThemes;
  list->clear();
  m_doc.ThemesOfPictures().ForEachOnPicture(picture, [&](std::int32_t theme) {
    auto* item = new QListWidgetItem(ToQString(m_doc.Themes().GetName(theme)));
    item->setData(Qt::UserRole, theme);
    list->addItem(item);
  });
}

bool CImageDescription::AnyThemeSelected() const { return !m_form->listThemes->selectedItems().isEmpty(); }
bool CImageDescription::AnyPersonSelected() const { return !m_form->listPersons->selectedItems().isEmpty(); }

void CImageDescription::UpdateButtons() {
  m_form->buttonRemoveThemes->setEnabled(!m_bMarking && AnyThemeSelected());
  m_form->buttonRemovePersons->setEnabled(!m_bMarking && AnyPersonSelected());
}

void CImageDescription::SetSliderRange() {
  m_bSettingSlider = true;
  m_form->sliderPosition->setRange(0, std::max(m_doc.SelectedCount() - 1, 0));
  m_bSettingSlider = false;
}

void CImageDescription::SetSliderPos(int pos) {
  m_bSettingSlider = true;
  m_form->sliderPosition->setValue(pos);
  m_bSettingSlider = false;
}

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

// ------------------------------------------------------------- navigation

void CImageDescription::Step(bool next) {
  if (m_nShownPicture == -1) return;
  CommitEdits();
  const std::int32_t count = m_doc.SelectedCount();
  if (count <= 0) return;
  std::int32_t pos = m_doc.CurrentPosition();
  if (next)
    pos = pos + 1 >= count ? 0 : pos + 1;
  else
    pos = pos - 1 < 0 ? count - 1 : pos - 1;
  SetSliderPos(pos);
  m_doc.SetCurrentIndex(pos);
  Refresh(m_doc.CurrentPicture());
}

void CImageDescription::OnSliderMoved(int pos) {
  m_form->textPosition->setText(
      QString::asprintf("%li / %li", static_cast<long>(pos) + 1, static_cast<long>(m_doc.SelectedCount())));
}

void CImageDescription::OnSliderChangeEnd() {
  const int pos = m_form->sliderPosition->value();
  if (pos < m_doc.SelectedCount()) {
    m_doc.SetCurrentIndex(pos);
    Refresh(m_doc.CurrentPicture());
  }
}

void CImageDescription::OnSpin(int delta) {
  if (m_nShownPicture == -1) return;
  CommitEdits();
  const int pos = m_doc.CurrentPosition();
  SetSliderPos(delta < 0 ? pos + 1 : pos - 1);
  OnSliderChangeEnd();
}

void CImageDescription::ShowPosition(int position) {
  if (position < 0 || position >= m_doc.SelectedCount()) return;
  CommitEdits();
  SetSliderPos(position);
  OnSliderChangeEnd();
}

// ------------------------------------------------ slideshow and picture window

void CImageDescription::SlideshowTick() {
  // Typing in the headline or date is neither stored nor thrown away by a
  // tick, nor is a person being marked or a dialog's picture changed under
  // it: the show waits.
  if (m_form->editHeadline->document()->isModified() || m_form->editDate->isModified() || m_bMarking ||
      QApplication::activeModalWidget())
    return;
  std::int32_t p = m_form->sliderPosition->value() + 1;
  if (p >= m_doc.SelectedCount()) p = 0;
  m_slideshow->BeginTick(p);
  m_doc.SetCurrentIndex(p);
  Refresh(m_doc.CurrentPicture());
  SetSliderPos(p);
  m_slideshow->EndTick(p);
}

void CImageDescription::GoTo(int position) {
  m_doc.SetCurrentIndex(position);
  SetSliderPos(position);
  DocumentUpdate();
}

void CImageDescription::TogglePictureWnd() {
  if (!m_pPictureWnd) {
    m_pPictureWnd = new CPictureWnd(
        m_doc.Settings(), [this] { return m_form->sliderPosition->value(); },
        [this] { return static_cast<int>(m_doc.SelectedCount()); }, [this](int p) { GoTo(p); }, this);
    connect(m_pPictureWnd, &QDialog::finished, this, &CImageDescription::CommandStatesChanged);
  }
  if (m_pPictureWnd->isVisible()) {
    m_pPictureWnd->reject();
  } else {
    m_pPictureWnd->show();
    ShowInPictureWnd();
  }
  emit CommandStatesChanged();
}

void CImageDescription::ShowInPictureWnd() {
  if (m_nShownPicture == -1) {
    m_pPictureWnd->SetPicture(QString());
    m_pPictureWnd->SetTitle({}, {}, {});
    return;
  }
  // Names as the title wants them: each followed by a carriage return.
  const auto names = [](const QListWidget* list) {
    std::string text;
    for (int i = 0; i < list->count(); ++i) text += list->item(i)->text().toStdString() + "\r";
    return text;
  };
  const PictureEntry* entry = m_doc.Pictures().Find(m_nShownPicture);
  m_pPictureWnd->SetPicture(ToQString(m_doc.GetPictureFullPath(m_nShownPicture)));
  m_pPictureWnd->SetTitle(entry ? entry->title : std::string(), names(m_form->listThemes),
                          names(m_form->listPersons));
}

// ---------------------------------------------------------------- layout

void CImageDescription::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_layout->Resize(event->size().width(), event->size().height());
}

void CImageDescription::wheelEvent(QWheelEvent* event) {
  // Turns of the wheel that no control of the column took scroll the column.
  if (!m_layout->Wheel(event)) QWidget::wheelEvent(event);
}

// -------------------------------------------------------- person marking

void CImageDescription::EnterMarking() {
  if (m_doc.SelectedCount() == 0 || m_nShownPicture == -1 || m_bMarking) return;
  CommitEdits();
  CPictureCtrl* picture = m_form->pictureCtrl;
  m_bMarking = true;
  m_nSavedFramesVisible = picture->m_bFramesVisible;
  picture->m_bFramesVisible = 1;
  picture->m_nMode = 1;
  picture->UpdateCursor();
  picture->update();
  WriteFramesSwitch();
  m_form->buttonAddPerson->setChecked(true);
  picture->SetBlinking(false);
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (child != picture) child->setEnabled(false);
  emit CommandStatesChanged();
}

void CImageDescription::LeaveMarking() {
  if (!m_bMarking) return;
  CPictureCtrl* picture = m_form->pictureCtrl;
  m_bMarking = false;
  picture->m_nMode = 0;
  for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    child->setEnabled(true);
  picture->m_bFramesVisible = m_nSavedFramesVisible;
  picture->update();
  picture->UpdateCursor();
  WriteFramesSwitch();
  m_form->buttonAddPerson->setChecked(false);
  // Enabling every control must not enable removal without a selection.
  UpdateButtons();
  emit CommandStatesChanged();
}

void CImageDescription::OnRectMarked(const Rect& marked) {
  LeaveMarking();
  const std::int32_t picture = m_doc.CurrentPicture();
  const Rect rect =
      ClampToPicture(marked, m_form->pictureCtrl->PictureWidth(), m_form->pictureCtrl->PictureHeight());
  // A drag beside the picture leaves nothing of it to mark a person by.
  if (picture == -1 || rect.right <= rect.left || rect.bottom <= rect.top) return;
  CPersonsDlg dlg(m_doc, m_ui, this);
  dlg.m_rect = rect;
  dlg.m_strPath = ToQString(m_doc.GetPictureFullPath(picture));
  dlg.m_nPicture = picture;
  dlg.m_nPictureWidth = m_form->pictureCtrl->PictureWidth();
  dlg.m_nPictureHeight = m_form->pictureCtrl->PictureHeight();
  const int persons = m_doc.Persons().GetCount();
  if (dlg.exec() == QDialog::Accepted) Refresh(m_doc.CurrentPicture());
  // Persons made with "neu" stay even after Cancel; the selection bar lists them.
  if (m_doc.Persons().GetCount() != persons) m_doc.UpdateAllViews(this);
}

// ---------------------------------------------------------------- title tip

void CImageDescription::ShowTitleTip(const PicturePoint& point) {
  const NamesUnderPoint names = FindNamesUnderPoint(m_personRects, m_doc.Persons(), point);
  if (names.text.empty()) return;
  CPictureCtrl* picture = m_form->pictureCtrl;
  Rect r = names.common;
  picture->PictureToClient(r);
  r = NormaliseRect(r);
  const QPoint at = picture->mapTo(this, QPoint(0, 0));
  m_pTitleTip->Show(Rect{r.left + at.x(), r.top + at.y(), r.right + at.x(), r.bottom + at.y()},
                    ToQString(names.text));
}

// ------------------------------------------------- frames and selections

void CImageDescription::OnFramesClicked() {
  CPictureCtrl* picture = m_form->pictureCtrl;
  picture->m_bFramesVisible = m_form->checkFrames->isChecked() ? 1 : 0;
  if (AnyPersonSelected()) return;
  ApplyFramesSwitch();
  if (!picture->m_bFramesVisible) picture->update();
}

void CImageDescription::ApplyFramesSwitch() {
  CPictureCtrl* picture = m_form->pictureCtrl;
  const bool on = m_form->checkFrames->isChecked();
  // Unticked while nothing blinks: nothing to stop.
  if (m_bMarking || (!on && !picture->IsBlinking())) return;
  picture->ClearBlinkingFrames();
  QListWidget* list = m_form->listPersons;
  for (int i = 0; i < list->count(); ++i) {
    const auto it = m_personRects.find(list->item(i)->data(Qt::UserRole).toUInt());
    if (it != m_personRects.end()) picture->AddBlinkingFrame(it->second);
  }
  picture->SetBlinking(on);
}

void CImageDescription::OnPersonSelectionChanged() {
  UpdateButtons();
  CPictureCtrl* picture = m_form->pictureCtrl;
  picture->ClearBlinkingFrames();
  const QList<QListWidgetItem*> selected = m_form->listPersons->selectedItems();
  for (const QListWidgetItem* item : selected) {
    const auto it = m_personRects.find(item->data(Qt::UserRole).toUInt());
    if (it != m_personRects.end()) picture->AddBlinkingFrame(it->second);
  }
  picture->SetBlinking(!selected.isEmpty() && picture->m_bFramesVisible == 0);
  emit CommandStatesChanged();
}

void CImageDescription::OnThemeSelectionChanged() {
  UpdateButtons();
  emit CommandStatesChanged();
}

namespace {
// The selected entries in the order the list shows them (selectedItems()
// gives the order in which they were clicked).
std::vector<NamedEntry> SelectedInListOrder(const QListWidget* list) {
  std::vector<NamedEntry> entries;
  for (int i = 0; i < list->count(); ++i) {
    const QListWidgetItem* item = list->item(i);
    if (item->isSelected()) entries.push_back({item->data(Qt::UserRole).toInt(), item->text().toStdString()});
  }
  return entries;
}
}  // namespace

void CImageDescription::RemoveThemes() {
  const std::vector<NamedEntry> selected = SelectedInListOrder(m_form->listThemes);
  if (selected.empty() || m_nShownPicture == -1) return;
  CommitEdits();
  if (CRemoveFromPicture(m_doc, m_ui).RemoveThemes(m_nShownPicture, selected)) Refresh(m_doc.CurrentPicture());
}

void CImageDescription::RemovePersons() {
  const std::vector<NamedEntry> selected = SelectedInListOrder(m_form->listPersons);
  if (selected.empty() || m_nShownPicture == -1) return;
  CommitEdits();
  if (CRemoveFromPicture(m_doc, m_ui).RemovePersons(m_nShownPicture, selected)) Refresh(m_doc.CurrentPicture());
}

void CImageDescription::DeletePicture() {
  const std::int32_t picture = m_doc.CurrentPicture();
  const std::int32_t position = m_doc.CurrentPosition();
  if (picture == -1) return;
  // The document updates its views while it deletes; this view shows the
  // outcome once, at the remembered position.
  struct Suspend {
    bool& flag;
    explicit Suspend(bool& f) : flag(f) { flag = true; }
    ~Suspend() { flag = false; }
  } suspend(m_bUpdatingSuspended);
  CDeletePictureDlg dlg(m_doc, picture, this);
  if (dlg.exec() != QDialog::Accepted) return;
  m_doc.DeletePicture(picture, dlg.m_bRecycle != 0);
  m_doc.SetCurrentIndex(position);
  Refresh(m_doc.CurrentPicture());
  DocumentUpdate();
}

// --------------------------------------------------------------- commands

bool CImageDescription::OnCommand(int id) {
  switch (id) {
    case ID_NEXT_PICTURE:
      Step(true);
      return true;
    case ID_PREV_PICTURE:
      Step(false);
      return true;
    case ID_ADD_PERSON:
      EnterMarking();
      return true;
    case ID_CANCEL_ADD_PERSON:
      LeaveMarking();
      return true;
    case ID_ASSIGN_THEMES:
      // The views show the album anew after OK: a headline being typed is stored first.
      if (CommitEdits()) OnAssignThemes(m_doc, this);
      return true;
    case ID_REMOVE_THEMES:
      RemoveThemes();
      return true;
    case ID_REMOVE_PERSONS:
      RemovePersons();
      return true;
    case ID_DELETE_PICTURE:
      DeletePicture();
      return true;
    case ID_ENLARGE:
      m_layout->ToggleEnlarge();
      emit CommandStatesChanged();
      return true;
    case ID_SLIDESHOW:
      m_slideshow->Toggle();
      emit CommandStatesChanged();
      return true;
    case ID_PICTURE_WINDOW:
      TogglePictureWnd();
      return true;
    default:
      return m_printCommands->OnCommand(id);
  }
}

bool CImageDescription::OnUpdateCommand(int id, CmdState& state) {
  switch (id) {
    case ID_NEXT_PICTURE:
    case ID_PREV_PICTURE:
    case ID_DELETE_PICTURE:
    case ID_ASSIGN_THEMES:
      state.enabled = true;
      return true;
    case ID_ADD_PERSON:
      state.enabled = true;
      state.checked = m_bMarking;
      return true;
    case ID_CANCEL_ADD_PERSON:
      state.enabled = m_bMarking;
      return true;
    case ID_REMOVE_THEMES:
      state.enabled = AnyThemeSelected();
      return true;
    case ID_REMOVE_PERSONS:
      state.enabled = AnyPersonSelected();
      return true;
    case ID_ENLARGE:
      state.enabled = true;
      state.checked = m_layout->IsEnlarged();
      return true;
    case ID_SLIDESHOW:
      state.enabled = true;
      state.checked = m_slideshow->IsRunning();
      return true;
    case ID_PICTURE_WINDOW:
      state.enabled = true;
      state.checked = m_pPictureWnd && m_pPictureWnd->isVisible();
      return true;
    default:
      return m_printCommands->OnUpdateCommand(id, state);
  }
}

}  // namespace kolvaro
