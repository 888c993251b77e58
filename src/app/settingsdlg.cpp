#include "app/settingsdlg.h"

#include <QRegularExpressionValidator>

#include "core/ports/userquestions.h"
#include "ui_settingsdlg.h"

namespace kolvaro {

CSettingsDialog::CSettingsDialog(ISettings& settings, IUserQuestions& ui, QWidget* parent)
    : QDialog(parent),
      m_settings(settings),
      m_ui(ui),
      m_values(ReadSettingsValues(settings)),
      m_form(std::make_unique<Ui::SettingsDlg>()) {
  m_form->setupUi(this);
  // Digits only, as typed and as pasted.
  m_form->editPause->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_form->editPause));
  m_form->checkAskDelete->setChecked(m_values.askOverwriteDelete);
  m_form->editPause->setText(QString::number(m_values.slideshowPause));
  m_form->checkCollaboration->setChecked(m_values.collaboration);
  m_form->comboCaptionOrder->setCurrentIndex(CaptionOrderPosition(m_values.headlineOption));
  m_form->checkRelativePath->setChecked(m_values.relativePath);
  connect(m_form->okButton, &QPushButton::clicked, this, &CSettingsDialog::accept);
}

CSettingsDialog::~CSettingsDialog() = default;

void CSettingsDialog::accept() {
  const PauseCheck pause = CheckPause(m_form->editPause->text().toStdString());
  if (!pause.error.empty()) {
    m_ui.Warn(pause.error);
    m_form->editPause->setFocus();
    m_form->editPause->selectAll();
    return;
  }
  SettingsValues values;
  values.askOverwriteDelete = m_form->checkAskDelete->isChecked();
  values.slideshowPause = pause.pause;
  values.collaboration = m_form->checkCollaboration->isChecked();
  values.headlineOption = m_form->comboCaptionOrder->currentIndex();
  values.relativePath = m_form->checkRelativePath->isChecked();
  m_values = values;
  WriteSettingsValues(m_settings, m_values);
  QDialog::accept();
}

}  // namespace kolvaro
