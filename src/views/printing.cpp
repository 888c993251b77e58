#include "views/printing.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

#include "views/loadedpicture.h"

namespace kolvaro {
namespace {

bool HasPrinter() { return !QPrinterInfo::defaultPrinter().isNull(); }

void Prepare(QPrinter& printer) {
  if (!HasPrinter()) UsePageWithoutPrinter(printer);
  printer.setFromTo(1, 1);
}

}  // namespace

PageSize DefaultPageSize() {
  const QPrinterInfo info = QPrinterInfo::defaultPrinter();
  if (info.isNull()) return PageSize{};
  QPrinter printer(info);
  const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
  if (area.width() < 1 || area.height() < 1) return PageSize{};
  return PageSize{static_cast<std::int32_t>(area.width()), static_cast<std::int32_t>(area.height())};
}

void UsePageWithoutPrinter(QPrinter& printer) {
  printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                                    QPageLayout::Millimeter));
}

bool PaintPicturePage(QPainter& painter, const QPrinter& printer, const QString& path, const PageLayout& layout) {
  CLoadedPicture picture;
  if (!picture.LoadFromFile(path)) return false;
  // The full picture, not the screen's copy: the printer scales it down.
  const QImage image = picture.Decode(picture.DisplayedSize());
  if (image.isNull()) return false;
  const double dotsPerMm = printer.resolution() / 25.4;
  const QRectF target(layout.m_nBorderLeft * dotsPerMm, layout.m_nBorderTop * dotsPerMm,
                      layout.m_nWidth * dotsPerMm, layout.m_nHeight * dotsPerMm);
  if (target.width() <= 0 || target.height() <= 0) return false;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image);
  return true;
}

bool PrintPicture(QPrinter& printer, const QString& path, const PageLayout& layout) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // An unreadable file still ends the job, with an empty page.
  PaintPicturePage(painter, printer, path, layout);
  return painter.end();
}

void PrintWithDialog(QWidget* parent, const QString& path, const PageLayout& layout) {
  QPrinter printer(QPrinter::HighResolution);
  Prepare(printer);
  QPrintDialog dialog(&printer, parent);
  dialog.setMinMax(1, 1);
  if (dialog.exec() != QDialog::Accepted) return;
  PrintPicture(printer, path, layout);
}

void PrintDirect(QWidget* parent, const QString& path, const PageLayout& layout) {
  if (!HasPrinter()) {
    PrintWithDialog(parent, path, layout);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  Prepare(printer);
  PrintPicture(printer, path, layout);
}

void PrintPreview(QWidget* parent, const QString& path, const PageLayout& layout) {
  QPrinter printer(QPrinter::HighResolution);
  Prepare(printer);
  QPrintPreviewDialog dialog(&printer, parent);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
    QPainter painter(target);
    PaintPicturePage(painter, *target, path, layout);
  });
  dialog.exec();
}

}  // namespace kolvaro
