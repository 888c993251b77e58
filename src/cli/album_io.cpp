#include "cli/album_io.h"

#include <cerrno>

namespace kolvaro::cli {

CAlbumFile::CAlbumFile(Context& ctx) : m_ctx(ctx), m_doc(ctx.settings, PathStyle::Posix) {
  // The same help set, and so the same update URL, as the desktop program.
  m_doc.SetHelpFolder(HelpFolderOf(ctx.programDir));
  m_doc.SetFileLock(&m_lock);
}

bool CAlbumFile::New() {
  if (m_doc.OnNewDocument()) return true;
  Fail(m_ctx, "Fehler beim Anlegen des Dokuments.");
  return false;
}

bool CAlbumFile::Open(const std::string& path) {
  // Failures to open are the document's to word; only waiting is the lock's.
  if (m_lock.Acquire(path, LockWaitLimit()) == ETIMEDOUT) {
    Fail(m_ctx, path + " wird gerade von einem anderen Befehl bearbeitet; das Warten darauf "
                       "wurde abgebrochen. Bitte später noch einmal versuchen.");
    return false;
  }
  std::string error;
  if (m_doc.OnOpenDocument(path, &error)) return true;
  Fail(m_ctx, error.empty() ? "Fehler beim Öffnen des Dokuments." : error);
  return false;
}

bool CAlbumFile::Save(const std::string& path) {
  const std::string target = path.empty() ? m_doc.GetPathName() : path;
  if (target.empty()) {
    Fail(m_ctx, "Kein Dateiname zum Speichern angegeben.");
    return false;
  }
  std::string error;
  if (m_doc.OnSaveDocument(target, &error)) return true;
  Fail(m_ctx, error.empty() ? "Fehler beim Speichern des Dokuments." : error);
  return false;
}

}  // namespace kolvaro::cli
