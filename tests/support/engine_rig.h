#pragma once

#include "engine/engine.h"
#include "engine/main_commands.h"
#include "sim/matrix_core.h"
#include "support/fake_clock.h"
#include "support/frames.h"
#include "support/memory_port_opener.h"
#include "support/scripted_prompt.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace rl4::test {

// A name in its 20-column field of an assignment file.
std::string name20(const std::string& name);

// An assignment file written by hand from its column rules: sources 1 Camera 1, 2 Camera 2, 3 Tape,
// 4 Graphics (RGB only), 5 Server, 6 Black (input 0 everywhere); destinations 1 Monitor 1 (every layer),
// 2 Monitor 2 (no RGB), 3 Recorder (no Y/C, RGB output 2), 4 Projector (RGB and Y/C only).
Lines sampleAssignmentLines();
enum SampleSource { kCamera1 = 1, kCamera2, kTape, kGraphics, kServer, kBlackSource };
enum SampleDestination { kMonitor1 = 1, kMonitor2, kRecorder, kProjector };

// The 27 lines of a settings file that asks nothing: English, the history window kept at 120, 240, both
// tool windows closed, the connexion and assignment files in `folder`.
Lines settingsLines(const std::string& folder, int protocol, int port);

// Writes down the engine's notices, one line each ("row 2", "title ...", "search 3", "window 206" ...),
// and does for the models what the windows do: the history and switcher windows take their rows, refreshes
// and follow reports.
class RigListener : public EngineListener {
public:
    void historyRowAdded(const HistoryRow& row) override;
    void onLineChanged(bool onLine) override { note(onLine ? "online" : "offline"); }
    void portSearchStarted() override { note("search start"); }
    void portSearchProgress(int port) override { note("search " + std::to_string(port)); }
    void portSearchFinished() override { note("search end"); }
    void portInUse(int port, const OtherProcess& holder) override {
        note("search in use " + std::to_string(port) + " " + holder.describe());
    }
    void sheetRowChanged(int d) override { note("row " + std::to_string(d)); }
    void currentRowChanged() override { note("current"); }
    void sheetChecksChanged() override { note("checks"); }
    void statusTextChanged(const std::string& text) override { note("text " + text); }
    void statusReadingStarted() override { note("reading"); }
    void statusReadingProgress(const std::string& layer, int output) override {
        note("progress " + layer + " " + std::to_string(output));
    }
    void statusReadingFinished() override { note("read"); }
    void storeButtonChanged(bool enabled) override { note(enabled ? "store on" : "store off"); }
    void switcherChanged() override;
    void switcherFollowReport(int d, int s) override;
    void titleChanged(const std::string& title) override { note("title " + title); }
    void windowRequested(int menuId) override { note("window " + std::to_string(menuId)); }
    void quitRequested() override { note("quit"); }
    void lineLost(const std::string& reason) override { note("lost " + reason); }
    void lineBack() override { note("back"); }
    void commandRefused() override { note("refused"); }

    bool saw(const std::string& event) const { return std::ranges::find(events, event) != events.end(); }
    // The notices since the last call whose text starts with `prefix`.
    std::vector<std::string> take(const std::string& prefix = "");

    Engine* engine = nullptr;
    std::vector<std::string> events;
    std::vector<HistoryRow> rows;

private:
    void note(std::string event) { events.push_back(std::move(event)); }
};

struct RigOptions {
    // The port the matrix stands on; 0: no matrix anywhere.
    int matrixPort = 1;
    // Layer sizes, identity, the frame forms it speaks, silent refusals.
    sim::MatrixConfig matrix;
    // The ports without the matrix: silent lines, or (false) no device at all.
    bool otherPortsOpen = false;
    // The settings file (frame form, port) and the sample assignment, written before start(); 0: no
    // settings file, so the start-up asks the language.
    int protocol = 5;
    int port = 1;
    // The assignment file written before start().
    Lines assignment = sampleAssignmentLines();
};

// The engine as the programs build it, with the main window's commands, in a fresh program folder, on a
// fake clock, questions answered from a script, and the software matrix behind the opener's port, its
// answers taking their wire time at 9600 baud: exact and without sleeping.
class EngineRig {
public:
    explicit EngineRig(RigOptions options = {});

    // Starts the engine as the window program does.
    void start() { engine.startUp(); }
    // Lets the main loop run for `millis` (a pass every 20 ms), so that what the matrix sent is read.
    void runMainLoop(int millis = 100);

    // The matrix: its state (crosspoints, VCA levels, setups ...) and its refusals.
    sim::MatrixCore& matrix() { return core_; }
    sim::MatrixState& state() { return core_.state(); }
    // The frames it received since the last call, and the bytes it could not frame.
    std::vector<Frame> takeReceived() { return std::exchange(received_, {}); }
    // A switch at its own panel (false when the matrix has no such crosspoint), or a change of its on-line
    // state, sent unasked.
    bool panelSwitch(sim::Layer layer, int output, int input);
    void sendOnLine(bool onLine) { deliver(core_.setOnLine(onLine).bytes, 0); }
    // Any bytes from the matrix's end of its port, arriving after their wire time.
    void sendUnasked(const Frame& bytes) { deliver(bytes, 0); }

    std::string path(const std::string& name) const { return folder.path(name); }
    // A connexion file with its three heading lines and these rows.
    void writeConnexions(const Lines& rows, const std::string& name = "routelane4.cnx");
    Lines readLines(const std::string& name) const { return readCrLf(path(name)); }

    TempFolder folder;
    FakeClock clock;
    MemoryPortOpener opener{clock};
    ScriptedPrompt prompt;
    RigListener listener;
    Engine engine{folder.folder(), clock, opener, prompt, listener};
    MainWindowGeometry geometry;
    MainCommands commands{engine, [this] { return geometry; }};

private:
    void attach(MemoryChannel& channel);
    void deliver(const Frame& bytes, std::size_t requestLength);

    RigOptions options_;
    sim::MatrixCore core_;
    std::vector<Frame> received_;
};

} // namespace rl4::test
