// kolvaro-cli check ALBUM

#include <filesystem>
#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/json.h"

namespace kolvaro::cli {
namespace {

bool PictureFileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

}  // namespace

int RunCheck(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(ctx, "check");
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  const CMeriskDoc& doc = album.Doc();

  int missing = 0;
  for (POSITION pos = doc.m_pictures.GetStartPosition(); pos != kNullPosition;) {
    std::int32_t id;
    const PictureEntry& e = doc.m_pictures.GetNextRef(pos, id);
    const std::string path = doc.GetPictureFullPath(id);
    if (PictureFileExists(path)) continue;
    ++missing;
    ctx.out << "Bild " << id << " fehlt: " << (path.empty() ? "(kein Dateiname)" : TerminalText(path));
    if (e.filename != path) ctx.out << " (gespeichert als " << TerminalText(e.filename) << ')';
    ctx.out << '\n';
  }
  const int total = doc.m_pictures.GetCount();
  if (missing == 0) {
    if (total == 0)
      ctx.out << "Das Album enthält keine Bilder.\n";
    else if (total == 1)
      ctx.out << "Die Bilddatei wurde gefunden.\n";
    else
      ctx.out << "Alle " << total << " Bilddateien wurden gefunden.\n";
    return kExitOk;
  }
  ctx.err << "kolvaro-cli: " << missing << " von " << total
          << (missing == 1 ? " Bilddateien fehlt.\n" : " Bilddateien fehlen.\n");
  return kExitFailure;
}

}  // namespace kolvaro::cli
