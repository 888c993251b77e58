#pragma once
// Reading persons from a text file, one name per line (ID_IMPORT_PERSONS).

#include <cstddef>
#include <string>

#include "core/meriskdoc.h"
#include "platform/userquestions.h"

namespace kolvaro {

// Its command id, ID_IMPORT_PERSONS, is in res/commands.h.

struct PersonImportResult {
  bool opened = false;     ///< false when the file could not be read at all
  std::size_t count = 0;   ///< persons added
};

/// Adds every line of the file as a new person under the next free id,
/// logging each while the transaction log is active. Lines end with LF or
/// CR LF; empty lines give persons with empty names. A line that is not
/// UTF-8 is taken as code page 1252, as Windows editors write such files.
PersonImportResult ImportPersons(CMeriskDoc& doc, const std::string& path);

/// ID_IMPORT_PERSONS: asks for the file and imports it; no message, no view update.
void OnImportPersons(CMeriskDoc& doc, IUserQuestions& ui);

}  // namespace kolvaro
