#include "cli/album_io.h"

namespace kolvaro::cli {

std::string HelpFilePath(const Context& ctx) { return ctx.programDir + "Kolvaro.chm"; }

CAlbumFile::CAlbumFile(Context& ctx) : m_ctx(ctx), m_doc(ctx.settings, PathStyle::Posix) {
  m_doc.SetHelpFilePath(HelpFilePath(ctx));
}

bool CAlbumFile::New() {
  if (m_doc.OnNewDocument()) return true;
  Fail(m_ctx, "Fehler beim Anlegen des Dokuments.");
  return false;
}

bool CAlbumFile::Open(const std::string& path) {
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
