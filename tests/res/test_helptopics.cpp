#include "res/helptopics.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "testsupport/files.h"

namespace kolvaro {
namespace {

using test::ReadFile;

const std::filesystem::path kHelp = KOLVARO_HELP_DIR;
const std::filesystem::path kForms = KOLVARO_UI_DIR;

// The page's file exists and, with an anchor, the file has that anchor.
void ExpectPageExists(std::string_view page) {
  const std::string p(page);
  const std::size_t hash = p.find('#');
  const std::filesystem::path file = kHelp / p.substr(0, hash);
  ASSERT_TRUE(std::filesystem::is_regular_file(file)) << p;
  if (hash != std::string::npos) {
    EXPECT_NE(ReadFile(file).find("id=\"" + p.substr(hash + 1) + "\""), std::string::npos) << p;
  }
}

TEST(HelpTopics, EveryDialogOfTheProgramHasItsPage) {
  // Every form's top widget, and the windows built in code.
  std::set<std::string> windows = {"mainFrame", "selectView", "pictureWnd", "kolvaro::CAboutDlg",
                                   "kolvaro::CXmpExportDlg", "kolvaro::CXmpImportDlg"};
  for (const auto& entry : std::filesystem::directory_iterator(kForms)) {
    // The first <widget class="…" name="…"> is the form's top widget.
    const std::string text = ReadFile(entry.path());
    const std::size_t widget = text.find("<widget class=\"");
    ASSERT_NE(widget, std::string::npos) << entry.path();
    const std::size_t name = text.find("name=\"", widget);
    ASSERT_NE(name, std::string::npos) << entry.path();
    const std::size_t start = name + 6;
    windows.insert(text.substr(start, text.find('"', start) - start));
  }
  for (const std::string& name : windows) {
    const int dialog = HelpDialogOf(name, "QDialog");
    EXPECT_NE(dialog, 0) << name << " has no help context";
    ExpectPageExists(HelpPageForContext(kHelpDialogBase + static_cast<std::uint32_t>(dialog)));
  }
  // Every topic a command or a control leads to is there too.
  for (std::uint32_t command = 1; command < 0x10000; ++command)
    if (const auto page = HelpPageForContext(kHelpCommandBase + command); !page.empty()) ExpectPageExists(page);
  for (const HelpWindow& w : HelpWindows())
    for (std::uint32_t control = 1; control < 0x10000; ++control)
      if (const auto page = HelpPageForContext(kHelpControlBase + control, w.dialog); !page.empty())
        ExpectPageExists(page);
  ExpectPageExists(kHelpContents);
  ExpectPageExists("html/update_nopage.html");
  ExpectPageExists("html/entwickler/infoupdateurl.html#update");
}

// "&&" in a menu text shows one ampersand; the help names menu items as shown.
TEST(HelpTopics, PagesQuoteMenuItemsAsTheMenuShowsThem) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kHelp)) {
    if (entry.path().extension() != ".html") continue;
    EXPECT_EQ(ReadFile(entry.path()).find("&amp;&amp;"), std::string::npos) << entry.path();
  }
}

TEST(HelpTopics, RequestShowsTheNearestTopic) {
  struct Case {
    std::vector<HelpWidget> chain;
    int command;
    std::string_view page;
  };
  const Case cases[] = {
      // A control with a topic of its own, in its dialog.
      {{{"listThemes", "QListWidget"}, {"ImageDescriptionForm", "kolvaro::CImageDescription"}, {"splitter", "QSplitter"},
        {"mainFrame", "kolvaro::CMainFrame"}},
       0, "html/hauptfenster.html#themen"},
      // The same object name in another dialog means its dialog's page.
      {{{"listThemes", "QListWidget"}, {"AssignThemesDlgForm", "QDialog"}, {"mainFrame", "QMainWindow"}},
       0, "html/themen_zuordnen.html"},
      // A window without help of its own (a file chooser) has its owner's.
      {{{"", "QLineEdit"}, {"", "QFileDialog"}, {"", "kolvaro::CStorageOptionsDlg"}}, 0, "html/dateiablage.html"},
      {{{"goButton", "QPushButton"}, {"selectView", "kolvaro::CSelectView"}}, 0, "html/hauptfenster.html#auswahlleiste"},
      {{{"qt_scrollarea_viewport", "QWidget"}, {"thumbnailStrip", "kolvaro::CThumbnailStrip"},
        {"mainFrame", "kolvaro::CMainFrame"}},
       0, "html/hauptfenster.html#bildleiste"},
      // A running command's topic comes first; one without falls back.
      {{{"mainFrame", "kolvaro::CMainFrame"}}, 32830, "html/hauptfenster.html#kopieren"},
      {{{"mainFrame", "kolvaro::CMainFrame"}}, 57603, "html/hauptfenster.html"},
      {{{"", "QWidget"}}, 0, kHelpContents},
      {{}, 0, kHelpContents},
  };
  for (const Case& c : cases) EXPECT_EQ(HelpPageFor(c.chain, c.command), c.page) << c.page;
}

TEST(HelpTopics, PageAddressesStayInsideTheHelpFolder) {
  const std::pair<std::string_view, std::optional<std::string>> cases[] = {
      {"html/update_nopage.html", "html/update_nopage.html"},
      {"/html/entwickler/infoupdateurl.html#update", "html/entwickler/infoupdateurl.html#update"},
      {"./html//x.html", "html/x.html"},
      {"html/../../etc/passwd", std::nullopt},
      {"..", std::nullopt},
      {"file:///etc/passwd", std::nullopt},
      {"C:\\Windows\\x.html", std::nullopt},
      {"html\\..\\x.html", std::nullopt},
      {"html/x\n.html", std::nullopt},
      {"", std::nullopt},
      {"#nur-anker", std::nullopt},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(NormalizeHelpPage(in), out) << in;
}

}  // namespace
}  // namespace kolvaro
