// Feeds arbitrary bytes to the PNG and WebP chunk readers and the TIFF
// directory copier. What they find must be a part of the input (or, for the
// copier, no larger than the EXIF bound); the EXIF reader then parses it.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exifreader.h"
#include "core/mediafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kolvaro::CMemoryRandomBytes src({data, size});
  for (const kolvaro::MediaKind kind : {kolvaro::MediaKind::kPng, kolvaro::MediaKind::kWebp}) {
    const auto exif = kolvaro::FindExif(src, kind);
    if (exif && exif->bytes.size() > size) __builtin_trap();
  }
  const auto tiff = kolvaro::FindExif(src, kolvaro::MediaKind::kTiff);
  if (tiff && tiff->bytes.size() > kolvaro::kMaxExifBlockSize) __builtin_trap();
  std::string text;
  const kolvaro::CExifReader reader = kolvaro::CExifReader::FromMemory({data, size});
  for (const std::uint16_t tag : kolvaro::CExifReader::KnownTags()) reader.GetTagText(tag, text);
  return 0;
}
