#pragma once

namespace rl4 {

// What the assignment editor asks of the program around it: the sheet it stands in front of, whose routing
// follows the assignment being edited. The engine implements it.
class EditorHost {
public:
    virtual ~EditorHost() = default;

    // Gives the sheet its routing back after the editor or before a new assignment: read from the matrix,
    // or, without one, sent again from the wanted routing, which the echo confirms.
    virtual void refreshRouting() = 0;
    // The editor has closed: the main window's commands are taken again and the routing is given back.
    virtual void editorClosed() = 0;
    // The sheet is drawn again from the active table.
    virtual void refillSheet() = 0;
};

} // namespace rl4
