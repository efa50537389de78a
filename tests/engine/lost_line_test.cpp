// A line that goes away under the engine (a pulled adapter, a server gone): the memory port hangs up as a
// hung-up descriptor does, reads returning nothing at once, and the matrix behind it keeps its state.

#include "engine/menu_ids.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace rl4::test {
namespace {

constexpr int kMatrixPort = 1;

MemoryChannel& port(EngineRig& rig) {
    return rig.opener.channel(kMatrixPort);
}

// Started, its notices and frames taken, the line gone in the idle main loop.
void startThenUnplug(EngineRig& rig) {
    rig.start();
    port(rig).refuseOpen = true;
    port(rig).hangUp();
    rig.runMainLoop(20);
    rig.takeReceived();
    rig.listener.take();
}

int portRequests(const EngineRig& rig) {
    return static_cast<int>(std::ranges::count(rig.opener.requests, kMatrixPort));
}

TEST(LostLine, GoesOffLineAtOnceWithoutSpinningOnTheDeadLineInBothForms) {
    for (int protocol : {4, 5}) {
        SCOPED_TRACE(protocol);
        EngineRig rig({.matrix = {}, .protocol = protocol});
        rig.start();
        rig.commands.frm1_MenuEvent(menu_id::kHistory);
        rig.listener.take();
        rig.listener.rows.clear();
        // The line goes as the frame of the next command has left: its answer is awaited on a dead line.
        MemoryChannel& line = port(rig);
        std::size_t written = 0;
        line.onWrite = [&](std::uint8_t) {
            if (++written == static_cast<std::size_t>(protocol))
                line.hangUp(ByteChannel::kDeviceRemoved);
        };
        line.readCalls = 0;
        const std::int64_t before = rig.clock.nowMicros();
        rig.commands.frm1_MenuEvent(menu_id::kStoreStatus);

        EXPECT_LE(line.readCalls, 2) << "the answer wait must end with the line";
        EXPECT_LT(rig.clock.nowMicros() - before, 1000);
        EXPECT_TRUE(rig.engine.link().lineLost());
        EXPECT_FALSE(rig.engine.link().matrixOnLine());
        EXPECT_EQ(rig.listener.take(), (Lines{"offline", "lost device removed"}));
        ASSERT_EQ(rig.listener.rows.size(), 1u) << "the line's row, and no missing answer after it";
        const HistoryRow& row = rig.listener.rows[0];
        EXPECT_EQ(row.instr + " " + row.object + " " + row.in, "Error line lost");
        EXPECT_FALSE(row.recognised);
        EXPECT_EQ(rig.engine.lineLostText(), "Line to the matrix lost (device removed)");

        // Idle afterwards: the main loop does not touch the line until the retry is due.
        line.readCalls = 0;
        rig.runMainLoop(2000);
        EXPECT_EQ(line.readCalls, 0);
    }
}

TEST(LostLine, CommandsAreRefusedWithoutSendingAndTheSheetKeepsWhatItShowed) {
    EngineRig rig;
    startThenUnplug(rig);
    Engine& e = rig.engine;
    const RoutingTable before = e.routing();
    const auto refused = [&](const std::string& what, const std::function<void()>& command) {
        SCOPED_TRACE(what);
        command();
        EXPECT_TRUE(rig.takeReceived().empty());
        EXPECT_TRUE(rig.listener.saw("refused"));
        EXPECT_TRUE(rig.listener.take("reading").empty()) << "no status reading may start";
        EXPECT_TRUE(rig.prompt.questions.empty());
        rig.listener.take();
    };
    for (int id :
         {menu_id::kReadStatus, menu_id::kDisconnectAll, menu_id::kStoreStatus, menu_id::kAllVcaMaximum})
        refused("menu " + std::to_string(id), [&] { rig.commands.frm1_MenuEvent(id); });
    e.switcher().frmcommutation_Load();
    refused("switcher", [&] { e.switcher().cbcommutation_Click(2); });
    refused("vca", [&] { e.vca().sli1_Change(5); });
    e.debug().frmdebug_Load();
    refused("debug loop", [&] { e.debug().readvideo1_Click(); });
    refused("upload", [&] { EXPECT_EQ(e.uploadEeprom(), UploadOutcome::Refused); });
    refused("on-line click", [&] { e.link().lblonline_Click(); });

    for (Layer layer : kLayers)
        for (int d = kMonitor1; d <= kProjector; ++d)
            EXPECT_EQ(e.routing().held(layer, d), before.held(layer, d));
    EXPECT_EQ(e.commandRefusedText(),
              "No line to the matrix (line hung up): the command is refused, not kept "
              "for later. Once the line is back, the matrix is read again.");
    e.messages().setLanguage(kLanguageFrench);
    EXPECT_EQ(e.lineLostText(), "Liaison avec la matrice perdue (ligne raccrochée)");
}

TEST(LostLine, RetriesOnItsIntervalAndOnReturnIdentifiesAndReadsWithoutSendingASwitch) {
    EngineRig rig;
    startThenUnplug(rig);
    const int requestsAtLoss = portRequests(rig);
    rig.runMainLoop(2960);
    EXPECT_EQ(portRequests(rig), requestsAtLoss) << "no try before the interval";
    rig.runMainLoop(40);
    EXPECT_EQ(portRequests(rig), requestsAtLoss + 1);
    rig.runMainLoop(3000);
    EXPECT_EQ(portRequests(rig), requestsAtLoss + 2);

    // Something on the port, but no matrix: still lost.
    port(rig).refuseOpen = false;
    const auto matrixEnd = std::exchange(port(rig).onWrite, nullptr);
    rig.listener.take();
    rig.runMainLoop(3000);
    EXPECT_TRUE(rig.engine.link().lineLost());
    EXPECT_EQ(rig.engine.link().lineLostReason(), ByteChannel::kHungUp);
    EXPECT_TRUE(rig.listener.take().empty()) << "a failed try is no news";

    // Meanwhile the matrix was switched at its panel; the operator's sheet knew nothing of it.
    rig.state().layer(sim::Layer::Video).connect(2, 5);
    port(rig).onWrite = matrixEnd;
    rig.runMainLoop(3000);

    const std::vector<Frame> frames = rig.takeReceived();
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ((std::vector<Frame>(frames.begin(), frames.begin() + 3)),
              (std::vector<Frame>{five('x', 120, 120), five('D', 1, 0), five('p', 1, 0)}));
    for (const Frame& frame : frames)
        EXPECT_FALSE(frame[1] >= 'A' && frame[1] <= 'Z' && frame[1] != 'D')
            << "no write on reconnect: " << hexText(frame);
    EXPECT_FALSE(rig.engine.link().lineLost());
    EXPECT_TRUE(rig.engine.link().matrixOnLine());
    EXPECT_TRUE(rig.listener.saw("back"));
    EXPECT_TRUE(rig.listener.saw("online"));
    EXPECT_EQ(rig.engine.routing().held(Layer::Video, kMonitor2), kServer);
    EXPECT_FALSE(rig.engine.routing().connexionsChanged());
}

// Main loop passes at the real clock's cadence until `done`; false when it was not within `limitMillis`.
bool passesUntil(Engine& engine, const std::function<bool()>& done, int limitMillis) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMillis);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        engine.mainLoopPass();
    }
    return true;
}

// The switch instructions the software matrix received, by its log.
Lines switchFramesIn(const std::string& log) {
    Lines frames;
    std::istringstream lines(fileBytes(log));
    for (std::string line; std::getline(lines, line);)
        for (const char* letter : {"56", "41", "52", "59"})
            if (line.starts_with(std::string("RX 02 ") + letter))
                frames.push_back(line);
    return frames;
}

// On a pseudo-terminal the unplug is a hang-up; on TCP (a serial device server) a reset connection.
TEST(LostLine, TheSoftwareMatrixUnpluggedAndRepluggedOnAPseudoTerminalAndOverTcp) {
    for (const bool overTcp : {false, true}) {
        SCOPED_TRACE(overTcp ? "tcp" : "pty");
        // The rig lends its folder, files, prompt and listener to an engine on the real clock and ports.
        EngineRig rig;
        const std::string log = rig.path("matrix.log");
        SimProcess matrix(
            {overTcp ? "--tcp" : "--pty", overTcp ? "0" : rig.path("matrix"), "--log", log, "--baud", "0"});
        const auto started = matrix.waitReady();
        ASSERT_TRUE(started && (!overTcp || started->size() == 1));
        const std::string target = overTcp ? "socket://127.0.0.1:" + started->front() : rig.path("matrix");
        PortMap map = PortMap::parse({});
        for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n)
            map.set(n, n == kMatrixPort ? target : rig.path("absent"));
        SystemClock clock;
        MappedPortOpener opener(map);
        Engine engine(rig.folder.folder(), clock, opener, rig.prompt, rig.listener);
        rig.listener.engine = &engine;
        engine.startUp();
        ASSERT_TRUE(engine.link().matrixOnLine());
        const Lines switchesAtStart = switchFramesIn(log);

        matrix.writeLine("unplug");
        ASSERT_EQ(matrix.readLine(), "unplugged");
        ASSERT_TRUE(passesUntil(
            engine, [&] { return engine.link().lineLost(); }, 1000))
            << "the idle main loop sees the line go";
        EXPECT_FALSE(engine.link().matrixOnLine());

        // Switched at its panel meanwhile: the answer is lost with the line, only the status reading tells.
        matrix.writeLine("panel V 2 5");
        matrix.writeLine("replug");
        ASSERT_TRUE(matrix.waitReady());
        ASSERT_TRUE(passesUntil(
            engine, [&] { return engine.link().matrixOnLine(); }, Link::kLineRetryMicros / 1000 + 2000));
        EXPECT_FALSE(engine.link().lineLost());
        EXPECT_EQ(switchFramesIn(log), switchesAtStart) << "nothing switched on the way back";
        EXPECT_EQ(engine.routing().held(Layer::Video, kMonitor2), kServer) << "the status was read again";
    }
}

} // namespace
} // namespace rl4::test
