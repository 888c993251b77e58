// Picture loading and the picture control, offscreen: what is painted, which
// notifications the mouse produces, and that EXIF orientation is honoured
// without moving person rectangles off the file's own pixel grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <sys/stat.h>
#include <vector>

#include "testsupport/heic_encoder.h"
#include "views/loadedpicture.h"
#include "views/picturectrl.h"
#include "views/picturelayout.h"

namespace kolvaro {
namespace {

const QColor kRed(230, 20, 20);
const QColor kBlue(20, 20, 230);

bool Near(QColor a, QColor b, int tolerance = 40) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance;
}

bool IsFramePixel(QColor c) { return c == QColor(128, 0, 200) || c == QColor(Qt::white); }

QByteArray Encode(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  writer.setQuality(95);
  EXPECT_TRUE(writer.write(image)) << writer.errorString().toStdString();
  return bytes;
}

// A JPEG whose EXIF block holds only the orientation (tag 274), right after SOI.
QByteArray JpegWithOrientation(const QImage& image, int orientation) {
  QByteArray jpeg = Encode(image, "jpg");
  const char tiff[] = {'M', 'M', 0, 42, 0, 0, 0, 8,                              // header, IFD at 8
                       0, 1,                                                      // one entry
                       0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, static_cast<char>(orientation), 0, 0,  // SHORT
                       0, 0, 0, 0};                                               // no next IFD
  QByteArray app1("Exif\0\0", 6);
  app1.append(tiff, sizeof tiff);
  QByteArray segment;
  segment.append(char(0xFF)).append(char(0xE1));
  const int length = static_cast<int>(app1.size()) + 2;
  segment.append(char(length >> 8)).append(char(length & 0xFF)).append(app1);
  jpeg.insert(2, segment);
  return jpeg;
}

QImage Filled(int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

class PictureTest : public ::testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QString WriteImage(const QString& name, const QImage& image, const char* format = "png") {
    return Write(name, Encode(image, format));
  }
  QTemporaryDir m_dir;
};

TEST_F(PictureTest, LoaderRejectsWhatIsNoPictureAndForgetsTheOldOne) {
  CLoadedPicture picture;
  EXPECT_FALSE(picture.LoadFromFile(Write(QStringLiteral("empty.jpg"), QByteArray())));
  EXPECT_TRUE(picture.IsEmpty());
  EXPECT_FALSE(picture.LoadFromFile(m_dir.filePath(QStringLiteral("missing.jpg"))));
  EXPECT_FALSE(picture.LoadFromFile(Write(QStringLiteral("text.jpg"), QByteArrayLiteral("Urlaub 2019\n"))));
  // A sound header with its size, but pixel data that does not decode.
  QByteArray png = Encode(Filled(64, 48, kRed), "png");
  const qsizetype data = png.indexOf(QByteArrayLiteral("IDAT")) + 4;
  ASSERT_GT(data, 4);
  for (qsizetype i = data; i < data + 8; ++i) png[i] = static_cast<char>(~png[i]);
  EXPECT_FALSE(picture.LoadFromFile(Write(QStringLiteral("damaged.png"), png)));
  // A named pipe is never waited on.
  const QString fifo = m_dir.filePath(QStringLiteral("pipe.jpg"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  EXPECT_FALSE(picture.LoadFromFile(fifo));
  EXPECT_EQ(picture.GetSizeInPixels(), QSize(0, 0));
  EXPECT_TRUE(picture.Decode(QSize(10, 10)).isNull());

  // The stated resolution does not change picture pixels.
  QImage image = Filled(1600, 1200, kBlue);
  image.setDotsPerMeterX(2835);  // 72 dpi
  image.setDotsPerMeterY(11811);  // 300 dpi
  ASSERT_TRUE(picture.LoadFromFile(WriteImage(QStringLiteral("a.png"), image)));
  EXPECT_EQ(picture.GetSizeInPixels(), QSize(1600, 1200));
  EXPECT_EQ(picture.Orientation(), 1);

  ASSERT_TRUE(picture.LoadFromFile(WriteImage(QStringLiteral("b.bmp"), Filled(30, 20, kRed), "bmp")));
  EXPECT_EQ(picture.GetSizeInPixels(), QSize(30, 20));
  EXPECT_FALSE(picture.LoadFromFile(Write(QStringLiteral("c.gif"), QByteArrayLiteral("GIF89a"))));
  EXPECT_TRUE(picture.IsEmpty());
  EXPECT_EQ(picture.GetSizeInPixels(), QSize(0, 0));
}

// The kinds of today's cameras and phones the view shows; HEIC without a Qt plugin.
TEST_F(PictureTest, ShowsEveryPictureKindAPhoneOrCameraWrites) {
  const std::vector<std::uint8_t> heic = test::EncodeHeic(80, 60, 230, 20, 20);
  const std::pair<const char*, QByteArray> files[] = {
      {"a.png", Encode(Filled(80, 60, kRed), "png")},
      {"a.webp", Encode(Filled(80, 60, kRed), "webp")},
      {"a.tif", Encode(Filled(80, 60, kRed), "tiff")},
      {"a.bmp", Encode(Filled(80, 60, kRed), "bmp")},
      {"IMG_0001.HEIC", QByteArray(reinterpret_cast<const char*>(heic.data()), static_cast<qsizetype>(heic.size()))},
  };
  for (const auto& [name, bytes] : files) {
    CLoadedPicture picture;
    ASSERT_TRUE(picture.LoadFromFile(Write(QString::fromLatin1(name), bytes))) << name;
    EXPECT_EQ(picture.GetSizeInPixels(), QSize(80, 60)) << name;
    const QImage half = picture.Decode(QSize(40, 30));
    ASSERT_EQ(half.size(), QSize(40, 30)) << name;
    EXPECT_TRUE(Near(half.pixelColor(20, 15), kRed)) << name;
  }
}

TEST_F(PictureTest, DecodingIsScaledToTheAskedSize) {
  CLoadedPicture picture;
  ASSERT_TRUE(picture.LoadFromFile(WriteImage(QStringLiteral("big.jpg"), Filled(1200, 800, kRed), "jpg")));
  const QImage small = picture.Decode(QSize(150, 100));
  EXPECT_EQ(small.size(), QSize(150, 100));
  EXPECT_TRUE(Near(small.pixelColor(75, 50), kRed));
  EXPECT_EQ(picture.GetSizeInPixels(), QSize(1200, 800));  // coordinates keep the full grid

  QImage target(300, 300, QImage::Format_RGB32);
  target.fill(Qt::black);
  QPainter painter(&target);
  EXPECT_TRUE(picture.Render(painter, QRect(10, 20, 60, 40)));
  painter.end();
  EXPECT_TRUE(Near(target.pixelColor(40, 40), kRed));
  EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::black));
}

// Stored 60 x 40 with a red 30 x 10 strip at the top-left: after decoding,
// red lies exactly where the rectangle mapping puts the strip.
TEST_F(PictureTest, EveryExifOrientationShowsUprightWhereRectanglesSayIt) {
  QImage stored = Filled(60, 40, kBlue);
  const Rect strip{0, 0, 30, 10};
  QPainter(&stored).fillRect(0, 0, 30, 10, kRed);
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE(o);
    CLoadedPicture picture;
    ASSERT_TRUE(picture.LoadFromMemory(JpegWithOrientation(stored, o)));
    EXPECT_EQ(picture.Orientation(), o);
    EXPECT_EQ(picture.GetSizeInPixels(), QSize(60, 40));
    const QSize shown = picture.DisplayedSize();
    EXPECT_EQ(shown, o >= 5 ? QSize(40, 60) : QSize(60, 40));
    const QImage image = picture.Decode(shown);
    ASSERT_EQ(image.size(), shown);
    const Rect red = StoredToDisplayed(strip, 60, 40, o);
    // Sample away from the edges, where JPEG blurs colours.
    for (int y = 0; y < shown.height(); y += 2) {
      for (int x = 0; x < shown.width(); x += 2) {
        const bool inside = x >= red.left + 3 && x < red.right - 3 && y >= red.top + 3 && y < red.bottom - 3;
        const bool outside = x < red.left - 3 || x >= red.right + 3 || y < red.top - 3 || y >= red.bottom + 3;
        if (inside) {
          ASSERT_TRUE(Near(image.pixelColor(x, y), kRed)) << x << "," << y;
        }
        if (outside) {
          ASSERT_TRUE(Near(image.pixelColor(x, y), kBlue)) << x << "," << y;
        }
      }
    }
  }
}

class PictureCtrlTest : public PictureTest {
 protected:
  void SetUp() override {
    m_ctrl.resize(300, 300);
    m_ctrl.show();
    QObject::connect(&m_ctrl, &CPictureCtrl::DoubleClicked, [this] { ++m_doubleClicks; });
    QObject::connect(&m_ctrl, &CPictureCtrl::RectMarked, [this](const Rect& r) { m_marked.push_back(r); });
    QObject::connect(&m_ctrl, &CPictureCtrl::MouseMoved, [this](PicturePoint p) { m_moves.push_back(p); });
  }
  QImage Paint() {
    QImage image(m_ctrl.size(), QImage::Format_RGB32);
    image.fill(Qt::gray);
    m_ctrl.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
  }
  void Mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(pos), QPointF(m_ctrl.mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&m_ctrl, &event);
  }
  void Drag(QPoint from, QPoint to) {
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  }
  CPictureCtrl m_ctrl;
  int m_doubleClicks = 0;
  std::vector<Rect> m_marked;
  std::vector<PicturePoint> m_moves;
};

TEST_F(PictureCtrlTest, EmptyControlShowsTheMessageFromTheMiddleDown) {
  for (const QString& path : {QString(), Write(QStringLiteral("bad.jpg"), QByteArrayLiteral("\xFF\xD8 kaputt"))}) {
    m_ctrl.Load(path);
    EXPECT_EQ(m_ctrl.PictureWidth(), 0u);
    EXPECT_EQ(m_ctrl.PictureHeight(), 0u);
    const QImage image = Paint();
    int firstTextRow = -1;
    for (int y = 0; y < image.height() && firstTextRow < 0; ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) != QColor(Qt::gray)) {
          firstTextRow = y;
          break;
        }
    EXPECT_GE(firstTextRow, 150);
    EXPECT_LT(firstTextRow, 200);
  }
}

TEST_F(PictureCtrlTest, AFileThatIsMissingOrNoPictureIsNamedWithItsPath) {
  const QString missing = m_dir.filePath(QStringLiteral("weg.jpg"));
  const QString empty = Write(QStringLiteral("leer.jpg"), QByteArray());
  const QString text = Write(QStringLiteral("text.jpg"), QByteArrayLiteral("kein Bild"));
  const struct {
    QString path;
    CPictureCtrl::Failure failure;
    QString message;
  } cases[] = {
      {QString(), CPictureCtrl::Failure::None, QStringLiteral("Kein Bild selektiert.")},
      {missing, CPictureCtrl::Failure::Missing, QStringLiteral("Die Bilddatei wurde nicht gefunden:\n") + missing},
      {empty, CPictureCtrl::Failure::NotAPicture,
       QStringLiteral("Die Datei kann nicht als Bild gelesen werden:\n") + empty},
      {text, CPictureCtrl::Failure::NotAPicture,
       QStringLiteral("Die Datei kann nicht als Bild gelesen werden:\n") + text},
  };
  for (const auto& c : cases) {
    m_ctrl.Load(c.path);
    EXPECT_EQ(m_ctrl.LoadFailure(), c.failure) << c.path.toStdString();
    EXPECT_TRUE(m_ctrl.MessageText().startsWith(c.message)) << m_ctrl.MessageText().toStdString();
  }
  m_ctrl.Load(WriteImage(QStringLiteral("da.png"), Filled(10, 10, kRed)));
  EXPECT_EQ(m_ctrl.LoadFailure(), CPictureCtrl::Failure::None);
}

TEST_F(PictureCtrlTest, PictureIsScaledIntoTheDisplayRectangleFromASmallCopy) {
  m_ctrl.Load(WriteImage(QStringLiteral("wide.png"), Filled(100, 50, kRed)));
  EXPECT_EQ(m_ctrl.PictureWidth(), 100u);
  EXPECT_EQ(m_ctrl.PictureHeight(), 50u);
  EXPECT_EQ(m_ctrl.DisplayRect(), QRect(0, 75, 300, 150));
  const QImage image = Paint();
  EXPECT_EQ(image.pixelColor(0, 75), kRed);
  EXPECT_EQ(image.pixelColor(299, 224), kRed);
  EXPECT_EQ(image.pixelColor(150, 74), QColor(Qt::gray));
  EXPECT_EQ(image.pixelColor(150, 225), QColor(Qt::gray));

  // A large picture is held only at the size it is shown (in device pixels).
  const qreal dpr = m_ctrl.devicePixelRatioF();
  m_ctrl.Load(WriteImage(QStringLiteral("big.jpg"), Filled(3000, 2000, kBlue), "jpg"));
  Paint();
  EXPECT_EQ(m_ctrl.DisplayRect(), QRect(0, 50, 300, 200));
  EXPECT_EQ(m_ctrl.CachedImageSize(), QSize(300, 200) * dpr);
  EXPECT_EQ(m_ctrl.PictureWidth(), 3000u);

  // Resizing lays out again and rescales the copy.
  m_ctrl.resize(150, 300);
  m_ctrl.RecalcLayout();
  EXPECT_EQ(m_ctrl.DisplayRect(), QRect(0, 100, 150, 100));
  Paint();
  EXPECT_EQ(m_ctrl.CachedImageSize(), QSize(150, 100) * dpr);
}

TEST_F(PictureCtrlTest, FramesDrawHatchedAndBlinkingStartsAtOnce) {
  m_ctrl.Load(WriteImage(QStringLiteral("p.png"), Filled(300, 300, kBlue)));
  const Rect frame{100, 100, 200, 150};
  m_ctrl.AddFixedFrame(frame);
  m_ctrl.m_bFramesVisible = 0;
  EXPECT_EQ(Paint().pixelColor(150, 100), kBlue);
  m_ctrl.m_bFramesVisible = 1;
  QImage image = Paint();
  int hatched = 0;
  for (int x = 100; x < 200; ++x) {
    EXPECT_TRUE(IsFramePixel(image.pixelColor(x, 100)));
    EXPECT_TRUE(IsFramePixel(image.pixelColor(x, 149)));
    hatched += image.pixelColor(x, 100) == QColor(128, 0, 200);
  }
  EXPECT_GT(hatched, 10);
  EXPECT_TRUE(IsFramePixel(image.pixelColor(100, 120)));
  EXPECT_TRUE(IsFramePixel(image.pixelColor(199, 120)));
  EXPECT_EQ(image.pixelColor(150, 120), kBlue);  // only the outline
  EXPECT_EQ(image.pixelColor(150, 150), kBlue);  // bottom is exclusive

  m_ctrl.m_bFramesVisible = 0;
  m_ctrl.AddBlinkingFrame(Rect{10, 10, 50, 50});
  EXPECT_EQ(Paint().pixelColor(10, 30), kBlue);  // not blinking yet
  m_ctrl.SetBlinking(true);
  EXPECT_TRUE(m_ctrl.IsBlinking());
  EXPECT_TRUE(IsFramePixel(Paint().pixelColor(10, 30)));  // no wait for the first period
  m_ctrl.SetBlinking(false);
  EXPECT_EQ(Paint().pixelColor(10, 30), kBlue);

  m_ctrl.SetBlinking(true);
  m_ctrl.Load(WriteImage(QStringLiteral("q.png"), Filled(30, 30, kRed)));
  EXPECT_TRUE(m_ctrl.FixedFrames().empty());
  EXPECT_TRUE(m_ctrl.BlinkingFrames().empty());
  EXPECT_FALSE(m_ctrl.IsBlinking());
}

TEST_F(PictureCtrlTest, RubberBandReportsANormalisedRectangleInPicturePixels) {
  m_ctrl.Load(WriteImage(QStringLiteral("p.png"), Filled(600, 600, kBlue)));  // scale 1/2
  m_ctrl.m_nMode = 1;
  Drag(QPoint(250, 200), QPoint(50, 100));
  EXPECT_EQ(m_marked, std::vector<Rect>{(Rect{100, 200, 500, 400})});
  // No mouse moves while the band is dragged.
  EXPECT_TRUE(m_moves.empty());
}

TEST_F(PictureCtrlTest, ClicksEscapeAndTheRightButtonMarkNothing) {
  m_ctrl.Load(WriteImage(QStringLiteral("p.png"), Filled(300, 300, kBlue)));
  m_ctrl.m_nMode = 1;
  Drag(QPoint(40, 40), QPoint(40, 40));  // a click
  Mouse(QEvent::MouseButtonPress, QPoint(40, 40), Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, QPoint(80, 80), Qt::NoButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(40, 40), Qt::LeftButton, Qt::NoButton);  // back where it began

  Mouse(QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, QPoint(90, 90), Qt::NoButton, Qt::LeftButton);
  QWidget focused;  // Esc cancels wherever the keyboard focus is
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&focused, &esc);
  Mouse(QEvent::MouseButtonRelease, QPoint(90, 90), Qt::LeftButton, Qt::NoButton);

  Mouse(QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseMove, QPoint(90, 90), Qt::NoButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonPress, QPoint(90, 90), Qt::RightButton, Qt::LeftButton | Qt::RightButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(90, 90), Qt::LeftButton, Qt::RightButton);

  m_ctrl.m_nMode = 0;  // normal mode never marks
  Drag(QPoint(10, 10), QPoint(90, 90));
  EXPECT_TRUE(m_marked.empty());

  // The control still marks after all that.
  m_ctrl.m_nMode = 2;
  Drag(QPoint(10, 10), QPoint(90, 90));
  EXPECT_EQ(m_marked.size(), 1u);
}

TEST_F(PictureCtrlTest, DoubleClickAndMouseMoveAreReported) {
  m_ctrl.Load(WriteImage(QStringLiteral("tall.png"), Filled(50, 100, kBlue)));  // display (75, 0, 225, 300)
  m_ctrl.m_nMode = 1;
  Mouse(QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(m_doubleClicks, 1);
  EXPECT_TRUE(m_marked.empty());  // the second click starts no band

  Mouse(QEvent::MouseMove, QPoint(150, 150), Qt::NoButton, Qt::NoButton);
  Mouse(QEvent::MouseMove, QPoint(10, 299), Qt::NoButton, Qt::NoButton);
  // The second lies outside the picture and is sent as it is.
  EXPECT_EQ(m_moves, (std::vector<PicturePoint>{{25, 50}, {-21, 99}}));
}

// A picture turned a quarter clockwise: the control fits and shows it
// upright, but speaks in the file's stored grid.
TEST_F(PictureCtrlTest, TurnedPictureKeepsRectanglesInTheStoredGrid) {
  QImage stored = Filled(200, 100, kBlue);
  QPainter(&stored).fillRect(0, 0, 50, 20, kRed);
  m_ctrl.Load(Write(QStringLiteral("turned.jpg"), JpegWithOrientation(stored, 6)));
  EXPECT_EQ(m_ctrl.Orientation(), 6);
  EXPECT_EQ(m_ctrl.PictureWidth(), 200u);
  EXPECT_EQ(m_ctrl.PictureHeight(), 100u);
  EXPECT_EQ(m_ctrl.DisplayRect(), QRect(75, 0, 150, 300));  // upright 100 x 200

  // The red strip (stored top-left) shows at the top-right, scale 3/2.
  Rect strip{0, 0, 50, 20};
  m_ctrl.PictureToClient(strip);
  EXPECT_EQ(strip, (Rect{195, 0, 225, 75}));
  const QImage image = Paint();
  EXPECT_TRUE(Near(image.pixelColor(210, 37), kRed));
  EXPECT_TRUE(Near(image.pixelColor(90, 37), kBlue));
  m_ctrl.ClientToPicture(strip);
  EXPECT_EQ(strip, (Rect{0, 0, 50, 20}));

  // A band over the strip on screen comes back as the strip in the file.
  m_ctrl.m_nMode = 1;
  Drag(QPoint(225, 75), QPoint(195, 0));
  EXPECT_EQ(m_marked, std::vector<Rect>{(Rect{0, 0, 50, 20})});

  // The displayed top-left pixel is the stored bottom-left one.
  m_ctrl.m_nMode = 0;
  Mouse(QEvent::MouseMove, QPoint(75, 0), Qt::NoButton, Qt::NoButton);
  ASSERT_FALSE(m_moves.empty());
  EXPECT_EQ(m_moves.back(), (PicturePoint{0, 99}));
}

// The title tip stands over the faces a pointer points at: for each
// orientation, a face marked in the stored grid shows where the turned
// picture has it, and every pixel the pointer reaches inside that area (and
// none beside it) reads as a pixel of the face.
TEST_F(PictureCtrlTest, EveryOrientationReportsThePointerInTheStoredGrid) {
  const Rect face{6, 4, 24, 16};  // of a 60 x 40 picture, shown five times as large
  const Rect shown[9] = {
      {},
      {30, 70, 120, 130},    // 1 as stored, display (0, 50, 300, 250)
      {180, 70, 270, 130},   // 2 mirrored
      {180, 170, 270, 230},  // 3 half turn
      {30, 170, 120, 230},   // 4 flipped
      {70, 30, 130, 120},    // 5 transposed, display (50, 0, 250, 300)
      {170, 30, 230, 120},   // 6 quarter turn clockwise: top-right
      {170, 180, 230, 270},  // 7 transversed
      {70, 180, 130, 270},   // 8 quarter turn anticlockwise: bottom-left
  };
  const auto pointAt = [this, &face](int x, int y) {
    Mouse(QEvent::MouseMove, QPoint(x, y), Qt::NoButton, Qt::NoButton);
    const PicturePoint p = m_moves.back();
    return p.x >= face.left && p.x < face.right && p.y >= face.top && p.y < face.bottom;
  };
  for (int o = 1; o <= 8; ++o) {
    SCOPED_TRACE(o);
    m_ctrl.Load(Write(QStringLiteral("o%1.jpg").arg(o), JpegWithOrientation(Filled(60, 40, kBlue), o)));
    Rect r = face;
    m_ctrl.PictureToClient(r);
    ASSERT_EQ(r, shown[o]);
    const int midX = (r.left + r.right) / 2;
    const int midY = (r.top + r.bottom) / 2;
    for (QPoint in : {QPoint(r.left, r.top), QPoint(r.right - 1, r.top), QPoint(r.left, r.bottom - 1),
                      QPoint(r.right - 1, r.bottom - 1), QPoint(midX, midY)})
      EXPECT_TRUE(pointAt(in.x(), in.y())) << in.x() << "," << in.y();
    for (QPoint out : {QPoint(r.left - 1, midY), QPoint(r.right, midY), QPoint(midX, r.top - 1),
                       QPoint(midX, r.bottom)})
      EXPECT_FALSE(pointAt(out.x(), out.y())) << out.x() << "," << out.y();
  }
}

}  // namespace
}  // namespace kolvaro
