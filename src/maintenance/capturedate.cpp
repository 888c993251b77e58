#include "maintenance/capturedate.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "core/exifreader.h"

namespace kolvaro {
namespace {

// The number at the start of a fixed-width field; a field that does not
// begin with a digit counts as 0.
int LeadingNumber(std::string_view field) {
  int value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

FileStatus QueryFileStatus(const std::string& path) {
  FileStatus status;
  struct statx sx {};
  if (::statx(AT_FDCWD, path.c_str(), 0, STATX_SIZE | STATX_BTIME | STATX_MTIME, &sx) == 0) {
    status.ok = true;
    status.size = sx.stx_size;
    status.creationTime = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : sx.stx_mtime.tv_sec;
    return status;
  }
  // Kernels and file systems without statx still answer stat.
  if (errno != ENOSYS) return status;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return status;
  status.ok = true;
  status.size = static_cast<std::uint64_t>(st.st_size);
  status.creationTime = st.st_mtime;
  return status;
}

COleDateTime DateFromExifText(std::string_view text) {
  if (text.size() != 19) return COleDateTime();
  // The separators are not looked at: "2024-07-14 18:03:09" reads the same.
  return COleDateTime::FromCalendar(
      LeadingNumber(text.substr(0, 4)), LeadingNumber(text.substr(5, 2)),
      LeadingNumber(text.substr(8, 2)), LeadingNumber(text.substr(11, 2)),
      LeadingNumber(text.substr(14, 2)), LeadingNumber(text.substr(17, 2)));
}

COleDateTime ExifCaptureDate(const std::string& path) {
  std::string text;
  if (!CExifReader(path).GetTagText(CExifReader::kTagDateTimeOriginal, text)) return COleDateTime();
  return DateFromExifText(text);
}

COleDateTime CaptureDate(const std::string& path, const FileStatus& status, DateFallback fallback) {
  const COleDateTime exif = ExifCaptureDate(path);
  const bool useFileTime =
      !exif.IsValid() || (fallback == DateFallback::kInvalidOrZero && exif.Value() == 0.0);
  if (!useFileTime) return exif;
  if (!status.ok) return COleDateTime(COleDateTime::invalid, 0.0);
  return COleDateTime::FromTimeT(status.creationTime);
}

}  // namespace kolvaro
