#pragma once

#include "text/message_table.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rl4 {

// One entry of a menu bar as a window builds it. Captions keep the "&" that marks the access key.
struct MenuItem {
    enum class Kind { Command, Separator, Submenu };

    Kind kind = Kind::Command;
    int id = 0; // 0 for a separator
    std::string caption;
    bool enabled = true;
    // Items whose check mark follows the program's state (MainCommands::menuChecked).
    bool checkable = false;
    std::vector<MenuItem> items; // a submenu's entries
};

// The main window's menu bar as the list of "#id#caption" entries it is declared by: "-" is a separator,
// an empty entry closes the submenu in progress, and an empty entry where a submenu would start ends the
// bar. French for language 2, English for any other value.
std::span<const std::string_view> mainMenuEntries(int language);

// Builds a menu bar from such a list; throws std::invalid_argument for an entry of no known form, so that a
// mistyped table fails the first time it is built rather than showing a broken menu.
std::vector<MenuItem> buildMenu(std::span<const std::string_view> entries);

// The main window's menu bar in the given language, with the special functions and the setups disabled and
// the items that carry check marks (show all and selected, history, switcher control) checkable.
std::vector<MenuItem> mainMenu(int language);

// The status-bar help of a menu entry; "" for ids without help. "Save connexion file" names the file it
// saves to.
std::string frm1_MenuOver(int id, int language, const std::string& connexionPath);

// One button of the toolbar `tb1`, by index from 1.
struct ToolbarButton {
    int index = 0;
    bool separator = false;
    int image = 0;       // in `iml1`, from 1; 0 for the separator
    std::string tooltip; // "" for none
    int menuId = 0;      // the command it performs; 0 for none
};

std::vector<ToolbarButton> toolbarButtons(MessageTable& messages);
// The command a click on button `index` performs, or 0 when it performs none.
int toolbarMenuId(int index);

} // namespace rl4
