#pragma once
// Plain arithmetic of the XMP exchange: person rectangles between the album's
// stored pixel grid and the normalised, centre-based areas of face regions,
// and how region and keyword names meet the album's persons and themes.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/types.h"

namespace kolvaro {

/// A picture's own pixel grid as the file stores it, and its EXIF
/// orientation (tag 274, 1 to 8; anything else counts as 1).
struct PictureGeometry {
  unsigned width = 0;
  unsigned height = 0;
  int orientation = 1;
};

/// A region area: centre and size as fractions of the upright picture (the
/// picture after its orientation), as other photo programs show it.
struct NormalisedArea {
  double x = 0;  ///< centre
  double y = 0;
  double w = 0;
  double h = 0;
};

/// Width and height of the upright picture: swapped for orientations 5 to 8.
void UprightSize(const PictureGeometry& g, unsigned& width, unsigned& height);

/// A stored rectangle (pixel edges, right and bottom exclusive) as a
/// normalised area of the upright picture. A picture without pixels gives an
/// empty area.
NormalisedArea StoredRectToArea(const Rect& stored, const PictureGeometry& g);

/// The inverse: rounded to whole pixels, limited to the picture.
Rect AreaToStoredRect(const NormalisedArea& area, const PictureGeometry& g);

/// Limits a stored rectangle (edges in any order) to the picture's stored
/// grid. False when nothing of it lies on the picture.
bool ClipToPicture(Rect& rect, const PictureGeometry& g);

/// What a region's own dimensions say about the grid its area refers to.
struct AppliedTo {
  double width = 0;   ///< 0 when the region does not say
  double height = 0;
  bool pixelUnit = false;  ///< the area is in pixels of width x height, not fractions
};

/// A region area as read, turned into a normalised area of the upright
/// picture. Areas in pixels are divided by the applied-to dimensions; areas
/// whose applied-to dimensions are those of the stored grid of a turned
/// picture (width and height not swapped) were written for the stored grid
/// and are turned upright here. False when nothing sensible can be made of
/// it (pixels without dimensions, sizes not above 0, not finite).
bool AreaForPicture(const NormalisedArea& read, const AppliedTo& applied, const PictureGeometry& g,
                    NormalisedArea& out);

/// Names as keys: folded to lower case for ASCII and the Latin-1 letters, so
/// that "Jürgen" meets "JÜRGEN".
std::string FoldCase(std::string_view name);

/// A named record of the album: person or theme.
struct NamedId {
  std::int32_t id = 0;
  std::string name;
};

/// Records by name, for many look-ups: an exact match first, then one
/// without case (the first record of that folded name).
class NameIndex {
 public:
  NameIndex() = default;
  explicit NameIndex(const std::vector<NamedId>& records);
  void Add(const NamedId& record);
  /// -1 when there is none (the caller creates it).
  std::int32_t Find(std::string_view name) const;

 private:
  std::unordered_map<std::string, std::int32_t> m_exact;
  std::unordered_map<std::string, std::int32_t> m_folded;
};

/// The id of the record called `name`, as NameIndex finds it.
std::int32_t MatchName(std::string_view name, const std::vector<NamedId>& records);

}  // namespace kolvaro
