#pragma once

#include "gui/gui_session.h"
#include "sheet/settings.h"
#include "support/scripted_prompt.h"

#include <QTemporaryDir>
#include <array>
#include <memory>
#include <string>
#include <vector>

class QTableWidget;

namespace rl4::test {

inline constexpr int kNoConnector = 257;

// An object of a test assignment: its name and its connector on Video, Audio, RGB and YC.
struct RigObject {
    std::string name;
    std::array<int, 4> connectors;
};

struct RigAssignment {
    std::vector<RigObject> sources;
    std::vector<RigObject> destinations;
    // Destinations (from 1) whose Sel box is not checked; the others are.
    std::vector<int> unselected;
};

// Three cameras and four monitors on Video and Audio; monitor 4 has no audio output.
RigAssignment videoAudioAssignment();

// A program folder with settings that ask nothing, an assignment, and a port map that sends every port the
// program may search to `portTarget` (a path that does not exist, unless a test gives its matrix's), and
// the window program's session on it, answering questions from a script.
class WindowRig {
public:
    WindowRig(int language, const RigAssignment& assignment, const std::string& portTarget = "");
    ~WindowRig();

    // Rewrites the settings file before the start-up; returns the settings written.
    Settings changeSettings(const std::function<void(Settings&)>& change);
    // Starts the session and runs the event loop until its start-up is over.
    bool startUp();
    // Runs the event loop (and so the main loop's passes) for a while.
    static void pump(int millis);
    // Runs the event loop until `done` or the time is up; true when done.
    static bool pumpUntil(const std::function<bool()>& done, int millis);

    std::string folder() const { return dir_.path().toStdString(); }
    GuiSession& session() { return *session_; }
    Engine& engine() { return session_->engine(); }
    MainWindow& window() { return session_->mainWindow(); }
    QTableWidget& sheet();
    ScriptedPrompt prompt;

private:
    QTemporaryDir dir_;
    std::unique_ptr<GuiSession> session_;
};

// Cell texts and colours of the sheet as drawn.
std::string cellText(const QTableWidget& sheet, int row, int column);
std::array<int, 3> background(const QTableWidget& sheet, int row);
std::array<int, 3> foreground(const QTableWidget& sheet, int row);

} // namespace rl4::test
