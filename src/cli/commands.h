#pragma once
// The function behind each kolvaro-cli command; commands.cpp lists them with
// their usage and help text.

#include <string>
#include <vector>

#include "cli/command.h"

namespace kolvaro {
class CMeriskDoc;
}

namespace kolvaro::cli {

int RunAdd(Context& ctx, const std::vector<std::string>& args);
int RunAddFolder(Context& ctx, const std::vector<std::string>& args);
int RunCameraImport(Context& ctx, const std::vector<std::string>& args);
int RunCheck(Context& ctx, const std::vector<std::string>& args);
int RunDate(Context& ctx, const std::vector<std::string>& args);
int RunDelete(Context& ctx, const std::vector<std::string>& args);
int RunDump(Context& ctx, const std::vector<std::string>& args);
int RunExif(Context& ctx, const std::vector<std::string>& args);
int RunImportPersons(Context& ctx, const std::vector<std::string>& args);
int RunInfo(Context& ctx, const std::vector<std::string>& args);
/// The storage lines of `info`: mode, folder and the folder names are based on.
void PrintStorage(std::ostream& out, const CMeriskDoc& doc);
int RunMark(Context& ctx, const std::vector<std::string>& args);
int RunNew(Context& ctx, const std::vector<std::string>& args);
int RunPerson(Context& ctx, const std::vector<std::string>& args);
int RunReplay(Context& ctx, const std::vector<std::string>& args);
int RunSave(Context& ctx, const std::vector<std::string>& args);
int RunStorage(Context& ctx, const std::vector<std::string>& args);
int RunSync(Context& ctx, const std::vector<std::string>& args);
int RunRelocate(Context& ctx, const std::vector<std::string>& args);
int RunMissing(Context& ctx, const std::vector<std::string>& args);
int RunSelect(Context& ctx, const std::vector<std::string>& args);
int RunTheme(Context& ctx, const std::vector<std::string>& args);
int RunThumbnails(Context& ctx, const std::vector<std::string>& args);
int RunTitle(Context& ctx, const std::vector<std::string>& args);
int RunUnmark(Context& ctx, const std::vector<std::string>& args);
int RunXmpExport(Context& ctx, const std::vector<std::string>& args);
int RunXmpImport(Context& ctx, const std::vector<std::string>& args);

}  // namespace kolvaro::cli
