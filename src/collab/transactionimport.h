#pragma once
// Replaying another editor's transaction file into the open album
// (ID_IMPORT_TRANSACTIONS), record by record through the document's record
// operations.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/meriskdoc.h"
#include "core/ports/userquestions.h"

namespace kolvaro {

enum class TransactionImportResult {
  Done,            ///< every record up to the end was applied
  Damaged,         ///< IDS_TRANSACTION_DAMAGED: the file is no transaction file, could
                   ///< not be opened, or a line where a record should start is none
  DamagedDiscard,  ///< IDS_TRANSACTION_DISCARD: a record is broken; the user should discard
                   ///< the changes
  Cancelled,       ///< the open-file dialog was cancelled
};

struct TransactionImportOutcome {
  TransactionImportResult result = TransactionImportResult::Done;
  std::size_t applied = 0;  ///< records applied before the end or the stop
};

struct TransactionImportOptions {
  /// Re-run the selection after every `remove-picture` as it happens instead
  /// of only where its result is seen. The end state is the same; tests
  /// compare both ways.
  bool selectAfterEveryRemoval = false;
};

/// ID_IMPORT_TRANSACTIONS: asks for the file, then replays it. Messages go to `ui`.
TransactionImportResult OnImportTransactionFile(CMeriskDoc& doc, IUserQuestions& ui);

/// Replays the file at `path` without asking for it. The file is locked
/// against writers while it is read; one another program still holds is
/// reported as damaged and nothing is applied. Messages go to `ui` when given.
TransactionImportOutcome ImportTransactionFile(CMeriskDoc& doc, const std::string& path,
                                               IUserQuestions* ui,
                                               const TransactionImportOptions& options = {});

/// Replays a file's bytes held in memory.
TransactionImportOutcome ImportTransactionBytes(CMeriskDoc& doc, std::string_view bytes,
                                                IUserQuestions* ui,
                                                const TransactionImportOptions& options = {});

/// Keeps the document's transaction log out of reach while replaying, so
/// that nothing replayed is written again; puts it back on every way out.
class CLogAside {
 public:
  explicit CLogAside(CMeriskDoc& doc) : m_doc(doc), m_saved(doc.TakeTransactionLog()) {}
  ~CLogAside() { m_doc.SetTransactionLog(std::move(m_saved)); }
  CLogAside(const CLogAside&) = delete;
  CLogAside& operator=(const CLogAside&) = delete;

 private:
  CMeriskDoc& m_doc;
  std::unique_ptr<ITransactionLog> m_saved;
};

}  // namespace kolvaro
