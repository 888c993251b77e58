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
void Line(std::ostream& out, StringId labelId, std::string_view value) {
  const std::string_view label = LoadString(labelId);
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

std::string OrNone(const std::string& s, StringId none) {
  return s.empty() ? std::string(LoadString(none)) : s;
}

}  // namespace

void PrintStorage(std::ostream& out, const CMeriskDoc& doc) {
  std::string mode;
  switch (doc.StorageMode()) {
    case 0: mode = LoadString(IDS_CLI_INFO_MODE_PICTURE_FOLDER); break;
    case 1: mode = LoadString(IDS_CLI_INFO_MODE_FOLDER); break;
    default: mode = Text(IDS_CLI_INFO_MODE_UNKNOWN, {std::to_string(doc.StorageMode())});
  }
  Line(out, IDS_CLI_INFO_STORAGE_MODE, mode);
  Line(out, IDS_CLI_INFO_STORAGE_FOLDER,
       OrNone(doc.StorageFolder(), IDS_CLI_INFO_NO_STORAGE_FOLDER));
  Line(out, IDS_CLI_INFO_BASE_FOLDER, OrNone(doc.BaseFolder(), IDS_CLI_INFO_NO_BASE_FOLDER));
}

int RunInfo(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(ctx, "info");
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  const CMeriskDoc& doc = album.Doc();
  std::ostream& out = ctx.out;

  Line(out, IDS_CLI_INFO_ALBUM, album.Path());
  Line(out, IDS_CLI_INFO_VERSION, std::to_string(doc.FileVersion()));
  Line(out, IDS_CLI_INFO_PICTURES, std::to_string(doc.Pictures().GetCount()));
  Line(out, IDS_CLI_INFO_PERSONS_ON_PICTURES, std::to_string(doc.PersonsOnPictures().GetCount()));
  Line(out, IDS_CLI_INFO_PERSONS, std::to_string(doc.Persons().GetCount()));
  Line(out, IDS_CLI_INFO_THEMES_OF_PICTURES, std::to_string(doc.ThemesOfPictures().GetCount()));
  Line(out, IDS_CLI_INFO_THEMES, std::to_string(doc.Themes().GetCount()));
  PrintStorage(out, doc);
  Line(out, IDS_CLI_INFO_DESCRIPTION, OrNone(doc.AlbumInfo(), IDS_CLI_INFO_EMPTY));
  Line(out, IDS_CLI_INFO_UPDATE_URL, OrNone(doc.UpdateUrl(), IDS_CLI_INFO_EMPTY));
  Line(out, IDS_CLI_INFO_DIALOG,
       doc.InfoDialogEnabled() != 0 ? LoadString(IDS_CLI_INFO_DIALOG_ENABLED)
                                    : LoadString(IDS_CLI_INFO_DIALOG_LOCKED));
  return kExitOk;
}

}  // namespace kolvaro::cli
