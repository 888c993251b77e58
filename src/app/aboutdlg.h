#pragma once
// Dialog 100 "Info über Kolvaro-Album": the program's version, linked to its
// web page, and the album's own text and update link.

#include <QDialog>
#include <memory>
#include <string>

class QLabel;

namespace Ui {
class AboutDlgForm;
}

namespace kolvaro {

class CHyperLink;
class IUserQuestions;

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  /// `ui` shows the box of a link that cannot be opened.
  explicit CAboutDlg(IUserQuestions* ui, QWidget* parent = nullptr);
  ~CAboutDlg() override;

  /// The album's information text and its update address.
  void SetAlbumTexts(const std::string& albumInfo, const std::string& updateUrl);

  CHyperLink* VersionLink() const;
  CHyperLink* UpdateLink() const;
  QLabel* AlbumText() const;

 private:
  std::unique_ptr<Ui::AboutDlgForm> m_form;
};

}  // namespace kolvaro
