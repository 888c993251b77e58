// kolvaro-cli relocate ALBUM VON NACH
// kolvaro-cli missing ALBUM

#include <sys/stat.h>

#include <algorithm>
#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "maintenance/replacepaths.h"

namespace kolvaro::cli {

int RunRelocate(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 3) return UsageError(ctx, "relocate");
  if (args[1].empty()) return Fail(ctx, Text(IDS_RELOCATE_EMPTY_SEARCH));
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  std::vector<std::string> refused;
  const std::size_t changed = ReplacePaths(album.Doc(), args[1], args[2], &refused);
  // Nothing changed: the file stays as it is, byte for byte.
  if (changed != 0 && !album.Save()) return kExitFailure;
  for (const std::string& text : refused) ctx.err << "kolvaro-cli: " << text << '\n';
  ctx.out << Text(IDS_CLI_PATHS_CHANGED, {static_cast<long long>(changed)}) << '\n';
  return refused.empty() ? kExitOk : kExitFailure;
}

int RunMissing(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(ctx, "missing");
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  const CMeriskDoc& doc = album.Doc();
  std::vector<std::int32_t> missing;
  for (POSITION pos = doc.Pictures().GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id;
    doc.Pictures().GetNextRef(pos, id);
    // Only a regular file is the picture: a folder or device of that name is not.
    struct stat st {};
    const std::string path = doc.GetPictureFullPath(id);
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      missing.push_back(id);
  }
  std::sort(missing.begin(), missing.end());
  for (std::int32_t id : missing)
    ctx.out << id << '\t' << TerminalText(doc.Pictures().Find(id)->filename) << '\n';
  if (missing.empty()) return kExitOk;
  const long long total = doc.Pictures().GetCount();
  const long long count = static_cast<long long>(missing.size());
  return Fail(ctx,
              Text(count == 1 ? IDS_CLI_ONE_FILE_MISSING : IDS_CLI_FILES_MISSING, {count, total}));
}

}  // namespace kolvaro::cli
