#include "maintenance/albumsettings.h"

#include <string_view>

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

namespace {

std::string WithoutCr(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

}  // namespace

bool ApplyAlbumInfo(CMeriskDoc& doc, const std::string& info, const std::string& url, bool lock) {
  const bool locked = doc.InfoDialogEnabled() == 0;
  // The text box knows only '\n'; the album keeps the line breaks it was
  // written with (CR LF from editors on Windows).
  const std::string& stored = doc.AlbumInfo();
  const bool sameText = info == stored || info == WithoutCr(stored);
  if (sameText && url == doc.UpdateUrl() && lock == locked) return false;
  const bool crLf = stored.find("\r\n") != std::string::npos;
  doc.SetAlbumInfo(sameText ? stored : crLf ? WithCrLf(info) : info, url, lock ? 0 : 1);
  return true;
}

}  // namespace kolvaro
