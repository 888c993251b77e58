#pragma once
// "Dateiablage" (dialog 147) and "Kolvaro Infos" (dialog 157): the album's
// own settings, applied by the logic in maintenance/albumsettings.

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class QWidget;

namespace Ui {
class StorageOptionsDlgForm;
class AlbumInfoDlgForm;
}  // namespace Ui

namespace kolvaro {

class CMeriskDoc;
class IUserQuestions;

class CStorageOptionsDlg : public QDialog {
  Q_OBJECT
 public:
  /// Chooses a folder starting in the given one; empty when none was chosen.
  using ChooseFolder = std::function<QString(QWidget* owner, const QString& start)>;

  CStorageOptionsDlg(int mode, const QString& folder, QWidget* parent = nullptr);
  ~CStorageOptionsDlg() override;

  int Mode() const;
  QString Folder() const;
  void OnBrowse();
  /// The folder chooser; CFolderChooser unless a test answers instead.
  void SetChooseFolder(ChooseFolder choose) { m_choose = std::move(choose); }

 private:
  std::unique_ptr<Ui::StorageOptionsDlgForm> m_form;
  ChooseFolder m_choose;
};

class CAlbumInfoDlg : public QDialog {
  Q_OBJECT
 public:
  CAlbumInfoDlg(const CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent = nullptr);
  ~CAlbumInfoDlg() override;

  QString Info() const;
  QString Url() const;
  bool Lock() const;
  /// A click on "Diesen Dialog sperren": locking is confirmed first.
  void OnLockClicked(bool checked);

 private:
  std::unique_ptr<Ui::AlbumInfoDlgForm> m_form;
  IUserQuestions& m_ui;
};

/// Command ID_FILE_STORAGE; `dlg` lets a test drive the dialog before it is run.
void OnFileStorage(CMeriskDoc& doc, QWidget* owner,
                   const std::function<void(CStorageOptionsDlg&)>& dlg = {});
/// Command ID_ALBUM_INFO; true when the album changed.
bool OnAlbumInfo(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                 const std::function<void(CAlbumInfoDlg&)>& dlg = {});

}  // namespace kolvaro
