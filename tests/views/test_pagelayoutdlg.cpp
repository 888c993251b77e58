// The page-setup dialog and the view's print commands, offscreen, on A4
// (the test machine has no printer).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

#include "res/commands.h"
#include "res/strings.h"
#include "testsupport/description_album.h"
#include "testsupport/qt.h"
#include "views/imagedescription.h"
#include "views/pagelayoutdlg.h"
#include "views/pagepreview.h"

namespace kolvaro {
namespace {

constexpr PageSize kA4{210, 297};

PageLayout Photo(std::int32_t width, std::int32_t height) {
  PageLayout l;
  l.m_nPhotoWidth = width;
  l.m_nPhotoHeight = height;
  return l;
}

void Leave(QLineEdit* edit, const QString& text) {
  edit->setText(text);
  edit->setModified(true);
  emit edit->editingFinished();
}

template <typename T = QLineEdit>
T* Get(QWidget* dlg, const char* name) {
  return dlg->findChild<T*>(QLatin1String(name));
}
QString Text(QWidget* dlg, const char* name) { return Get(dlg, name)->text(); }
void Choose(QWidget* dlg, int preset) {
  auto* combo = Get<QComboBox>(dlg, "comboPresets");
  combo->setCurrentIndex(preset);
  emit combo->activated(preset);
}

class PageLayoutDlgTest : public test::DescriptionAlbum {};

TEST_F(PageLayoutDlgTest, FitsOnOpeningThenPresetsAndEditsFollowTheRules) {
  CPageLayoutDlg dlg(Photo(1500, 1000), kA4, ui);
  // 170 wide between the stored side borders, 3:2 gives 113 (truncated).
  EXPECT_EQ(Text(&dlg, "editHeight"), QStringLiteral("113"));
  EXPECT_EQ(Text(&dlg, "editBorderBottom"), QStringLiteral("164"));
  EXPECT_EQ(Get<QComboBox>(&dlg, "comboPresets")->count(), 10);
  EXPECT_EQ(Get<QComboBox>(&dlg, "comboPresets")->itemText(5), QStringLiteral("1/2 Seite rchts"));

  Choose(&dlg, 6);
  EXPECT_EQ(Text(&dlg, "editWidth"), QStringLiteral("90"));
  EXPECT_EQ(Text(&dlg, "editHeight"), QStringLiteral("60"));
  EXPECT_EQ(dlg.Preview()->Picture(), (Rect{10, 10, 100, 70}));

  Leave(Get(&dlg, "editWidth"), QStringLiteral("100"));
  EXPECT_EQ(Text(&dlg, "editHeight"), QStringLiteral("67"));
  EXPECT_EQ(Text(&dlg, "editBorderRight"), QStringLiteral("100"));

  Get<QCheckBox>(&dlg, "checkCenterOnPage")->click();
  EXPECT_EQ(Text(&dlg, "editBorderLeft"), QStringLiteral("55"));
  EXPECT_EQ(Text(&dlg, "editBorderTop"), QStringLiteral("115"));
  EXPECT_EQ(Text(&dlg, "editBorderBottom"), QStringLiteral("115"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(PageLayoutDlgTest, BadNumbersAreRefusedWithTheFrameworksMessages) {
  CPageLayoutDlg dlg(Photo(1500, 1000), kA4, ui);
  Leave(Get(&dlg, "editBorderTop"), QStringLiteral("zehn"));
  Leave(Get(&dlg, "editBorderTop"), QStringLiteral("10"));
  Leave(Get(&dlg, "editBorderTop"), QStringLiteral("100001"));  // more would overflow the rules' sums
  Leave(Get(&dlg, "editBorderTop"), QStringLiteral("10"));
  Leave(Get(&dlg, "editHeight"), QStringLiteral("-5"));
  ASSERT_EQ(ui.messages.size(), 3u);
  EXPECT_EQ(ui.messages[0].text, LoadString(IDS_PARSE_INT));
  EXPECT_EQ(ui.messages[1].text, FormatMessage(LoadString(IDS_PARSE_INT_RANGE), {-100000LL, 100000LL}));
  EXPECT_EQ(ui.messages[2].text, LoadString(IDS_PARSE_UINT));
  dlg.accept();  // still -5: stays open
  EXPECT_NE(dlg.result(), QDialog::Accepted);
  EXPECT_EQ(ui.messages.size(), 4u);
}

TEST_F(PageLayoutDlgTest, APictureWithoutPixelsOpensWithTheStoredLayout) {
  CPageLayoutDlg dlg(Photo(0, 0), kA4, ui);
  EXPECT_EQ(Text(&dlg, "editHeight"), QStringLiteral("122"));
  EXPECT_EQ(Text(&dlg, "editBorderBottom"), QStringLiteral("146"));
  Get<QCheckBox>(&dlg, "checkUseWholePage")->click();  // keeps the ratio it cannot know: nothing divides by 0
  EXPECT_EQ(Text(&dlg, "editBorderTop"), QStringLiteral("0"));
}

TEST_F(PageLayoutDlgTest, ViewOffersSetupOnlyWithAPictureAndKeepsTheLayoutInTheSettings) {
  auto view = std::make_unique<CImageDescription>(doc, ui);
  view->OnInitialUpdate();
  EXPECT_TRUE(view->OnCommand(ID_PAGE_SETUP));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, LoadString(IDS_PAGE_SETUP_NEEDS_PICTURE));
  CmdState print;
  EXPECT_TRUE(view->OnUpdateCommand(ID_FILE_PRINT, print));
  EXPECT_FALSE(print.enabled);

  AddPicture("a.jpg", 40, 30);
  SelectAll();
  view->OnInitialUpdate();
  test::OnNextModal([](QWidget* w) {
    auto* dlg = qobject_cast<CPageLayoutDlg*>(w);
    ASSERT_NE(dlg, nullptr);
    Choose(dlg, 1);
    Get<QPushButton>(dlg, "buttonOk")->click();
  });
  view->OnCommand(ID_PAGE_SETUP);
  bool previewShown = false;
  test::OnNextModal([&](QWidget* w) {
    previewShown = qobject_cast<QPrintPreviewDialog*>(w) != nullptr;
    w->close();
  });
  view->OnCommand(ID_FILE_PRINT_PREVIEW);
  EXPECT_TRUE(previewShown);
  view.reset();
  // 40 x 30 fitted to 170 x 127, then the whole page: 190 wide, 142 high.
  EXPECT_EQ(settings.GetInt("Layout", "Width", 0), 190);
  EXPECT_EQ(settings.GetInt("Layout", "Height", 0), 142);
  EXPECT_EQ(settings.GetInt("Layout", "BorderBottom", 0), 145);
  EXPECT_EQ(settings.GetInt("Layout", "PhotoWidth", 0), 1280);
}

TEST_F(PageLayoutDlgTest, PrinterSetupOpensThePrintersPageSetup) {
  auto view = std::make_unique<CImageDescription>(doc, ui);
  CmdState state;
  ASSERT_TRUE(view->OnUpdateCommand(ID_FILE_PRINT_SETUP, state));
  EXPECT_TRUE(state.enabled);
  bool shown = false;
  test::OnNextModal([&](QWidget* w) {
    shown = qobject_cast<QPageSetupDialog*>(w) != nullptr;
    w->close();
  });
  EXPECT_TRUE(view->OnCommand(ID_FILE_PRINT_SETUP));
  EXPECT_TRUE(shown);
}

TEST_F(PageLayoutDlgTest, AJobThatCannotStartIsReported) {
  AddPicture("a.jpg");
  SelectAll();
  auto view = std::make_unique<CImageDescription>(doc, ui);
  view->OnInitialUpdate();
  test::OnNextModal([](QWidget* w) {
    auto* dialog = qobject_cast<QPrintDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
    dialog->printer()->setOutputFileName(QStringLiteral("/gibt/es/nicht/bild.pdf"));
    dialog->done(QDialog::Accepted);
  });
  EXPECT_TRUE(view->OnCommand(ID_FILE_PRINT));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, LoadString(IDS_PRINT_FAILED));
}

// A sheet left empty would be the only sign: the user is told, and no dialog opens.
TEST_F(PageLayoutDlgTest, PrintingAPictureWhoseFileIsGoneSaysSoAndOpensNothing) {
  AddPicture("weg.jpg");
  SelectAll();
  auto view = std::make_unique<CImageDescription>(doc, ui);
  view->OnInitialUpdate();
  ASSERT_TRUE(QFile::remove(folder.filePath(QStringLiteral("weg.jpg"))));
  bool opened = false;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      opened = true;
      modal->close();
    }
  });
  closer.start(10);
  for (const int command : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW}) {
    SCOPED_TRACE(command);
    ui.messages.clear();
    EXPECT_TRUE(view->OnCommand(command));
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].text.find("weg.jpg"), std::string::npos);
    EXPECT_NE(ui.messages[0].text.find("nichts gedruckt"), std::string::npos);
  }
  EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace kolvaro
