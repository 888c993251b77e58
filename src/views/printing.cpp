#include "views/printing.h"

#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <cmath>

#include "core/meriskdoc.h"
#include "qt/qtstring.h"
#include "core/ports/settings.h"
#include "core/ports/userquestions.h"
#include "res/commands.h"
#include "res/strings.h"
#include "views/imagedescription.h"
#include "views/loadedpicture.h"
#include "views/pagelayoutdlg.h"
#include "views/picturectrl.h"

namespace kolvaro {
namespace {

bool HasPrinter() { return !QPrinterInfo::defaultPrinter().isNull(); }

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

bool PaintPicturePage(QPainter& painter, const QPrinter& printer, const CLoadedPicture& picture,
                      const PageLayout& layout) {
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

namespace {

bool PrintPage(QPrinter& printer, const CLoadedPicture& picture, const PageLayout& layout) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // A picture without pixels still ends the job, with an empty page.
  PaintPicturePage(painter, printer, picture, layout);
  return painter.end();
}

}  // namespace

bool PrintPicture(QPrinter& printer, const QString& path, const PageLayout& layout) {
  CLoadedPicture picture;
  picture.LoadFromFile(path);
  return PrintPage(printer, picture, layout);
}

bool PrintWithDialog(QWidget* parent, QPrinter& printer, const CLoadedPicture& picture,
                     const PageLayout& layout) {
  printer.setFromTo(1, 1);
  QPrintDialog dialog(&printer, parent);
  dialog.setMinMax(1, 1);
  if (dialog.exec() != QDialog::Accepted) return true;
  return PrintPage(printer, picture, layout);
}

bool PrintDirect(QWidget* parent, QPrinter& printer, const CLoadedPicture& picture,
                 const PageLayout& layout) {
  if (!HasPrinter()) return PrintWithDialog(parent, printer, picture, layout);
  printer.setFromTo(1, 1);
  return PrintPage(printer, picture, layout);
}

void PrintPreview(QWidget* parent, QPrinter& printer, const CLoadedPicture& picture,
                  const PageLayout& layout) {
  printer.setFromTo(1, 1);
  QPrintPreviewDialog dialog(&printer, parent);
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
    QPainter painter(target);
    PaintPicturePage(painter, *target, picture, layout);
  });
  dialog.exec();
}

CPrintCommands::CPrintCommands(CImageDescription& view, CMeriskDoc& doc, IUserQuestions& ui)
    : m_view(view), m_doc(doc), m_ui(ui), m_layout(LoadPageLayout(doc.Settings())) {}

CPrintCommands::~CPrintCommands() { SavePageLayout(m_doc.Settings(), m_layout); }

QPrinter& CPrintCommands::Printer() {
  // One printer for the session: what the printer setup or a print dialog
  // chose stays for the next job.
  if (!m_printer) {
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (!HasPrinter()) UsePageWithoutPrinter(*m_printer);
  }
  return *m_printer;
}

QString CPrintCommands::ShownFile() const {
  // The full path, also while the view shows the stored relative name.
  const std::int32_t id = m_view.ShownPicture();
  return id == -1 ? QString() : ToQString(m_doc.GetPictureFullPath(id));
}

bool CPrintCommands::OnCommand(int id) {
  switch (id) {
    case ID_PAGE_SETUP:
      PageSetup();
      return true;
    case ID_FILE_PRINT_SETUP: {
      QPageSetupDialog dialog(&Printer(), &m_view);
      dialog.exec();
      return true;
    }
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW: {
      const QString file = ShownFile();
      // An empty sheet from the printer tells the user nothing: say so before
      // any dialog. What was read here is what gets printed.
      CLoadedPicture picture;
      if (!picture.LoadFromFile(file)) {
        m_ui.Warn(FormatMessage(LoadString(IDS_PRINT_FILE_UNREADABLE), {file.toStdString()}));
        return true;
      }
      bool printed = true;
      if (id == ID_FILE_PRINT)
        printed = PrintWithDialog(&m_view, Printer(), picture, m_layout);
      else if (id == ID_FILE_PRINT_DIRECT)
        printed = PrintDirect(&m_view, Printer(), picture, m_layout);
      else
        PrintPreview(&m_view, Printer(), picture, m_layout);
      if (!printed) m_ui.Warn(std::string(LoadString(IDS_PRINT_FAILED)));
      return true;
    }
    default:
      return false;
  }
}

bool CPrintCommands::OnUpdateCommand(int id, CmdState& state) {
  switch (id) {
    case ID_PAGE_SETUP:  // tells why when no picture is shown
    case ID_FILE_PRINT_SETUP: state.enabled = true; return true;
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
    case ID_FILE_PRINT_PREVIEW:
      state.enabled = m_view.ShownPicture() != -1;
      return true;
    default:
      return false;
  }
}

void CPrintCommands::PageSetup() {
  if (m_view.ShownPicture() == -1) {
    m_ui.Inform(std::string(LoadString(IDS_PAGE_SETUP_NEEDS_PICTURE)));
    return;
  }
  PageLayout start = m_layout;
  const CPictureCtrl& ctrl = *m_view.PictureCtrl();
  // The ratio of the picture as shown: upright by its orientation.
  const bool turned = ctrl.Orientation() >= 5;
  const auto side = [](unsigned pixels) { return static_cast<std::int32_t>(std::min<unsigned>(pixels, kPhotoLimit)); };
  start.m_nPhotoWidth = side(turned ? ctrl.PictureHeight() : ctrl.PictureWidth());
  start.m_nPhotoHeight = side(turned ? ctrl.PictureWidth() : ctrl.PictureHeight());
  CPageLayoutDlg dialog(start, DefaultPageSize(), m_ui, &m_view);
  if (dialog.exec() != QDialog::Accepted) return;
  // The ten edited values; the stored photo size stays as loaded.
  const PageLayout& edited = dialog.Layout();
  const std::int32_t photoWidth = m_layout.m_nPhotoWidth, photoHeight = m_layout.m_nPhotoHeight;
  m_layout = edited;
  m_layout.m_nPhotoWidth = photoWidth;
  m_layout.m_nPhotoHeight = photoHeight;
}

}  // namespace kolvaro
