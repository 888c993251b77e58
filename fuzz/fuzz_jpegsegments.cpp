// Hostile JPEG files through the segment scanner and the copy that replaces
// the XMP packet: the new file must differ from the old only in that one
// segment, and scanning it again must find the new packet.
//
//   fuzz_jpegsegments -rss_limit_mb=1024 -max_len=65536 <corpus copy> ../fuzz/corpus/jpegsegments

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "maintenance/jpegsegments.h"

namespace {

using namespace kolvaro;

std::string Contents(int fd) {
  std::string bytes(static_cast<std::size_t>(::lseek(fd, 0, SEEK_END)), '\0');
  if (::pread(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
    __builtin_trap();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const int in = ::memfd_create("in", 0);
  static const int out = ::memfd_create("out", 0);
  if (in < 0 || out < 0 || ::ftruncate(in, 0) != 0 || ::ftruncate(out, 0) != 0 ||
      ::lseek(out, 0, SEEK_SET) != 0)
    __builtin_trap();
  if (::pwrite(in, data, size, 0) != static_cast<ssize_t>(size)) __builtin_trap();

  JpegLayout layout;
  int error = 0;
  if (ScanJpeg(in, layout, error) != JpegStatus::kOk) return 0;
  if (layout.xmpOffset < 2 || layout.xmpOffset + layout.xmpLength > size) __builtin_trap();
  const std::string packet = "<x:xmpmeta/>";
  if (CopyJpegWithXmp(in, layout, packet, out) != 0) __builtin_trap();

  const std::string old(reinterpret_cast<const char*>(data), size);
  const std::string now = Contents(out);
  const std::size_t segment = 4 + kXmpSignature.size() + packet.size();
  const std::size_t rest = size - layout.xmpOffset - layout.xmpLength;
  if (now.size() != size - layout.xmpLength + segment ||
      now.compare(0, layout.xmpOffset, old, 0, layout.xmpOffset) != 0 ||
      now.compare(now.size() - rest, rest, old, size - rest, rest) != 0)
    __builtin_trap();
  JpegLayout again;
  if (ScanJpeg(out, again, error) != JpegStatus::kOk || again.packet != packet ||
      again.xmpOffset != layout.xmpOffset)
    __builtin_trap();
  return 0;
}
