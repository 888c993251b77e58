#pragma once
// Printing the shown picture alone on one page, stretched to the layout's
// rectangle measured from the top-left corner of the printable area.

#include <QString>
#include <memory>

#include "views/commandtarget.h"
#include "views/pagelayout.h"

class QPainter;
class QPrinter;
class QWidget;

namespace kolvaro {

class CImageDescription;
class CLoadedPicture;
class CMeriskDoc;
class IUserQuestions;

/// The default printer's printable area in whole millimetres; A4 portrait
/// (210 x 297) when there is no printer.
PageSize DefaultPageSize();

/// Without a default printer: A4 portrait with no margins, so the printable
/// area is the page the layout was made on (PDF output).
void UsePageWithoutPrinter(QPrinter& printer);

/// Draws the picture on the painter's page of `printer`, upright and decoded
/// at full resolution. False when it gives no pixels: the page stays empty.
bool PaintPicturePage(QPainter& painter, const QPrinter& printer, const CLoadedPicture& picture,
                      const PageLayout& layout);
/// One page with the picture file at `path` on it, empty when the file gives
/// no picture; false when the printer could not start.
bool PrintPicture(QPrinter& printer, const QString& path, const PageLayout& layout);

/// The view's three commands on a picture already read, on `printer`: with
/// the print dialog, straight to the default printer (the dialog when there
/// is none), and the print preview. False when the job could not be started
/// or did not end; a cancelled dialog is no failure.
bool PrintWithDialog(QWidget* parent, QPrinter& printer, const CLoadedPicture& picture,
                     const PageLayout& layout);
bool PrintDirect(QWidget* parent, QPrinter& printer, const CLoadedPicture& picture,
                 const PageLayout& layout);
void PrintPreview(QWidget* parent, QPrinter& printer, const CLoadedPicture& picture,
                  const PageLayout& layout);

/// The picture view's page setup, printer setup, print, direct print and print preview. Owns
/// the view's layout: loaded from section "Layout" when made, saved when gone.
class CPrintCommands : public ICommandTarget {
 public:
  CPrintCommands(CImageDescription& view, CMeriskDoc& doc, IUserQuestions& ui);
  ~CPrintCommands() override;
  CPrintCommands(const CPrintCommands&) = delete;
  CPrintCommands& operator=(const CPrintCommands&) = delete;

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CmdState& state) override;
  const PageLayout& Layout() const { return m_layout; }
  /// The session's printer, as the printer setup and the last print dialog left it.
  QPrinter& Printer();

 private:
  void PageSetup();
  QString ShownFile() const;

  CImageDescription& m_view;
  CMeriskDoc& m_doc;
  IUserQuestions& m_ui;
  PageLayout m_layout;
  std::unique_ptr<QPrinter> m_printer;
};

}  // namespace kolvaro
