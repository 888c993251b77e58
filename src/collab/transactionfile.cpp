#include "collab/transactionfile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "collab/transactionformat.h"
#include "collab/transactionsync.h"
#include "core/safefile.h"
#include "core/ports/settings.h"
#include "res/strings.h"

namespace kolvaro {
namespace {

// Lines end as a Windows program in text mode writes them.
constexpr std::string_view kEol = "\r\n";

void OpenTag(std::string& out, std::string_view tag) {
  out += '<';
  out += tag;
  out += '>';
  out += kEol;
}

void CloseTag(std::string& out, std::string_view tag) {
  out += "</";
  out += tag;
  out += '>';
  out += kEol;
}

void Child(std::string& out, std::string_view indent, std::string_view tag, std::string_view value) {
  out += indent;
  out += '<';
  out += tag;
  out += '>';
  out += value;
  out += "</";
  out += tag;
  out += '>';
  out += kEol;
}

void Number(std::string& out, std::string_view tag, std::int64_t value,
            std::string_view indent = "\t") {
  Child(out, indent, tag, std::to_string(value));
}

void Text(std::string& out, std::string_view tag, std::string_view utf8) {
  std::string value;
  EncodeTransactionValue(utf8, value);
  Child(out, "\t", tag, value);
}

// Whether every line of a record is short enough for the import.
bool LinesFit(std::string_view record) {
  for (std::size_t start = 0; start < record.size();) {
    std::size_t end = record.find('\n', start);
    if (end == std::string_view::npos) end = record.size();
    if (end - start > kMaxTransactionLine + 1) return false;  // + the CR
    start = end + 1;
  }
  return true;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  std::vector<char> buf(16384);
  struct passwd pw {};
  struct passwd* result = nullptr;
  if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result &&
      result->pw_dir)
    return result->pw_dir;
  return ".";
}

std::string WithSlash(std::string folder) {
  // Returning early rather than assigning "." keeps GCC 12's -O3 -Wrestrict false positive away.
  if (folder.empty()) return "./";
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string TransactionWriteErrorText(int error, const std::string& path) {
  std::string cause;
  switch (FileFailureOf(error)) {
    case FileFailure::kDiskFull:
    case FileFailure::kQuotaExhausted: cause = LoadString(IDS_LOG_DISK_FULL); break;
    case FileFailure::kAccessDenied:
    case FileFailure::kReadOnly: cause = LoadString(IDS_LOG_ACCESS_DENIED); break;
    case FileFailure::kNotFound: cause = LoadString(IDS_LOG_FOLDER_NOT_FOUND); break;
    default: cause = FormatMessage(LoadString(IDS_LOG_WRITE_ERROR), {static_cast<long long>(error)});
  }
  return FormatMessage(LoadString(IDS_LOG_WRITE_FAILED), {path, cause});
}

std::string GermanTimestampText(const COleDateTime& date) {
  if (date.GetStatus() == COleDateTime::null) return {};
  const auto c = date.ToCalendar();
  if (date.GetStatus() != COleDateTime::valid || !c) return "Invalid DateTime";
  if (c->year == 1899 && c->month == 12 && c->day == 30) return date.Format("%H:%M:%S");
  if (c->hour == 0 && c->minute == 0 && c->second == 0) return date.Format("%d.%m.%Y");
  return date.Format("%d.%m.%Y %H:%M:%S");
}

CTransactionRecordFormatter::CTransactionRecordFormatter(TimestampTextFormatter formatter)
    : m_formatter(formatter ? std::move(formatter) : GermanTimestampText) {}

std::string CTransactionRecordFormatter::TimestampText(const COleDateTime& date) const {
  // The import tells invalid and null dates by these two texts, whatever
  // the locale's formatter would make of them.
  if (date.GetStatus() != COleDateTime::valid || !date.ToCalendar())
    return GermanTimestampText(date);
  std::string text = m_formatter(date);
  return text.empty() ? GermanTimestampText(date) : text;
}

std::string CTransactionText::Bytes(bool closed) const {
  std::string out(kTransactionRootOpen);
  out += kEol;
  out += m_records;
  if (closed) {
    out += kTransactionRootClose;
    out += kEol;
  }
  return out;
}

namespace {

constexpr int kMaxLogsPerSecond = 999999;
constexpr std::size_t kLogNumberWidth = 6;

// The n-th file of one second: the plain name, then "_000002" and on. '.'
// sorts before '_' and the numbers have one width, so name order is the
// order of writing.
std::string LogFileName(const std::string& stamp, int n) {
  std::string name = "mrklog" + stamp;
  if (n > 1) {
    const std::string digits = std::to_string(n);
    name += '_' + std::string(kLogNumberWidth - digits.size(), '0') + digits;
  }
  return name + ".xml";
}

// After the highest number of that second already in the folder, never in a
// gap: a file taken there would sort before one written earlier.
int NextLogNumber(const std::string& folder, const std::string& stamp) {
  const std::string prefix = "mrklog" + stamp;
  int highest = 0;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = e.path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const std::string_view rest = std::string_view(name).substr(prefix.size());
    if (rest == ".xml") {
      highest = std::max(highest, 1);
    } else if (rest.size() == 1 + kLogNumberWidth + 4 && rest[0] == '_' && rest.ends_with(".xml")) {
      int n = 0;
      const char* first = rest.data() + 1;
      const auto r = std::from_chars(first, first + kLogNumberWidth, n);
      if (r.ec == std::errc() && r.ptr == first + kLogNumberWidth) highest = std::max(highest, n);
    }
  }
  return highest + 1;
}

}  // namespace

CTransactionFile::CTransactionFile(std::string folder, IUserQuestions* ui,
                                   TimestampTextFormatter formatter)
    : CTransactionRecordFormatter(std::move(formatter)), m_strFolder(std::move(folder)), m_ui(ui) {}

CTransactionFile::~CTransactionFile() {
  const bool empty = m_bHasRecords == 0 && !m_strPath.empty();
  // Removed while still locked, so no importer ever sees it half finished.
  if (empty) ::unlink(m_strPath.c_str());
  Close();
}

bool CTransactionFile::Open() {
  if (IsOpen()) return true;
  const std::string folder = WithSlash(m_strFolder);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);

  std::string stamp = COleDateTime::Now().Format("%Y-%m-%d-%H-%M-%S");
  if (stamp.empty()) stamp = std::to_string(CurrentSeconds());
  // Two new albums within one second must not share (and truncate) a file,
  // and the later one must come later by name.
  for (int n = NextLogNumber(folder, stamp); n <= kMaxLogsPerSecond; ++n) {
    const std::string path = folder + LogFileName(stamp, n);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST || errno == EINTR) continue;
      return false;
    }
    // An importer may have caught the fresh file before the lock: leave it
    // that (empty) file and take the next name.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      ::unlink(path.c_str());
      ::close(fd);
      continue;
    }
    m_fd = fd;
    m_strPath = path;
    std::string first(kTransactionRootOpen);
    first += kEol;
    if (!WriteBytes(first)) {
      ::unlink(path.c_str());
      ::close(m_fd);
      m_fd = -1;
      m_strPath.clear();
      m_nWriteError = 0;
      return false;
    }
    // The new name itself must survive a crash as well.
    const int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
      ::fsync(dfd);
      ::close(dfd);
    }
    return true;
  }
  return false;
}

void CTransactionFile::Close() {
  if (!IsOpen()) return;
  if (m_nWriteError == 0) {
    std::string last(kTransactionRootClose);
    last += kEol;
    WriteBytes(last);
  }
  ::close(m_fd);  // also releases the lock
  m_fd = -1;
}

bool CTransactionFile::WriteBytes(const std::string& bytes) {
  const off_t start = ::lseek(m_fd, 0, SEEK_END);
  int err = WriteAll(m_fd, bytes);
  if (err == 0 && ::fdatasync(m_fd) != 0 && errno != EINVAL) err = errno;
  if (err == 0) return true;
  // Take back a partial record, so the file stays readable up to here.
  if (start >= 0 && ::ftruncate(m_fd, start) != 0) {
    // Nothing more can be done; the import stops at the broken record.
  }
  m_nWriteError = err;
  return false;
}

void CTransactionFile::Emit(std::string& record) {
  if (!Accepting()) return;
  if (!LinesFit(record)) {
    // The import could not read the record back: refuse it like a failed
    // write rather than leave a file the other editors cannot replay.
    m_nWriteError = EFBIG;
  } else if (WriteBytes(record)) {
    m_bHasRecords = 1;
    return;
  }
  // Later records are not written either: a file with a gap would make
  // the other editors' albums differ without anyone noticing.
  if (m_ui) m_ui->Warn(TransactionWriteErrorText(m_nWriteError, m_strPath));
}

void CTransactionRecordFormatter::WritePicture(std::int32_t id, const std::string& filename,
                                    const COleDateTime& timestamp, std::uint64_t size,
                                    const std::string& title) {
  // -1 stands for "the current picture" in a replay, which is another
  // picture in every album: only a resolved id is written.
  if (!Accepting() || id == -1) return;
  constexpr std::string_view tag = "add-update-picture";
  std::string r;
  OpenTag(r, tag);
  Number(r, "id-picture", id);
  Text(r, "filename", filename);
  std::string ts;
  AppendFixed6(timestamp.Value(), ts);
  Child(r, "\t", "timestamp", ts);
  Text(r, "timestamp-text", TimestampText(timestamp));
  // The format keeps the low 32 bits, as a signed number.
  Number(r, "size", static_cast<std::int32_t>(static_cast<std::uint32_t>(size)));
  Text(r, "title", title);
  CloseTag(r, tag);
  Emit(r);
}

void CTransactionRecordFormatter::WritePerson(std::int32_t id, const std::string& name) {
  if (!Accepting()) return;
  constexpr std::string_view tag = "add-update-person";
  std::string r;
  OpenTag(r, tag);
  Number(r, "id-person", id);
  Text(r, "name", name);
  CloseTag(r, tag);
  Emit(r);
}

void CTransactionRecordFormatter::WritePersonOnPicture(std::int32_t person, const Rect& rect,
                                            std::int32_t picture) {
  if (!Accepting() || picture == -1) return;
  constexpr std::string_view tag = "add-update-person-on-picture";
  std::string r;
  OpenTag(r, tag);
  Number(r, "id-person", person);
  Number(r, "id-picture", picture);
  r += "\t<rectangle>";
  r += kEol;
  Number(r, "top", rect.top, "\t\t");
  Number(r, "bottom", rect.bottom, "\t\t");
  Number(r, "right", rect.right, "\t\t");
  Number(r, "left", rect.left, "\t\t");
  r += "\t</rectangle>";
  r += kEol;
  CloseTag(r, tag);
  Emit(r);
}

void CTransactionRecordFormatter::WriteTheme(std::int32_t id, const std::string& name) {
  if (!Accepting()) return;
  constexpr std::string_view tag = "add-update-theme";
  std::string r;
  OpenTag(r, tag);
  Number(r, "id-theme", id);
  Text(r, "theme", name);
  CloseTag(r, tag);
  Emit(r);
}

namespace {

std::string PairRecord(std::string_view tag, std::string_view first, std::int32_t a,
                       std::int32_t picture) {
  std::string r;
  OpenTag(r, tag);
  Number(r, first, a);
  Number(r, "id-picture", picture);
  CloseTag(r, tag);
  return r;
}

std::string SingleRecord(std::string_view tag, std::string_view element, std::int32_t id) {
  std::string r;
  OpenTag(r, tag);
  Number(r, element, id);
  CloseTag(r, tag);
  return r;
}

}  // namespace

void CTransactionRecordFormatter::WriteThemeOfPicture(std::int32_t theme, std::int32_t picture) {
  if (!Accepting() || picture == -1) return;
  std::string r = PairRecord("add-update-theme-of-picture-association", "id-theme", theme, picture);
  Emit(r);
}

void CTransactionRecordFormatter::WriteRemovePerson(std::int32_t person) {
  if (!Accepting()) return;
  std::string r = SingleRecord("remove-person", "id-person", person);
  Emit(r);
}

void CTransactionRecordFormatter::WriteRemovePersonOnPicture(std::int32_t person, std::int32_t picture) {
  if (!Accepting() || picture == -1) return;
  std::string r = PairRecord("remove-person-on-picture", "id-person", person, picture);
  Emit(r);
}

void CTransactionRecordFormatter::WriteRemovePicture(std::int32_t picture) {
  if (!Accepting()) return;
  std::string r = SingleRecord("remove-picture", "id-picture", picture);
  Emit(r);
}

void CTransactionRecordFormatter::WriteRemoveTheme(std::int32_t theme) {
  if (!Accepting()) return;
  std::string r = SingleRecord("remove-theme", "id-theme", theme);
  Emit(r);
}

void CTransactionRecordFormatter::WriteRemoveThemeOfPicture(std::int32_t theme, std::int32_t picture) {
  if (!Accepting() || picture == -1) return;
  std::string r = PairRecord("remove-theme-of-picture", "id-theme", theme, picture);
  Emit(r);
}

void CTransactionFile::AlbumPathIs(const std::string& path) {
  // Once per album: every save would otherwise add a line.
  if (IsOpen() && path != m_strNotedFor && NoteOwnTransactionFile(path, m_strPath))
    m_strNotedFor = path;
}

std::string TransactionFolder(ISettings& settings) {
  std::string folder =
      settings.GetString(ProgramSettings::kSection, ProgramSettings::kTransactionFolder, "");
  return folder.empty() ? HomeFolder() : folder;
}

CMeriskDoc::TransactionLogFactory MakeTransactionFileFactory(IUserQuestions* ui,
                                                             TimestampTextFormatter formatter) {
  return [ui, formatter = std::move(formatter)](CMeriskDoc& doc) -> std::unique_ptr<ITransactionLog> {
    auto log = std::make_unique<CTransactionFile>(TransactionFolder(doc.Settings()), ui, formatter);
    if (log->Open()) log->AlbumPathIs(doc.GetPathName());
    return log;
  };
}

}  // namespace kolvaro
