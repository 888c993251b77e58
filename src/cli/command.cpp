#include "cli/command.h"

#include <charconv>
#include <ostream>

namespace kolvaro::cli {

bool ParseInt(std::string_view text, std::int32_t& value) {
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, value, 10);
  return !text.empty() && r.ec == std::errc() && r.ptr == end;
}

int Fail(Context& ctx, const std::string& message) {
  ctx.err << "kolvaro-cli: " << message << '\n';
  return kExitFailure;
}

int UsageError(Context& ctx, const char* commandName) {
  const Command* c = FindCommand(commandName);
  ctx.err << "Falscher Aufruf.\nAufruf: kolvaro-cli " << (c ? c->usage : commandName)
          << "\nHilfe:  kolvaro-cli --help\n";
  return kExitUsage;
}

}  // namespace kolvaro::cli
