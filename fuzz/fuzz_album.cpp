// Album files from arbitrary bytes: they load or fail with "Unerwartetes
// Dateiformat.", and whatever loads can be written and read back.
//
//   fuzz_album -rss_limit_mb=512 -malloc_limit_mb=256 <corpus copy> ../fuzz/corpus/album

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "core/archive.h"
#include "core/meriskdoc.h"
#include "core/paths.h"
#include "core/ports/settings.h"

namespace {

using namespace kolvaro;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_album: %s\n", what);
  std::abort();
}

// Loads `bytes`; false on the format error, which must carry its German text.
bool Load(CMeriskDoc& doc, std::span<const std::uint8_t> bytes) {
  CArchive ar(bytes);
  try {
    doc.Serialize(ar);
    return true;
  } catch (const CArchiveException& e) {
    if (std::strcmp(e.what(), CArchiveException().what()) != 0) Fail("format error with another text");
    return false;
  }
}

std::string Store(CMeriskDoc& doc) {
  CArchive ar;
  doc.Serialize(ar);
  return ar.TakeBytes();
}

std::span<const std::uint8_t> AsBytes(const std::string& s) {
  return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// The file path of the archive must agree with the memory path.
void LoadFromFile(std::span<const std::uint8_t> bytes, bool loaded, const std::string& saved) {
  if (bytes.empty()) return;
  std::FILE* f = ::fmemopen(const_cast<std::uint8_t*>(bytes.data()), bytes.size(), "rb");
  if (!f) return;
  CMemorySettings settings;
  CMeriskDoc doc(settings);
  bool ok = true;
  try {
    CArchive ar(f, bytes.size());
    doc.Serialize(ar);
  } catch (const CArchiveException&) {
    ok = false;
  }
  std::fclose(f);
  if (ok != loaded) Fail("file and memory archives disagree on success");
  if (ok && Store(doc) != saved) Fail("file and memory archives read different albums");
}

// What opening and saving do with the names besides the bytes: sorting and
// re-basing them.
void UseNames(CMeriskDoc& doc) {
  doc.SelectPictures(-1, -1, 2);
  doc.SelectPictures(-1, -1, 1);
  for (POSITION p = doc.Pictures().GetStartPosition(); p != kNullPosition;) {
    std::int32_t id;
    const PictureEntry& e = doc.Pictures().GetNextRef(p, id);
    const std::string posix = ResolveStoredPath(PathStyle::Posix, "/home/a/alben/", e.filename);
    (void)MakeStoredPath(PathStyle::Posix, posix, "/home/a/fotos/");
    const std::string win = ResolveStoredPath(PathStyle::Windows, "C:\\Alben\\", e.filename);
    (void)MakeStoredPath(PathStyle::Windows, win, "C:\\Fotos\\");
    std::string canonical;
    (void)Canonicalize(PathStyle::Windows, win, canonical);
    // Against the album's own storage folder, which may be a Windows drive.
    const std::string own = ResolveStoredPath(PathStyle::Posix, doc.StorageFolder(), e.filename);
    (void)Canonicalize(PathStyle::Posix, own, canonical);
    const std::string back = MakeStoredPath(PathStyle::Posix, own, doc.StorageFolder());
    (void)CheckStoredName(PathStyle::Posix, own, doc.StorageFolder(), back);
  }
}

bool HasNegativePictureKeys(const CMeriskDoc& doc) {
  std::int32_t high, low;
  for (POSITION p = doc.ThemesOfPictures().GetStartPosition(); p != kNullPosition;) {
    doc.ThemesOfPictures().GetNext(p, high, low);
    if (low < 0) return true;
  }
  for (POSITION p = doc.PersonsOnPictures().GetStartPosition(); p != kNullPosition;) {
    doc.PersonsOnPictures().GetNext(p, high, low);
    if (low < 0) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> input(data, size);
  CMemorySettings settings;

  CMeriskDoc first(settings);
  const bool loaded = Load(first, input);
  const std::string saved = loaded ? Store(first) : std::string();
  LoadFromFile(input, loaded, saved);
  if (!loaded) return 0;
  UseNames(first);

  // Reading reverses each bucket's chain, so the bytes come back after two rounds.
  CMeriskDoc second(settings);
  if (!Load(second, AsBytes(saved))) Fail("a saved album does not load again");
  const std::string savedAgain = Store(second);
  CMeriskDoc third(settings);
  if (!Load(third, AsBytes(savedAgain))) Fail("a twice saved album does not load again");
  // A link or rectangle with a negative picture id moves its high half on at
  // every read (the format's pair key); everything else must come back.
  if (!HasNegativePictureKeys(first)) {
    if (savedAgain.size() != saved.size()) Fail("the second save has another size");
    if (Store(third) != saved) Fail("two rounds of saving and loading change the album");
  }
  return 0;
}
