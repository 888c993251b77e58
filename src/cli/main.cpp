// kolvaro-cli: album files on the command line.

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command.h"
#include "qt/qtsettings.h"
#include "res/version.h"

namespace {

using namespace kolvaro::cli;

std::string ProgramDir(const char* argv0) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    if (argv0 == nullptr || std::string(argv0).find('/') == std::string::npos) return {};
    exe = fs::absolute(argv0, ec);
    if (ec) return {};
  }
  std::string dir = exe.lexically_normal().parent_path().string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

std::size_t CodePoints(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

void PrintHelp(std::ostream& out) {
  out << LoadString(kolvaro::IDS_CLI_HELP_HEAD);
  std::size_t width = 0;
  for (const Command& c : Commands()) width = std::max(width, CodePoints(c.Usage()));
  for (const Command& c : Commands())
    out << "  " << c.Usage() << std::string(width - CodePoints(c.Usage()) + 2, ' ') << c.Summary()
        << '\n';
  out << LoadString(kolvaro::IDS_CLI_HELP_TAIL);
}

void PrintCommandHelp(std::ostream& out, const Command& c) {
  out << Text(kolvaro::IDS_CLI_COMMAND_HELP, {std::string(c.Usage()), std::string(c.Summary())})
      << '\n';
}

int GeneralUsage(std::ostream& err, const std::string& problem) {
  err << Text(kolvaro::IDS_CLI_GENERAL_USAGE, {problem}) << '\n';
  return kExitUsage;
}

bool IsHelp(const std::string& a) { return a == "--help" || a == "-h"; }

int Run(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::ostream& out = std::cout;
  std::ostream& err = std::cerr;

  if (args.empty()) return GeneralUsage(err, Text(kolvaro::IDS_CLI_NO_COMMAND));
  const std::string& first = args[0];
  if (IsHelp(first)) {
    if (args.size() == 1) {
      PrintHelp(out);
      return kExitOk;
    }
    const Command* c = args.size() == 2 ? FindCommand(args[1]) : nullptr;
    if (!c) return GeneralUsage(err, Text(kolvaro::IDS_CLI_UNKNOWN_COMMAND, {args[1]}));
    PrintCommandHelp(out, *c);
    return kExitOk;
  }
  if (first == "--version") {
    if (args.size() != 1) return GeneralUsage(err, Text(kolvaro::IDS_CLI_VERSION_NO_ARGUMENTS));
    out << "kolvaro-cli " << kolvaro::kProductVersion << '\n';
    return kExitOk;
  }
  if (!first.empty() && first[0] == '-')
    return GeneralUsage(err, Text(kolvaro::IDS_CLI_UNKNOWN_OPTION, {first}));
  const Command* command = FindCommand(first);
  if (!command) return GeneralUsage(err, Text(kolvaro::IDS_CLI_UNKNOWN_COMMAND, {first}));

  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (rest.size() == 1 && IsHelp(rest[0])) {
    PrintCommandHelp(out, *command);
    return kExitOk;
  }

  kolvaro::CQtSettings settings;
  Context ctx{settings, out, err, ProgramDir(argc > 0 ? argv[0] : nullptr)};
  return command->run(ctx, rest);
}

}  // namespace

int main(int argc, char** argv) {
  int rc;
  try {
    rc = Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // Without memory to spare: the text as it stands, nothing formatted.
    std::cerr << "kolvaro-cli: " << LoadString(kolvaro::IDS_CLI_OUT_OF_MEMORY) << '\n';
    return kExitFailure;
  } catch (const std::exception& e) {
    std::cerr << "kolvaro-cli: " << Text(kolvaro::IDS_CLI_INTERNAL_ERROR, {std::string(e.what())})
              << '\n';
    return kExitFailure;
  }
  // A full disk behind a redirected stdout must not pass for success.
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "kolvaro-cli: " << LoadString(kolvaro::IDS_CLI_OUTPUT_FAILED) << '\n';
    return kExitFailure;
  }
  return rc;
}
