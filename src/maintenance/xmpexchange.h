#pragma once
// Exchange of persons, themes and headlines with other photo programs through
// XMP: export writes them for a set of pictures, import first plans what the
// pictures' XMP would change and applies the plan through the record
// operations, so that the transaction log carries it.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/meriskdoc.h"
#include "maintenance/xmpstore.h"

namespace kolvaro {

/// Told after each picture (done of total); false stops the job.
using XmpProgress = std::function<bool(std::size_t done, std::size_t total)>;

struct XmpExportOptions {
  std::optional<SidecarName> sidecar = SidecarName::kWithExtension;  ///< none: no sidecar
  bool embed = false;  ///< also into the picture files themselves
};

struct XmpExportResult {
  std::size_t written = 0;  ///< pictures whose XMP was written everywhere asked
  bool cancelled = false;
  std::vector<std::string> problems;  ///< German, one per file that failed
};

/// What Kolvaro writes for one picture: each person as a face region (the
/// part of the mark on the picture; none for a mark beside it), the themes
/// as keywords, the headline as title.
XmpContent ContentOfPicture(const CMeriskDoc& doc, std::int32_t picture, const PictureGeometry& geometry);

/// Writes the XMP of `pictures`; a file that fails is listed and the others go on.
XmpExportResult ExportXmp(const CMeriskDoc& doc, const std::vector<std::int32_t>& pictures,
                          const XmpExportOptions& options, IXmpStore& store, const XmpProgress& progress = {});

/// What an import would change. Person and theme ids below -1 stand for the
/// new names: -2 is the first of newPersons or newThemes, -3 the second ...
struct XmpImportPlan {
  struct Rectangle {
    std::int32_t person;
    std::int32_t picture;
    Rect rect;
    bool changed;  ///< the person had another rectangle on the picture
  };
  struct ThemeLink {
    std::int32_t theme;
    std::int32_t picture;
  };
  struct Headline {
    std::int32_t picture;
    std::string title;
  };

  std::size_t pictures = 0;  ///< pictures whose XMP was read
  std::vector<std::string> newPersons;
  std::vector<std::string> newThemes;
  std::vector<Rectangle> rectangles;
  std::vector<ThemeLink> themeLinks;
  std::vector<Headline> headlines;
  std::vector<std::string> problems;  ///< German: files not read, regions skipped
  std::size_t unreadable = 0;         ///< pictures whose XMP or size could not be read
  bool cancelled = false;

  bool Empty() const {
    return newPersons.empty() && newThemes.empty() && rectangles.empty() && themeLinks.empty() &&
           headlines.empty();
  }
};

/// Reads the XMP of `pictures` and plans the changes; changes nothing.
/// Regions that are not faces, have no name or no usable area are listed
/// in problems and skipped. A rectangle within one pixel of the stored one
/// counts as unchanged.
XmpImportPlan PlanXmpImport(const CMeriskDoc& doc, const std::vector<std::int32_t>& pictures, IXmpStore& store,
                            const XmpProgress& progress = {});

/// Applies a plan (made for this album, not cancelled) through the record
/// operations: new persons and themes first, then rectangles, links, headlines.
void ApplyXmpImport(CMeriskDoc& doc, const XmpImportPlan& plan);

/// The German summary, with the new names: what would change, or once
/// `applied`, what did.
std::string XmpImportSummary(const XmpImportPlan& plan, bool applied = false);

/// Every picture id of the album, in table order.
std::vector<std::int32_t> AllPictures(const CMeriskDoc& doc);

}  // namespace kolvaro
