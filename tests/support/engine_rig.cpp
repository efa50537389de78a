#include "support/engine_rig.h"

#include <span>
#include <variant>

namespace rl4::test {

std::string name20(const std::string& name) {
    return name + std::string(20 - name.size(), ' ');
}

Lines sampleAssignmentLines() {
    const std::string separator(41, '-');
    return {
        "Video In = 5",
        "Video Out = 3",
        "Audio In = 5",
        "Audio Out = 3",
        "RVB In = 5",
        "RVB Out = 3",
        "YW In = 5",
        "YW Out = 3",
        separator,
        "SOURCES             |Kin|Vin|Ain|Rin|YWi|",
        name20("Camera 1") + "|  1|  1|  1|  1|  1|",
        name20("Camera 2") + "|  2|  2|  2|   |  2|",
        name20("Tape") + "|   |  3|  3|   |   |",
        name20("Graphics") + "|   |   |   |  4|   |",
        name20("Server") + "|   |  5|  5|  5|  5|",
        name20("Black") + "|   |  0|  0|  0|  0|",
        separator,
        "DESTINATIONS        |Kou|Vou|Aou|Rou|YWo|Shw|VCA|ad1|ad2|ad3|ad4|ad5|ad6|",
        name20("Monitor 1") + "|  1|  1|  1|  1|  1| -1| -1|127|127|127|127|127|127|",
        name20("Monitor 2") + "|  2|  2|  2|   |  2| -1| -1|127|127|127|127|127|127|",
        name20("Recorder") + "|   |  3|  3|  2|   |  0|  0|127|127|127|127|127|127|",
        name20("Projector") + "|   |   |   |  3|  3| -1| -1|127|127|127|127|127|127|",
        separator,
    };
}

Lines settingsLines(const std::string& folder, int protocol, int port) {
    Lines lines{
        std::to_string(protocol), "-1", "0", "0", "7000", "11530", "0", "0", "120", "240", "0", "0", "1"};
    lines.insert(lines.end(), 7, "0");
    lines.push_back(folder + "/routelane4.cnx");
    lines.push_back(folder + "/routelane4.agn");
    lines.insert(lines.end(), {"0", "0", std::to_string(port), "0", "0"});
    return lines;
}

void RigListener::historyRowAdded(const HistoryRow& row) {
    rows.push_back(row);
    if (engine)
        engine->history().AddHistoryRow(row);
}

void RigListener::switcherChanged() {
    if (engine)
        engine->switcher().RefreshSwitcher();
}

void RigListener::switcherFollowReport(int d, int s) {
    note("follow " + std::to_string(d) + " " + std::to_string(s));
    if (engine)
        engine->switcher().switcherFollowReport(d, s);
}

std::vector<std::string> RigListener::take(const std::string& prefix) {
    std::vector<std::string> taken;
    for (const std::string& event : events)
        if (event.starts_with(prefix))
            taken.push_back(event);
    events.clear();
    return taken;
}

EngineRig::EngineRig(RigOptions options) : options_(options), core_(options.matrix) {
    listener.engine = &engine;
    opener.prepare = [this](int number, MemoryChannel& channel) {
        if (number == options_.matrixPort)
            attach(channel);
        else
            channel.refuseOpen = !options_.otherPortsOpen;
    };
    if (options_.protocol != 0)
        writeCrLf(path("routelane4.set"), settingsLines(folder.folder(), options_.protocol, options_.port));
    writeCrLf(path("routelane4.agn"), options_.assignment);
}

// The matrix takes each byte as it is written and answers once a frame is whole.
void EngineRig::attach(MemoryChannel& channel) {
    channel.onWrite = [this](std::uint8_t byte) {
        for (sim::SimEvent& event : core_.feed(std::span(&byte, 1), clock.nowMicros())) {
            if (event.kind == sim::SimEvent::Kind::Sent)
                deliver(event.bytes, event.requestLength);
            else
                received_.push_back(event.bytes);
        }
    };
}

// An answer leaves once its request has come in whole, each byte after its own wire time (10 bits at 9600
// baud).
void EngineRig::deliver(const Frame& bytes, std::size_t requestLength) {
    for (std::size_t k = 0; k < bytes.size(); ++k)
        opener.channel(options_.matrixPort)
            .deliver({bytes[k]}, static_cast<std::int64_t>(requestLength + k + 1) * 10'000'000 / 9600);
}

bool EngineRig::panelSwitch(sim::Layer layer, int output, int input) {
    const auto event = core_.panelSwitch(layer, output, input);
    if (const auto* sent = std::get_if<sim::SimEvent>(&event))
        deliver(sent->bytes, 0);
    return std::holds_alternative<sim::SimEvent>(event);
}

void EngineRig::runMainLoop(int millis) {
    for (int passed = 0; passed < millis; passed += 20) {
        clock.advance(20'000);
        engine.mainLoopPass();
    }
}

void EngineRig::writeConnexions(const Lines& rows, const std::string& name) {
    Lines lines{"Matrix Routing Switcher", "Switching file", "dst|nsv|nsa|nsr|nsy|vca"};
    lines.insert(lines.end(), rows.begin(), rows.end());
    writeCrLf(path(name), lines);
}

} // namespace rl4::test
