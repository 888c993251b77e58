#include "maintenance/albumsettings.h"

#include "core/meriskdoc.h"

namespace kolvaro {

std::string ChooserStartFolder(std::string folder) {
  if (!folder.empty() && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  return folder;
}

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

void ApplyStorageOptions(CMeriskDoc& doc, std::int32_t mode, const std::string& folder) {
  const bool neverBased = doc.AlbumFolder().empty();
  // The storage change first: it keeps the base the names were stored for.
  doc.SetStorage(mode, folder);
  if (neverBased) doc.SetAlbumFolder(folder);
}

bool ApplyAlbumInfo(CMeriskDoc& doc, const std::string& info, const std::string& url, bool lock) {
  const bool locked = doc.InfoDialogEnabled() == 0;
  if (info == doc.AlbumInfo() && url == doc.UpdateUrl() && lock == locked) return false;
  doc.SetAlbumInfo(info, url, lock ? 0 : 1);
  return true;
}

}  // namespace kolvaro
