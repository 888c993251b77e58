#include "res/menu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "res/commands.h"
#include "res/strings.h"
#include "testsupport/files.h"

namespace kolvaro {
namespace {

using test::ReadFile;

const std::filesystem::path kIconFolder = KOLVARO_ICON_DIR;

void CollectCommands(const std::vector<MenuEntry>& items, std::vector<const MenuEntry*>& out) {
  for (const MenuEntry& item : items) {
    if (item.kind == MenuEntry::Popup)
      CollectCommands(item.items, out);
    else if (item.kind == MenuEntry::Command)
      out.push_back(&item);
  }
}

const MenuEntry* FindPopup(const std::vector<MenuEntry>& items, std::string_view text) {
  for (const MenuEntry& item : items)
    if (item.kind == MenuEntry::Popup && item.text == text) return &item;
  return nullptr;
}

TEST(MainMenu, PopupsAndTheirStructure) {
  const auto& menu = MainMenu();
  std::vector<std::string_view> titles;
  for (const MenuEntry& popup : menu) {
    EXPECT_EQ(popup.kind, MenuEntry::Popup);
    titles.push_back(popup.text);
  }
  EXPECT_EQ(titles, (std::vector<std::string_view>{"&Datei", "&Bild", "&Ansicht", "E&xtras", "&Zusammenarbeit", "&?"}));
  // The collaboration popup is found and removed by this string's text.
  EXPECT_NE(FindPopup(menu, LoadString(IDS_COLLABORATION_MENU)), nullptr);

  const MenuEntry* extras = FindPopup(menu, "E&xtras");
  ASSERT_NE(extras, nullptr);
  EXPECT_NE(FindPopup(extras->items, "&Tools"), nullptr);
  EXPECT_NE(FindPopup(extras->items, "&Optionen"), nullptr);

  // Separators only between items, never doubled; the file menu has the recent-file slot.
  const std::function<void(const std::vector<MenuEntry>&)> check = [&](const std::vector<MenuEntry>& items) {
    ASSERT_FALSE(items.empty());
    EXPECT_NE(items.front().kind, MenuEntry::Separator);
    EXPECT_NE(items.back().kind, MenuEntry::Separator);
    for (std::size_t i = 1; i < items.size(); ++i)
      EXPECT_FALSE(items[i - 1].kind == MenuEntry::Separator && items[i].kind == MenuEntry::Separator);
    for (const MenuEntry& item : items)
      if (item.kind == MenuEntry::Popup) check(item.items);
  };
  for (const MenuEntry& popup : menu) check(popup.items);
  const MenuEntry* file = FindPopup(menu, "&Datei");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::count_if(file->items.begin(), file->items.end(),
                          [](const MenuEntry& e) { return e.kind == MenuEntry::RecentFiles; }),
            1);
  EXPECT_EQ(file->items.back().command, ID_APP_EXIT);
}

TEST(MainMenu, EveryCommandOnceWithPromptAndText) {
  std::vector<const MenuEntry*> commands;
  CollectCommands(MainMenu(), commands);
  std::set<int> seen;
  for (const MenuEntry* item : commands) {
    SCOPED_TRACE(item->command);
    EXPECT_TRUE(seen.insert(item->command).second) << "twice in the menu";
    EXPECT_FALSE(item->text.empty());
    EXPECT_FALSE(StatusPrompt(item->command).empty());
  }
  // Commands of every owner are reachable from the menu.
  for (const int command : {ID_ADD_PICTURES, ID_ADD_FOLDER, ID_DELETE_PICTURE, ID_OPEN_IN_GRAPHICS, ID_COPY_FILE,
                            ID_CHANGE_PATHS, ID_IMPORT_PERSONS, ID_CAMERA_IMPORT, ID_MANAGE_THEMES,
                            ID_MANAGE_PERSONS, ID_FILE_STORAGE, ID_ALBUM_INFO, ID_APP_ABOUT, ID_IMPORT_TRANSACTIONS,
                            ID_OPTIONS, ID_REGISTER_FILETYPE, ID_DOCUMENTATION, ID_FILE_NEW, ID_FILE_OPEN,
                            ID_FILE_PRINT_SETUP, ID_NEXT_PICTURE, ID_PREV_PICTURE, ID_ASSIGN_THEMES,
                            ID_REMOVE_THEMES, ID_ADD_PERSON, ID_CANCEL_ADD_PERSON, ID_REMOVE_PERSONS, ID_ENLARGE,
                            ID_SLIDESHOW, ID_PICTURE_WINDOW, ID_PAGE_SETUP, ID_FILE_PRINT, ID_FILE_PRINT_PREVIEW})
    EXPECT_TRUE(seen.count(command)) << command;

  // The registration item starts with the "not registered" text that its
  // update handler swaps.
  for (const MenuEntry* item : commands) {
    if (item->command == ID_REGISTER_FILETYPE) {
      EXPECT_EQ(item->text, LoadString(IDS_REGISTER_FILETYPE_MENU));
    }
  }
}

// Alt+letter must reach one entry; the two clashes the album's menu has
// always had are kept as they stand.
TEST(MainMenu, MnemonicsReachOneEntryPerPopup) {
  std::vector<std::string> clashes;
  const std::function<void(std::string_view, const std::vector<MenuEntry>&)> check =
      [&](std::string_view popup, const std::vector<MenuEntry>& items) {
        std::map<char, std::string_view> owners;
        for (const MenuEntry& item : items) {
          const std::string_view text = item.text.substr(0, item.text.find('\t'));
          for (std::size_t i = text.find('&'); i != std::string_view::npos;
               i = text.find('&', i + 2)) {
            if (i + 1 >= text.size() || text[i + 1] == '&') continue;
            const char key =
                static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
            if (auto [it, fresh] = owners.emplace(key, text); !fresh)
              clashes.push_back(std::string(popup) + ": " + std::string(it->second) + " / " +
                                std::string(text));
            break;
          }
          if (item.kind == MenuEntry::Popup) check(item.text, item.items);
        }
      };
  check("", MainMenu());
  EXPECT_EQ(clashes,
            (std::vector<std::string>{"E&xtras: &Themen verwalten ... / &Tools",
                                      "&Optionen: &Dateiablage ... / &Dateityp registrieren ..."}));
}

TEST(Accelerators, KeysUniqueAndCommandsKnown) {
  std::set<std::string_view> keys;
  for (const Accelerator& acc : MainAccelerators()) {
    SCOPED_TRACE(acc.keys);
    EXPECT_TRUE(keys.insert(acc.keys).second) << "key bound twice";
    EXPECT_FALSE(StatusPrompt(acc.command).empty());
  }
  const auto bound = [](std::string_view keys) {
    for (const Accelerator& acc : MainAccelerators())
      if (acc.keys == keys) return acc.command;
    return 0;
  };
  EXPECT_EQ(bound("Ctrl+Shift+A"), ID_ADD_PICTURES);
  EXPECT_EQ(bound("Ctrl++"), ID_ADD_PERSON);
  EXPECT_EQ(bound("Esc"), ID_CANCEL_ADD_PERSON);
  EXPECT_EQ(bound("Shift+F6"), ID_PREV_PANE);
  EXPECT_EQ(bound("F12"), ID_FILE_SAVE_AS);
}

TEST(Toolbar, ButtonsHaveTooltipsAndIcons) {
  const auto& toolbar = MainToolbar();
  ASSERT_FALSE(toolbar.empty());
  EXPECT_NE(toolbar.front(), 0);
  EXPECT_NE(toolbar.back(), 0);
  int buttons = 0;
  std::set<int> seen;
  for (std::size_t i = 0; i < toolbar.size(); ++i) {
    const int command = toolbar[i];
    if (command == 0) {
      EXPECT_NE(toolbar[i - 1], 0) << "doubled gap";
      continue;
    }
    SCOPED_TRACE(command);
    ++buttons;
    EXPECT_TRUE(seen.insert(command).second);
    EXPECT_FALSE(ToolTip(command).empty());
    EXPECT_FALSE(StatusPrompt(command).empty());
    const std::string_view icon = CommandIcon(command);
    ASSERT_TRUE(icon.starts_with(":/icons/") && icon.ends_with(".svg")) << icon;
    const auto file = kIconFolder / std::string(icon.substr(8));
    ASSERT_TRUE(std::filesystem::is_regular_file(file)) << file;
    EXPECT_NE(ReadFile(file).find("viewBox=\"0 0 24 24\""), std::string::npos) << file;
  }
  EXPECT_EQ(buttons, 14);
  EXPECT_EQ(ToolTip(ID_FILE_PRINT_PREVIEW), "Seitenansicht");
  EXPECT_EQ(ToolTip(ID_ENLARGE), "Bild vergrößerern");
  EXPECT_EQ(ToolTip(ID_CONTEXT_HELP), "Was ist das ...?");
  EXPECT_EQ(CommandIcon(ID_DELETE_PICTURE), "");
  EXPECT_TRUE(std::filesystem::is_regular_file(kIconFolder / "kolvaro.svg"));
}

}  // namespace
}  // namespace kolvaro
