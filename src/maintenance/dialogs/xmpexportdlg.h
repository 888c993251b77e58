#pragma once
// "XMP exportieren": which pictures, which sidecar name, and whether the
// picture files themselves get the XMP too (off unless chosen, with a warning).

#include <QDialog>
#include <functional>

#include "maintenance/xmpexchange.h"

class QCheckBox;
class QComboBox;
class QProgressDialog;
class QPushButton;
class QRadioButton;

namespace kolvaro {

class IUserQuestions;

class CXmpExportDlg : public QDialog {
  Q_OBJECT
 public:
  CXmpExportDlg(std::size_t selected, std::size_t total, QWidget* parent = nullptr);

  bool WholeAlbum() const;
  XmpExportOptions Options() const;

 private:
  void UpdateOk();

  QRadioButton* m_selection;
  QRadioButton* m_album;
  QComboBox* m_sidecar;
  QCheckBox* m_embed;
  QPushButton* m_ok;
};

/// Reports to a progress dialog; Cancel there stops the job.
XmpProgress ProgressOf(QProgressDialog& progress);

/// The pictures of the selection, in its order.
std::vector<std::int32_t> SelectedPictures(const CMeriskDoc& doc);

/// Command ID_XMP_EXPORT: the dialog, then the export with progress and
/// Cancel, then what was written and every file that failed. `drive` lets a
/// test fill the dialog before it runs.
void OnXmpExport(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                 const std::function<void(CXmpExportDlg&)>& drive = {});

}  // namespace kolvaro
