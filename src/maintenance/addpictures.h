#pragma once
// The album's commands that put picture files into the catalogue: picture
// files chosen in the open-file dialog (32784) and all JPEG files of a
// folder (32808). Files are never touched; the add commands write no
// transaction records.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "platform/userquestions.h"

namespace kolvaro {

inline constexpr int ID_PICTURE_ADD = 32784;
inline constexpr int ID_PICTURE_ADD_FOLDER = 32808;

/// Title of the folder chooser of command 32808.
inline constexpr const char* kChooseFolderTitle = "Bitte Verzeichnis auswählen";

/// Command 32784: asks for picture files and adds them. Returns the number
/// added, or nothing when the dialog was cancelled.
std::optional<int> OnAddPictures(CMeriskDoc& doc, IUserQuestions& ui);

/// Command 32784 after the dialog: adds `files` in their order, reports
/// each one already in the album (1049) and then the count (1050). A file
/// without EXIF date gets its creation time. Both commands refuse, with a
/// warning naming the file, a name the album cannot keep exactly (not
/// UTF-8, a '\', a folder that reads as a Windows drive).
int AddPictureFiles(CMeriskDoc& doc, IUserQuestions& ui, const std::vector<std::string>& files);

/// Command 32808: asks for a folder and adds its JPEG files. Returns the
/// number added, or nothing when the chooser was cancelled.
std::optional<int> OnAddFolder(CMeriskDoc& doc, IUserQuestions& ui);

/// Command 32808 after the chooser: adds the folder's JPEG files, silently
/// skipping those already in the album. A file without EXIF date gets 0.0.
int AddFolderPictures(CMeriskDoc& doc, IUserQuestions& ui, const std::string& folder);

/// The files of `folder` (not of its subfolders) whose names end in ".jpg"
/// in any case, as full paths in the byte order of their names. An
/// unreadable folder has none.
std::vector<std::string> ListFolderJpegs(const std::string& folder);

}  // namespace kolvaro
