#pragma once
// "Bild löschen": asks before a picture leaves the album, shows it, and offers
// to move its file into the trash as well.

#include <QDialog>
#include <cstdint>
#include <memory>

namespace Ui {
class DeletePictureDlgForm;
}

namespace kolvaro {

class CMeriskDoc;
class CPictureCtrl;

class CDeletePictureDlg : public QDialog {
  Q_OBJECT
 public:
  CDeletePictureDlg(CMeriskDoc& doc, std::int32_t picture, QWidget* parent = nullptr);
  ~CDeletePictureDlg() override;

  /// Check box "Bild in &Papierkorb verschieben": 0 or 1, read back on "&Ja".
  int m_bRecycle = 0;

  std::int32_t Picture() const { return m_nPicture; }
  CPictureCtrl* Preview() const;

  void accept() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CMeriskDoc& m_doc;
  std::int32_t m_nPicture;
  std::unique_ptr<Ui::DeletePictureDlgForm> m_form;
};

}  // namespace kolvaro
