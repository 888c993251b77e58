#pragma once
// "Pfadangaben ändern" (dialog 160): the beginning of stored picture paths
// to look for and the text to put in its place.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace Ui {
class ReplacePathsDlgForm;
}

namespace kolvaro {

class CMeriskDoc;
class IUserQuestions;

class CReplacePathsDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CReplacePathsDlg(QWidget* parent = nullptr);
  ~CReplacePathsDlg() override;

  QString SearchText() const;
  QString Replacement() const;

 private:
  std::unique_ptr<Ui::ReplacePathsDlgForm> m_form;
};

/// Command ID_CHANGE_PATHS: on "Alle ersetzen" every stored path that begins
/// with the search text gets the replacement instead (see ReplacePaths); no
/// record; the user is told how many changed. `drive` lets a test fill the
/// dialog before it runs.
void OnReplacePaths(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                    const std::function<void(CReplacePathsDlg&)>& drive = {});

}  // namespace kolvaro
