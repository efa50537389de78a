#pragma once

#include "link/link_listener.h"

#include <string>

namespace rl4 {

// Everything the engine tells the windows. The windows implement it and redraw from the engine's state;
// tests implement it with a recorder. Every notice has an empty default so that a listener takes only what
// it shows.
class EngineListener : public LinkListener {
public:
    // The sheet's column set changed (the used layers).
    virtual void sheetColumnsChanged() {}
    // The sheet's rows were rebuilt (fill, show all / selected).
    virtual void sheetFilled() {}
    // One destination's row was rewritten from the matrix's report (drawn with the red marker).
    virtual void sheetRowChanged(int /*destination*/) {}
    // The current destination changed: rows are recoloured.
    virtual void currentRowChanged() {}
    // The text of the label above the VCA slider (`volsrc`): a destination's name or a status text.
    virtual void statusTextChanged(const std::string& /*text*/) {}
    // The VCA panel of the current destination changed (enabled, slider value, level text).
    virtual void vcaPanelChanged() {}
    // The store button `cmddemstore` is enabled or disabled.
    virtual void storeButtonChanged(bool /*enabled*/) {}
    // The matrix status is being read: starts, reads output `output` of the layer named `layerText`, ends.
    virtual void statusReadingStarted() {}
    virtual void statusReadingProgress(const std::string& /*layerText*/, int /*output*/) {}
    virtual void statusReadingFinished() {}
    // An audio input's gain or mode was reported (the input level controls of the assignment editor).
    virtual void inputGainChanged(int /*level*/, const std::string& /*text*/) {}
    virtual void inputModeChanged(bool /*balanced*/) {}
    // The switcher control window must follow the current destination's routing.
    virtual void switcherChanged() {}
    // The main window's title changed.
    virtual void titleChanged(const std::string& /*title*/) {}
    // The check boxes of the rows present were all set or cleared.
    virtual void sheetChecksChanged() {}
    // The matrix reported `source` on a layer of the current destination: an open switcher control window
    // selects, in each layer list, the entry of that layer's matrix source, and in the all-layers list the
    // entry of `source`.
    virtual void switcherFollowReport(int /*destination*/, int /*source*/) {}
    // The configuration dialog's fields changed, or it was shown or closed.
    virtual void configDialogChanged() {}
    // A main-window command asks for a window, by its menu id: 107 configuration, 205 history, 206 switcher
    // control, 307 debug, 308 special functions, 401 assignment editor, 502 matrix information. The model
    // behind it is loaded already.
    virtual void windowRequested(int /*menuId*/) {}
    // "&Quit" (106): the main window runs its close (MainCommands::frm1_Close) and the program ends.
    virtual void quitRequested() {}
    // A check mark of the main menu may have changed (201, 202, 205, 206: MainCommands::menuChecked).
    virtual void menuChecksChanged() {}
    // The switcher control model changed (lists, selections, colours, open state): redraw from it.
    virtual void switcherModelChanged() {}
    // The history model changed (rows, columns, caption, open state): redraw from it.
    virtual void historyModelChanged() {}
};

} // namespace rl4
