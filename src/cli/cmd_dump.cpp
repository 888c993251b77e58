// kolvaro-cli dump ALBUM

#include <cstdio>
#include <memory>

#include "cli/album_io.h"
#include "cli/commands.h"
#include "cli/json.h"
#include "core/archive.h"

namespace kolvaro::cli {
namespace {

void WriteDate(JsonWriter& w, const COleDateTime& d) {
  w.BeginObject(true);
  w.Key("status");
  w.Int(static_cast<std::int32_t>(d.GetStatus()));
  w.Key("value");
  w.Double(d.Value());
  w.EndObject();
}

// The count of a table block; like the document, a count below 1 means none.
std::int32_t ReadCount(CArchive& ar) {
  const std::int32_t n = ar.ReadInt();
  return n < 0 ? 0 : n;
}

template <typename Record>
void Table(JsonWriter& w, CArchive& ar, const char* key, Record record) {
  w.Key(key);
  w.BeginObject();
  const std::int32_t count = ReadCount(ar);
  w.Key("changed");
  WriteDate(w, ar.ReadDate());
  w.Key("records");
  w.BeginArray();
  for (std::int32_t i = 0; i < count; ++i) {
    w.BeginObject();
    record();
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
}

// Walks the album file itself rather than the document's tables: a table
// puts each record it reads at the head of its bucket's chain, so its order
// is the file's order reversed within every bucket, and a repeated id would
// disappear. The document has read the file already; `doc` supplies what a
// file without trailer (version 1) leaves to the defaults.
void WriteAlbum(JsonWriter& w, CArchive& ar, const CMeriskDoc& doc) {
  w.BeginObject();
  const std::int32_t version = ar.ReadInt();
  w.Key("version");
  w.Int(version);
  w.Key("storageFolder");
  w.String(ar.ReadString());
  w.Key("storageMode");
  w.Int(ar.ReadInt());

  Table(w, ar, "pictures", [&] {
    w.Key("id");
    w.Int(ar.ReadInt());
    w.Key("filename");
    w.String(ar.ReadString());
    w.Key("timestamp");
    WriteDate(w, ar.ReadDate());
    w.Key("size");
    w.UInt(ar.ReadDword());
    w.Key("changed");
    WriteDate(w, ar.ReadDate());
    w.Key("title");
    w.String(ar.ReadString());
  });
  Table(w, ar, "personsOnPictures", [&] {
    w.Key("person");
    w.Int(ar.ReadInt());
    w.Key("picture");
    w.Int(ar.ReadInt());
    const Rect r = ar.ReadRect();
    w.Key("rect");
    w.BeginArray(true);
    w.Int(r.left);
    w.Int(r.top);
    w.Int(r.right);
    w.Int(r.bottom);
    w.EndArray();
    w.Key("changed");
    WriteDate(w, ar.ReadDate());
  });
  auto named = [&] {
    w.Key("id");
    w.Int(ar.ReadInt());
    w.Key("name");
    w.String(ar.ReadString());
  };
  Table(w, ar, "persons", named);
  Table(w, ar, "themesOfPictures", [&] {
    w.Key("theme");
    w.Int(ar.ReadInt());
    w.Key("picture");
    w.Int(ar.ReadInt());
    w.Key("date");
    WriteDate(w, ar.ReadDate());
  });
  Table(w, ar, "themes", named);

  const bool trailer = version >= 2;
  w.Key("albumInfo");
  w.String(trailer ? ar.ReadString() : doc.AlbumInfo());
  w.Key("updateUrl");
  w.String(trailer ? ar.ReadString() : doc.UpdateUrl());
  w.Key("infoDialogEnabled");
  w.Int(trailer ? ar.ReadInt() : doc.InfoDialogEnabled());
  w.EndObject();
  w.Finish();
}

}  // namespace

int RunDump(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(ctx, "dump");
  // Opening through the document gives the usual checks and messages, and
  // proves the whole file readable before anything is printed.
  CAlbumFile album(ctx);
  if (!album.Open(args[0])) return kExitFailure;
  // Only what a version-1 file leaves to the defaults is needed from here on;
  // the tables go, so that the output streams beside no more than the file.
  CMeriskDoc& doc = album.Doc();
  doc.ReleaseTables();

  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      std::fopen(album.Path().c_str(), "rb"), &std::fclose);
  if (!file) return Fail(ctx, Text(IDS_FAILED_TO_OPEN_DOC));
  std::fseek(file.get(), 0, SEEK_END);
  const long size = std::ftell(file.get());
  std::fseek(file.get(), 0, SEEK_SET);
  if (size < 0) return Fail(ctx, Text(IDS_FAILED_TO_OPEN_DOC));

  try {
    CArchive ar(file.get(), static_cast<std::uint64_t>(size));
    JsonWriter w(ctx.out);
    WriteAlbum(w, ar, doc);
  } catch (const CArchiveException& e) {
    // Only a file changed since it was opened gets here.
    ctx.out << '\n';
    return Fail(ctx, e.what());
  } catch (const CFileIoException&) {
    ctx.out << '\n';
    return Fail(ctx, Text(IDS_FAILED_TO_OPEN_DOC));
  }
  ctx.out.flush();
  return ctx.out ? kExitOk : Fail(ctx, Text(IDS_CLI_OUTPUT_NOT_WRITTEN));
}

}  // namespace kolvaro::cli
