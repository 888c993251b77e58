#include "maintenance/dialogs/albumsettingsdlg.h"

#include "core/meriskdoc.h"
#include "maintenance/albumsettings.h"
#include "qt/qtstring.h"
#include "qt/widgets/folderchooser.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"
#include "ui_albuminfodlg.h"
#include "ui_storageoptionsdlg.h"

namespace kolvaro {
namespace {

QString BrowseFolder(QWidget* owner, const QString& start) {
  CFolderChooser chooser(owner, IDS_CHOOSE_FOLDER);
  chooser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
  chooser.SetInitialFolder(start);
  return chooser.Browse() ? chooser.GetPath() : QString();
}

}  // namespace

CStorageOptionsDlg::CStorageOptionsDlg(int mode, const QString& folder, QWidget* parent)
    : QDialog(parent), m_form(std::make_unique<Ui::StorageOptionsDlgForm>()), m_choose(&BrowseFolder) {
  m_form->setupUi(this);
  // A mode other than 0 or 1 (a foreign album) leaves both buttons clear.
  m_form->modeAlbumFolder->setChecked(mode == 0);
  m_form->modeChosenFolder->setChecked(mode == 1);
  m_form->folderEdit->setText(folder);
  connect(m_form->browseButton, &QPushButton::clicked, this, &CStorageOptionsDlg::OnBrowse);
}

CStorageOptionsDlg::~CStorageOptionsDlg() = default;

int CStorageOptionsDlg::Mode() const {
  if (m_form->modeAlbumFolder->isChecked()) return 0;
  return m_form->modeChosenFolder->isChecked() ? 1 : -1;
}

QString CStorageOptionsDlg::Folder() const { return m_form->folderEdit->text(); }

void CStorageOptionsDlg::OnBrowse() {
  const QString start = ToQString(ChooserStartFolder(Folder().toStdString()));
  const QString chosen = m_choose(this, start);
  if (!chosen.isEmpty()) m_form->folderEdit->setText(ToQString(WithTrailingSlash(chosen.toStdString())));
}

CAlbumInfoDlg::CAlbumInfoDlg(const CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent)
    : QDialog(parent), m_form(std::make_unique<Ui::AlbumInfoDlgForm>()), m_ui(ui) {
  m_form->setupUi(this);
  m_form->lockBox->setChecked(doc.InfoDialogEnabled() == 0);
  m_form->infoEdit->setPlainText(ToQString(doc.AlbumInfo()));
  m_form->urlEdit->setText(ToQString(doc.UpdateUrl()));
  connect(m_form->lockBox, &QCheckBox::clicked, this, &CAlbumInfoDlg::OnLockClicked);
}

CAlbumInfoDlg::~CAlbumInfoDlg() = default;

QString CAlbumInfoDlg::Info() const { return m_form->infoEdit->toPlainText(); }
QString CAlbumInfoDlg::Url() const { return m_form->urlEdit->text(); }
bool CAlbumInfoDlg::Lock() const { return m_form->lockBox->isChecked(); }

void CAlbumInfoDlg::OnLockClicked(bool checked) {
  if (!checked) return;
  // The lock is for good: Enter must not set it by accident.
  if (m_ui.AskYesNo(std::string(LoadString(IDS_LOCK_INFO_DIALOG)), std::string(LoadString(IDS_CONFIRMATION)),
                    DefaultButton::No) != Answer::Yes)
    m_form->lockBox->setChecked(false);
}

void OnFileStorage(CMeriskDoc& doc, QWidget* owner, const std::function<void(CStorageOptionsDlg&)>& drive) {
  CStorageOptionsDlg dlg(doc.StorageMode(), ToQString(doc.StorageFolder()), owner);
  if (drive) drive(dlg);
  if (dlg.exec() != QDialog::Accepted) return;
  // With neither button chosen the album keeps its mode.
  const int mode = dlg.Mode() < 0 ? doc.StorageMode() : dlg.Mode();
  ApplyStorageOptions(doc, mode, dlg.Folder().toStdString());
}

bool OnAlbumInfo(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                 const std::function<void(CAlbumInfoDlg&)>& drive) {
  CAlbumInfoDlg dlg(doc, ui, owner);
  if (drive) drive(dlg);
  if (dlg.exec() != QDialog::Accepted) return false;
  return ApplyAlbumInfo(doc, dlg.Info().toStdString(), dlg.Url().toStdString(), dlg.Lock());
}

}  // namespace kolvaro
