// Hostile XMP sidecars through the import: the bytes become the sidecar of a
// 640 x 480 picture turned by orientation 6, and whatever the plan applies
// must be rectangles of some area inside the picture with their corners in
// order. Then the album is exported back into the same sidecar.
//
//   fuzz_xmp -rss_limit_mb=1024 -max_len=65536 <corpus copy> ../fuzz/corpus/xmp

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/meriskdoc.h"
#include "core/safefile.h"
#include "maintenance/xmpexchange.h"
#include "core/ports/settings.h"

namespace {

using namespace kolvaro;

// SOI, an EXIF block with orientation 6, the frame header (640 x 480) and EOI:
// all the store reads of a picture.
const std::string& Picture() {
  static const std::string jpeg = [] {
    const unsigned char bytes[] = {
        0xFF, 0xD8,                                                  // SOI
        0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,            // APP1, 34 bytes
        'I', 'I', 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,                // TIFF header
        0x01, 0x00,                                                  // one entry
        0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00,  // 274 = 6
        0x00, 0x00, 0x00, 0x00,                                      // no next IFD
        0xFF, 0xC0, 0x00, 0x11, 0x08, 0x01, 0xE0, 0x02, 0x80, 0x03,  // SOF0 480 x 640
        0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01,
        0xFF, 0xD9};                                                 // EOI
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
  }();
  return jpeg;
}

const std::string& Folder() {
  static const std::string folder = [] {
    char pattern[] = "/tmp/kolvaro-fuzz-xmp-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    const std::string f = std::string(pattern) + "/";
    if (SaveFileSafely(f + "bild.jpg", Picture(), nullptr, nullptr) != 0) std::abort();
    return f;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string folder = Folder();
  // A plain write: the import never writes, and a flush per input would only slow the fuzzer.
  std::FILE* sidecar = std::fopen((folder + "bild.jpg.xmp").c_str(), "wb");
  if (!sidecar || std::fwrite(data, 1, size, sidecar) != size || std::fclose(sidecar) != 0) std::abort();
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  doc.OnNewDocument();
  const std::int32_t picture = doc.AddPicture(folder + "bild.jpg", COleDateTime(), 0, "");
  static const std::unique_ptr<IXmpStore> store = CreateXmpStore();
  const XmpImportPlan plan = PlanXmpImport(doc, {picture}, *store);
  ApplyXmpImport(doc, plan);
  for (POSITION pos = doc.PersonsOnPictures().GetStartPosition(); pos != kNullPosition;) {
    std::int32_t person, on;
    Rect r;
    doc.PersonsOnPictures().GetNext(pos, person, on, &r);
    if (r.left < 0 || r.top < 0 || r.left >= r.right || r.top >= r.bottom || r.right > 640 || r.bottom > 480)
      __builtin_trap();
  }
  // And back: the merge into the hostile packet must hold as well.
  ExportXmp(doc, {picture}, {}, *store);
  return 0;
}
