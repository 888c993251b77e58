#include "maintenance/importpersons.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <unordered_set>

#include "core/cp1252.h"
#include "core/safefile.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

bool IsUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t at = pos;
    if (DecodeUtf8(text, pos) == 0xFFFD && text.substr(at, pos - at) != "\xEF\xBF\xBD")
      return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view s) {
  constexpr std::string_view kBlanks = " \t\v\f";
  const std::size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

PersonImportResult ImportPersons(CMeriskDoc& doc, const std::string& path) {
  PersonImportResult result;
  // A pipe or device chosen by mistake must not hang the program.
  const int fd = OpenRegularFile(path, result.error);
  if (fd < 0) return result;
  std::FILE* in = ::fdopen(fd, "rb");
  if (!in) {
    ::close(fd);
    return result;
  }
  result.opened = true;
  std::unordered_set<std::string> known;
  for (POSITION pos = doc.Persons().GetStartPosition(); pos;) {
    std::int32_t id = 0;
    std::string name;
    doc.Persons().GetNext(pos, id, name);
    known.insert(std::move(name));
  }
  char* buffer = nullptr;
  std::size_t capacity = 0;
  bool first = true;
  for (ssize_t n; (n = ::getline(&buffer, &capacity, in)) >= 0;) {
    std::string line(buffer, static_cast<std::size_t>(n));
    if (!line.empty() && line.back() == '\n') line.pop_back();
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A byte order mark is no part of the first name.
    if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    first = false;
    std::string name(TrimBlanks(IsUtf8(line) ? line : Cp1252ToUtf8(line)));
    if (name.empty() || !known.insert(name).second) {
      ++result.skipped;
      continue;
    }
    doc.AddOrUpdatePerson(doc.Persons().NextId(), name);
    ++result.created;
  }
  std::free(buffer);
  std::fclose(in);
  return result;
}

void OnImportPersons(CMeriskDoc& doc, IUserQuestions& ui) {
  const std::vector<std::string> chosen =
      ui.GetOpenFileNames("", std::string(LoadString(IDS_PERSON_IMPORT_FILTER)), "", false);
  if (chosen.empty()) return;
  const PersonImportResult r = ImportPersons(doc, chosen.front());
  if (!r.opened) {
    ui.Warn(PersonImportFailure(r.error, chosen.front()));
    return;
  }
  ui.Inform(PersonImportSummary(r));
}

std::string PersonImportFailure(int error, const std::string& path) {
  if (error == kNotARegularFile) return NotARegularFileText(path);
  if (error == ENOENT || error == ENOTDIR)
    return FormatMessage(LoadString(IDS_FILE_NOT_FOUND), {path});
  return FormatMessage(LoadString(IDS_ACCESS_DENIED), {path});
}

std::string PersonImportSummary(const PersonImportResult& result) {
  return FormatMessage(LoadString(IDS_PERSONS_IMPORTED), {static_cast<long long>(result.created),
                                                          static_cast<long long>(result.skipped)});
}

}  // namespace kolvaro
