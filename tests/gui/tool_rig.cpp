#include "tool_rig.h"

#include "gui/gui_tool_window_factories.h"

namespace rl4::test {

ToolRig::ToolRig() {
    hub.join(&mainWindow);
    hub.join(&tools);
    addToolWindows(tools, engine, commands, mainWindow);

    setSource(1, "Camera 1", {1, 1, NotAssigned, NotAssigned});
    setSource(2, "Camera 2", {2, 2, 2, 2});
    setSource(3, "Tape", {NotAssigned, 3, NotAssigned, NotAssigned});
    setSource(4, "Graphics", {NotAssigned, NotAssigned, 4, 4});
    engine.assignments().activeTable.sourceCount = 4;
    setDestination(1, "Monitor", {1, 1, 1, NotAssigned});
    setDestination(2, "Booth", {NotAssigned, NotAssigned, NotAssigned, NotAssigned});
    setDestination(3, "Studio", {3, 3, 3, 3});
    engine.assignments().activeTable.destinationCount = 3;
    engine.assignments().layerUsed = {true, true, true, true};
    engine.sheet().BuildSheetColumns();
    engine.sheet().FillSheet();
    selectDestination(1);
}

// The tool windows go before the engine they draw, as at the program's end.
ToolRig::~ToolRig() {
    tools.closeAll();
    hub.leave(&tools);
    hub.leave(&mainWindow);
}

void ToolRig::setSource(int s, const std::string& name, std::array<int, 4> inputs) {
    Source& source = engine.assignments().activeTable.sources[static_cast<std::size_t>(s)];
    source.name = name;
    for (Layer layer : kLayers)
        source.input(layer) = inputs[static_cast<std::size_t>(layerIndex(layer))];
}

void ToolRig::setDestination(int d, const std::string& name, std::array<int, 4> outputs) {
    Destination& destination = engine.assignments().activeTable.destinations[static_cast<std::size_t>(d)];
    destination.name = name;
    destination.Shw = -1;
    for (Layer layer : kLayers)
        destination.output(layer) = outputs[static_cast<std::size_t>(layerIndex(layer))];
}

void ToolRig::connect(int protocolLength) {
    engine.link().setProtocolLength(protocolLength);
    engine.link().setPortNumber(1);
    MemoryChannel& channel = opener.channel(1);
    channel.onWrite = [this, &channel](std::uint8_t byte) {
        pending_.push_back(byte);
        if (pending_.size() < static_cast<std::size_t>(engine.link().protocolLength()))
            return;
        written.push_back(pending_);
        if (pending_.size() == 5 && pending_[1] == 'p')
            channel.deliver({0x02, 'p', 0x01, static_cast<std::uint8_t>(vcaSetup), 0x03});
        else if (echo)
            channel.deliver(pending_);
        pending_.clear();
    };
    engine.link().OpenPort();
}

void ToolRig::simulate(int protocolLength) {
    engine.link().setProtocolLength(protocolLength);
    engine.link().setPortNumber(0);
    engine.link().OpenPort();
}

std::vector<Frame> ToolRig::takeWritten() {
    return std::exchange(written, {});
}

void ToolRig::selectDestination(int d) {
    const auto& rows = engine.sheet().rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].destination == d)
            engine.rowClicked(static_cast<int>(i));
    }
}

} // namespace rl4::test
