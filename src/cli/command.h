#pragma once
// What every kolvaro-cli command shares; the commands themselves are listed
// in commands.cpp.

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "res/strings.h"

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
  /// Folder of the running program with its trailing '/', or "" when unknown.
  std::string programDir;
};

struct Command {
  const char* name;
  StringId usageText;    ///< e.g. "new ALBUM"
  StringId summaryText;  ///< one-line description for --help
  int (*run)(Context& ctx, const std::vector<std::string>& args);

  std::string_view Usage() const { return LoadString(usageText); }
  std::string_view Summary() const { return LoadString(summaryText); }
};

/// Every command, in the order --help lists them (by name).
std::span<const Command> Commands();
/// The command of that name, or null.
const Command* FindCommand(std::string_view name);

/// A whole decimal number in 32 bits ("-1", "42"); false for anything else.
bool ParseInt(std::string_view text, std::int32_t& value);

/// A text of the string table with its placeholders filled.
std::string Text(StringId id, const std::vector<MessageArg>& args = {});

/// Writes "kolvaro-cli: <message>" to ctx.err; returns kExitFailure.
int Fail(Context& ctx, const std::string& message);
/// Writes the command's German usage line to ctx.err; returns kExitUsage.
int UsageError(Context& ctx, const char* commandName);

}  // namespace kolvaro::cli
