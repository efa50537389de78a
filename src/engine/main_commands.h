#pragma once

#include "diag/matrix_info.h"
#include "engine/engine.h"

#include <cstdint>
#include <functional>
#include <string>

namespace rl4 {

// Where the main window stands and how big it is (twips), as the window itself knows it.
struct MainWindowGeometry {
    WindowPlace place;
    std::int16_t height = 7000;
    std::int16_t width = 11530;
};

// The main window `frm1`'s commands: every menu item, toolbar button and the sheet's double click end in
// frm1_MenuEvent. The menu's check marks show the open state of the switcher control and history windows.
// Windows the commands open are asked for through
// EngineListener::windowRequested once their model is loaded.
class MainCommands {
public:
    // `mainWindowGeometry` tells where the main window stands, for the workspace kept in the settings.
    MainCommands(Engine& engine, std::function<MainWindowGeometry()> mainWindowGeometry);

    // Refused with a message while the assignment editor is open, whatever the id, and without one while a
    // long operation holds the link (Engine::busy); unknown ids do nothing.
    void frm1_MenuEvent(int id);
    // Button index from 1; the separator does nothing.
    void tb1_ButtonClick(int index);
    void lvcom_DblClick();
    // A key that reached the main window itself: its code in a message box.
    void frm1_KeyPress(int charCode);
    // The status-bar help of the menu entry under the pointer, in the current language.
    std::string frm1_MenuOver(int id) const;
    // The check mark of a main menu item (show all and selected, history, switcher control); false for the
    // others.
    bool menuChecked(int id) const;
    // What the matrix information window shows, as taken when it was last asked for.
    const MatrixInfo& matrixInfo() const { return matrixInfo_; }

    // The tool windows that were open when the program last closed, opened again at start.
    void openSavedWindows();
    // The main window closes: the engine's shutdown with the workspace as it stands, then the tool windows.
    void frm1_Close();
    // The main window's geometry and the places of the tool windows that are open.
    WorkspaceLayout workspaceLayout() const;

private:
    void openSwitcher();
    void openHistory();
    void requestWindow(int id);
    void refreshOsd();

    Engine& engine_;
    std::function<MainWindowGeometry()> mainWindowGeometry_;
    MatrixInfo matrixInfo_;
};

} // namespace rl4
