#include "qt/widgets/inputdlg.h"

#include "ui_inputdlg.h"

namespace kolvaro {

struct CInputDlg::Controls : Ui::InputDlg {};

CInputDlg::CInputDlg(QWidget* parent) : QDialog(parent), m_pControls(std::make_unique<Controls>()) {
  m_pControls->setupUi(this);
}

CInputDlg::~CInputDlg() = default;

int CInputDlg::exec() {
  setWindowTitle(m_strCaption);
  m_pControls->promptLabel->setText(m_strPrompt);
  m_pControls->valueEdit->setText(m_strValue);
  // Typing replaces a preset value at once, as a rename expects.
  m_pControls->valueEdit->selectAll();
  m_pControls->valueEdit->setFocus();
  const int result = QDialog::exec();
  if (result == QDialog::Accepted) m_strValue = m_pControls->valueEdit->text();
  return result;
}

}  // namespace kolvaro
