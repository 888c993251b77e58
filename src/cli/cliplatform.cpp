#include "cli/cliplatform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <ostream>

#include "cli/json.h"
#include "core/filetransfer.h"
#include "core/paths.h"
#include "core/safefile.h"
#include "res/strings.h"

namespace kolvaro::cli {
namespace {

namespace fs = std::filesystem;

std::string Text(StringId id, const std::string& arg = {}) {
  return FormatMessage(LoadString(id), {arg});
}

// The home trash: $XDG_DATA_HOME/Trash, or ~/.local/share/Trash.
std::optional<fs::path> DataHome() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') return fs::path(xdg);
  if (const char* home = std::getenv("HOME"); home && home[0] == '/')
    return fs::path(home) / ".local" / "share";
  return std::nullopt;
}

bool MakeDirs(const fs::path& dir) {
  std::error_code ec;
  // A trash made here is the user's alone; an existing one keeps its mode.
  if (fs::create_directories(dir, ec)) ::chmod(dir.c_str(), 0700);
  return !ec && fs::is_directory(dir, ec);
}

std::string LocalTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  return buf;
}

}  // namespace

Answer CCliUserQuestions::Show(const UserMessage& message) {
  // Messages may name album entries: their control characters go out escaped.
  m_err << TerminalText(message.text, true) << '\n';
  using Kind = UserMessage::Kind;
  const bool warning = message.kind == Kind::Warning || message.kind == Kind::Error ||
                       (message.IsQuestion() && message.icon == QuestionIcon::Warning);
  if (warning) ++m_warnings;
  if (!message.IsQuestion()) return Answer::Ok;
  return message.defaultButton == DefaultButton::No ? Answer::No : Answer::Yes;
}

std::vector<std::string> CCliUserQuestions::GetOpenFileNames(const std::string&, const std::string&,
                                                             const std::string&, bool multiple) {
  std::vector<std::string> files;
  for (const std::string& f : m_files) {
    files.push_back(AbsoluteNormalPath(f));
    if (!multiple) break;
  }
  return files;
}

std::optional<std::string> CCliUserQuestions::ChooseFolder(const std::string&, const std::string&) {
  if (!m_folder) return std::nullopt;
  return AbsoluteNormalPath(*m_folder);
}

std::string TrashInfoPath(const std::string& path) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (const char c : path) {
    const auto b = static_cast<unsigned char>(c);
    const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') ||
                       b == '/' || b == '-' || b == '_' || b == '.' || b == '~';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += digits[b >> 4];
      out += digits[b & 15];
    }
  }
  return out;
}

bool CCliFileOperations::Report(const std::string& message) {
  m_err << "kolvaro-cli: " << TerminalText(message, true) << '\n';
  m_failed = true;
  return false;
}

bool CCliFileOperations::MoveToTrash(const std::string& path) {
  const std::string cannot = Text(IDS_CLI_CANNOT_TRASH, PrintableName(path));
  // Never a name relative to the working folder, a folder, a link or a pipe.
  const PictureFileKind kind = ExaminePictureFile(path);
  if (kind == PictureFileKind::kMissing)
    return Report(Text(IDS_FILE_NOT_FOUND, PrintableName(path)));
  if (kind != PictureFileKind::kRegular) return Report(cannot + ": " + PictureFileRefusal(kind));
  const std::optional<fs::path> dataHome = DataHome();
  if (!dataHome) return Report(cannot + ": " + Text(IDS_CLI_NO_HOME));
  const fs::path trash = *dataHome / "Trash";
  const fs::path files = trash / "files";
  const fs::path info = trash / "info";
  if (!MakeDirs(files) || !MakeDirs(info))
    return Report(cannot + ": " + Text(IDS_CLI_TRASH_NOT_CREATED, trash.string()));

  struct stat file {
  }, home{};
  if (::lstat(path.c_str(), &file) != 0) return Report(Text(IDS_FILE_NOT_FOUND, path));
  if (!S_ISREG(file.st_mode)) return Report(cannot + ".");
  if (::stat(files.c_str(), &home) != 0 || file.st_dev != home.st_dev)
    return Report(cannot + ": " + Text(IDS_CLI_OTHER_FILE_SYSTEM));

  // The info file claims the name; the file follows under the same name.
  const fs::path original = fs::path(path).filename();
  const std::string stem = original.stem().string();
  const std::string ext = original.extension().string();
  for (int n = 1; n < 10000; ++n) {
    const std::string name = n == 1 ? original.string() : stem + "." + std::to_string(n) + ext;
    const fs::path infoFile = info / (name + ".trashinfo");
    const int fd = ::open(infoFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return Report(cannot + ": " + Text(IDS_CLI_CANNOT_WRITE, infoFile.string()));
    }
    const std::string text =
        "[Trash Info]\nPath=" + TrashInfoPath(path) + "\nDeletionDate=" + LocalTimestamp() + "\n";
    const bool written = WriteAll(fd, text) == 0;
    if (::close(fd) != 0 || !written) {
      ::unlink(infoFile.c_str());
      return Report(cannot + ": " + Text(IDS_CLI_CANNOT_WRITE, infoFile.string()));
    }
    const fs::path target = files / name;
    struct stat taken {};
    if (::lstat(target.c_str(), &taken) == 0) {
      // A file left there without its info file holds the name.
      ::unlink(infoFile.c_str());
      continue;
    }
    if (::rename(path.c_str(), target.c_str()) == 0) return true;
    ::unlink(infoFile.c_str());
    return Report(cannot + ".");
  }
  return Report(cannot + ": " + Text(IDS_CLI_NO_FREE_NAME));
}

bool CCliFileOperations::OpenWithDefaultProgram(const std::string& path) {
  return Report(Text(IDS_CLI_CANNOT_OPEN, path));
}

TransferResult CCliFileOperations::TransferFile(const std::string& source,
                                                const std::string& targetFolder, bool move,
                                                const TransferHooks& hooks) {
  return TransferFileSafely(source, targetFolder, move, hooks);
}

}  // namespace kolvaro::cli
