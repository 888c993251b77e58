#pragma once
// "Kameradaten übernehmen" (dialog 156) and the command that runs the
// camera import behind it: the transfers on a worker thread, shown in one
// progress dialog, the album changed on the interface thread only.

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "maintenance/managelist.h"

namespace Ui {
class CameraImportDlgForm;
}

namespace kolvaro {

class CMeriskDoc;
class IUserQuestions;

class CCameraImportDlg : public QDialog {
  Q_OBJECT
 public:
  /// Chooses a folder starting in the given one; empty when none was chosen.
  using ChooseFolder = std::function<QString(QWidget* owner, const QString& start)>;

  /// Starts with `Settings`/`Camera Folder`, copying and "<kein Thema>".
  CCameraImportDlg(CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent = nullptr);
  ~CCameraImportDlg() override;

  bool Move() const;
  QString SourceFolder() const;
  std::int32_t ThemeId() const;

  /// "...": the folder chooser, the chosen folder shown with a trailing '/'.
  void OnBrowse();
  /// "neu ...": a new theme in the album, chosen in the list.
  void OnNewTheme();
  /// OK: only for a folder that exists; remembers it as `Camera Folder`.
  void accept() override;

  /// Stand-ins for the chooser and the name input, for tests.
  void SetChooseFolder(ChooseFolder choose) { m_choose = std::move(choose); }
  void SetAskText(AskText ask) { m_ask = std::move(ask); }

 private:
  std::unique_ptr<Ui::CameraImportDlgForm> m_form;
  CMeriskDoc& m_doc;
  IUserQuestions& m_ui;
  ChooseFolder m_choose;
  AskText m_ask;
};

/// Command ID_CAMERA_IMPORT. `dlg` lets a test drive the dialog before it
/// runs. The number of pictures added, nothing when the dialog was cancelled.
std::optional<int> OnCameraImport(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                                  const std::function<void(CCameraImportDlg&)>& dlg = {});

}  // namespace kolvaro
