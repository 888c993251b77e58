// The shared thumbnail cache without a screen: URIs and keys as the desktop
// spells them, the fields written and checked against the file, the atomic
// write with the cache's permissions, failures that are not retried, and the
// choice between the cache, the EXIF preview and a scaled decoding.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qt/gui/thumbnailmaker.h"
#include "testsupport/jpeg_builder.h"

namespace kolvaro {
namespace {

using From = ThumbnailResult::From;
using State = ThumbnailSource::State;

QByteArray Jpeg(QSize size, Qt::GlobalColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG", 90);
  return bytes;
}

// A camera's file: the EXIF block with the orientation and the preview right after SOI.
QByteArray CameraJpeg(QSize size, int orientation, QSize preview) {
  test::ExifBlock block;
  block.Short(test::Ifd::kZero, 274, static_cast<std::uint16_t>(orientation));
  if (!preview.isEmpty()) {
    const QByteArray thumb = Jpeg(preview, Qt::red);
    block.Thumbnail(test::Bytes(thumb.begin(), thumb.end()));
  }
  const test::Bytes tiff = block.Tiff();
  QByteArray app1("Exif\0\0", 6);
  app1.append(reinterpret_cast<const char*>(tiff.data()), static_cast<qsizetype>(tiff.size()));
  const auto length = static_cast<int>(app1.size() + 2);
  QByteArray segment("\xFF\xE1", 2);
  segment.append(static_cast<char>(length >> 8)).append(static_cast<char>(length & 0xFF)).append(app1);
  const QByteArray jpeg = Jpeg(size, Qt::green);
  return jpeg.left(2) + segment + jpeg.mid(2);
}

class ThumbnailCache : public ::testing::Test {
 protected:
  std::string Write(const QString& name, const QByteArray& bytes) {
    QFile file(pictures.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return file.fileName().toStdString();
  }
  static void SetMTime(const std::string& path, time_t when) {
    const utimbuf times{when, when};
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
  }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 0777;
  }

  QTemporaryDir pictures;
  QTemporaryDir cacheHome;
  CThumbnailCache cache{cacheHome.filePath(QStringLiteral("thumbnails")).toStdString()};
};

TEST(ThumbnailUri, EncodesAsTheDesktopAndHashesTheUri) {
  struct Case {
    const char *path, *uri, *key;
  };
  const Case cases[] = {
      // The cache's own worked example.
      {"/home/jens/photos/me.png", "file:///home/jens/photos/me.png", "c6ee772d9e49320e97ec29a7eb5b1697"},
      {"/fotos/Über See [2]; 50%.jpg", "file:///fotos/%C3%9Cber%20See%20%5B2%5D%3B%2050%25.jpg", nullptr},
      {"/a/(b)*!$&'+,=:@~-_.jpg", "file:///a/(b)*!$&'+,=:@~-_.jpg", nullptr},
      {"/a/#?\\\"<>.jpg", "file:///a/%23%3F%5C%22%3C%3E.jpg", nullptr},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ThumbnailUri(c.path), c.uri);
    if (c.key) {
      EXPECT_EQ(ThumbnailKey(c.uri), c.key);
    }
  }
}

TEST_F(ThumbnailCache, StoresTheFieldsAtomicallyAndChecksThemAgainstTheFile) {
  const std::string path = Write(QStringLiteral("a b.jpg"), Jpeg({400, 300}, Qt::green));
  SetMTime(path, 1700000000);
  const ThumbnailResult made = MakeThumbnail(cache, path, ThumbnailSize::kNormal);
  ASSERT_TRUE(made.stored);
  const ThumbnailSource source = ThumbnailSource::Of(path);
  const std::string stored = cache.PathFor(source.uri, ThumbnailSize::kNormal);
  EXPECT_EQ(stored, cache.Root() + "/normal/" + ThumbnailKey(source.uri) + ".png");

  const QImage png(QString::fromStdString(stored), "png");
  EXPECT_EQ(png.text(QStringLiteral("Thumb::URI")).toStdString(), source.uri);
  EXPECT_EQ(png.text(QStringLiteral("Thumb::MTime")), QStringLiteral("1700000000"));
  EXPECT_EQ(png.text(QStringLiteral("Thumb::Size")), QString::number(source.size));
  EXPECT_EQ(png.size(), QSize(128, 96));
  EXPECT_TRUE(png.hasAlphaChannel());
  EXPECT_EQ(Mode(stored), 0600u);
  EXPECT_EQ(Mode(cache.Root()), 0700u);
  EXPECT_EQ(Mode(cache.Root() + "/normal"), 0700u);
  // No temporary file stays behind.
  EXPECT_EQ(QDir(QString::fromStdString(cache.Root() + "/normal")).entryList(QDir::Files | QDir::Hidden).size(), 1);

  // Another file of the same time and size must not take this thumbnail.
  const std::string twin = Write(QStringLiteral("twin.jpg"), Jpeg({400, 300}, Qt::green));
  SetMTime(twin, 1700000000);
  const ThumbnailSource twinSource = ThumbnailSource::Of(twin);
  ASSERT_TRUE(QFile::copy(QString::fromStdString(stored),
                          QString::fromStdString(cache.PathFor(twinSource.uri, ThumbnailSize::kNormal))));
  EXPECT_TRUE(cache.Lookup(twinSource, ThumbnailSize::kNormal).isNull());

  EXPECT_FALSE(cache.Lookup(ThumbnailSource::Of(path), ThumbnailSize::kNormal).isNull());
  SetMTime(path, 1700000001);
  EXPECT_TRUE(cache.Lookup(ThumbnailSource::Of(path), ThumbnailSize::kNormal).isNull()) << "modified later";
  SetMTime(path, 1600000000);
  EXPECT_TRUE(cache.Lookup(ThumbnailSource::Of(path), ThumbnailSize::kNormal).isNull()) << "an older file moved over it";
}

TEST_F(ThumbnailCache, RecordsAFailureAndTriesAgainOnlyWhenTheFileChanges) {
  const std::string broken = Write(QStringLiteral("broken.jpg"), QByteArray("\xFF\xD8\xFF\xE0garbage", 11));
  SetMTime(broken, 1700000000);
  EXPECT_EQ(MakeThumbnail(cache, broken, ThumbnailSize::kNormal).state, State::kUnreadable);
  const ThumbnailSource source = ThumbnailSource::Of(broken);
  EXPECT_EQ(cache.FailPathFor(source.uri), cache.Root() + "/fail/kolvaro-2.4/" + ThumbnailKey(source.uri) + ".png");
  EXPECT_TRUE(cache.HasFailed(source));

  // Saved again by another program: worth another try.
  SetMTime(broken, 1700000005);
  EXPECT_FALSE(cache.HasFailed(ThumbnailSource::Of(broken)));
}

TEST_F(ThumbnailCache, ChoosesTheCacheThenAGoodEnoughPreviewThenAScaledDecoding) {
  struct Case {
    const char* name;
    QSize picture, preview;
    int orientation;
    ThumbnailSize size;
    From from;
    QSize result;
  };
  const Case cases[] = {
      {"preview large enough", {1600, 1200}, {160, 120}, 1, ThumbnailSize::kNormal, From::kEmbedded, {128, 96}},
      {"preview too small", {1600, 1200}, {160, 120}, 1, ThumbnailSize::kLarge, From::kDecoded, {256, 192}},
      {"4:3 preview of 3:2", {1500, 1000}, {160, 120}, 1, ThumbnailSize::kNormal, From::kDecoded, {128, 85}},
      {"no preview", {1600, 1200}, {}, 1, ThumbnailSize::kNormal, From::kDecoded, {128, 96}},
      {"turned upright", {1600, 1200}, {160, 120}, 6, ThumbnailSize::kNormal, From::kEmbedded, {96, 128}},
      {"small kept small", {100, 50}, {}, 1, ThumbnailSize::kNormal, From::kDecoded, {100, 50}},
  };
  for (const Case& c : cases) {
    const std::string path = Write(QString::fromLatin1(c.name) + QStringLiteral(".jpg"),
                                   CameraJpeg(c.picture, c.orientation, c.preview));
    const ThumbnailResult first = MakeThumbnail(cache, path, c.size);
    EXPECT_EQ(first.from, c.from) << c.name;
    EXPECT_EQ(first.image.size(), c.result) << c.name;
    // The preview is red, the picture green: the pixels come from where it says.
    const QColor middle = first.image.pixelColor(first.image.rect().center());
    EXPECT_EQ(middle.red() > middle.green(), c.from == From::kEmbedded) << c.name;
    const ThumbnailResult second = MakeThumbnail(cache, path, c.size);
    EXPECT_EQ(second.from, From::kCache) << c.name;
    EXPECT_EQ(second.image.size(), c.result) << c.name;
  }
  EXPECT_EQ(MakeThumbnail(cache, pictures.filePath(QStringLiteral("gone.jpg")).toStdString(), ThumbnailSize::kNormal).state,
            State::kMissing);
}

}  // namespace
}  // namespace kolvaro
