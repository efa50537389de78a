#pragma once

#include "link/layer.h"
#include "link/link_listener.h"

#include <string>

namespace rl4 {

// What the sheet and the models around it tell the windows: the link's notices and their own. Every notice
// has an empty default so that a listener takes only what it shows.
class SheetListener : public LinkListener {
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
    // The check boxes of the rows present were all set or cleared.
    virtual void sheetChecksChanged() {}
    // The matrix reported `source` on a layer of the current destination: an open switcher control window
    // selects, in each layer list, the entry of that layer's matrix source, and in the all-layers list the
    // entry of `source`.
    virtual void switcherFollowReport(int /*destination*/, int /*source*/) {}
    // The configuration dialog's fields changed, or it was shown or closed.
    virtual void configDialogChanged() {}
    // The switcher control model changed (lists, selections, colours, open state): redraw from it.
    virtual void switcherModelChanged() {}

    // What the matrix reported, whoever caused it (a command, another program, its own panel): the source
    // it routes to a destination on a layer, and a destination's VCA level. Repeats are reported too.
    virtual void routingReported(Layer /*layer*/, int /*destination*/, int /*source*/) {}
    virtual void vcaReported(int /*destination*/, int /*level*/) {}
};

} // namespace rl4
