#include "res/helptopics.h"

#include "res/commands.h"

namespace kolvaro {
namespace {

// Forms name their top widget; windows built in code are known by the name
// they give themselves or by their class.
constexpr HelpWindow kWindows[] = {
    {IDD_ABOUTBOX, {"AboutDlgForm", "kolvaro::CAboutDlg"}, "html/info.html"},
    {IDD_SELECT_VIEW, {"selectView", "kolvaro::CSelectView"}, "html/hauptfenster.html#auswahlleiste"},
    {IDR_MAINFRAME, {"mainFrame", "kolvaro::CMainFrame"}, "html/hauptfenster.html"},
    {IDD_PERSONS_ON_PICTURE, {"PersonsDlgForm", "kolvaro::CPersonsDlg"}, "html/personen_im_bild.html"},
    {IDD_IMAGE_DESCRIPTION, {"ImageDescriptionForm", "kolvaro::CImageDescription"},
     "html/hauptfenster.html#bildansicht"},
    {IDD_ASSIGN_THEMES, {"AssignThemesDlgForm", "kolvaro::CAssignThemesDlg"}, "html/themen_zuordnen.html"},
    {IDD_DELETE_PICTURE, {"DeletePictureDlgForm", "kolvaro::CDeletePictureDlg"}, "html/bild_loeschen.html"},
    {IDD_INPUT, {"InputDlg", "kolvaro::CInputDlg"}, "html/eingabe.html"},
    {IDD_MANAGE_LIST, {"ManageListDlgForm", "kolvaro::CManageListDlg"}, "html/verwalten.html"},
    {IDD_PICTURE_WND, {"pictureWnd", "kolvaro::CPictureWnd"}, "html/bildfenster.html"},
    {IDD_STORAGE_OPTIONS, {"StorageOptionsDlgForm", "kolvaro::CStorageOptionsDlg"}, "html/dateiablage.html"},
    {IDD_PAGE_LAYOUT, {"PageLayoutDlgForm", "kolvaro::CPageLayoutDlg"}, "html/seite_einrichten.html"},
    {IDD_CAMERA_IMPORT, {"CameraImportDlgForm", "kolvaro::CCameraImportDlg"}, "html/kameradaten.html"},
    {IDD_ALBUM_INFO, {"AlbumInfoDlgForm", "kolvaro::CAlbumInfoDlg"}, "html/kolvaro_infos.html"},
    {IDD_SETTINGS, {"SettingsDlg", "kolvaro::CSettingsDialog"}, "html/einstellungen.html"},
    {IDD_REPLACE_PATHS, {"ReplacePathsDlgForm", "kolvaro::CReplacePathsDlg"}, "html/pfade_aendern.html"},
    {IDD_SPECIAL_SELECT, {"SpecialSelectForm", "kolvaro::CSpecialSelect"}, "html/spezialselektion.html"},
    {IDD_XMP_EXPORT, {"", "kolvaro::CXmpExportDlg"}, "html/xmp.html#export"},
    {IDD_XMP_IMPORT, {"", "kolvaro::CXmpImportDlg"}, "html/xmp.html#import"},
};

struct ControlTopic {
  int dialog;
  std::string_view objectName;
  int control;
  std::string_view page;
};

// Controls whose use is worth a paragraph of its own.
constexpr ControlTopic kControls[] = {
    {IDD_IMAGE_DESCRIPTION, "pictureCtrl", 1028, "html/hauptfenster.html#bild"},
    {IDD_IMAGE_DESCRIPTION, "editHeadline", 1042, "html/hauptfenster.html#ueberschrift"},
    {IDD_IMAGE_DESCRIPTION, "buttonDateLock", 1027, "html/hauptfenster.html#datum"},
    {IDD_IMAGE_DESCRIPTION, "listThemes", 1014, "html/hauptfenster.html#themen"},
    {IDD_IMAGE_DESCRIPTION, "buttonAddThemes", 1077, "html/hauptfenster.html#themen"},
    {IDD_IMAGE_DESCRIPTION, "buttonRemoveThemes", 1078, "html/hauptfenster.html#themen"},
    {IDD_IMAGE_DESCRIPTION, "listPersons", 1015, "html/hauptfenster.html#personen"},
    {IDD_IMAGE_DESCRIPTION, "buttonAddPerson", 1079, "html/hauptfenster.html#personen"},
    {IDD_IMAGE_DESCRIPTION, "buttonRemovePersons", 1080, "html/hauptfenster.html#personen"},
    // The strip and the grid have no dialog id of their own: their commands' numbers stand in.
    {IDR_MAINFRAME, "thumbnailStrip", ID_THUMBNAIL_STRIP, "html/hauptfenster.html#bildleiste"},
    {IDR_MAINFRAME, "thumbnailGrid", ID_OVERVIEW, "html/hauptfenster.html#uebersicht"},
};

struct CommandTopic {
  int command;
  std::string_view page;
};

// Commands whose messages ask for help, and those with a page of their own.
constexpr CommandTopic kCommands[] = {
    {ID_ADD_PICTURES, "html/bilder_hinzufuegen.html"},
    {ID_ADD_FOLDER, "html/bilder_hinzufuegen.html#ordner"},
    {ID_COPY_FILE, "html/hauptfenster.html#kopieren"},
    {ID_OPEN_IN_GRAPHICS, "html/hauptfenster.html#grafik"},
    {ID_IMPORT_PERSONS, "html/verwalten.html#importieren"},
    {ID_CAMERA_IMPORT, "html/kameradaten.html"},
    {ID_IMPORT_TRANSACTIONS, "html/zusammenarbeit.html"},
    {ID_SYNC_AT_ONCE, "html/zusammenarbeit.html#sofort"},
    {ID_SLIDESHOW, "html/bildfenster.html#diashow"},
    {ID_THUMBNAIL_STRIP, "html/hauptfenster.html#bildleiste"},
    {ID_OVERVIEW, "html/hauptfenster.html#uebersicht"},
    {ID_XMP_EXPORT, "html/xmp.html#export"},
    {ID_XMP_IMPORT, "html/xmp.html#import"},
    {ID_REGISTER_FILETYPE, "html/einstellungen.html#dateityp"},
    {ID_FILE_PRINT, "html/seite_einrichten.html#drucken"},
    {ID_FILE_PRINT_PREVIEW, "html/seite_einrichten.html#drucken"},
};

const HelpWindow* FindDialog(int dialog) {
  for (const HelpWindow& w : kWindows)
    if (w.dialog == dialog) return &w;
  return nullptr;
}

const ControlTopic* FindControl(int dialog, int control) {
  for (const ControlTopic& c : kControls)
    if (c.dialog == dialog && c.control == control) return &c;
  return nullptr;
}

}  // namespace

std::span<const HelpWindow> HelpWindows() { return kWindows; }

int HelpDialogOf(std::string_view objectName, std::string_view className) {
  for (const HelpWindow& w : kWindows)
    for (std::string_view name : w.names)
      if (!name.empty() && (name == objectName || name == className)) return w.dialog;
  return 0;
}

int HelpControlOf(int dialog, std::string_view objectName) {
  for (const ControlTopic& c : kControls)
    if (c.dialog == dialog && c.objectName == objectName) return c.control;
  return 0;
}

std::string_view HelpPageForContext(std::uint32_t context, int dialog) {
  if (context >= kHelpControlBase) {
    const ControlTopic* c = FindControl(dialog, static_cast<int>(context - kHelpControlBase));
    return c ? c->page : std::string_view();
  }
  if (context >= kHelpDialogBase) {
    const HelpWindow* w = FindDialog(static_cast<int>(context - kHelpDialogBase));
    return w ? w->page : std::string_view();
  }
  if (context >= kHelpCommandBase) {
    for (const CommandTopic& c : kCommands)
      if (kHelpCommandBase + static_cast<std::uint32_t>(c.command) == context) return c.page;
  }
  return {};
}

std::string HelpPageFor(std::span<const HelpWidget> chain, int command) {
  if (command > 0) {
    const std::string_view page = HelpPageForContext(kHelpCommandBase + static_cast<std::uint32_t>(command));
    if (!page.empty()) return std::string(page);
  }
  std::size_t below = 0;  // widgets not yet looked at as controls of a dialog
  for (std::size_t i = 0; i < chain.size(); ++i) {
    const int dialog = HelpDialogOf(chain[i].objectName, chain[i].className);
    if (dialog == 0) continue;
    for (std::size_t j = below; j < i; ++j)
      if (const int control = HelpControlOf(dialog, chain[j].objectName))
        return std::string(HelpPageForContext(kHelpControlBase + static_cast<std::uint32_t>(control), dialog));
    below = i + 1;
    const std::string_view page = HelpPageForContext(kHelpDialogBase + static_cast<std::uint32_t>(dialog));
    if (!page.empty()) return std::string(page);
  }
  return std::string(kHelpContents);
}

std::optional<std::string> NormalizeHelpPage(std::string_view page) {
  const std::size_t hash = page.find('#');
  std::string_view path = page.substr(0, hash);
  const std::string_view anchor = hash == std::string_view::npos ? std::string_view() : page.substr(hash);
  while (!path.empty() && path.front() == '/') path.remove_prefix(1);
  std::string result;
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view part = path.substr(0, slash);
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    // Only plain names: nothing that climbs out, names a scheme or a drive,
    // or means a folder separator elsewhere.
    if (part == ".." || part.find_first_of(":\\") != std::string_view::npos) return std::nullopt;
    for (const char c : part)
      if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
    if (!result.empty()) result += '/';
    result += part;
  }
  if (result.empty()) return std::nullopt;
  return result + std::string(anchor);
}

}  // namespace kolvaro
