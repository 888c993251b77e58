#pragma once
// The album's own settings as the "Dateiablage" and "Kolvaro Infos" dialogs
// change them (commands ID_FILE_STORAGE and ID_ALBUM_INFO).

#include <cstdint>
#include <string>

namespace kolvaro {

class CMeriskDoc;

/// The folder the folder chooser starts in: the typed folder without one
/// trailing separator.
std::string ChooserStartFolder(std::string folder);
/// A chosen folder as the dialog shows it: with a trailing '/'.
std::string WithTrailingSlash(std::string folder);

/// After OK in "Dateiablage": the folder and the mode (0 = pictures beside
/// the album file, 1 = the chosen folder). An album never saved and without
/// a root folder is based in the chosen folder. Stored names keep their base
/// until the next save converts them.
void ApplyStorageOptions(CMeriskDoc& doc, std::int32_t mode, const std::string& folder);

/// After OK in "Kolvaro Infos"; true when anything differed and the album
/// was changed.
bool ApplyAlbumInfo(CMeriskDoc& doc, const std::string& info, const std::string& url, bool lock);

}  // namespace kolvaro
