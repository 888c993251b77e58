#pragma once
// Reading persons from a text file, one name per line (ID_IMPORT_PERSONS).

#include <cstddef>
#include <string>

#include "core/meriskdoc.h"
#include "core/ports/userquestions.h"

namespace kolvaro {

// Its command id, ID_IMPORT_PERSONS, is in res/commands.h.

struct PersonImportResult {
  bool opened = false;     ///< false when the file could not be read at all
  int error = 0;           ///< why not: an errno value or kNotARegularFile
  std::size_t created = 0;  ///< persons added
  std::size_t skipped = 0;  ///< blank lines and names the album already has
};

/// Adds the name on every line of the file, without its leading and trailing
/// blanks, as a new person under the next free id, logging each while the
/// transaction log is active. Blank lines and names already in the album
/// (compared exactly) add nobody. Lines end with LF or CR LF. A line that is
/// not UTF-8 is taken as code page 1252, as Windows editors write such files.
PersonImportResult ImportPersons(CMeriskDoc& doc, const std::string& path);

/// Why `path` was not read (`error` as in PersonImportResult).
std::string PersonImportFailure(int error, const std::string& path);
/// What the desktop and the command line tell after an import.
std::string PersonImportSummary(const PersonImportResult& result);

/// ID_IMPORT_PERSONS: asks for the file, imports it and says what came in.
void OnImportPersons(CMeriskDoc& doc, IUserQuestions& ui);

}  // namespace kolvaro
