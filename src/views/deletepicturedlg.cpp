#include "views/deletepicturedlg.h"

#include <QEvent>

#include "core/meriskdoc.h"
#include "ui_deletepicturedlg.h"
#include "views/picturectrl.h"

namespace kolvaro {

CDeletePictureDlg::CDeletePictureDlg(CMeriskDoc& doc, std::int32_t picture, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_nPicture(picture), m_form(std::make_unique<Ui::DeletePictureDlgForm>()) {
  m_form->setupUi(this);
  const std::string path = m_doc.GetPictureFullPath(m_nPicture);
  const QString qpath = QString::fromStdString(path);
  m_form->labelPath->setText(qpath);
  m_form->checkRecycle->setChecked(m_bRecycle != 0);
  // The layout sizes the preview only when the dialog is shown; the control
  // leaves re-laying out after a size change to its owner.
  m_form->preview->installEventFilter(this);
  m_form->preview->Load(qpath);
  m_form->buttonNo->setFocus();
}

CDeletePictureDlg::~CDeletePictureDlg() = default;

CPictureCtrl* CDeletePictureDlg::Preview() const { return m_form->preview; }

void CDeletePictureDlg::accept() {
  m_bRecycle = m_form->checkRecycle->isChecked() ? 1 : 0;
  QDialog::accept();
}

bool CDeletePictureDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_form->preview && event->type() == QEvent::Resize) {
    m_form->preview->RecalcLayout();
    m_form->preview->update();
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace kolvaro
