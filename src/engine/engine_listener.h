#pragma once

#include "assign/editor_listener.h"
#include "diag/debug_listener.h"
#include "eeprom/eeprom_listener.h"
#include "sheet/sheet_listener.h"

#include <string>

namespace rl4 {

// Everything the engine tells the windows: the notices of the link, the sheet, the assignment editor, the
// EEPROM upload and the debug loops, and those of the engine's top. The windows implement this one
// interface and redraw from the engine's state; tests implement it with a recorder. Every notice has an
// empty default so that a listener takes only what it shows. The editor's notices go to the editor's window
// alone, which the editor is given.
class EngineListener : public SheetListener,
                       public EditorListener,
                       public EepromListener,
                       public DebugListener {
public:
    // The switcher control window must follow the current destination's routing.
    virtual void switcherChanged() {}
    // The main window's title changed.
    virtual void titleChanged(const std::string& /*title*/) {}
    // A main-window command asks for a window, by its menu id (menu_ids.h): configuration, history,
    // switcher control, debug, special functions, assignment editor, matrix information. The model behind
    // it is loaded already.
    virtual void windowRequested(int /*menuId*/) {}
    // "&Quit": the main window runs its close (MainCommands::frm1_Close) and the program ends.
    virtual void quitRequested() {}
};

} // namespace rl4
