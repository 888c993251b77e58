#pragma once
// "Einstellungen": confirmations, slideshow pause, collaboration, the picture
// window's caption order and the path display, edited in one modal dialog.

#include <QDialog>
#include <memory>

#include "app/settingsvalues.h"

namespace Ui {
class SettingsDlg;
}

namespace kolvaro {

class IUserQuestions;

class CSettingsDialog : public QDialog {
  Q_OBJECT
 public:
  /// Reads the five settings from the store as they are now.
  CSettingsDialog(ISettings& settings, IUserQuestions& ui, QWidget* parent = nullptr);
  ~CSettingsDialog() override;

  /// What was written on OK.
  const SettingsValues& Values() const { return m_values; }

  /// Writes the settings only when the pause is valid; otherwise the
  /// message is shown and the pause edit keeps the focus.
  void accept() override;

 private:
  ISettings& m_settings;
  IUserQuestions& m_ui;
  SettingsValues m_values;
  std::unique_ptr<Ui::SettingsDlg> m_form;
};

}  // namespace kolvaro
