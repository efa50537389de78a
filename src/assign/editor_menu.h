#pragma once

#include <map>
#include <string>
#include <vector>

namespace rl4 {

// Ids of the assignment editor's menu, grouped by hundreds per menu; x00 is the menu's title.
namespace editor_menu {
inline constexpr int kFile = 100;
inline constexpr int kOpen = 101;
inline constexpr int kSave = 102;
inline constexpr int kSaveAs = 103;
inline constexpr int kCreateNew = 104;
inline constexpr int kQuit = 106;
inline constexpr int kEdit = 200;
inline constexpr int kCut = 201;
inline constexpr int kPaste = 202;
inline constexpr int kInsertAbove = 203;
inline constexpr int kInsertBelow = 204;
inline constexpr int kDelete = 205;
inline constexpr int kChange = 206;
inline constexpr int kView = 300;
inline constexpr int kSourceView = 301;
inline constexpr int kDestinationView = 302;
inline constexpr int kSpecialView = 303;
inline constexpr int kLevels = 400;
inline constexpr int kBalanced = 401;
inline constexpr int kUnbalanced = 402;
inline constexpr int kAllBalanced = 403;
inline constexpr int kAllUnbalanced = 404;
inline constexpr int kAudioMonitor = 405;
inline constexpr int kAdjustmentsEnable = 406;
inline constexpr int kAdjustAll = 407;
inline constexpr int kMatrix = 500;
inline constexpr int kUploadEeprom = 501;
} // namespace editor_menu

// One line of a menu as the window builds it: a title (x00) opens a menu, the entries after it belong to
// it; a separator has id 0 and the caption "-". "&" marks the access key.
struct MenuEntry {
    int id = 0;
    std::string caption;

    bool operator==(const MenuEntry&) const = default;
};

inline constexpr int kSeparatorId = 0;

// The editor's menu in the language given (2 French, anything else English), in the order the window
// shows it.
std::vector<MenuEntry> editorMenuEntries(int language);

// The status-bar help of an entry; an empty text for entries without help, which clears the bar.
// `activeFileName` completes the help of "Save".
std::string editorMenuHelp(int id, int language, const std::string& activeFileName);

// The enabled and checked marks of the editor's entries. Every entry starts enabled and unchecked; ids
// that are not entries of the menu are never enabled, so a command id from nowhere is refused.
class EditorMenu {
public:
    EditorMenu();

    bool enabled(int id) const;
    bool checked(int id) const;
    void setEnabled(int id, bool enabled);
    void setChecked(int id, bool checked);

private:
    struct Marks {
        bool enabled = true;
        bool checked = false;
    };
    std::map<int, Marks> marks_;
};

} // namespace rl4
