#pragma once

#include "engine/engine.h"
#include "engine/main_commands.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompt.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rl4::test {

using Frame = std::vector<std::uint8_t>;

// Plays the main window: forwards the engine's notices to the models as the real window does, and writes
// down the requests meant for the window itself.
class WindowListener : public EngineListener {
public:
    void historyRowAdded(const HistoryRow& row) override { engine->history().AddHistoryRow(row); }
    void switcherChanged() override { engine->switcher().RefreshSwitcher(); }
    void switcherFollowReport(int d, int s) override { engine->switcher().switcherFollowReport(d, s); }
    void windowRequested(int id) override { windows.push_back(id); }
    void quitRequested() override { ++quits; }

    Engine* engine = nullptr;
    std::vector<int> windows;
    int quits = 0;
};

// An engine in a scratch folder with the main window's commands, and this assignment:
// sources 1 "Camera 1" (video 1, audio 1), 2 "Camera 2" (2 on every layer), 3 "Tape" (audio 3 only),
// 4 "Graphics" (RGB 4, YC 4); destinations 1 "Monitor" (video, audio, RGB 1; no YC), 2 "Booth" (no
// output), 3 "Studio" (3 on every layer).
struct WindowRig {
    ScratchFolder folder;
    FakeClock clock;
    MemoryPortOpener opener{clock};
    ScriptedPrompt prompt;
    WindowListener listener;
    Engine engine{folder.folder(), clock, opener, prompt, listener};
    MainWindowGeometry geometry;
    MainCommands commands{engine, [this] { return geometry; }};

    // Every frame the matrix on port 1 received; it answers each with its own echo when `echo` is set.
    std::vector<Frame> written;
    bool echo = true;

    WindowRig() {
        listener.engine = &engine;
        AssignmentTable& table = engine.assignments().activeTable;
        setSource(1, "Camera 1", {1, 1, NotAssigned, NotAssigned});
        setSource(2, "Camera 2", {2, 2, 2, 2});
        setSource(3, "Tape", {NotAssigned, 3, NotAssigned, NotAssigned});
        setSource(4, "Graphics", {NotAssigned, NotAssigned, 4, 4});
        table.sourceCount = 4;
        setDestination(1, "Monitor", {1, 1, 1, NotAssigned});
        setDestination(2, "Booth", {NotAssigned, NotAssigned, NotAssigned, NotAssigned});
        setDestination(3, "Studio", {3, 3, 3, 3});
        table.destinationCount = 3;
        engine.assignments().layerUsed = {true, true, true, true};
        engine.sheet().BuildSheetColumns();
        engine.sheet().FillSheet();
    }

    void setSource(int s, const std::string& name, std::array<int, 4> inputs) {
        Source& source = engine.assignments().activeTable.sources[static_cast<std::size_t>(s)];
        source.name = name;
        for (Layer layer : kLayers)
            source.input(layer) = inputs[static_cast<std::size_t>(layerIndex(layer))];
    }
    void setDestination(int d, const std::string& name, std::array<int, 4> outputs) {
        Destination& destination = engine.assignments().activeTable.destinations[static_cast<std::size_t>(d)];
        destination.name = name;
        destination.Shw = -1;
        for (Layer layer : kLayers)
            destination.output(layer) = outputs[static_cast<std::size_t>(layerIndex(layer))];
    }

    // A matrix on port 1 speaking the given frame form.
    void connect(int protocolLength) {
        engine.link().setProtocolLength(protocolLength);
        engine.link().setPortNumber(1);
        MemoryChannel& channel = opener.channel(1);
        channel.onWrite = [this, &channel](std::uint8_t byte) {
            pending_.push_back(byte);
            if (pending_.size() < static_cast<std::size_t>(engine.link().protocolLength()))
                return;
            written.push_back(pending_);
            if (echo)
                channel.deliver(pending_);
            pending_.clear();
        };
        engine.link().OpenPort();
    }
    // No port: the link answers every frame with its own echo.
    void simulate(int protocolLength) {
        engine.link().setProtocolLength(protocolLength);
        engine.link().setPortNumber(0);
        engine.link().OpenPort();
    }
    std::vector<Frame> takeWritten() { return std::exchange(written, {}); }

    // Makes d current as a click on its row does.
    void selectDestination(int d) {
        const auto& rows = engine.sheet().rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].destination == d)
                engine.rowClicked(static_cast<int>(i));
        }
    }

private:
    Frame pending_;
};

inline Frame switchFrame(char letter, int output, int input) {
    return {0x02, static_cast<std::uint8_t>(letter), static_cast<std::uint8_t>(output),
            static_cast<std::uint8_t>(input), 0x03};
}

} // namespace rl4::test
