// Every kolvaro-cli command in one table, in the order --help lists them.

#include "cli/commands.h"

namespace kolvaro::cli {
namespace {

constexpr Command kCommands[] = {
    {"add", IDS_CLI_USAGE_ADD, IDS_CLI_ABOUT_ADD, &RunAdd},
    {"add-folder", IDS_CLI_USAGE_ADD_FOLDER, IDS_CLI_ABOUT_ADD_FOLDER, &RunAddFolder},
    {"camera-import", IDS_CLI_USAGE_CAMERA_IMPORT, IDS_CLI_ABOUT_CAMERA_IMPORT, &RunCameraImport},
    {"check", IDS_CLI_USAGE_CHECK, IDS_CLI_ABOUT_CHECK, &RunCheck},
    {"date", IDS_CLI_USAGE_DATE, IDS_CLI_ABOUT_DATE, &RunDate},
    {"delete", IDS_CLI_USAGE_DELETE, IDS_CLI_ABOUT_DELETE, &RunDelete},
    {"dump", IDS_CLI_USAGE_DUMP, IDS_CLI_ABOUT_DUMP, &RunDump},
    {"exif", IDS_CLI_USAGE_EXIF, IDS_CLI_ABOUT_EXIF, &RunExif},
    {"import-persons", IDS_CLI_USAGE_IMPORT_PERSONS, IDS_CLI_ABOUT_IMPORT_PERSONS,
     &RunImportPersons},
    {"info", IDS_CLI_USAGE_INFO, IDS_CLI_ABOUT_INFO, &RunInfo},
    {"mark", IDS_CLI_USAGE_MARK, IDS_CLI_ABOUT_MARK, &RunMark},
    {"missing", IDS_CLI_USAGE_MISSING, IDS_CLI_ABOUT_MISSING, &RunMissing},
    {"new", IDS_CLI_USAGE_NEW, IDS_CLI_ABOUT_NEW, &RunNew},
    {"person", IDS_CLI_USAGE_PERSON, IDS_CLI_ABOUT_PERSON, &RunPerson},
    {"relocate", IDS_CLI_USAGE_RELOCATE, IDS_CLI_ABOUT_RELOCATE, &RunRelocate},
    {"replay", IDS_CLI_USAGE_REPLAY, IDS_CLI_ABOUT_REPLAY, &RunReplay},
    {"save", IDS_CLI_USAGE_SAVE, IDS_CLI_ABOUT_SAVE, &RunSave},
    {"select", IDS_CLI_USAGE_SELECT, IDS_CLI_ABOUT_SELECT, &RunSelect},
    {"storage", IDS_CLI_USAGE_STORAGE, IDS_CLI_ABOUT_STORAGE, &RunStorage},
    {"sync", IDS_CLI_USAGE_SYNC, IDS_CLI_ABOUT_SYNC, &RunSync},
    {"theme", IDS_CLI_USAGE_THEME, IDS_CLI_ABOUT_THEME, &RunTheme},
    {"thumbnails", IDS_CLI_USAGE_THUMBNAILS, IDS_CLI_ABOUT_THUMBNAILS, &RunThumbnails},
    {"title", IDS_CLI_USAGE_TITLE, IDS_CLI_ABOUT_TITLE, &RunTitle},
    {"unmark", IDS_CLI_USAGE_UNMARK, IDS_CLI_ABOUT_UNMARK, &RunUnmark},
    {"xmp-export", IDS_CLI_USAGE_XMP_EXPORT, IDS_CLI_ABOUT_XMP_EXPORT, &RunXmpExport},
    {"xmp-import", IDS_CLI_USAGE_XMP_IMPORT, IDS_CLI_ABOUT_XMP_IMPORT, &RunXmpImport},
};

}  // namespace

std::span<const Command> Commands() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

}  // namespace kolvaro::cli
