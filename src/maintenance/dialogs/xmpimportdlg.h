#pragma once
// "XMP importieren": the summary of what the pictures' XMP would change,
// shown before anything changes, with the regions and files left out.

#include <QDialog>
#include <functional>

#include "maintenance/xmpexchange.h"

namespace kolvaro {

class IUserQuestions;

class CXmpImportDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CXmpImportDlg(const XmpImportPlan& plan, QWidget* parent = nullptr);
};

/// Command ID_XMP_IMPORT: reads the XMP of the selection's pictures (the
/// whole album without a selection) with progress and Cancel, shows the
/// summary and, on OK, applies it through the record operations and updates
/// the views. Cancel anywhere leaves the album as it was. `drive` lets a test
/// answer the summary.
void OnXmpImport(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                 const std::function<void(CXmpImportDlg&)>& drive = {});

}  // namespace kolvaro
