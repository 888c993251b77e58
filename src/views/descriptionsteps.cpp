// The picture view: stepping through the selection, the slideshow and the
// picture window.
#include <QApplication>
#include <QListWidget>

#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "ui_imagedescription.h"
#include "views/imagedescription.h"
#include "views/picturewnd.h"
#include "views/slideshow.h"

namespace kolvaro {

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

}  // namespace kolvaro
