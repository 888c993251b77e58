#include "app/aboutdlg.h"

#include <QIcon>

#include "qt/qtstring.h"
#include "qt/widgets/hyperlink.h"
#include "res/version.h"
#include "ui_aboutdlg.h"

namespace kolvaro {

CAboutDlg::CAboutDlg(IUserQuestions* ui, QWidget* parent)
    : QDialog(parent), m_form(std::make_unique<Ui::AboutDlgForm>()) {
  m_form->setupUi(this);
  m_form->iconLabel->setPixmap(QIcon(QStringLiteral(":/icons/kolvaro.svg")).pixmap(48, 48));
  connect(m_form->okButton, &QPushButton::clicked, this, &QDialog::accept);
  for (CHyperLink* link : {m_form->versionLink, m_form->updateLink}) link->SetUserQuestions(ui);
  const QString version = ToQString(GetVersionString("ProductVersion")).trimmed();
  if (!version.isEmpty()) m_form->versionLink->setText(ToQString(kVersionLinePrefix) + version);
  m_form->versionLink->SetURL(ToQString(kProductPageUrl));
  m_form->updateLink->SetURL(ToQString(kDefaultUpdateLink));
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::SetAlbumTexts(const std::string& albumInfo, const std::string& updateUrl) {
  m_form->albumText->setText(ToQString(albumInfo));
  m_form->updateLink->SetURL(ToQString(updateUrl));
}

CHyperLink* CAboutDlg::VersionLink() const { return m_form->versionLink; }
CHyperLink* CAboutDlg::UpdateLink() const { return m_form->updateLink; }
QLabel* CAboutDlg::AlbumText() const { return m_form->albumText; }

}  // namespace kolvaro
