#include "views/imagedescription.h"

#include <QApplication>
#include <QListWidget>
#include <QResizeEvent>
#include <QWheelEvent>
#include <algorithm>

#include "core/meriskdoc.h"
#include "maintenance/dialogs/assignthemesdlg.h"
#include "qt/qtstring.h"
#include "core/ports/settings.h"
#include "core/ports/userquestions.h"
#include "res/commands.h"
#include "res/strings.h"
#include "ui_imagedescription.h"
#include "views/datetext.h"
#include "views/deletepicturedlg.h"
#include "views/descriptionlayout.h"
#include "views/picturectrl.h"
#include "views/picturewnd.h"
#include "views/printing.h"
#include "views/slideshow.h"
#include "views/titletip.h"

// The view's making, what it shows of a picture, and its commands. Typing
// is stored in descriptionedits.cpp, stepping and the picture window are in
// descriptionsteps.cpp, persons marked on the picture in descriptionmarks.cpp.

namespace kolvaro {
namespace {

// The multi-line edit of Windows keeps CR LF; albums hold headlines in that form.
QString HeadlineFromStored(const std::string& title) {
  return ToQString(title).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
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

// ---------------------------------------------------------------- layout

void CImageDescription::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  m_layout->Resize(event->size().width(), event->size().height());
}

void CImageDescription::wheelEvent(QWheelEvent* event) {
  // Turns of the wheel that no control of the column took scroll the column.
  if (!m_layout->Wheel(event)) QWidget::wheelEvent(event);
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
