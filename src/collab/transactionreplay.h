#pragma once
// Applying one transaction record after another to the open album.

#include <cstddef>
#include <memory>

#include "collab/transactionreader.h"
#include "core/meriskdoc.h"

namespace kolvaro {

/// Applies records through the document's record operations, or through
/// the tables with the same effect where the operation would walk the
/// whole album.
///
/// `remove-picture` re-runs the selection, a pass over the whole album. What
/// records after it can see of that selection is its first picture (the
/// current picture, which -1 stands for): CSelectionFront gives it at once.
/// The whole selection is only seen after the import, so the records after a
/// removal wait (the selection must see the tables as they were at the
/// removal) until a later removal makes it moot, the import ends, or too much
/// waits; then the selection runs once. The end state is the one a
/// re-selection after every removal gives.
///
/// The document's observers hear of the replay once, when the replayer is
/// gone, not once per record.
class TransactionReplayer {
 public:
  /// `selectAfterEveryRemoval`: re-run the selection at each removal instead.
  TransactionReplayer(CMeriskDoc& doc, bool selectAfterEveryRemoval);
  ~TransactionReplayer();
  TransactionReplayer(const TransactionReplayer&) = delete;
  TransactionReplayer& operator=(const TransactionReplayer&) = delete;

  /// Applies the record now or holds it behind a pending re-selection; may
  /// move from it.
  void Submit(TransactionRecordData& record);
  /// Runs a pending re-selection and applies the records held behind it.
  void Settle();
  /// Records submitted so far.
  std::size_t Applied() const;

 private:
  class Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace kolvaro
