// Printing to a PDF file and finding the picture where the layout put it.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPrinter>
#include <QProcess>

#include "testsupport/files.h"
#include "views/printing.h"

namespace kolvaro {
namespace {

// A JPEG stored 300 x 200, left half red, right half blue, with EXIF
// orientation 6: upright it is 200 x 300, red above blue.
QByteArray TurnedJpeg() {
  QImage stored(300, 200, QImage::Format_RGB32);
  stored.fill(Qt::blue);
  QPainter(&stored).fillRect(0, 0, 150, 200, Qt::red);
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter(&buffer, "jpg").write(stored);
  const char app1[] = {char(0xFF), char(0xE1), 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                       0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0};
  jpeg.insert(2, QByteArray(app1, sizeof app1));
  return jpeg;
}

TEST(Printing, PdfPageHoldsTheUprightPictureAtTheLayoutsMillimetres) {
  test::TempDir dir;
  const QString base = QString::fromStdString(dir.Path().string());
  const QString picture = base + QStringLiteral("/turned.jpg");
  QFile file(picture);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(TurnedJpeg());
  file.close();

  PageLayout layout;  // preset 6 of a 3:2 rectangle on A4: 10, 10, 90 x 60 mm
  layout.m_nWidth = 150;
  layout.m_nHeight = 100;
  ApplyPreset(layout, PageSize{210, 297}, 6);
  ASSERT_EQ(layout.m_nWidth, 90);

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(base + QStringLiteral("/page.pdf"));
  UsePageWithoutPrinter(printer);
  ASSERT_TRUE(PrintPicture(printer, picture, layout));

  // 254 dots per inch: ten dots to the millimetre.
  ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"),
                              {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"),
                               QStringLiteral("-singlefile"), base + QStringLiteral("/page.pdf"),
                               base + QStringLiteral("/page")}),
            0);
  const QImage page(base + QStringLiteral("/page.png"));
  ASSERT_NEAR(page.width(), 2100, 2);  // A4
  ASSERT_NEAR(page.height(), 2970, 2);
  QRect box;
  for (int y = 0; y < page.height(); y += 2)
    for (int x = 0; x < page.width(); x += 2)
      if (qGray(page.pixel(x, y)) < 200) box |= QRect(x, y, 1, 1);
  EXPECT_NEAR(box.left(), 100, 10);
  EXPECT_NEAR(box.top(), 100, 10);
  EXPECT_NEAR(box.right(), 1000, 10);
  EXPECT_NEAR(box.bottom(), 700, 10);
  const QColor upper = page.pixelColor(300, 250), lower = page.pixelColor(300, 550);
  EXPECT_GT(upper.red(), 200);
  EXPECT_LT(upper.blue(), 60);
  EXPECT_GT(lower.blue(), 200);
  EXPECT_LT(lower.red(), 60);
}

TEST(Printing, AnUnreadableFileStillEndsTheJobWithAnEmptyPage) {
  test::TempDir dir;
  const QString pdf = QString::fromStdString((dir.Path() / "empty.pdf").string());
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  UsePageWithoutPrinter(printer);
  EXPECT_TRUE(PrintPicture(printer, pdf + QStringLiteral(".missing.jpg"), PageLayout{}));
  EXPECT_TRUE(QFile::exists(pdf));
}

}  // namespace
}  // namespace kolvaro
