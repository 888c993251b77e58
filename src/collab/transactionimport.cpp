#include "collab/transactionimport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <new>
#include <unordered_map>
#include <utility>
#include <vector>

#include "collab/transactionreader.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

// Records held back behind a removal whose re-selection is not needed yet.
constexpr std::size_t kMaxHeldRecords = 4096;
constexpr std::size_t kMaxHeldBytes = std::size_t{8} << 20;

/// Keeps the document's transaction log out of reach while replaying, so
/// that nothing replayed is written again; puts it back on every way out.
class CLogAside {
 public:
  explicit CLogAside(CMeriskDoc& doc) : m_doc(doc), m_saved(std::move(doc.m_pTransactionLog)) {}
  ~CLogAside() { m_doc.m_pTransactionLog = std::move(m_saved); }
  CLogAside(const CLogAside&) = delete;
  CLogAside& operator=(const CLogAside&) = delete;

 private:
  CMeriskDoc& m_doc;
  std::unique_ptr<ITransactionLog> m_saved;
};

/// Which persons (or themes) a picture may be linked to. Entries may be
/// stale; every use checks the table, so removals need no bookkeeping.
/// Picture ids are small and dense in practice, so the chain heads sit in a
/// vector indexed by id; others go to a hash map.
class CPictureLinks {
 public:
  void Reserve(std::size_t n) { m_nodes.reserve(n); }
  void Add(std::int32_t picture, std::int32_t id) {
    std::uint32_t& head = Head(picture);
    m_nodes.push_back({id, head});
    head = static_cast<std::uint32_t>(m_nodes.size() - 1);
  }
  template <typename F>
  void ForEach(std::int32_t picture, F&& f) const {
    for (std::uint32_t n = Find(picture); n != kNone; n = m_nodes[n].next) f(m_nodes[n].id);
  }
  void Drop(std::int32_t picture) {
    if (IsDense(picture)) {
      if (static_cast<std::size_t>(picture) < m_dense.size()) m_dense[static_cast<std::size_t>(picture)] = kNone;
    } else {
      m_sparse.erase(picture);
    }
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  static constexpr std::int32_t kDenseLimit = 1 << 22;
  struct Node {
    std::int32_t id;
    std::uint32_t next;
  };
  static bool IsDense(std::int32_t picture) { return picture >= 0 && picture < kDenseLimit; }
  std::uint32_t& Head(std::int32_t picture) {
    if (!IsDense(picture)) return m_sparse.try_emplace(picture, kNone).first->second;
    const auto i = static_cast<std::size_t>(picture);
    if (i >= m_dense.size()) m_dense.resize(std::max(i + 1, m_dense.size() * 2), kNone);
    return m_dense[i];
  }
  std::uint32_t Find(std::int32_t picture) const {
    if (IsDense(picture))
      return static_cast<std::size_t>(picture) < m_dense.size()
                 ? m_dense[static_cast<std::size_t>(picture)]
                 : kNone;
    const auto it = m_sparse.find(picture);
    return it == m_sparse.end() ? kNone : it->second;
  }

  std::vector<std::uint32_t> m_dense;
  std::unordered_map<std::int32_t, std::uint32_t> m_sparse;
  std::vector<Node> m_nodes;
};

/// Applies records through the document's record operations.
///
/// `remove-picture` re-runs the selection, which costs a pass over the whole
/// album. Its result only matters where something reads it: a record whose
/// picture id -1 stands for the current picture, or the end of the import.
/// So the re-selection waits, and the records after the removal wait with it
/// (the selection must see the tables as they were at the removal) until a
/// later removal makes it moot or its result is needed. The end state is the
/// one a re-selection after every removal gives.
class CReplayer {
 public:
  CReplayer(CMeriskDoc& doc, const TransactionImportOptions& options)
      : m_doc(doc), m_eager(options.selectAfterEveryRemoval) {}

  void Submit(TransactionRecordData& r) {
    ++m_applied;
    if (m_eager) {
      if (r.kind == TransactionRecord::RemovePicture)
        m_doc.DeletePicture(r.a, false);
      else
        Apply(r);
      return;
    }
    if (r.kind == TransactionRecord::RemovePicture) {
      if (r.a < 0) {
        // Rare ids go the document's own way.
        Settle();
        m_doc.DeletePicture(r.a, false);
        return;
      }
      ApplyHeld();  // a new removal's selection replaces the pending one
      RemovePicture(r.a);
      m_pendingSelection = true;
      return;
    }
    if (!m_pendingSelection) {
      Apply(r);
      return;
    }
    if (ReadsCurrentPicture(r)) {
      Settle();
      Apply(r);
      return;
    }
    m_heldBytes += r.text.size() + r.title.size() + sizeof r;
    m_held.push_back(std::move(r));
    if (m_held.size() >= kMaxHeldRecords || m_heldBytes >= kMaxHeldBytes) Settle();
  }

  /// Runs a pending re-selection and applies the records held behind it.
  void Settle() {
    if (m_pendingSelection) {
      m_doc.SelectPictures(m_doc.m_nFilterTheme, m_doc.m_nFilterPerson, m_doc.m_nSelectionKind);
      m_pendingSelection = false;
    }
    ApplyHeld();
  }

  std::size_t Applied() const { return m_applied; }

 private:
  static bool ReadsCurrentPicture(const TransactionRecordData& r) {
    switch (r.kind) {
      case TransactionRecord::AddUpdatePicture:
        return r.a == -1;
      case TransactionRecord::AddUpdatePersonOnPicture:
      case TransactionRecord::AddUpdateThemeOfPicture:
      case TransactionRecord::RemovePersonOnPicture:
      case TransactionRecord::RemoveThemeOfPicture:
        return r.b == -1;
      default:
        return false;
    }
  }

  void ApplyHeld() {
    for (TransactionRecordData& r : m_held) Apply(r);
    m_held.clear();
    m_heldBytes = 0;
  }

  void Apply(const TransactionRecordData& r) {
    CMeriskDoc& d = m_doc;
    switch (r.kind) {
      case TransactionRecord::AddUpdatePicture:
        d.AddOrUpdatePicture(r.a, r.text, r.timestamp, r.size, r.title);
        break;
      case TransactionRecord::AddUpdatePerson:
        d.AddOrUpdatePerson(r.a, r.text);
        break;
      case TransactionRecord::AddUpdatePersonOnPicture: {
        const std::int32_t picture = r.b == -1 ? d.m_nCurrentPicture : r.b;
        if (m_indexed && picture >= 0 && !d.m_personsOnPictures.Lookup(r.a, picture))
          m_persons.Add(picture, r.a);
        d.AddOrUpdatePersonOnPicture(r.a, r.rect, r.b);
        break;
      }
      case TransactionRecord::AddUpdateTheme:
        d.AddOrUpdateTheme(r.a, r.text);
        break;
      case TransactionRecord::AddUpdateThemeOfPicture: {
        const std::int32_t picture = r.b == -1 ? d.m_nCurrentPicture : r.b;
        if (m_indexed && picture >= 0 && !d.m_themesOfPictures.Lookup(r.a, picture))
          m_themes.Add(picture, r.a);
        d.AddThemeToPicture(r.a, r.b);
        break;
      }
      case TransactionRecord::RemovePerson:
        d.RemovePerson(r.a);
        break;
      case TransactionRecord::RemovePicture:
        d.DeletePicture(r.a, false);
        break;
      case TransactionRecord::RemovePersonOnPicture:
        d.RemovePersonFromPicture(r.a, r.b);
        break;
      case TransactionRecord::RemoveTheme:
        d.RemoveTheme(r.a);
        break;
      case TransactionRecord::RemoveThemeOfPicture:
        d.RemoveThemeFromPicture(r.a, r.b);
        break;
    }
  }

  void BuildIndex() {
    CMeriskDoc& d = m_doc;
    m_persons.Reserve(static_cast<std::size_t>(d.m_personsOnPictures.GetCount()) * 5 / 4);
    m_themes.Reserve(static_cast<std::size_t>(d.m_themesOfPictures.GetCount()) * 5 / 4);
    std::int32_t high, picture;
    // Negative picture ids never reach the quick removal, so they are left out
    // (their keys do not split back into the ids they were made of).
    for (POSITION p = d.m_personsOnPictures.GetStartPosition(); p != kNullPosition;) {
      d.m_personsOnPictures.GetNext(p, high, picture);
      if (picture >= 0) m_persons.Add(picture, high);
    }
    for (POSITION p = d.m_themesOfPictures.GetStartPosition(); p != kNullPosition;) {
      d.m_themesOfPictures.GetNext(p, high, picture);
      if (picture >= 0) m_themes.Add(picture, high);
    }
    m_indexed = true;
  }

  /// DeletePicture(id, false) without its re-selection and view update: the
  /// same records removed, the same change dates set, no file touched.
  void RemovePicture(std::int32_t id) {
    CMeriskDoc& d = m_doc;
    if (!m_indexed) BuildIndex();
    m_persons.ForEach(id, [&](std::int32_t person) {
      if (d.m_personsOnPictures.Lookup(person, id)) d.m_personsOnPictures.Remove(person, id);
    });
    d.m_personsOnPictures.changed = COleDateTime::Now();
    const bool hadThemeLinks = d.m_themesOfPictures.GetCount() > 0;
    m_themes.ForEach(id, [&](std::int32_t theme) {
      if (d.m_themesOfPictures.Lookup(theme, id)) d.m_themesOfPictures.Remove(theme, id);
    });
    if (hadThemeLinks) d.m_themesOfPictures.changed = COleDateTime::Now();
    m_persons.Drop(id);
    m_themes.Drop(id);
    d.m_pictures.Remove(id);
    d.SetModifiedFlag();
  }

  CMeriskDoc& m_doc;
  bool m_eager;
  bool m_pendingSelection = false;
  std::vector<TransactionRecordData> m_held;
  std::size_t m_heldBytes = 0;
  bool m_indexed = false;
  CPictureLinks m_persons;
  CPictureLinks m_themes;
  std::size_t m_applied = 0;
};

void Message(IUserQuestions* ui, StringId id) {
  if (ui) ui->MessageBox(std::string(LoadString(id)), "", MB_OK | MB_ICONWARNING);
}

/// Steps 5 to 8 on an opened source; the log is already set aside.
TransactionImportOutcome Replay(CMeriskDoc& doc, ITransactionByteSource& source,
                                IUserQuestions* ui, const TransactionImportOptions& options) {
  CTransactionParser parser(source);
  if (!parser.ReadHeader()) {
    Message(ui, IDS_TRANSACTION_DAMAGED);
    return {TransactionImportResult::Damaged, 0};
  }
  CReplayer replayer(doc, options);
  TransactionRecordData record;
  CTransactionParser::Status status;
  try {
    while ((status = parser.Next(record)) == CTransactionParser::Status::Record)
      replayer.Submit(record);
    replayer.Settle();
  } catch (const std::bad_alloc&) {
    // Records held back may be lost with the memory: the album cannot be trusted.
    status = CTransactionParser::Status::ReadError;
  }
  const std::size_t applied = replayer.Applied();
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
      "", std::string(LoadString(IDS_TRANSACTION_FILTER)), doc.m_strAlbumFolder, false);
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
