#include "cli/command.h"

#include <charconv>
#include <ostream>

namespace kolvaro::cli {

bool ParseInt(std::string_view text, std::int32_t& value) {
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, value, 10);
  return !text.empty() && r.ec == std::errc() && r.ptr == end;
}

std::string Text(StringId id, const std::vector<MessageArg>& args) {
  return FormatMessage(LoadString(id), args);
}

int Fail(Context& ctx, const std::string& message) {
  ctx.err << "kolvaro-cli: " << message << '\n';
  return kExitFailure;
}

int UsageError(Context& ctx, const char* commandName) {
  const Command* c = FindCommand(commandName);
  ctx.err << Text(IDS_CLI_WRONG_USAGE, {std::string(c ? c->Usage() : commandName)}) << '\n';
  return kExitUsage;
}

}  // namespace kolvaro::cli
