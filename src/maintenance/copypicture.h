#pragma once
// Copying the shown picture's file into a folder of the user's choice
// (ID_COPY_FILE), for instance onto a memory stick. The album stays as it is.

#include "core/meriskdoc.h"
#include "core/ports/userquestions.h"

namespace kolvaro {

/// Asks for the target folder (starting in `Pictures`/`CopyToFolder`) and
/// copies the current picture's file there through the document's file
/// operations, which ask before replacing a file. Only a regular file found
/// where the album says is copied; anything else gives message 1055 with
/// the reason. The folder is remembered only after a successful copy.
/// Whether the file was copied.
bool OnCopyPicture(CMeriskDoc& doc, IUserQuestions& ui);

}  // namespace kolvaro
