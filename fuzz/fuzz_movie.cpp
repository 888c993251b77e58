// Feeds arbitrary bytes to the MP4/MOV atom reader: the movie header's
// creation time, wherever the movie box lies. A time it gives must be a
// calendar moment of the years 1904 to 9999.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/exifreader.h"
#include "core/mediafile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kolvaro::CMemoryRandomBytes src({data, size});
  const auto time = kolvaro::FindMovieCreationTime(src);
  if (time && (*time < -2082844800 || *time > 253402300799)) __builtin_trap();
  std::string text;
  kolvaro::CExifReader::FromMemory({data, size}).GetCaptureDateText(text);
  return 0;
}
