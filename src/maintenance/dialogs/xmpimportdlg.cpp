#include "maintenance/dialogs/xmpimportdlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/meriskdoc.h"
#include "maintenance/dialogs/xmpexportdlg.h"
#include "qt/qtstring.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

QString Text(StringId id) { return ToQString(LoadString(id)); }

}  // namespace

CXmpImportDlg::CXmpImportDlg(const XmpImportPlan& plan, QWidget* parent) : QDialog(parent) {
  setWindowTitle(Text(IDS_XMP_IMPORT_CAPTION));
  auto* layout = new QVBoxLayout(this);
  auto* summary = new QLabel(ToQString(XmpImportSummary(plan)), this);
  summary->setObjectName(QStringLiteral("summaryLabel"));
  summary->setWordWrap(true);
  summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(summary);
  if (!plan.problems.empty()) {
    layout->addWidget(new QLabel(Text(IDS_XMP_PROBLEMS), this));
    auto* problems = new QPlainTextEdit(this);
    problems->setObjectName(QStringLiteral("problemsEdit"));
    problems->setReadOnly(true);
    problems->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    problems->setMinimumHeight(fontMetrics().lineSpacing() * 5);
    for (const std::string& problem : plan.problems) problems->appendPlainText(ToQString(problem));
    problems->moveCursor(QTextCursor::Start);
    layout->addWidget(problems, 1);
    resize(560, 0);
  }
  auto* question = new QLabel(Text(IDS_XMP_APPLY_QUESTION), this);
  layout->addWidget(question);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(Text(IDS_BUTTON_OK), this);
  auto* cancel = new QPushButton(Text(IDS_BUTTON_CANCEL), this);
  // Changing the album is the choice that takes a deliberate click.
  cancel->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  setMinimumWidth(460);
}

void OnXmpImport(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                 const std::function<void(CXmpImportDlg&)>& drive) {
  std::vector<std::int32_t> pictures = SelectedPictures(doc);
  if (pictures.empty()) pictures = AllPictures(doc);
  const std::string caption(LoadString(IDS_XMP_IMPORT_CAPTION));

  QProgressDialog progress(Text(IDS_XMP_PROGRESS_READ), Text(IDS_BUTTON_CANCEL), 0,
                           static_cast<int>(pictures.size()), owner);
  progress.setWindowTitle(ToQString(caption));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  auto store = CreateXmpStore();
  const XmpImportPlan plan = PlanXmpImport(doc, pictures, *store, ProgressOf(progress));
  progress.close();
  if (plan.cancelled) {
    ui.Inform(std::string(LoadString(IDS_XMP_CANCELLED)), caption);
    return;
  }
  if (plan.Empty() && plan.problems.empty()) {
    ui.Inform(XmpImportSummary(plan), caption);
    return;
  }
  CXmpImportDlg dlg(plan, owner);
  if (drive) drive(dlg);
  if (dlg.exec() != QDialog::Accepted || plan.Empty()) return;
  ApplyXmpImport(doc, plan);
  doc.UpdateAllViews(nullptr);
}

}  // namespace kolvaro
