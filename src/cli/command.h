#pragma once
// kolvaro-cli's subcommands register themselves here; each lives in its own
// file, so adding one touches nothing else.

#include <iosfwd>
#include <string>
#include <vector>

namespace kolvaro {
class ISettings;
}

namespace kolvaro::cli {

/// Exit codes: success, failure (German message on stderr), wrong usage.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Context {
  ISettings& settings;
  std::ostream& out;
  std::ostream& err;
};

struct Command {
  const char* name;
  const char* usage;    ///< German, e.g. "new ALBUM"
  const char* summary;  ///< German one-line description for --help
  int (*run)(Context& ctx, const std::vector<std::string>& args);
};

/// Adds a command to the table; use through a static Registrar.
void RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

struct Registrar {
  explicit Registrar(const Command& command) { RegisterCommand(command); }
};

}  // namespace kolvaro::cli
