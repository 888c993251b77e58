// Feeds arbitrary bytes to the HEIF reader as an ISO base media file: boxes,
// item information and item locations. Whatever it finds must be no larger
// than the EXIF bound (extents may repeat parts of the input, so it can be
// larger than the input); the EXIF reader then parses it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exifreader.h"
#include "core/mediafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kolvaro::CMemoryRandomBytes src({data, size});
  for (const kolvaro::MediaKind kind : {kolvaro::MediaKind::kHeif, kolvaro::MediaKind::kRaw}) {
    const auto exif = kolvaro::FindExif(src, kind);
    if (exif && exif->bytes.size() > kolvaro::kMaxExifBlockSize)
      __builtin_trap();
  }
  std::string text;
  kolvaro::CExifReader::FromMemory({data, size}).GetCaptureDateText(text);
  return 0;
}
