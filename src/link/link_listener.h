#pragma once

#include "link/history_row.h"
#include "platform/other_process.h"

#include <string>

namespace rl4 {

// What the link and the history model tell the windows (or a test's recorder). Every notice has an empty
// default.
class LinkListener {
public:
    virtual ~LinkListener() = default;

    virtual void historyRowAdded(const HistoryRow&) {}
    // The matrix reported its on-line state; `lblonline` follows it.
    virtual void onLineChanged(bool) {}
    // The start-up port search: begins, tries port p (1..8), ends.
    virtual void portSearchStarted() {}
    virtual void portSearchProgress(int) {}
    virtual void portSearchFinished() {}
    // A port of the search (or the saved one) is held by another program: the search goes on without it.
    virtual void portInUse(int, const OtherProcess&) {}
    // A tool window opened or closed: the main menu's check marks follow (MainCommands::menuChecked).
    virtual void menuChecksChanged() {}
    // The line to the matrix went away (`reason` in the channel's words): the link is off line and tries the
    // port again by itself. Then it came back and the matrix answered.
    virtual void lineLost(const std::string& /*reason*/) {}
    virtual void lineBack() {}
    // A command was refused because the line is lost.
    virtual void commandRefused() {}
    // The history model changed (rows, columns, caption, open state): redraw from it.
    virtual void historyModelChanged() {}
};

} // namespace rl4
