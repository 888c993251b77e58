#include "collab/transactionimport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "collab/transactionreader.h"
#include "collab/transactionreplay.h"
#include "core/paths.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

void Message(IUserQuestions* ui, StringId id) {
  if (ui) ui->Warn(std::string(LoadString(id)));
}

/// Reads the header and applies the records; the log is already set aside.
TransactionImportOutcome Replay(CMeriskDoc& doc, ITransactionByteSource& source,
                                IUserQuestions* ui, const TransactionImportOptions& options) {
  CTransactionParser parser(source);
  if (!parser.ReadHeader()) {
    Message(ui, IDS_TRANSACTION_DAMAGED);
    return {TransactionImportResult::Damaged, 0};
  }
  CTransactionParser::Status status;
  std::size_t applied = 0;
  {
    // Gone before any message, so that the views are told before a dialog shows.
    TransactionReplayer replayer(doc, options.selectAfterEveryRemoval);
    TransactionRecordData record;
    try {
      while ((status = parser.Next(record)) == CTransactionParser::Status::Record)
        replayer.Submit(record);
      replayer.Settle();
    } catch (const std::bad_alloc&) {
      // Records held back may be lost with the memory: the album cannot be trusted.
      status = CTransactionParser::Status::ReadError;
    }
    applied = replayer.Applied();
  }
  switch (status) {
    case CTransactionParser::Status::Record:
    case CTransactionParser::Status::End:
      return {TransactionImportResult::Done, applied};
    case CTransactionParser::Status::NotARecord:
      Message(ui, IDS_TRANSACTION_DAMAGED);
      return {TransactionImportResult::Damaged, applied};
    case CTransactionParser::Status::Damaged:
      Message(ui, IDS_TRANSACTION_DISCARD);
      return {TransactionImportResult::DamagedDiscard, applied};
    case CTransactionParser::Status::ReadError:
      break;
  }
  // Cut off in the middle: whatever was applied should be discarded.
  Message(ui, applied > 0 ? IDS_TRANSACTION_DISCARD : IDS_TRANSACTION_DAMAGED);
  return {applied > 0 ? TransactionImportResult::DamagedDiscard : TransactionImportResult::Damaged,
          applied};
}

class CFileHandle {
 public:
  explicit CFileHandle(int fd) : m_fd(fd) {}
  ~CFileHandle() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CFileHandle(const CFileHandle&) = delete;
  CFileHandle& operator=(const CFileHandle&) = delete;
  int Get() const { return m_fd; }
  void Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd;
};

/// Opens a regular file for reading and takes a shared lock, which fails
/// while a writer holds its exclusive one.
int OpenLocked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TransactionImportOutcome ImportOpenedFile(CMeriskDoc& doc, const std::string& path,
                                          IUserQuestions* ui,
                                          const TransactionImportOptions& options) {
  // A pipe could block the import for good and opening a device can act on
  // it: look before opening anything that is no regular file.
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    if (ui)
      ui->Warn(FormatMessage(LoadString(IDS_TRANSACTION_NOT_REGULAR), {PrintableName(path)}));
    return {TransactionImportResult::Damaged, 0};
  }
  TransactionImportOutcome outcome;
  {
    CWaitCursorGuard wait(ui);
    CFileHandle file(OpenLocked(path));
    if (file.Get() < 0) {
      Message(ui, IDS_TRANSACTION_DAMAGED);
      return {TransactionImportResult::Damaged, 0};
    }
    CFileByteSource source(file.Get());
    outcome = Replay(doc, source, ui, options);
    file.Close();
  }
  if (outcome.result == TransactionImportResult::Done) doc.UpdateAllViews(nullptr);
  return outcome;
}

}  // namespace

TransactionImportResult OnImportTransactionFile(CMeriskDoc& doc, IUserQuestions& ui) {
  const std::vector<std::string> chosen = ui.GetOpenFileNames(
      "", std::string(LoadString(IDS_TRANSACTION_FILTER)), doc.AlbumFolder(), false);
  CLogAside aside(doc);
  if (chosen.empty()) {
    doc.UpdateAllViews(nullptr);
    return TransactionImportResult::Cancelled;
  }
  return ImportOpenedFile(doc, chosen.front(), &ui, {}).result;
}

TransactionImportOutcome ImportTransactionFile(CMeriskDoc& doc, const std::string& path,
                                               IUserQuestions* ui,
                                               const TransactionImportOptions& options) {
  CLogAside aside(doc);
  return ImportOpenedFile(doc, path, ui, options);
}

TransactionImportOutcome ImportTransactionBytes(CMeriskDoc& doc, std::string_view bytes,
                                                IUserQuestions* ui,
                                                const TransactionImportOptions& options) {
  CLogAside aside(doc);
  CMemoryByteSource source(bytes);
  TransactionImportOutcome outcome;
  {
    CWaitCursorGuard wait(ui);
    outcome = Replay(doc, source, ui, options);
  }
  if (outcome.result == TransactionImportResult::Done) doc.UpdateAllViews(nullptr);
  return outcome;
}

}  // namespace kolvaro
