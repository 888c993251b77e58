#include "maintenance/dialogs/xmpexportdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

QString Text(StringId id) { return ToQString(LoadString(id)); }
QString Text(StringId id, long long n) { return ToQString(FormatMessage(LoadString(id), {n})); }

}  // namespace

CXmpExportDlg::CXmpExportDlg(std::size_t selected, std::size_t total, QWidget* parent) : QDialog(parent) {
  setWindowTitle(Text(IDS_XMP_EXPORT_CAPTION));
  auto* layout = new QVBoxLayout(this);
  m_selection = new QRadioButton(Text(IDS_XMP_SCOPE_SELECTION, static_cast<long long>(selected)), this);
  m_album = new QRadioButton(Text(IDS_XMP_SCOPE_ALBUM, static_cast<long long>(total)), this);
  m_selection->setObjectName(QStringLiteral("selectionRadio"));
  m_album->setObjectName(QStringLiteral("albumRadio"));
  (selected > 0 ? m_selection : m_album)->setChecked(true);
  m_selection->setEnabled(selected > 0);
  layout->addWidget(m_selection);
  layout->addWidget(m_album);

  auto* form = new QFormLayout;
  m_sidecar = new QComboBox(this);
  m_sidecar->setObjectName(QStringLiteral("sidecarCombo"));
  // The name forms as the example picture "bild.jpg" would get them.
  m_sidecar->addItem(QStringLiteral("bild.jpg.xmp"));
  m_sidecar->addItem(QStringLiteral("bild.xmp"));
  m_sidecar->addItem(Text(IDS_XMP_NO_SIDECAR));
  auto* sidecarLabel = new QLabel(Text(IDS_XMP_SIDECAR_LABEL), this);
  sidecarLabel->setBuddy(m_sidecar);
  form->addRow(sidecarLabel, m_sidecar);
  layout->addLayout(form);

  m_embed = new QCheckBox(Text(IDS_XMP_EMBED_CHOICE), this);
  m_embed->setObjectName(QStringLiteral("embedCheck"));
  layout->addWidget(m_embed);
  auto* warningRow = new QHBoxLayout;
  auto* icon = new QLabel(this);
  const int size = style()->pixelMetric(QStyle::PM_SmallIconSize);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
  auto* warning = new QLabel(Text(IDS_XMP_EMBED_WARNING), this);
  warning->setWordWrap(true);
  warningRow->addWidget(icon, 0, Qt::AlignTop);
  warningRow->addWidget(warning, 1);
  layout->addLayout(warningRow);

  auto* buttons = new QHBoxLayout;
  m_ok = new QPushButton(Text(IDS_BUTTON_OK), this);
  m_ok->setDefault(true);
  auto* cancel = new QPushButton(Text(IDS_BUTTON_CANCEL), this);
  buttons->addStretch();
  buttons->addWidget(m_ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_embed, &QCheckBox::toggled, this, [this] { UpdateOk(); });
  connect(m_sidecar, &QComboBox::currentIndexChanged, this, [this] { UpdateOk(); });
  setMinimumWidth(420);
}

void CXmpExportDlg::UpdateOk() { m_ok->setEnabled(m_sidecar->currentIndex() != 2 || m_embed->isChecked()); }

bool CXmpExportDlg::WholeAlbum() const { return m_album->isChecked(); }

XmpExportOptions CXmpExportDlg::Options() const {
  XmpExportOptions options;
  switch (m_sidecar->currentIndex()) {
    case 0: options.sidecar = SidecarName::kWithExtension; break;
    case 1: options.sidecar = SidecarName::kWithoutExtension; break;
    default: options.sidecar.reset(); break;
  }
  options.embed = m_embed->isChecked();
  return options;
}

XmpProgress ProgressOf(QProgressDialog& progress) {
  return [&progress](std::size_t done, std::size_t total) {
    progress.setMaximum(static_cast<int>(total));
    progress.setValue(static_cast<int>(done));
    QCoreApplication::processEvents();
    return !progress.wasCanceled();
  };
}

std::vector<std::int32_t> SelectedPictures(const CMeriskDoc& doc) {
  const std::vector<std::int32_t>& selection = doc.Selection();
  const std::size_t count = std::min(selection.size(), static_cast<std::size_t>(std::max(doc.SelectedCount(), 0)));
  return {selection.begin(), selection.begin() + static_cast<std::ptrdiff_t>(count)};
}

void OnXmpExport(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                 const std::function<void(CXmpExportDlg&)>& drive) {
  const std::vector<std::int32_t> selected = SelectedPictures(doc);
  CXmpExportDlg dlg(selected.size(), static_cast<std::size_t>(doc.Pictures().GetCount()), owner);
  if (drive) drive(dlg);
  if (dlg.exec() != QDialog::Accepted) return;
  const std::vector<std::int32_t> pictures = dlg.WholeAlbum() ? AllPictures(doc) : selected;

  QProgressDialog progress(Text(IDS_XMP_PROGRESS_WRITE), Text(IDS_BUTTON_CANCEL), 0,
                           static_cast<int>(pictures.size()), owner);
  progress.setWindowTitle(Text(IDS_XMP_EXPORT_CAPTION));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  auto store = CreateXmpStore();
  const XmpExportResult result = ExportXmp(doc, pictures, dlg.Options(), *store, ProgressOf(progress));
  progress.close();

  std::string text = FormatMessage(LoadString(IDS_XMP_EXPORTED), {static_cast<long long>(result.written)});
  if (result.cancelled) text += "\n" + std::string(LoadString(IDS_XMP_CANCELLED_EXPORT));
  if (result.problems.empty()) {
    ui.Inform(text, std::string(LoadString(IDS_XMP_EXPORT_CAPTION)));
    return;
  }
  // A message box cannot scroll: a long list ends with how many more there are.
  constexpr std::size_t kShown = 25;
  text += "\n\n" + std::string(LoadString(IDS_XMP_PROBLEMS));
  for (std::size_t i = 0; i < result.problems.size() && i < kShown; ++i) text += "\n" + result.problems[i];
  if (result.problems.size() > kShown)
    text += "\n" + FormatMessage(LoadString(IDS_XMP_MORE_PROBLEMS),
                                  {static_cast<long long>(result.problems.size() - kShown)});
  ui.Warn(text, std::string(LoadString(IDS_XMP_EXPORT_CAPTION)));
}

}  // namespace kolvaro
