#pragma once
// XMP of picture files as the exchange with other photo programs needs it:
// face regions, keywords, title and description, read from a sidecar or the
// picture itself and written into either. The only implementation lives in
// xmpstore_exiv2.cpp, so nothing else of Kolvaro sees the XMP library.

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "maintenance/xmpgeometry.h"

namespace kolvaro {

/// One region as a file holds it (Metadata Working Group or Microsoft schema).
struct XmpRegion {
  std::string name;
  std::string type;      ///< "Face" for persons; Microsoft regions count as faces
  NormalisedArea area;   ///< as read; in pixels where applied.pixelUnit says so
  AppliedTo applied;
};

/// The album's person and theme names, folded (FoldCase).
struct XmpAlbumNames {
  std::unordered_set<std::string> persons;
  std::unordered_set<std::string> themes;
};

struct XmpContent {
  std::vector<XmpRegion> regions;
  /// dc:subject; where a file has none of its own and Kolvaro never wrote
  /// it, the leaves of the hierarchical keywords and the IPTC keywords.
  std::vector<std::string> keywords;
  std::string title;                  ///< dc:title, default language
  std::string description;            ///< dc:description, default language

  /// Read: keywords of the file's other lists that did not become keywords
  /// because dc:subject holds the file's keywords and leaves them out.
  std::vector<std::string> keywordsNotTaken;
  /// Write: names that are the album's to say. A face region or keyword of
  /// such a name that the picture no longer has is removed, as is whatever
  /// Kolvaro wrote into the file before and the picture no longer has.
  std::shared_ptr<const XmpAlbumNames> albumNames;
};

/// The two sidecar names other programs use: "bild.jpg.xmp" and "bild.xmp".
enum class SidecarName { kWithExtension, kWithoutExtension };

/// The sidecar of `picture` in the given name form.
std::string SidecarPath(const std::string& picture, SidecarName form);

class IXmpStore {
 public:
  virtual ~IXmpStore() = default;

  /// The picture's stored pixel size and EXIF orientation. False with a
  /// German reason when the file cannot be read as a picture.
  virtual bool ReadGeometry(const std::string& picture, PictureGeometry& geometry, std::string& error) = 0;

  /// The XMP of `picture`: from its sidecar where there is one (the name
  /// with extension first), else embedded in the picture. `source` is the
  /// file read; a picture without any XMP gives true and empty content.
  virtual bool Read(const std::string& picture, XmpContent& content, std::string& source,
                    std::string& error) = 0;

  /// Merges `content` into the sidecar at `path`, creating it where there is
  /// none. The file then says what the album says: face regions, keywords
  /// and the title that are Kolvaro's to say (see XmpContent::albumNames)
  /// follow the picture; every other region and property stays. Written
  /// under a temporary name and renamed into place, the old file's
  /// permissions kept; a read-only file or folder, a symbolic link, anything
  /// but a regular file and a file over 16 MiB are refused with a German
  /// reason. A new sidecar is only prepared: it takes its name at the next
  /// Flush.
  virtual bool WriteSidecar(const std::string& path, const XmpContent& content, std::string& error) = 0;

  struct WriteFailure {
    std::string path;
    std::string error;  ///< German
  };
  /// Makes the prepared sidecars durable with one flush of their file
  /// systems, then gives each its name, never replacing a file that appeared
  /// meanwhile. Returns those that could not be placed.
  virtual std::vector<WriteFailure> Flush() = 0;

  /// The same merge into the XMP packet of a JPEG picture; every other byte
  /// stays, and the picture is replaced by rename, never rewritten in place.
  /// Where that cannot be (several hard links, a locked folder, another
  /// format, a packet over one segment) the picture keeps its bytes, the
  /// sidecar gets the XMP, and the German reason says so: false all the same.
  virtual bool WriteEmbedded(const std::string& picture, const XmpContent& content, std::string& error) = 0;
};

/// The store built on the Exiv2 library.
std::unique_ptr<IXmpStore> CreateXmpStore();

}  // namespace kolvaro
