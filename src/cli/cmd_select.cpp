// kolvaro-cli select ALBUM [--theme ID] [--person ID] [--sort KEY] [--search TEXT]

#include <charconv>
#include <ostream>

#include "cli/album_io.h"
#include "cli/commands.h"

namespace kolvaro::cli {
namespace {

bool ParseInt(const std::string& text, std::int32_t& value) {
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, value);
  return r.ec == std::errc() && r.ptr == end && !text.empty();
}

}  // namespace

int RunSelect(Context& ctx, const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(ctx, "select");
  // Nothing chosen in the selection bar: -1 for all three.
  std::int32_t theme = -1, person = -1, sort = -1;
  std::string search;
  for (std::size_t i = 1; i < args.size(); ++i) {
    std::string name = args[i], value;
    if (const auto eq = name.find('='); eq != std::string::npos) {
      value = name.substr(eq + 1);
      name.resize(eq);
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return UsageError(ctx, "select");
    }
    if (name == "--search") {
      search = value;
      continue;
    }
    std::int32_t* target = name == "--theme"    ? &theme
                           : name == "--person" ? &person
                           : name == "--sort"   ? &sort
                                                : nullptr;
    if (!target || !ParseInt(value, *target)) return UsageError(ctx, "select");
  }
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  CMeriskDoc& doc = album.Doc();
  doc.SelectPictures(theme, person, sort, search);
  std::string out;
  for (const std::int32_t id : doc.Selection()) out += std::to_string(id) + '\n';
  ctx.out << out;
  return kExitOk;
}

}  // namespace kolvaro::cli
