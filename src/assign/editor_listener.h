#pragma once

namespace rl4 {

// What the assignment editor asks of the windows around it. The editor window redraws from the model
// after each call it forwards; these notices are for what it cannot see from there. Every notice has an
// empty default.
class EditorListener {
public:
    virtual ~EditorListener() = default;

    // The main window, and the switcher control and history windows where they are open, hide while the
    // editor is open and come back when it closes.
    virtual void otherWindowsShown(bool /*shown*/) {}
    // The change dialog `frmchangeagn` or the size dialog `frmsize` is to be shown modally, or has closed.
    virtual void changeDialogShown(bool /*shown*/) {}
    virtual void sizeDialogShown(bool /*shown*/) {}
    // The editor window is to be unloaded.
    virtual void editorUnloaded() {}
};

} // namespace rl4
