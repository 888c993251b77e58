#include "cli/command.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <ostream>

namespace kolvaro::cli {
namespace {

// Filled during static initialisation, in whatever order the linker chose.
std::vector<Command>& Table() {
  static std::vector<Command> table;
  return table;
}

}  // namespace

void RegisterCommand(const Command& command) {
  auto& table = Table();
  const auto at = std::lower_bound(
      table.begin(), table.end(), command,
      [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
  table.insert(at, command);
}

const std::vector<Command>& Commands() { return Table(); }

const Command* FindCommand(std::string_view name) {
  for (const Command& c : Table())
    if (name == c.name) return &c;
  return nullptr;
}

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
