// The shared thumbnail cache without a screen: URIs and keys as the desktop
// spells them, the fields written and checked against the file, the atomic
// write with the cache's permissions, what the desktop accepts, failures
// that are not retried, oversized files in the cache, the pixel limit, and
// the choice between the cache, the EXIF preview and a scaled decoding.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "qt/gui/thumbnailmaker.h"
#include "testsupport/camera_jpeg.h"

namespace kolvaro {
namespace {

using From = ThumbnailResult::From;
using State = ThumbnailSource::State;

using test::CameraJpeg;
using test::Jpeg;
using test::ShowsPreview;

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

// The desktop's own reader, as its file manager and file chooser use it.
TEST_F(ThumbnailCache, TheDesktopTakesTheStoredThumbnail) {
  const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
  if (gio.isEmpty()) GTEST_SKIP() << "gio is missing (package libglib2.0-bin)";
  const QString folder = QStringLiteral("Ferien am Bodensee mit Großmutter");
  ASSERT_TRUE(QDir(pictures.path()).mkpath(folder));
  const std::string path = Write(folder + QStringLiteral("/Überlingen am Abend – Bild 7.jpg"),
                                 Jpeg({400, 300}, Qt::green));
  ASSERT_TRUE(MakeThumbnail(cache, path, ThumbnailSize::kNormal).stored);

  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome.path());
  process.setProcessEnvironment(environment);
  process.start(
      gio, {QStringLiteral("info"), QStringLiteral("-a"),
            QStringLiteral("thumbnail::is-valid,thumbnail::path"), QString::fromStdString(path)});
  ASSERT_TRUE(process.waitForFinished(20000));
  const QString answer = QString::fromUtf8(process.readAllStandardOutput());
  EXPECT_TRUE(answer.contains(QStringLiteral("thumbnail::is-valid: TRUE"))) << answer.toStdString();
  const std::string stored = cache.PathFor(ThumbnailSource::Of(path).uri, ThumbnailSize::kNormal);
  EXPECT_TRUE(answer.contains(QStringLiteral("thumbnail::path: ") + QString::fromStdString(stored)))
      << answer.toStdString();
}

TEST_F(ThumbnailCache, IgnoresAndReplacesAStoredThumbnailLargerThanItsSize) {
  const std::string path = Write(QStringLiteral("a.jpg"), Jpeg({400, 300}, Qt::green));
  const ThumbnailSource source = ThumbnailSource::Of(path);
  const std::string stored = cache.PathFor(source.uri, ThumbnailSize::kNormal);
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(cache.Root() + "/normal")));
  QImage giant(5700, 5700, QImage::Format_Mono);
  giant.fill(0);
  QFile planted(QString::fromStdString(stored));
  ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
  planted.write(ThumbnailPng(giant, source));
  planted.close();

  EXPECT_TRUE(cache.Lookup(source, ThumbnailSize::kNormal).isNull());
  const ThumbnailResult made = MakeThumbnail(cache, path, ThumbnailSize::kNormal);
  EXPECT_EQ(made.from, From::kDecoded);
  EXPECT_TRUE(made.stored);
  EXPECT_EQ(QImageReader(QString::fromStdString(stored)).size(), QSize(128, 96));
}

TEST(ThumbnailDecoding, HoldsNoMoreThanThePixelLimit) {
  struct Case {
    QSize size;
    const char* format;
    bool decodable;
  };
  const Case cases[] = {
      {{16384, 12288}, "jpeg", true},   // 200 megapixels, decoded at an eighth
      {{80000, 80000}, "jpeg", false},  // an eighth is still 100 megapixels
      {{16384, 12288}, "png", false},   // decoded whole
      {{16384, 12288}, "tiff", false},  // decoded whole
      {{6000, 4000}, "tiff", true},     // 24 megapixels
      {{}, "png", false},               // a size the format does not tell
  };
  for (const Case& c : cases)
    EXPECT_EQ(DecodableForThumbnail(c.size, c.format, 128), c.decodable)
        << c.size.width() << " " << c.format;
}

TEST_F(ThumbnailCache, APreviewShowsOnTheScreenOnlyAndTheCacheGetsThePicturesOwnPixels) {
  struct Case {
    const char* name;
    QSize picture, preview;
    int orientation;
    ThumbnailSize size;
    bool fromPreview;
    QSize result;
  };
  const Case cases[] = {
      {"preview big enough", {1600, 1200}, {160, 120}, 1, ThumbnailSize::kNormal, true, {128, 96}},
      {"preview too small", {1600, 1200}, {160, 120}, 1, ThumbnailSize::kLarge, false, {256, 192}},
      {"4:3 preview of 3:2", {1500, 1000}, {160, 120}, 1, ThumbnailSize::kNormal, false, {128, 85}},
      {"no preview", {1600, 1200}, {}, 1, ThumbnailSize::kNormal, false, {128, 96}},
      {"turned upright", {1600, 1200}, {160, 120}, 6, ThumbnailSize::kNormal, true, {96, 128}},
      {"small kept small", {100, 50}, {}, 1, ThumbnailSize::kNormal, false, {100, 50}},
  };
  for (const Case& c : cases) {
    // A red preview in a green picture, as after an editor changed the pixels but not the EXIF.
    const std::string path = Write(QString::fromLatin1(c.name) + QStringLiteral(".jpg"),
                                   CameraJpeg(c.picture, c.orientation, c.preview));
    const ThumbnailResult screen = MakeThumbnail(cache, path, c.size, EmbeddedPreview::kForScreen);
    EXPECT_EQ(screen.from, c.fromPreview ? From::kEmbedded : From::kDecoded) << c.name;
    EXPECT_EQ(screen.image.size(), c.result) << c.name;
    EXPECT_EQ(ShowsPreview(screen.image), c.fromPreview) << c.name;
    EXPECT_EQ(screen.stored, !c.fromPreview) << c.name;

    const ThumbnailResult own = MakeThumbnail(cache, path, c.size);
    EXPECT_EQ(own.from, c.fromPreview ? From::kDecoded : From::kCache) << c.name;
    const ThumbnailResult cached = MakeThumbnail(cache, path, c.size, EmbeddedPreview::kForScreen);
    EXPECT_EQ(cached.from, From::kCache) << c.name;
    EXPECT_EQ(cached.image.size(), c.result) << c.name;
    EXPECT_FALSE(ShowsPreview(cached.image)) << c.name;
  }
  EXPECT_EQ(MakeThumbnail(cache, pictures.filePath(QStringLiteral("gone.jpg")).toStdString(), ThumbnailSize::kNormal).state,
            State::kMissing);
}

}  // namespace
}  // namespace kolvaro
