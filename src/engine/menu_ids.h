#pragma once

namespace rl4 {

// Ids of the main window's menu, toolbar and windows, grouped by hundreds per menu; x00 is the menu's
// title. The menu declares its entries with them ("#206#Switcher Control"); the assignment editor's own
// menu has its ids in assign/editor_menu.h.
namespace menu_id {
inline constexpr int kFile = 100;
inline constexpr int kOpenConnexionFile = 101;
inline constexpr int kSaveConnexionFile = 102;
inline constexpr int kSaveConnexionFileAs = 103;
inline constexpr int kReadStatus = 104;
inline constexpr int kDisconnectAll = 105; // the toolbar's only
inline constexpr int kQuit = 106;
inline constexpr int kSetUp = 107;
inline constexpr int kSaveWorkspace = 108;
inline constexpr int kStoreStatus = 109;
inline constexpr int kStoreToSetup = 110;
inline constexpr int kRecallSetup = 111;
inline constexpr int kDisplay = 200;
inline constexpr int kShowAll = 201;
inline constexpr int kShowSelected = 202;
inline constexpr int kSelectAll = 203;
inline constexpr int kDeselectAll = 204;
inline constexpr int kHistory = 205;
inline constexpr int kSwitcherControl = 206;
inline constexpr int kOsdRefresh = 207;
inline constexpr int kTools = 300;
inline constexpr int kAllVcaMinimum = 305;
inline constexpr int kAllVcaMaximum = 306;
inline constexpr int kDebug = 307;
inline constexpr int kSpecialFunctions = 308;
inline constexpr int kAssignments = 400;
inline constexpr int kAssignmentEditor = 401;
inline constexpr int kHelpMenu = 500;
inline constexpr int kHelp = 501;
inline constexpr int kMatrixInfo = 502;
} // namespace menu_id

} // namespace rl4
