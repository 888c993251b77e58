#pragma once
// The album's commands that put picture files into the catalogue: picture
// files chosen in the open-file dialog (ID_ADD_PICTURES) and all picture and
// video files of a folder (ID_ADD_FOLDER). Files are never touched; the add commands write no
// transaction records.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "core/ports/userquestions.h"

namespace kolvaro {

// Their command ids are in res/commands.h.

/// ID_ADD_PICTURES: asks for picture files and adds them. Returns the number
/// added, or nothing when the dialog was cancelled.
std::optional<int> OnAddPictures(CMeriskDoc& doc, IUserQuestions& ui);

/// ID_ADD_PICTURES after the dialog: adds `files` in their order, reports
/// each one already in the album (IDS_FILE_ALREADY_IN_ALBUM) and then the
/// count (IDS_FILES_ADDED). A file without EXIF date gets its creation time. Both commands refuse, with a
/// warning naming the file, a name the album cannot keep exactly (not
/// UTF-8, a '\', a folder that reads as a Windows drive).
int AddPictureFiles(CMeriskDoc& doc, IUserQuestions& ui, const std::vector<std::string>& files);

/// ID_ADD_FOLDER: asks for a folder and adds its picture and video files. Returns the
/// number added, or nothing when the chooser was cancelled.
std::optional<int> OnAddFolder(CMeriskDoc& doc, IUserQuestions& ui);

/// ID_ADD_FOLDER after the chooser: adds the folder's picture and video files, silently
/// skipping those already in the album. A file without EXIF date gets 0.0.
int AddFolderPictures(CMeriskDoc& doc, IUserQuestions& ui, const std::string& folder);

/// The files of `folder` (not of its subfolders) whose names end in one of
/// the endings of MediaFamilies() in any case, as full paths in the byte
/// order of their names. An unreadable folder has none.
std::vector<std::string> ListFolderPictures(const std::string& folder);

/// The open-file dialog's filter: all picture and video files first, then
/// one entry per family, then all files.
std::string PictureFileFilter();

}  // namespace kolvaro
