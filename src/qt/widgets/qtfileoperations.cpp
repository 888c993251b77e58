#include "qt/widgets/qtfileoperations.h"

#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/filetransfer.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "qt/qtstring.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

constexpr int kCancelled = kCopyCancelled;

QString Text(StringId id) { return ToQString(LoadString(id)); }

QString Cause(int error) {
  const std::string_view text = FileFailureText(FileFailureOf(error));
  return text.empty() ? QString::fromLocal8Bit(std::strerror(error)) : ToQString(text);
}

enum class Replace { Yes, No, Cancel };

QString Described(const struct stat& st) {
  const QLocale locale;
  const QDateTime changed = QDateTime::fromSecsSinceEpoch(st.st_mtim.tv_sec);
  return Text(IDS_FILE_DESCRIBED)
      .arg(locale.formattedDataSize(static_cast<qint64>(st.st_size), 1, QLocale::DataSizeTraditionalFormat),
           locale.toString(changed, QStringLiteral("dd.MM.yyyy HH:mm:ss")));
}

// One run of CopyFiles or MoveFiles.
class CTransfer {
 public:
  CTransfer(CQtUserQuestions& ui, bool move) : m_ui(ui), m_move(move) {}

  bool Run(const std::vector<std::string>& sources, std::string folder, const std::string& title) {
    if (sources.empty()) return true;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0)
      return Fail(sources.front(), folder,
                  errno == ENOENT ? Text(IDS_TARGET_FOLDER_NOT_FOUND) : Cause(errno));
    if (!S_ISDIR(dir.st_mode))
      return Fail(sources.front(), folder, Text(IDS_TARGET_NOT_A_FOLDER));

    for (const std::string& source : sources) {
      struct stat st {};
      if (::stat(source.c_str(), &st) == 0) m_total += static_cast<std::uint64_t>(st.st_size);
    }
    QProgressDialog progress(m_ui.Parent());
    progress.setWindowTitle(ToQString(title));
    progress.setCancelButtonText(Text(IDS_BUTTON_CANCEL));
    progress.setWindowModality(Qt::WindowModal);
    progress.setRange(0, 1000);
    progress.setMinimumDuration(1000);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    m_progress = &progress;

    bool all = true;
    for (const std::string& source : sources) {
      const std::size_t slash = source.rfind('/');
      const std::string name = slash == std::string::npos ? source : source.substr(slash + 1);
      const std::string target = (folder == "/" ? std::string() : folder) + "/" + name;
      progress.setLabelText(Text(IDS_TRANSFER_PROGRESS).arg(ToQString(name), ToQString(folder)));

      struct stat src {};
      if (name.empty() || ::stat(source.c_str(), &src) != 0)
        return Fail(source, folder, Cause(name.empty() ? EISDIR : errno));
      if (!S_ISREG(src.st_mode)) return Fail(source, folder, Text(IDS_SOURCE_NOT_A_FILE));

      struct stat link {}, existing{};
      if (::lstat(target.c_str(), &link) == 0) {
        const bool resolved = ::stat(target.c_str(), &existing) == 0;
        if (resolved && existing.st_dev == src.st_dev && existing.st_ino == src.st_ino)
          return Fail(source, folder, Text(IDS_SAME_FILE));
        if (resolved && S_ISDIR(existing.st_mode))
          return Fail(source, folder, Text(IDS_FOLDER_OF_THAT_NAME));
        switch (AskReplace(name, folder, src, resolved ? existing : link)) {
          case Replace::Yes: break;
          case Replace::No:
            all = false;
            m_done += static_cast<std::uint64_t>(src.st_size);
            continue;
          case Replace::Cancel: return false;
        }
      }

      if (m_move) {
        if (::rename(source.c_str(), target.c_str()) == 0) {
          if (!Advance(static_cast<std::uint64_t>(src.st_size))) return false;
          continue;
        }
        if (errno != EXDEV) return Fail(source, folder, Cause(errno));
      }
      const int result = CopyFileThroughTemporary(source, target, folder,
                                                  [this](std::uint64_t bytes) { return Show(m_done + bytes); });
      if (result == kCancelled) return false;
      if (result != 0) return Fail(source, folder, Cause(result));
      if (m_move && ::unlink(source.c_str()) != 0) {
        const int error = errno;
        progress.hide();
        m_ui.ReportError(Text(IDS_MOVED_COPY_KEPT)
                             .arg(ToQString(source), ToQString(folder), Cause(error))
                             .toStdString());
        return false;
      }
      if (!Advance(static_cast<std::uint64_t>(src.st_size))) return false;
    }
    return all;
  }

 private:
  bool Advance(std::uint64_t bytes) {
    m_done += bytes;
    return Show(m_done);
  }

  // False once the user pressed "Abbrechen".
  bool Show(std::uint64_t done) {
    const std::uint64_t total = m_total == 0 ? 1 : m_total;
    m_progress->setValue(static_cast<int>(std::min<std::uint64_t>(done, total) * 1000 / total));
    return !m_progress->wasCanceled();
  }

  Replace AskReplace(const std::string& name, const std::string& folder, const struct stat& incoming,
                     const struct stat& existing) {
    // Not yet shown, the progress dialog would pop up over the question.
    if (!m_progress->isVisible()) m_progress->reset();
    const QString text =
        Text(IDS_REPLACE_FILE)
            .arg(ToQString(folder), ToQString(name), Described(existing), Described(incoming));
    switch (m_ui.AskYesNoCancel(text.toStdString())) {
      case Answer::Yes: return Replace::Yes;
      case Answer::No: return Replace::No;
      default: return Replace::Cancel;
    }
  }

  bool Fail(const std::string& source, const std::string& folder, const QString& cause) {
    if (m_progress) m_progress->hide();
    const QString text = Text(m_move ? IDS_MOVE_FAILED : IDS_COPY_FAILED);
    m_ui.ReportError(text.arg(ToQString(source), ToQString(folder), cause.trimmed()).toStdString());
    return false;
  }

  CQtUserQuestions& m_ui;
  bool m_move;
  QProgressDialog* m_progress = nullptr;
  std::uint64_t m_total = 0;
  std::uint64_t m_done = 0;
};

}  // namespace

CQtFileOperations::CQtFileOperations(QWidget* parent) : m_ui(parent) {}

bool CQtFileOperations::MoveToTrash(const std::string& path) {
  // Only a regular file at an absolute path: never a folder, a link, a
  // device or a pipe, and never a name relative to the working folder.
  const PictureFileKind kind = ExaminePictureFile(path);
  if (kind != PictureFileKind::kRegular) {
    const std::string why = kind == PictureFileKind::kMissing
                                ? std::string(LoadString(IDS_TRASH_FILE_MISSING))
                                : PictureFileRefusal(kind);
    m_ui.ReportError(FormatMessage(LoadString(IDS_TRASH_REFUSED), {PrintableName(path), why}));
    return false;
  }
  // Without the data folder (a fresh account) Qt 6.4 does not fail but puts
  // the trash's "files" and "info" into the working folder.
  const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (!dataHome.isEmpty()) QDir().mkpath(dataHome);
  if (QFile::moveToTrash(ToQString(path))) return true;
  m_ui.ReportError(Text(IDS_TRASH_FAILED).arg(ToQString(path)).toStdString());
  return false;
}

bool CQtFileOperations::OpenWithDefaultProgram(const std::string& path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(ToQString(path)));
}

bool CQtFileOperations::CopyFiles(const std::vector<std::string>& sources,
                                  const std::string& targetFolder, const std::string& title) {
  return Transfer(sources, targetFolder, title, false);
}

bool CQtFileOperations::MoveFiles(const std::vector<std::string>& sources,
                                  const std::string& targetFolder, const std::string& title) {
  return Transfer(sources, targetFolder, title, true);
}

TransferResult CQtFileOperations::TransferFile(const std::string& source,
                                               const std::string& targetFolder, bool move,
                                               const TransferHooks& hooks) {
  return TransferFileSafely(source, targetFolder, move, hooks);
}

bool CQtFileOperations::Transfer(const std::vector<std::string>& sources,
                                 const std::string& targetFolder, const std::string& title,
                                 bool move) {
  return CTransfer(m_ui, move).Run(sources, targetFolder, title);
}

}  // namespace kolvaro
