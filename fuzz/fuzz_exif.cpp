// Feeds arbitrary bytes to the EXIF reader as an in-memory JPEG and asks for
// every tag it has a text rule for, plus a few it has none for, and for the
// embedded thumbnail, which must be a part of the input.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/exifreader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kolvaro::CExifReader reader = kolvaro::CExifReader::FromMemory({data, size});
  std::string text;
  for (const std::uint16_t tag : kolvaro::CExifReader::KnownTags()) reader.GetTagText(tag, text);
  for (const std::uint16_t tag : {0, 1, 513, 34665, 40965, 65535}) reader.GetTagText(tag, text);
  const std::vector<std::uint8_t> thumbnail = reader.EmbeddedThumbnail();
  if (!thumbnail.empty() && (thumbnail.size() > size || thumbnail[0] != 0xFF)) __builtin_trap();
  return 0;
}
