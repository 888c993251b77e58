// kolvaro-cli xmp-export ALBUM [--sidecar bild.jpg.xmp|bild.xmp|keine] [--embed]
// kolvaro-cli xmp-import ALBUM [--dry-run] [--log-folder DIR]

#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "cli/logfolder.h"
#include "maintenance/xmpexchange.h"

namespace kolvaro::cli {
namespace {

// The name forms as the user writes them, after the example picture "bild.jpg".
bool ParseSidecarForm(const std::string& text, std::optional<SidecarName>& form) {
  if (text == "bild.jpg.xmp") form = SidecarName::kWithExtension;
  else if (text == "bild.xmp") form = SidecarName::kWithoutExtension;
  else if (text == "keine") form.reset();
  else return false;
  return true;
}

}  // namespace

int RunXmpExport(Context& ctx, const std::vector<std::string>& args) {
  XmpExportOptions options;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--embed") {
      options.embed = true;
    } else if (a == "--sidecar" || a.rfind("--sidecar=", 0) == 0) {
      std::string form;
      if (a == "--sidecar") {
        if (++i == args.size()) return UsageError(ctx, "xmp-export");
        form = args[i];
      } else {
        form = a.substr(10);
      }
      if (!ParseSidecarForm(form, options.sidecar)) return Fail(ctx, Text(IDS_CLI_BAD_SIDECAR_FORM, {form}));
    } else {
      rest.push_back(a);
    }
  }
  if (rest.size() != 1) return UsageError(ctx, "xmp-export");
  CAlbumFile album(ctx);
  if (!album.Open(rest[0])) return kExitFailure;
  auto store = CreateXmpStore();
  const XmpExportResult result = ExportXmp(album.Doc(), AllPictures(album.Doc()), options, *store);
  ctx.out << Text(IDS_XMP_EXPORTED, {static_cast<long long>(result.written)}) << '\n';
  for (const std::string& problem : result.problems) ctx.err << "kolvaro-cli: " << TerminalText(problem) << '\n';
  return result.problems.empty() ? kExitOk : kExitFailure;
}

int RunXmpImport(Context& ctx, const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  CLogFolderOption log;
  if (!log.Take(args)) return UsageError(ctx, "xmp-import");
  bool dryRun = false;
  std::erase_if(args, [&](const std::string& a) { return a == "--dry-run" ? (dryRun = true) : false; });
  if (args.size() != 1) return UsageError(ctx, "xmp-import");
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  CMeriskDoc& doc = album.Doc();
  auto store = CreateXmpStore();
  const XmpImportPlan plan = PlanXmpImport(doc, AllPictures(doc), *store);
  const auto problems = [&] {
    if (plan.problems.empty()) return;
    ctx.out << '\n' << LoadString(IDS_XMP_PROBLEMS) << '\n';
    for (const std::string& problem : plan.problems) ctx.out << TerminalText(problem) << '\n';
  };
  // Like the export: what could not be read makes the command fail, after the rest is done.
  const int rc = plan.unreadable == 0 ? kExitOk : kExitFailure;
  if (dryRun || plan.Empty()) {
    ctx.out << TerminalText(XmpImportSummary(plan), true) << '\n';
    problems();
    // Nothing to change: the album stays as it is, byte for byte.
    if (dryRun) ctx.out << LoadString(IDS_CLI_XMP_DRY_RUN) << '\n';
    return rc;
  }
  if (!log.Start(ctx, doc)) return kExitFailure;
  ApplyXmpImport(doc, plan);
  if (!log.Finish(ctx, doc, album.Save())) return kExitFailure;
  ctx.out << TerminalText(XmpImportSummary(plan, true), true) << '\n';
  problems();
  return rc;
}

}  // namespace kolvaro::cli
