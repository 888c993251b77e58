#include "cli/album_io.h"

#include <cerrno>
#include <ostream>

#include "core/helpfolder.h"

namespace kolvaro::cli {

CAlbumFile::CAlbumFile(Context& ctx) : m_ctx(ctx), m_doc(ctx.settings, PathStyle::Posix) {
  // The same help set, and so the same update URL, as the desktop program.
  m_doc.SetHelpFolder(FindHelpFolder(ctx.programDir));
  m_doc.SetFileLock(&m_lock);
}

bool CAlbumFile::New() {
  if (m_doc.OnNewDocument()) return true;
  Fail(m_ctx, Text(IDS_CLI_NEW_FAILED));
  return false;
}

bool CAlbumFile::Open(const std::string& path) {
  // Failures to open are the document's to word; only waiting is the lock's.
  if (m_lock.Acquire(path, LockWaitLimit()) == ETIMEDOUT) {
    Fail(m_ctx, Text(IDS_CLI_ALBUM_LOCKED, {path}));
    return false;
  }
  std::string error;
  const bool opened = m_doc.OnOpenDocument(path, &error);
  if (!m_doc.OpenNotice().empty()) m_ctx.err << "kolvaro-cli: " << m_doc.OpenNotice() << '\n';
  if (opened) return true;
  Fail(m_ctx, error.empty() ? Text(IDS_FAILED_TO_OPEN_DOC) : error);
  return false;
}

bool CAlbumFile::Save(const std::string& path) {
  const std::string target = path.empty() ? m_doc.GetPathName() : path;
  if (target.empty()) {
    Fail(m_ctx, Text(IDS_CLI_NO_SAVE_NAME));
    return false;
  }
  std::string error;
  if (m_doc.OnSaveDocument(target, &error)) return true;
  Fail(m_ctx, error.empty() ? Text(IDS_FAILED_TO_SAVE_DOC) : error);
  return false;
}

}  // namespace kolvaro::cli
