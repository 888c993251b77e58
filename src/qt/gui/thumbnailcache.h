#pragma once
// The desktop's shared thumbnail cache: PNG files named by the MD5 of the
// picture's file URI under the user's cache folder, so that thumbnails made
// by file managers serve Kolvaro and the other way round.

#include <QByteArray>
#include <QImage>
#include <cstdint>
#include <string>
#include <string_view>

namespace kolvaro {

/// The edge of the square a thumbnail of each size fits into.
enum class ThumbnailSize : int { kNormal = 128, kLarge = 256 };

/// "file://" and the absolute path, every byte outside the unreserved
/// characters and !$&'()*+,=:@/ percent-encoded (upper-case hex), as the
/// desktop's file managers spell it, so that their keys match ours.
std::string ThumbnailUri(std::string_view absolutePath);
/// The MD5 of the URI as 32 lower-case hex digits.
std::string ThumbnailKey(std::string_view uri);
/// $XDG_CACHE_HOME/thumbnails when that is set and absolute, else
/// ~/.cache/thumbnails; "" when neither can be found.
std::string DefaultThumbnailRoot();

/// What a thumbnail is checked against: the picture file as it is now.
struct ThumbnailSource {
  enum class State { kOk, kMissing, kUnreadable };
  State state = State::kMissing;
  std::string path;
  std::string uri;
  std::int64_t mtime = 0;  ///< seconds, as stat gives them
  std::int64_t size = 0;   ///< bytes

  /// Looks the file up: only a regular file the user may read is kOk.
  static ThumbnailSource Of(const std::string& path);
};

/// The PNG file the cache holds for `image`: its pixels as they are, with
/// the fields as plain text chunks, the only kind the desktop reads.
QByteArray ThumbnailPng(const QImage& image, const ThumbnailSource& source);

class CThumbnailCache {
 public:
  /// `root` is the thumbnails folder; "" makes a cache that holds nothing.
  explicit CThumbnailCache(std::string root = DefaultThumbnailRoot());

  const std::string& Root() const { return m_root; }
  /// root/normal/KEY.png or root/large/KEY.png.
  std::string PathFor(const std::string& uri, ThumbnailSize size) const;
  /// root/fail/kolvaro-VERSION/KEY.png.
  std::string FailPathFor(const std::string& uri) const;
  /// True for a file inside the cache itself, which is never thumbnailed.
  bool Holds(const std::string& path) const;

  /// The cached thumbnail when it fits the size's edge and its URI,
  /// modification time and (where it says one) size match the file; a null
  /// image otherwise. Nothing larger than the edge is ever decoded.
  QImage Lookup(const ThumbnailSource& source, ThumbnailSize size) const;
  /// True when an earlier attempt of this program failed on the file as it is now.
  bool HasFailed(const ThumbnailSource& source) const;

  /// Writes the thumbnail (at most the size's edge) with the required
  /// fields, atomically: a temporary file in the same folder, then a rename.
  bool Store(const ThumbnailSource& source, ThumbnailSize size, const QImage& thumbnail) const;
  /// Records that the file cannot be made into a thumbnail.
  bool StoreFailure(const ThumbnailSource& source) const;

 private:
  bool Write(const std::string& folder, const std::string& file, QImage image,
             const ThumbnailSource& source) const;

  std::string m_root;
};

}  // namespace kolvaro
