#include "maintenance/dialogs/replacepathsdlg.h"

#include "core/meriskdoc.h"
#include "maintenance/replacepaths.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"
#include "ui_replacepathsdlg.h"

namespace kolvaro {

CReplacePathsDlg::CReplacePathsDlg(QWidget* parent)
    : QDialog(parent), m_form(std::make_unique<Ui::ReplacePathsDlgForm>()) {
  m_form->setupUi(this);
}

CReplacePathsDlg::~CReplacePathsDlg() = default;

QString CReplacePathsDlg::SearchText() const { return m_form->searchEdit->text(); }
QString CReplacePathsDlg::Replacement() const { return m_form->replaceEdit->text(); }

void OnReplacePaths(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                    const std::function<void(CReplacePathsDlg&)>& drive) {
  CReplacePathsDlg dlg(owner);
  if (drive) drive(dlg);
  if (dlg.exec() != QDialog::Accepted) return;
  // A picture shown as missing may now be found: show it as it is.
  std::vector<std::string> refused;
  const std::size_t changed =
      ReplacePaths(doc, dlg.SearchText().toStdString(), dlg.Replacement().toStdString(), &refused);
  if (changed > 0) doc.UpdateAllViews(nullptr);
  if (!refused.empty()) {
    std::string text;
    for (const std::string& line : refused) text += line + "\n";
    text.pop_back();
    ui.Warn(text);
  }
  ui.Inform(FormatMessage(LoadString(IDS_CLI_PATHS_CHANGED), {static_cast<long long>(changed)}));
}

}  // namespace kolvaro
