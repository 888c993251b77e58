#include "maintenance/importpersons.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

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

}  // namespace

PersonImportResult ImportPersons(CMeriskDoc& doc, const std::string& path) {
  PersonImportResult result;
  // A pipe or device chosen by mistake must not hang the program.
  int error = 0;
  const int fd = OpenRegularFile(path, error);
  if (fd < 0) return result;
  std::FILE* in = ::fdopen(fd, "rb");
  if (!in) {
    ::close(fd);
    return result;
  }
  result.opened = true;
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
    std::string name = IsUtf8(line) ? line : Cp1252ToUtf8(line);
    doc.AddOrUpdatePerson(doc.Persons().NextId(), name);
    ++result.count;
  }
  std::free(buffer);
  std::fclose(in);
  return result;
}

void OnImportPersons(CMeriskDoc& doc, IUserQuestions& ui) {
  const std::vector<std::string> chosen =
      ui.GetOpenFileNames("", std::string(LoadString(IDS_PERSON_IMPORT_FILTER)), "", false);
  if (chosen.empty()) return;
  ImportPersons(doc, chosen.front());
}

}  // namespace kolvaro
