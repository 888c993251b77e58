#pragma once
// Shared pieces of the collaboration tests: a temporary folder, a fixed
// "now", user questions and views that record what they see.

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/archive.h"
#include "core/document.h"
#include "core/meriskdoc.h"
#include "core/transactionlog.h"
#include "platform/fileops.h"
#include "platform/userquestions.h"

namespace kolvaro::test {

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kolvaro-collab-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    m_path = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return m_path; }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

/// Fixes every "now" for the guard's lifetime.
class EpochGuard {
 public:
  explicit EpochGuard(const char* seconds) {
    if (const char* old = std::getenv("SOURCE_DATE_EPOCH")) m_old = old;
    ::setenv("SOURCE_DATE_EPOCH", seconds, 1);
    ReloadClockEnvironment();
  }
  ~EpochGuard() {
    if (m_old)
      ::setenv("SOURCE_DATE_EPOCH", m_old->c_str(), 1);
    else
      ::unsetenv("SOURCE_DATE_EPOCH");
    ReloadClockEnvironment();
  }
  EpochGuard(const EpochGuard&) = delete;
  EpochGuard& operator=(const EpochGuard&) = delete;

 private:
  std::optional<std::string> m_old;
};

/// 2026-12-07 19:12:50 UTC.
inline constexpr const char* kEpoch = "1796670770";

class FakeUi final : public IUserQuestions {
 public:
  Answer Show(const UserMessage& message) override {
    messages.emplace_back(message.text, message.kind);
    return Answer::Ok;
  }
  std::vector<std::string> GetOpenFileNames(const std::string&, const std::string& filter,
                                            const std::string& initialFolder,
                                            bool multiple) override {
    ++dialogs;
    lastFilter = filter;
    lastFolder = initialFolder;
    lastMultiple = multiple;
    return answer;
  }
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  void BeginWaitCursor() override { ++waitDepth; }
  void EndWaitCursor() override { --waitDepth; }

  std::vector<std::pair<std::string, UserMessage::Kind>> messages;
  std::vector<std::string> answer;
  int dialogs = 0;
  std::string lastFilter;
  std::string lastFolder;
  bool lastMultiple = true;
  int waitDepth = 0;
};

class CountingView final : public IDocumentObserver {
 public:
  void OnUpdate(CDocument&, IDocumentObserver*, long) override { ++updates; }
  int updates = 0;
};

/// A log that only counts what reaches it.
class CountingLog final : public ITransactionLog {
 public:
  void WritePicture(std::int32_t, const std::string&, const COleDateTime&, std::uint64_t,
                    const std::string&) override { ++writes; }
  void WritePerson(std::int32_t, const std::string&) override { ++writes; }
  void WritePersonOnPicture(std::int32_t, const Rect&, std::int32_t) override { ++writes; }
  void WriteTheme(std::int32_t, const std::string&) override { ++writes; }
  void WriteThemeOfPicture(std::int32_t, std::int32_t) override { ++writes; }
  void WriteRemovePerson(std::int32_t) override { ++writes; }
  void WriteRemovePersonOnPicture(std::int32_t, std::int32_t) override { ++writes; }
  void WriteRemovePicture(std::int32_t) override { ++writes; }
  void WriteRemoveTheme(std::int32_t) override { ++writes; }
  void WriteRemoveThemeOfPicture(std::int32_t, std::int32_t) override { ++writes; }
  int writes = 0;
};

class RecordingFileOps final : public IFileOperations {
 public:
  bool MoveToTrash(const std::string& path) override {
    calls.push_back("trash " + path);
    return true;
  }
  bool OpenWithDefaultProgram(const std::string& path) override {
    calls.push_back("open " + path);
    return true;
  }
  std::vector<std::string> calls;
};

inline std::string AlbumBytes(CMeriskDoc& doc) {
  CArchive ar;
  doc.Serialize(ar);
  return ar.Bytes();
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

/// The transaction files in a folder, sorted by name.
inline std::vector<std::string> ListLogs(const std::string& folder) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind("mrklog", 0) == 0 && name.size() > 10 &&
        name.compare(name.size() - 4, 4, ".xml") == 0)
      found.push_back(e.path().string());
  }
  std::sort(found.begin(), found.end());
  return found;
}

/// Lines joined with CR LF, the way the writer ends them.
inline std::string CrLf(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (const auto l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

}  // namespace kolvaro::test
