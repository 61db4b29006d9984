// SPDX-License-Identifier: MIT
// The menus, accelerators and toolbar of the main window, as data. The Qt front end builds its
// menus from them; the console front end finds commands by their menu texts.
#pragma once

#include <string>
#include <vector>

namespace brisel {

struct CMenuItem {
    std::string text;  // with "&" before the mnemonic and "\t" before the shortcut
    int id = 0;        // 0 for a separator or a submenu
    std::vector<CMenuItem> submenu;
    bool recentFiles = false;  // the place of the recent-file list
    bool IsSeparator() const { return id == 0 && submenu.empty() && !recentFiles; }
};

struct CMenu {
    std::string text;
    std::vector<CMenuItem> items;
};

// Menu 128: no document open. Menu 129: a document window is active.
const std::vector<CMenu>& MenuNoDocument();
const std::vector<CMenu>& MenuDocument();

struct CAccelerator {
    std::string key;  // "Ctrl+N", "Shift+Del", "F6"
    int id;
};
const std::vector<CAccelerator>& Accelerators();

// The prompt that the status bar shows for a command while its menu item is under the pointer.
std::string MenuPrompt(int id);

// The toolbar's command ids in order; 0 is a separator.
const std::vector<int>& ToolbarButtons();

// A menu text without its mnemonic mark, shortcut and trailing dots: "&Open...\tCtrl+O" gives
// "Open".
std::string PlainMenuText(const std::string& text);

// Every command of both menus by a name that is unique: the plain item text, and for items of
// a submenu the submenu's plain text, a space and the item's ("Loop Tests Get").
struct CNamedCommand {
    std::string name;
    int id;
};
std::vector<CNamedCommand> NamedCommands();

}  // namespace brisel
