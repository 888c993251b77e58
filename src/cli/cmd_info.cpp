// kolvaro-cli info ALBUM

#include <ostream>
#include <string_view>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/json.h"

namespace kolvaro::cli {
namespace {

constexpr std::size_t kLabelWidth = 24;

std::size_t CodePoints(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

// Continuation lines of a multi-line value line up under its first line;
// other control characters are shown escaped.
void Line(std::ostream& out, std::string_view label, std::string_view value) {
  out << label;
  const std::size_t used = CodePoints(label);
  out << std::string(used < kLabelWidth ? kLabelWidth - used : 1, ' ');
  std::string lines;
  for (std::size_t i = 0; i < value.size(); ++i)
    if (!(value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n')) lines += value[i];
  for (const char c : TerminalText(lines, true)) {
    if (c == '\n')
      out << '\n' << std::string(kLabelWidth, ' ');
    else
      out << c;
  }
  out << '\n';
}

std::string OrNone(const std::string& s, const char* none) { return s.empty() ? none : s; }

}  // namespace

int RunInfo(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(ctx, "info");
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  const CMeriskDoc& doc = album.Doc();
  std::ostream& out = ctx.out;

  Line(out, "Album:", album.Path());
  Line(out, "Dateiversion:", std::to_string(doc.m_nFileVersion));
  Line(out, "Bilder:", std::to_string(doc.m_pictures.GetCount()));
  Line(out, "Personen auf Bildern:", std::to_string(doc.m_personsOnPictures.GetCount()));
  Line(out, "Personen:", std::to_string(doc.m_persons.GetCount()));
  Line(out, "Themen der Bilder:", std::to_string(doc.m_themesOfPictures.GetCount()));
  Line(out, "Themen:", std::to_string(doc.m_themes.GetCount()));
  std::string mode;
  switch (doc.m_nStorageMode) {
    case 0: mode = "0 (Kolvaro-Datei liegt im Bilderverzeichnis)"; break;
    case 1: mode = "1 (Kolvaro für Verzeichnis ...)"; break;
    default: mode = std::to_string(doc.m_nStorageMode) + " (unbekannt)";
  }
  Line(out, "Dateiablage:", mode);
  Line(out, "Ablageverzeichnis:", OrNone(doc.m_strStorageFolder, "(keines)"));
  Line(out, "Bilder relativ zu:", OrNone(doc.BaseFolder(), "(keinem Verzeichnis)"));
  Line(out, "Beschreibung:", OrNone(doc.m_strAlbumInfo, "(leer)"));
  Line(out, "URL für Update:", OrNone(doc.m_strUpdateUrl, "(leer)"));
  Line(out, "Album-Info-Dialog:", doc.m_bInfoDialogEnabled != 0 ? "freigegeben" : "gesperrt");
  return kExitOk;
}

}  // namespace kolvaro::cli
