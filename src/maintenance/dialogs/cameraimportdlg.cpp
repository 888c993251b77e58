#include "maintenance/dialogs/cameraimportdlg.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <filesystem>

#include "core/meriskdoc.h"
#include "maintenance/assignthemes.h"
#include "maintenance/cameraimport.h"
#include "maintenance/dialogs/managelistdlg.h"
#include "qt/qtstring.h"
#include "qt/widgets/folderchooser.h"
#include "qt/widgets/listcollation.h"
#include "core/ports/settings.h"
#include "core/ports/userquestions.h"
#include "res/strings.h"
#include "ui_cameraimportdlg.h"

namespace kolvaro {
namespace {

QString Text(StringId id) { return ToQString(LoadString(id)); }

QString BrowseFolder(QWidget* owner, const QString& start) {
  CFolderChooser chooser(owner, IDS_CHOOSE_FOLDER);
  chooser.SetFlags(BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT);
  chooser.SetInitialFolder(start);
  return chooser.Browse() ? chooser.GetPath() : QString();
}

// One progress dialog for the whole import. "Abbrechen", Escape and the
// window's close button only ask the worker to stop after the current file:
// the dialog stays, and with it the album out of the user's reach, until
// the worker has ended.
class CImportProgress final : public QDialog {
 public:
  explicit CImportProgress(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("cameraImportProgress"));
    setWindowTitle(Text(IDS_CAMERA_TRANSFER_TITLE));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_label = new QLabel(this);
    m_label->setMinimumWidth(360);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 1000);
    m_cancel = new QPushButton(Text(IDS_BUTTON_CANCEL), this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QPushButton::clicked, this, &CImportProgress::reject);
  }

  void Show(const CameraImportProgress& p) {
    m_label->setText(ToQString(CameraProgressText(p)));
    const std::uint64_t total = std::max<std::uint64_t>(p.bytesFound, 1);
    m_bar->setValue(static_cast<int>(std::min(p.bytesDone, total) * 1000 / total));
  }
  bool CancelRequested() const { return m_cancelled.load(); }
  void reject() override {
    m_cancelled = true;
    m_cancel->setEnabled(false);
  }
  void Finish() { QDialog::done(QDialog::Accepted); }

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    reject();
  }

 private:
  QLabel* m_label;
  QProgressBar* m_bar;
  QPushButton* m_cancel;
  std::atomic<bool> m_cancelled{false};
};

ReplaceChoice AskReplace(IUserQuestions& ui, const std::string& source, const std::string& target) {
  switch (ui.AskYesNoCancel(CameraReplaceQuestion(source, target))) {
    case Answer::Yes: return ReplaceChoice::Replace;
    case Answer::No: return ReplaceChoice::Skip;
    default: return ReplaceChoice::Cancel;
  }
}

// Runs `call` on the thread of `context` and waits for it.
template <typename Call>
void OnInterfaceThread(QObject* context, Call call) {
  QMetaObject::invokeMethod(context, std::move(call), Qt::BlockingQueuedConnection);
}

}  // namespace

CCameraImportDlg::CCameraImportDlg(CMeriskDoc& doc, IUserQuestions& ui, QWidget* parent)
    : QDialog(parent),
      m_form(std::make_unique<Ui::CameraImportDlgForm>()),
      m_doc(doc),
      m_ui(ui),
      m_choose(&BrowseFolder),
      m_ask([this](const TextRequest& r) { return AskWithInputDlg(this, r); }) {
  m_form->setupUi(this);
  m_form->sourceEdit->setText(ToQString(
      doc.Settings().GetString(ProgramSettings::kSection, ProgramSettings::kCameraFolder, "")));
  m_form->themeCombo->addItem(Text(IDS_NO_THEME), 0);
  std::vector<std::pair<QString, std::int32_t>> themes;
  for (POSITION pos = doc.Themes().GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id;
    std::string name;
    doc.Themes().GetNext(pos, id, name);
    themes.emplace_back(ToQString(name), id);
  }
  std::stable_sort(themes.begin(), themes.end(), [](const auto& a, const auto& b) {
    return ListCollator().compare(a.first, b.first) < 0;
  });
  for (const auto& [name, id] : themes) m_form->themeCombo->addItem(name, id);
  m_form->themeCombo->setCurrentIndex(0);
  connect(m_form->browseButton, &QPushButton::clicked, this, &CCameraImportDlg::OnBrowse);
  connect(m_form->newThemeButton, &QPushButton::clicked, this, &CCameraImportDlg::OnNewTheme);
}

CCameraImportDlg::~CCameraImportDlg() = default;

bool CCameraImportDlg::Move() const { return m_form->moveButton->isChecked(); }
QString CCameraImportDlg::SourceFolder() const { return m_form->sourceEdit->text(); }
std::int32_t CCameraImportDlg::ThemeId() const { return m_form->themeCombo->currentData().toInt(); }

void CCameraImportDlg::OnBrowse() {
  QString start = SourceFolder();
  if (start.size() > 1 && (start.endsWith(u'/') || start.endsWith(u'\\'))) start.chop(1);
  const QString chosen = m_choose(this, start);
  if (chosen.isEmpty()) return;
  m_form->sourceEdit->setText(chosen.endsWith(u'/') ? chosen : chosen + u'/');
}

void CCameraImportDlg::OnNewTheme() {
  const std::optional<std::string> name = m_ask(
      {std::string(LoadString(IDS_NEW_THEME_CAPTION)), std::string(LoadString(IDS_NEW_THEME_PROMPT)), {}});
  if (!name) return;
  const std::int32_t id = AddNewTheme(m_doc, *name);
  const QString text = ToQString(*name);
  // Below "<kein Thema>", in the order of the other lists.
  const int row = 1 + SortedInsertRow(m_form->themeCombo->count() - 1,
                                      [this](int r) { return m_form->themeCombo->itemText(r + 1); }, text);
  m_form->themeCombo->insertItem(row, text, id);
  m_form->themeCombo->setCurrentIndex(row);
}

void CCameraImportDlg::accept() {
  const std::string folder = SourceFolder().toStdString();
  std::error_code ec;
  if (folder.empty() || !std::filesystem::is_directory(folder, ec)) {
    m_ui.Warn(FormatMessage(LoadString(IDS_NOT_A_FOLDER), {folder}));
    m_form->sourceEdit->setFocus();
    return;
  }
  m_doc.Settings().SetString(ProgramSettings::kSection, ProgramSettings::kCameraFolder, folder);
  QDialog::accept();
}

std::optional<int> OnCameraImport(CMeriskDoc& doc, IUserQuestions& ui, QWidget* owner,
                                  const std::function<void(CCameraImportDlg&)>& drive) {
  const std::int32_t themes = doc.Themes().GetCount();
  CCameraImportDlg dlg(doc, ui, owner);
  if (drive) drive(dlg);
  const bool accepted = dlg.exec() == QDialog::Accepted;
  // A theme made with "neu ..." stays; the selection bar lists it.
  if (doc.Themes().GetCount() != themes) doc.UpdateAllViews(nullptr);
  IFileOperations* ops = doc.FileOperations();
  if (!accepted || !ops) return std::nullopt;

  std::vector<CameraFile> files;
  std::vector<std::string> links;
  {
    CWaitCursorGuard wait(&ui);
    files = ScanCameraSource(dlg.SourceFolder().toStdString(), &links);
  }
  if (!links.empty()) {
    std::string text;
    for (const std::string& link : links)
      text += FormatMessage(LoadString(IDS_CAMERA_LINK_SKIPPED), {PrintableName(link)}) + "\n";
    text.pop_back();
    ui.Inform(text);
  }
  CCameraImportAlbum album(doc, ui, std::move(files), dlg.ThemeId());
  album.ReportRefused();
  if (album.Files().empty()) {
    if (album.Counts().refused == 0)
      ui.Inform(FormatMessage(LoadString(IDS_CAMERA_NO_FILES), {dlg.SourceFolder().toStdString()}));
    return 0;
  }

  CImportProgress progress(owner);
  CameraTransferHooks hooks;
  hooks.askReplace = [&](const std::string& source, const std::string& target) {
    ReplaceChoice choice = ReplaceChoice::Cancel;
    OnInterfaceThread(&progress, [&] { choice = AskReplace(ui, source, target); });
    return choice;
  };
  hooks.arrived = [&](std::size_t i, const TransferResult& result) {
    OnInterfaceThread(&progress, [&] { album.Arrived(i, result); });
  };
  hooks.progress = [&progress](const CameraImportProgress& p) {
    QMetaObject::invokeMethod(&progress, [&progress, p] { progress.Show(p); }, Qt::QueuedConnection);
  };
  hooks.cancelRequested = [&progress] { return progress.CancelRequested(); };
  bool synced = true;
  hooks.syncFailed = [&](const std::string& text) {
    OnInterfaceThread(&progress, [&] {
      synced = false;
      ui.ReportError(text);
    });
  };

  const std::string folder = doc.AlbumFolder();
  const bool move = dlg.Move();
  bool stopped = false;
  std::unique_ptr<QThread> worker(
      QThread::create([&] { stopped = RunCameraTransfers(*ops, album.Files(), folder, hooks); }));
  QEventLoop loop;
  QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  progress.show();
  worker->start();
  loop.exec();
  worker->wait();
  progress.Finish();
  if (stopped) album.Stopped();
  if (album.Counts().added > 0) doc.UpdateAllViews(nullptr);
  // Moving: the card's files go only once the album listing their copies
  // is saved, so that no crash or failed save can lose a picture.
  if (move) {
    std::string error;
    const bool saved = synced && !doc.GetPathName().empty() &&
                       (!doc.IsModified() || doc.OnSaveDocument(doc.GetPathName(), &error));
    if (saved) {
      album.RemoveFromCard();
    } else {
      album.KeepOnCard();
      if (!error.empty()) ui.ReportError(error);
      ui.Warn(std::string(LoadString(IDS_CAMERA_NOT_SAVED_KEPT)));
    }
  }
  return album.Counts().added;
}

}  // namespace kolvaro
