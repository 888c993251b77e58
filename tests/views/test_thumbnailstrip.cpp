// The thumbnail strip, offscreen: a click or Enter shows the picture as the
// slider does, the keys move the focus, the strip follows the current
// picture and the selection, a missing file gets its placeholder, a camera's
// preview stands in until the picture's own thumbnail is made, and the
// memory keeps the most recently shown thumbnails within its budget.
#include <QDir>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include <algorithm>

#include "res/commands.h"
#include "testsupport/camera_jpeg.h"
#include "testsupport/description_album.h"
#include "testsupport/qt.h"
#include "views/imagedescription.h"
#include "views/thumbnailstrip.h"

namespace kolvaro {
namespace {

using State = ThumbnailSource::State;

TEST(ThumbnailMemory, DropsTheLeastRecentlyShownBeyondItsBudget) {
  QImage image(32, 32, QImage::Format_RGB32);  // 4 KiB each
  CThumbnailMemory memory(3 * 4096 + 3 * 512);
  for (const char* name : {"a", "b", "c"}) memory.Put(QString::fromLatin1(name), {image, State::kOk});
  ASSERT_NE(memory.Find(QStringLiteral("a")), nullptr);  // shown again: b is now the oldest
  memory.Put(QStringLiteral("d"), {image, State::kOk});
  EXPECT_TRUE(memory.Holds(QStringLiteral("a")));
  EXPECT_FALSE(memory.Holds(QStringLiteral("b")));
  EXPECT_TRUE(memory.Holds(QStringLiteral("d")));
  EXPECT_LE(memory.Bytes(), 3 * 4096u + 3 * 512u);
}

// The box is in device pixels: at two pixels to the point the strip needs the large thumbnail.
TEST(ThumbnailLoader, FillsItsBoxAtEveryPixelRatio) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("foto.jpg"));
  QImage photo(1600, 1200, QImage::Format_RGB32);
  photo.fill(Qt::darkCyan);
  ASSERT_TRUE(photo.save(path, "JPG"));
  for (const int edge : {96, 120, 192}) {
    QImage got;
    CThumbnailLoader loader(
        CThumbnailCache(dir.filePath(QStringLiteral("cache")).toStdString()), QSize(edge, edge),
        [&](const QString&, const QImage& image, ThumbnailSource::State, bool) { got = image; });
    loader.Want({{path, true}});
    EXPECT_TRUE(test::WaitUntil([&] { return !got.isNull(); })) << edge;
    EXPECT_EQ(got.size(), QSize(edge, edge * 3 / 4)) << edge;
  }
}

// Shown in logical pixels, a thumbnail is as large on a screen of two pixels
// to the point as on a plain one: a 100-pixel picture does not shrink to 50.
TEST(ThumbnailLoader, ASmallPictureShowsAtTheSameSizeAtEveryPixelRatio) {
  constexpr int kEdge = CThumbnailStrip::kThumbnailEdge;
  const struct {
    QSize thumbnail;
    qreal screen;
    QSizeF logical;
  } cases[] = {
      {{96, 72}, 1, {96, 72}},    {{192, 144}, 2, {96, 72}}, {{100, 40}, 1, {96, 38.4}},
      {{100, 40}, 2, {96, 38.4}}, {{40, 30}, 2, {40, 30}},   {{144, 108}, 1.5, {96, 72}},
  };
  for (const auto& c : cases) {
    const QSize box = (QSizeF(kEdge, kEdge) * c.screen).toSize();
    // The loader fits larger pictures into its box; a smaller one comes as it is.
    const QSize made = c.thumbnail.boundedTo(box) == c.thumbnail ? c.thumbnail
                                                                 : c.thumbnail.scaled(box, Qt::KeepAspectRatio);
    QSizeF shown = QSizeF(made) / ShownPixelRatio(made, box, c.screen);
    if (shown.width() > kEdge || shown.height() > kEdge) shown.scale(kEdge, kEdge, Qt::KeepAspectRatio);
    EXPECT_NEAR(shown.width(), c.logical.width(), 0.5) << c.thumbnail.width() << "@" << c.screen;
    EXPECT_NEAR(shown.height(), c.logical.height(), 0.5) << c.thumbnail.width() << "@" << c.screen;
  }
}

class ThumbnailStrip : public test::DescriptionAlbum {
 protected:
  void SetUp() override {
    DescriptionAlbum::SetUp();
    for (int i = 0; i < 30; ++i)
      AddPicture("p" + std::to_string(100 + i) + ".jpg", 60 + i, 40, 2048, "Bild " + std::to_string(i));
    // The fourth picture's file is gone.
    QFile::remove(folder.filePath(QStringLiteral("p103.jpg")));
    SelectAll();
    pane.resize(900, 700);
    auto* layout = new QVBoxLayout(&pane);
    view = new CImageDescription(doc, ui, &pane);
    strip = new CThumbnailStrip(
        doc, [this](int position) { view->ShowPosition(position); },
        CThumbnailCache(cache.path().toStdString()), &pane);
    layout->addWidget(view, 1);
    layout->addWidget(strip);
    pane.show();
    view->OnInitialUpdate();
  }
  void Click(int row) {
    const QRect cell = strip->visualRect(strip->model()->index(row, 0));
    ASSERT_TRUE(strip->viewport()->rect().contains(cell.center())) << row;
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, cell.center());
  }
  bool InSight(int row) {
    return strip->viewport()->rect().contains(strip->visualRect(strip->model()->index(row, 0)).center());
  }

  QTemporaryDir cache;
  QWidget pane;
  CImageDescription* view = nullptr;
  CThumbnailStrip* strip = nullptr;
};

TEST_F(ThumbnailStrip, ClickCommitsTheHeadlineThenShowsThatPicture) {
  auto* headline = view->findChild<QPlainTextEdit*>(QStringLiteral("editHeadline"));
  ASSERT_NE(headline, nullptr);
  headline->setFocus();
  headline->setPlainText(QStringLiteral("Am See"));
  headline->document()->setModified(true);  // as typing leaves it
  const std::int32_t first = doc.CurrentPicture();
  Click(5);
  EXPECT_EQ(doc.CurrentPosition(), 5);
  EXPECT_EQ(view->ShownPicture(), doc.Selection()[5]);
  EXPECT_EQ(doc.Pictures().Find(first)->title, "Am See");
  EXPECT_EQ(strip->MarkedRow(), 5);
}

TEST_F(ThumbnailStrip, KeysMoveTheFocusAndEnterShowsThePicture) {
  strip->setFocus();
  QTest::keyClick(strip, Qt::Key_Right);
  QTest::keyClick(strip, Qt::Key_Right);
  EXPECT_EQ(strip->currentIndex().row(), 2);
  EXPECT_EQ(doc.CurrentPosition(), 0) << "moving the focus shows nothing yet";
  QTest::keyClick(strip, Qt::Key_Return);
  EXPECT_EQ(doc.CurrentPosition(), 2);
  QTest::keyClick(strip, Qt::Key_End);
  QTest::keyClick(strip, Qt::Key_Enter);
  EXPECT_EQ(doc.CurrentPosition(), 29);
}

TEST_F(ThumbnailStrip, FollowsTheCurrentPictureAndTheSelection) {
  struct Step {
    const char* name;
    std::function<void()> act;
    int rows, marked;
  };
  const Step steps[] = {
      {"previous wraps to the last", [&] { view->OnCommand(ID_PREV_PICTURE); }, 30, 29},
      {"next", [&] { view->OnCommand(ID_NEXT_PICTURE); }, 30, 0},
      {"another selection", [&] { doc.SetExplicitSelection({doc.Selection()[7], doc.Selection()[3]}); }, 2, 0},
      {"set by the document", [&] { doc.SetCurrentIndex(1); }, 2, 1},
      {"no pictures", [&] { doc.SetExplicitSelection({}); }, 0, -1},
  };
  for (const Step& s : steps) {
    s.act();
    EXPECT_EQ(strip->model()->rowCount(), s.rows) << s.name;
    EXPECT_EQ(strip->MarkedRow(), s.marked) << s.name;
    EXPECT_TRUE(s.marked < 0 || InSight(s.marked)) << s.name;
  }
}

TEST_F(ThumbnailStrip, ThumbnailsInSightArriveAndAMissingFileGetsItsPlaceholder) {
  ASSERT_TRUE(test::WaitUntil([&] { return strip->Loader().Pending() == 0 && strip->Memory().Count() >= 5; }));
  EXPECT_FALSE(strip->HeldFor(0).image.isNull());
  EXPECT_EQ(strip->HeldFor(0).image.deviceIndependentSize().toSize(), QSize(60, 40));
  EXPECT_EQ(strip->HeldFor(3).state, State::kMissing);
  EXPECT_TRUE(strip->HeldFor(3).image.isNull());
  // Nothing out of sight was made.
  EXPECT_FALSE(InSight(29));
  EXPECT_TRUE(strip->HeldFor(29).image.isNull());
  EXPECT_NE(strip->model()->index(3, 0).data(Qt::ToolTipRole).toString().indexOf(QStringLiteral("Bild 3\n")), -1);

  // A file that goes while its thumbnail is held shows its placeholder once its picture is shown.
  ASSERT_FALSE(strip->HeldFor(1).image.isNull());
  ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("p101.jpg"))));
  view->ShowPosition(1);
  EXPECT_TRUE(test::WaitUntil([&] { return strip->HeldFor(1).state == State::kMissing; }));
}

TEST_F(ThumbnailStrip, ANewSelectionLooksAtEveryFileInSightAgain) {
  ASSERT_TRUE(test::WaitUntil(
      [&] { return strip->Loader().Pending() == 0 && strip->Memory().Count() >= 5; }));
  ASSERT_FALSE(strip->HeldFor(4).image.isNull());
  // The folder renamed behind Kolvaro's back, then "Los!" with the same choice.
  const QString moved = folder.path() + QStringLiteral("-umbenannt");
  ASSERT_TRUE(QDir().rename(folder.path(), moved));
  doc.SelectPictures(-1, -1, 1);
  EXPECT_TRUE(test::WaitUntil([&] {
    for (int row = 0; row < 5; ++row)
      if (strip->HeldFor(row).state != State::kMissing) return false;
    return true;
  }));
  ASSERT_TRUE(QDir().rename(moved, folder.path()));
}

TEST_F(ThumbnailStrip, ShowsTheCamerasPreviewAtOnceThenThePicturesOwnThumbnail) {
  QFile camera(folder.filePath(QStringLiteral("p100.jpg")));
  ASSERT_TRUE(camera.open(QIODevice::WriteOnly));
  camera.write(test::CameraJpeg({1600, 1200}, 1, {160, 120}));
  camera.close();
  std::vector<bool>
      shown;  // whether the first cell showed the preview, each time a thumbnail arrived
  QObject::connect(strip, &CThumbnailStrip::ThumbnailArrived, [&] {
    const CThumbnailMemory::Entry held = strip->HeldFor(0);
    if (!held.image.isNull()) shown.push_back(test::ShowsPreview(held.image));
  });
  doc.SetCurrentIndex(0);
  ASSERT_TRUE(test::WaitUntil([&] { return !shown.empty() && !shown.back(); }));
  EXPECT_NE(std::find(shown.begin(), shown.end(), true), shown.end()) << "the preview first";
  EXPECT_FALSE(strip->HeldFor(0).preview);
  // Only the picture's own pixels went into the cache the whole desktop trusts.
  const ThumbnailSource source = ThumbnailSource::Of(camera.fileName().toStdString());
  const QImage stored(QString::fromStdString(
      CThumbnailCache(cache.path().toStdString()).PathFor(source.uri, ThumbnailSize::kNormal)));
  ASSERT_FALSE(stored.isNull());
  EXPECT_FALSE(test::ShowsPreview(stored));
}

}  // namespace
}  // namespace kolvaro
