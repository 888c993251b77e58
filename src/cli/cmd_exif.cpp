// kolvaro-cli exif FILE [TAG]

#include <sys/stat.h>

#include <charconv>
#include <ostream>

#include "cli/command.h"
#include "cli/commands.h"
#include "core/exifreader.h"
#include "core/safefile.h"

namespace kolvaro::cli {
namespace {

// A tag number, decimal or with "0x" in hexadecimal.
bool ParseTag(const std::string& text, std::uint16_t& tag) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const char* begin = text.data() + (hex ? 2 : 0);
  const char* end = text.data() + text.size();
  unsigned value = 0;
  const auto r = std::from_chars(begin, end, value, hex ? 16 : 10);
  if (r.ec != std::errc() || r.ptr != end || value > 0xFFFF) return false;
  tag = static_cast<std::uint16_t>(value);
  return true;
}

}  // namespace

int RunExif(Context& ctx, const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) return UsageError(ctx, "exif");
  std::uint16_t tag = CExifReader::kTagDateTimeOriginal;
  if (args.size() == 2 && !ParseTag(args[1], tag)) return UsageError(ctx, "exif");
  // Checked first for a clear message; the reader itself never waits on a pipe either.
  struct stat st {};
  if (::stat(args[0].c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    return Fail(ctx, NotARegularFileText(args[0]));
  std::string text;
  if (!CExifReader(args[0]).GetTagText(tag, text))
    return Fail(ctx, Text(IDS_CLI_NO_EXIF_TAG, {args[0], static_cast<long long>(tag)}));
  ctx.out << text << '\n';
  return kExitOk;
}

}  // namespace kolvaro::cli
