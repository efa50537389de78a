#include "window_rig.h"

#include "assign/assignment_file.h"
#include "gui/main_window.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "sheet/settings.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace rl4::test {

namespace {

// The ports the start-up may try.
constexpr int kSearchedPorts = 8;

void writeFolder(const std::string& folder, int language, const RigAssignment& rig,
                 const std::string& portTarget) {
    std::vector<std::string> ports;
    for (int port = 1; port <= kSearchedPorts; ++port) {
        const std::string target =
            port == 1 && !portTarget.empty() ? portTarget : folder + "/absent-port-" + std::to_string(port);
        ports.push_back(std::to_string(port) + "=" + target);
    }
    ASSERT_EQ(writeTextLines(folder + "/routelane4.ports", ports), "");

    auto assignments = std::make_unique<Assignments>();
    AssignmentTable& table = assignments->activeTable;
    table.sourceCount = static_cast<int>(rig.sources.size());
    table.destinationCount = static_cast<int>(rig.destinations.size());
    for (std::size_t i = 0; i < rig.sources.size(); ++i) {
        table.sources[i + 1].name = rig.sources[i].name;
        for (Layer layer : kLayers)
            table.sources[i + 1].input(layer) =
                rig.sources[i].connectors[static_cast<std::size_t>(layerIndex(layer))];
    }
    for (std::size_t i = 0; i < rig.destinations.size(); ++i) {
        Destination& destination = table.destinations[i + 1];
        destination.name = rig.destinations[i].name;
        for (Layer layer : kLayers)
            destination.output(layer) =
                rig.destinations[i].connectors[static_cast<std::size_t>(layerIndex(layer))];
        const bool unselected = std::find(rig.unselected.begin(), rig.unselected.end(),
                                          static_cast<int>(i + 1)) != rig.unselected.end();
        destination.Shw = unselected ? 0 : -1;
    }
    // A connexion file that routes nothing: without one the start-up makes one of eight destinations.
    ASSERT_EQ(writeTextLines(folder + "/routelane4.cnx",
                             {"Matrix Routing Switcher", "Switching file", "dst|nsv|nsa|nsr|nsy|vca"}),
              "");

    Settings settings = startSettings(folder);
    assignments->activeFileName = settings.assignmentPath;
    MessageTable messages;
    ScriptedPrompt quiet;
    ASSERT_TRUE(WriteAssignmentFile(*assignments, messages, quiet));

    settings.language = language;
    SystemClock clock;
    MappedPortOpener noPorts{PortMap()};
    Link link(clock, noPorts);
    link.setPortNumber(1);
    link.setProtocolLength(5);
    ASSERT_EQ(WriteSettings(settingsFilePath(folder), settings, link), "");
}

} // namespace

RigAssignment videoAudioAssignment() {
    RigAssignment rig;
    rig.sources = {{"Camera 1", {1, 1, kNoConnector, kNoConnector}},
                   {"Camera 2", {2, 2, kNoConnector, kNoConnector}},
                   {"Camera 3", {3, 3, kNoConnector, kNoConnector}}};
    rig.destinations = {{"Monitor 1", {1, 1, kNoConnector, kNoConnector}},
                        {"Monitor 2", {2, 2, kNoConnector, kNoConnector}},
                        {"Monitor 3", {3, 3, kNoConnector, kNoConnector}},
                        {"Monitor 4", {4, kNoConnector, kNoConnector, kNoConnector}}};
    return rig;
}

WindowRig::WindowRig(int language, const RigAssignment& assignment, const std::string& portTarget) {
    writeFolder(folder(), language, assignment, portTarget);
    session_ = std::make_unique<GuiSession>(folder(), prompt);
}

// A session that was not closed goes without its shutdown: nothing is asked or written.
WindowRig::~WindowRig() = default;

Settings WindowRig::changeSettings(const std::function<void(Settings&)>& change) {
    Settings settings = startSettings(folder());
    ScriptedPrompt quiet;
    ReadSettings(settingsFilePath(folder()), settings, quiet);
    change(settings);
    SystemClock clock;
    MappedPortOpener noPorts{PortMap()};
    Link link(clock, noPorts);
    link.setPortNumber(settings.port);
    link.setProtocolLength(settings.protocolLength);
    EXPECT_EQ(WriteSettings(settingsFilePath(folder()), settings, link), "");
    return settings;
}

bool WindowRig::startUp() {
    session_->start();
    return pumpUntil([this] { return session_->startedUp(); }, 20000);
}

void WindowRig::pump(int millis) {
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

bool WindowRig::pumpUntil(const std::function<bool()>& done, int millis) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > millis)
            return false;
        pump(5);
    }
    return true;
}

QTableWidget& WindowRig::sheet() {
    return *window().findChild<QTableWidget*>("lvcom");
}

std::string cellText(const QTableWidget& sheet, int row, int column) {
    const QTableWidgetItem* item = sheet.item(row, column);
    return item ? item->text().toStdString() : "<no cell>";
}

std::array<int, 3> background(const QTableWidget& sheet, int row) {
    const QColor colour = sheet.item(row, 0)->background().color();
    return {colour.red(), colour.green(), colour.blue()};
}

std::array<int, 3> foreground(const QTableWidget& sheet, int row) {
    const QColor colour = sheet.item(row, 0)->foreground().color();
    return {colour.red(), colour.green(), colour.blue()};
}

} // namespace rl4::test
