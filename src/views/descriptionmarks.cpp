// The picture view: persons marked on the picture, their names under the
// mouse, blinking frames, and themes and persons taken off the picture.
#include <QListWidget>

#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "ui_imagedescription.h"
#include "views/imagedescription.h"
#include "views/personsdlg.h"
#include "views/picturectrl.h"
#include "views/picturelayout.h"
#include "views/removefrompicture.h"
#include "views/titletip.h"
#include "views/titletipgeometry.h"

namespace kolvaro {

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

}  // namespace kolvaro
