#pragma once
// One-line text input: a caption, a prompt and the value.

#include <QDialog>
#include <QString>

namespace kolvaro {

class CInputDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CInputDlg(QWidget* parent = nullptr);
  ~CInputDlg() override;

  // Set before exec(); m_strValue holds the text after OK.
  QString m_strCaption;
  QString m_strPrompt;
  QString m_strValue;

  int exec() override;

  // The implementation adds what it needs below.
 private:
  struct Controls;
  std::unique_ptr<Controls> m_pControls;
};

}  // namespace kolvaro
