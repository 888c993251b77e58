#include "res/menu.h"

#include <utility>

#include "res/commands.h"

namespace kolvaro {
namespace {

MenuEntry Item(int command, std::string_view text) { return {MenuEntry::Command, command, text, {}}; }
MenuEntry Separator() { return {MenuEntry::Separator, 0, {}, {}}; }
MenuEntry Popup(std::string_view text, std::vector<MenuEntry> items) {
  return {MenuEntry::Popup, 0, text, std::move(items)};
}

std::vector<MenuEntry> BuildMainMenu() {
  return {
      Popup("&Datei",
            {
                Item(ID_FILE_NEW, "&Neues Kolvaro\tStrg+N"),
                Item(ID_FILE_OPEN, "Ö&ffnen...\tStrg+O"),
                Item(ID_FILE_SAVE, "&Speichern\tStrg+S"),
                Item(ID_FILE_SAVE_AS, "Speichern &unter..."),
                Separator(),
                Item(ID_PAGE_SETUP, "Seite einrichten ..."),
                Item(ID_FILE_PRINT, "&Drucken...\tStrg+P"),
                Item(ID_FILE_PRINT_PREVIEW, "Seiten&ansicht"),
                Item(ID_FILE_PRINT_SETUP, "Drucker&einrichtung..."),
                Separator(),
                {MenuEntry::RecentFiles, ID_FILE_MRU_FILE1, "Zuletzt geöffnete Datei", {}},
                Separator(),
                Item(ID_APP_EXIT, "&Beenden"),
            }),
      Popup("&Bild",
            {
                Item(ID_ADD_PICTURES, "Bilder zur Datenbank hinzufügen ...\tUmsch - Strg - 'A'"),
                Item(ID_ADD_FOLDER, "Jpeg's in &Verzeichnis zur Datenbank hinzufügen ..."),
                Separator(),
                Item(ID_NEXT_PICTURE, "Nächstes Bild\tStrg + ->"),
                Item(ID_PREV_PICTURE, "Vorherigs Bild\tStrg + <-"),
                Separator(),
                Item(ID_ASSIGN_THEMES, "Themen &zuordnen ..."),
                Item(ID_REMOVE_THEMES, "Thema &löschen ..."),
                Separator(),
                Item(ID_ADD_PERSON, "Person h&inzufügen ...\tStrg - '+'"),
                Item(ID_CANCEL_ADD_PERSON, "Person hinzufügen abbrechen\tESC"),
                Item(ID_REMOVE_PERSONS, "Person l&öschen ..."),
                Separator(),
                Item(ID_OPEN_IN_GRAPHICS, "Bild im Graphikprogramm öffnen ..."),
                Item(ID_COPY_FILE, "Bild auf Datenträger kopieren ..."),
                Separator(),
                Item(ID_DELETE_PICTURE, "&Bild aus Datenbank löschen ..."),
            }),
      Popup("&Ansicht",
            {
                Item(ID_VIEW_TOOLBAR, "&Symbolleiste"),
                Item(ID_VIEW_STATUS_BAR, "Status&leiste"),
                Separator(),
                Item(ID_SLIDESHOW, "&Dia Show"),
                Item(ID_PICTURE_WINDOW, "Bild-Fenster"),
                Item(ID_ENLARGE, "Bild &vergrößern"),
                Item(ID_THUMBNAIL_STRIP, "&Bildleiste"),
                Item(ID_OVERVIEW, "Übers&icht\tStrg+U"),
            }),
      Popup("E&xtras",
            {
                Item(ID_MANAGE_THEMES, "&Themen verwalten ..."),
                Item(ID_MANAGE_PERSONS, "&Personen verwalten ..."),
                Separator(),
                Item(ID_IMPORT_PERSONS, "Personen &importieren ..."),
                Item(ID_CAMERA_IMPORT, "&Kameradaten übertragen"),
                Item(ID_XMP_EXPORT, "&XMP exportieren ..."),
                Item(ID_XMP_IMPORT, "XMP i&mportieren ..."),
                Separator(),
                Popup("&Tools",
                      {
                          Item(ID_CHANGE_PATHS, "&Pfade ändern ..."),
                          Item(ID_ALBUM_INFO, "Copyright && Update-URL ..."),
                      }),
                Popup("&Optionen",
                      {
                          Item(ID_FILE_STORAGE, "&Dateiablage ..."),
                          Item(ID_OPTIONS, "&Verschiedenes ..."),
                          // The text follows the registration state at run time.
                          Item(ID_REGISTER_FILETYPE, "&Dateityp registrieren ..."),
                      }),
            }),
      Popup("&Zusammenarbeit",
            {
                Item(ID_IMPORT_TRANSACTIONS, "Änderungs-Datei einspielen ..."),
                Item(ID_SYNC_TRANSACTIONS, "Änderungen &abgleichen"),
                Item(ID_SYNC_AT_ONCE, "Änderungen &sofort abgleichen"),
            }),
      Popup("&?",
            {
                Item(ID_DOCUMENTATION, "Dokumentation ..."),
                Item(ID_CONTEXT_HELP, "&Hilfe zu ..."),
                Separator(),
                Item(ID_APP_ABOUT, "Inf&o über Kolvaro-Album ..."),
            }),
  };
}

struct IconFile {
  int command;
  std::string_view path;
};

constexpr IconFile kIcons[] = {
    {ID_PICTURE_WINDOW, ":/icons/picture-window.svg"},
    {ID_OPEN_IN_GRAPHICS, ":/icons/paint.svg"},
    {ID_SLIDESHOW, ":/icons/slideshow.svg"},
    {ID_NEXT_PICTURE, ":/icons/next.svg"},
    {ID_PREV_PICTURE, ":/icons/previous.svg"},
    {ID_ENLARGE, ":/icons/enlarge.svg"},
    {ID_COPY_FILE, ":/icons/copy-file.svg"},
    {ID_FILE_NEW, ":/icons/new.svg"},
    {ID_FILE_OPEN, ":/icons/open.svg"},
    {ID_FILE_SAVE, ":/icons/save.svg"},
    {ID_FILE_PRINT, ":/icons/print.svg"},
    {ID_FILE_PRINT_PREVIEW, ":/icons/print-preview.svg"},
    {ID_APP_ABOUT, ":/icons/info.svg"},
    {ID_CONTEXT_HELP, ":/icons/context-help.svg"},
};

}  // namespace

const std::vector<MenuEntry>& MainMenu() {
  static const std::vector<MenuEntry> menu = BuildMainMenu();
  return menu;
}

const std::vector<Accelerator>& MainAccelerators() {
  // "Ctrl++" covers the main keyboard's plus key and the numeric keypad's:
  // Qt matches a keypad key against a shortcut without the keypad modifier
  // when nothing else takes it.
  static const std::vector<Accelerator> table = {
      {"Ctrl+Shift+A", ID_ADD_PICTURES},
      {"Ctrl+Right", ID_NEXT_PICTURE},
      {"Ctrl+Left", ID_PREV_PICTURE},
      {"Esc", ID_CANCEL_ADD_PERSON},
      {"Ctrl+Z", ID_EDIT_UNDO},
      {"Ctrl+N", ID_FILE_NEW},
      {"Ctrl+O", ID_FILE_OPEN},
      {"Ctrl+P", ID_FILE_PRINT},
      {"Ctrl+S", ID_FILE_SAVE},
      {"F6", ID_NEXT_PANE},
      {"Shift+F6", ID_PREV_PANE},
      {"Ctrl++", ID_ADD_PERSON},
      {"F12", ID_FILE_SAVE_AS},
      {"Ctrl+U", ID_OVERVIEW},
  };
  return table;
}

const std::vector<int>& MainToolbar() {
  static const std::vector<int> toolbar = {
      ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT, 0,
      ID_FILE_OPEN, 0,
      ID_PREV_PICTURE, ID_NEXT_PICTURE, ID_SLIDESHOW, ID_PICTURE_WINDOW, ID_ENLARGE, 0,
      ID_OPEN_IN_GRAPHICS, ID_COPY_FILE, 0,
      ID_FILE_NEW, ID_FILE_SAVE, 0,
      ID_CONTEXT_HELP, ID_APP_ABOUT,
  };
  return toolbar;
}

std::string_view CommandIcon(int command) {
  for (const IconFile& icon : kIcons)
    if (icon.command == command) return icon.path;
  return {};
}

}  // namespace kolvaro
