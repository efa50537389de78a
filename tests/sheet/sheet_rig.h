#pragma once

#include "engine/engine_listener.h"
#include "link/link.h"
#include "sheet/matrix_setups.h"
#include "sheet/reply_decoder.h"
#include "sheet/routing_commands.h"
#include "sheet/status_reader.h"
#include "sheet/store_button.h"
#include "sheet/switching_sheet.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scripted_prompt.h"
#include "text/message_table.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rl4::test {

using Frame = std::vector<std::uint8_t>;

// Writes down the engine's notices that the tests look at, one line each, in order.
class RecordingEngineListener : public EngineListener {
public:
    void sheetRowChanged(int d) override { events.push_back("row " + std::to_string(d)); }
    void currentRowChanged() override { events.push_back("current"); }
    void sheetChecksChanged() override { events.push_back("checks"); }
    void switcherFollowReport(int d, int s) override {
        events.push_back("follow " + std::to_string(d) + " " + std::to_string(s));
    }
    void statusTextChanged(const std::string& text) override { events.push_back("text " + text); }
    void statusReadingStarted() override { events.push_back("reading"); }
    void statusReadingProgress(const std::string& layer, int output) override {
        events.push_back("progress " + layer + " " + std::to_string(output));
    }
    void statusReadingFinished() override { events.push_back("read"); }

    bool saw(const std::string& event) const { return std::ranges::find(events, event) != events.end(); }

    std::vector<std::string> events;
};

// The engine's sheet, reply rules, status reading and matrix commands wired as the program wires them,
// over a link to a scripted matrix on port 1 (or, with port 0, to the link's own echo).
//
// The assignment: sources 1 "Camera 1" (video 1, audio 1), 2 "Camera 2" (2 on every layer), 3 "Player"
// (video 3, RGB 3), 4 "Disconnect" (0 on every layer), 5 "Title" (video and audio 200); destinations
// 1 "Monitor 1" (video 3, audio 4), 2 "Monitor 2" (5 on every layer), 3 "Recorder" (video 200, YC 7),
// 4 "All Dest" (0 on every layer). Destinations 1 and 3 are selected.
struct SheetRig {
    FakeClock clock;
    MemoryPortOpener opener{clock};
    Link link{clock, opener};
    MessageTable messages;
    ScriptedPrompt prompt;
    RecordingEngineListener listener;

    Assignments assignments;
    AssignmentTable& table = assignments.activeTable;
    std::array<bool, 4>& layerUsed = assignments.layerUsed;
    RoutingTable routing;
    MatrixSizes sizes;
    int vcaSetup = 32;
    std::vector<int> shownVcaLevels;
    std::vector<int> shownGains;
    std::vector<bool> shownModes;

    SwitchingSheet sheet{assignments, routing, listener};
    StoreButton storeButton{listener};
    ReplyDecoder decoder{table, routing, sheet, storeButton, vcaSetup, listener};
    StatusReader reader{link, routing, sizes, messages, listener};
    RoutingCommands commands{link, table, routing, sizes, storeButton, reader, messages, prompt};
    MatrixSetups setups{link, storeButton, reader, messages, prompt};

    // The matrix: its answer to each complete frame written (empty: it stays silent).
    std::function<Frame(const Frame&)> matrix;
    // Every frame written to the matrix, in order.
    std::vector<Frame> written;

    SheetRig() {
        layerUsed = {true, true, true, true};
        link.setRules(&decoder);
        link.setListener(&listener);
        decoder.showVcaLevel = [this](int level) { shownVcaLevels.push_back(level); };
        decoder.showInputGain = [this](int level) { shownGains.push_back(level); };
        decoder.showInputMode = [this](bool balanced) { shownModes.push_back(balanced); };
        setSource(1, "Camera 1", {1, 1, NotAssigned, NotAssigned});
        setSource(2, "Camera 2", {2, 2, 2, 2});
        setSource(3, "Player", {3, NotAssigned, 3, NotAssigned});
        setSource(4, "Disconnect", {0, 0, 0, 0});
        setSource(5, "Title", {200, 200, NotAssigned, NotAssigned});
        table.sourceCount = 5;
        setDestination(1, "Monitor 1", {3, 4, NotAssigned, NotAssigned}, -1);
        setDestination(2, "Monitor 2", {5, 5, 5, 5}, 0);
        setDestination(3, "Recorder", {200, NotAssigned, NotAssigned, 7}, -1);
        setDestination(4, "All Dest", {0, 0, 0, 0}, 0);
        table.destinationCount = 4;
    }

    void setSource(int s, const std::string& name, std::array<int, 4> inputs) {
        Source& source = table.sources[static_cast<std::size_t>(s)];
        source.name = name;
        for (Layer layer : kLayers)
            source.input(layer) = inputs[static_cast<std::size_t>(layerIndex(layer))];
    }
    void setDestination(int d, const std::string& name, std::array<int, 4> outputs, int sel) {
        Destination& destination = table.destinations[static_cast<std::size_t>(d)];
        destination.name = name;
        destination.Shw = sel;
        for (Layer layer : kLayers)
            destination.output(layer) = outputs[static_cast<std::size_t>(layerIndex(layer))];
    }

    // A matrix on port 1 speaking the given frame form.
    void connect(int protocolLength) {
        link.setProtocolLength(protocolLength);
        link.setPortNumber(1);
        MemoryChannel& channel = opener.channel(1);
        channel.onWrite = [this, &channel](std::uint8_t byte) {
            pending_.push_back(byte);
            if (pending_.size() < static_cast<std::size_t>(link.protocolLength()))
                return;
            written.push_back(pending_);
            const Frame answer = matrix ? matrix(pending_) : Frame{};
            pending_.clear();
            if (!answer.empty())
                channel.deliver(answer);
        };
        link.OpenPort();
    }

    // No port: every frame is answered by its own echo.
    void simulate(int protocolLength) {
        link.setProtocolLength(protocolLength);
        link.setPortNumber(0);
        link.OpenPort();
    }

    // The matrix sends a frame by itself; the main loop's pass reads it.
    void unsolicited(const Frame& frame) {
        opener.channel(1).deliver(frame);
        link.ProcessReply();
    }

    int wanted(Layer layer, int d) const { return routing.wanted(layer, d); }
    int held(Layer layer, int d) const { return routing.held(layer, d); }

private:
    Frame pending_;
};

} // namespace rl4::test
