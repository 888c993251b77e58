#pragma once
// The capture date of a picture file: the EXIF DateTimeOriginal, falling
// back to the file's creation time.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/oledate.h"

namespace kolvaro {

/// What the file-status query tells about a picture file.
struct FileStatus {
  bool ok = false;                ///< false: the file could not be queried
  std::uint64_t size = 0;         ///< length in bytes
  std::int64_t creationTime = 0;  ///< birth time, or the modification time where there is none
};

/// Size and creation time of a file. The creation time is the birth time
/// where the file system reports one, else the last modification time.
FileStatus QueryFileStatus(const std::string& path);

/// When the creation time stands in for the EXIF date.
enum class DateFallback {
  kInvalidOrZero,  ///< adding picture files: also when the file has no EXIF date
  kInvalidOnly,    ///< adding a folder and the camera import: a missing date stays 0.0
};

/// The date of a DateTimeOriginal text ("YYYY:MM:DD HH:MM:SS"): valid 0.0
/// when the text is not 19 characters long, invalid when its fields are not
/// a calendar moment.
COleDateTime DateFromExifText(std::string_view text);

/// The EXIF date of a file as DateFromExifText gives it (valid 0.0 without one).
COleDateTime ExifCaptureDate(const std::string& path);

/// The capture date of a file: its EXIF date, or the creation time from
/// `status` where `fallback` says so (invalid when the status query failed).
COleDateTime CaptureDate(const std::string& path, const FileStatus& status, DateFallback fallback);

}  // namespace kolvaro
