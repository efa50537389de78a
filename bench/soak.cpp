// A long run of the engine against matrixsim on a faulty line: switch and read cycles with answers dropped,
// refused and garbled, and the line unplugged and plugged in again half-way. At the end the line is made
// clean, the status read once, and the routing table compared with the crosspoints the matrix prints.
// scripts/soak runs it; the figures go to standard output, and the exit status is 0 only when every check
// held.

#include "ctl/ctl_new_assignment.h"
#include "engine/engine.h"
#include "link/layer.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace rl4::test {
namespace {

using Steady = std::chrono::steady_clock;

struct SoakOptions {
    int cycles = 10'000;
    unsigned seed = 1;
    std::string fault = "0.05";
};

// Counts what the engine tells.
class SoakListener : public EngineListener {
public:
    void lineLost(const std::string&) override { ++lost; }
    void lineBack() override { ++back; }
    void commandRefused() override { ++refused; }
    int lost = 0;
    int back = 0;
    long refused = 0;
};

long millisSince(Steady::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count();
}

// The main loop's passes on the real clock until `done`; the milliseconds taken, or -1 past the limit.
long passesUntil(Engine& engine, const std::function<bool()>& done, long limitMillis) {
    const auto start = Steady::now();
    while (!done()) {
        if (millisSince(start) > limitMillis)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        engine.mainLoopPass();
    }
    return millisSince(start);
}

// Switch instructions in the matrix's log, from line `from` on.
int switchesLogged(const std::string& log, std::size_t from = 0) {
    std::istringstream lines(fileBytes(log));
    int count = 0;
    std::size_t index = 0;
    for (std::string line; std::getline(lines, line); ++index)
        if (index >= from)
            for (const char* letter : {"56", "41", "52", "59"})
                if (line.starts_with(std::string("RX 02 ") + letter))
                    ++count;
    return count;
}

std::size_t logLines(const std::string& log) {
    std::istringstream lines(fileBytes(log));
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line);)
        ++count;
    return count;
}

// What the matrix prints for "state": per layer letter, the input on each output from 1.
std::vector<std::vector<int>> matrixState(SimProcess& matrix) {
    std::vector<std::vector<int>> layers(4);
    matrix.writeLine("state");
    for (int i = 0; i < 4; ++i) {
        const auto line = matrix.readLine();
        if (!line)
            break;
        std::istringstream words(*line);
        char letter = 0;
        words >> letter;
        const std::string letters = "VARY";
        const auto at = letters.find(letter);
        if (at == std::string::npos)
            break;
        for (int input; words >> input;)
            layers[at].push_back(input);
    }
    return layers;
}

int run(const SoakOptions& options) {
    TempFolder folder;
    const std::string pty = folder.path("matrix");
    const std::string log = folder.path("matrix.log");
    SimProcess matrix({"--pty", pty, "--log", log, "--baud", "0", "--drop", options.fault, "--nak",
                       options.fault, "--garble", options.fault, "--seed", std::to_string(options.seed)});
    if (!matrix.waitReady()) {
        std::printf("matrixsim did not start\n");
        return 2;
    }
    // The start-up finds the matrix on a clean line: a search that missed it would soak the simulation.
    matrix.writeLine("faults off");
    writeCrLf(folder.path("routelane4.set"), settingsLines(folder.folder(), 5, 1));
    // Every crosspoint of matrixsim's default sizes, and a "Disconnect" source on input 0.
    std::ostringstream ignored;
    if (runNewAssignment({"--video-in", "16", "--video-out", "16", "--audio-in", "16", "--audio-out", "16",
                          "--rgb-in", "8", "--rgb-out", "8", "--yc-in", "8", "--yc-out", "8", "--no-all-dest",
                          folder.path("routelane4.agn")},
                         ignored, ignored) != 0) {
        std::printf("cannot write the assignment\n");
        return 2;
    }
    PortMap map = PortMap::parse({});
    for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n)
        map.set(n, n == 1 ? pty : folder.path("absent"));
    SystemClock clock;
    MappedPortOpener opener(map);
    ScriptedPrompt prompt;
    SoakListener listener;
    Engine engine(folder.folder(), clock, opener, prompt, listener);
    engine.startUp();
    Link& link = engine.link();
    if (!link.matrixOnLine()) {
        std::printf("no matrix at start-up\n");
        return 2;
    }
    matrix.writeLine("faults on");

    const AssignmentTable& table = engine.assignments().activeTable;
    std::mt19937 random(options.seed);
    std::uniform_int_distribution<int> destination(1, table.destinationCount);
    std::uniform_int_distribution<int> source(1, table.sourceCount);
    long sent = 0;
    long failed = 0;
    long toOffLine = -1;
    long toOnLine = -1;
    int reconnectSwitches = -1;
    const auto start = Steady::now();
    for (int cycle = 0; cycle < options.cycles; ++cycle) {
        if (cycle == options.cycles / 2) {
            matrix.writeLine("unplug");
            matrix.readLine();
            toOffLine = passesUntil(
                engine, [&] { return link.lineLost(); }, 1000);
            // Commands meanwhile are refused at once.
            for (int refused = 0; refused < 10; ++refused)
                engine.routingCommands().DownloadRouting();
            matrix.writeLine("replug");
            matrix.waitReady();
            const std::size_t before = logLines(log);
            // The identity asked on the way back may be lost to a fault too: then the next try answers.
            toOnLine = passesUntil(
                engine, [&] { return !link.lineLost(); }, 3 * Link::kLineRetryMicros / 1000 + 2000);
            reconnectSwitches = switchesLogged(log, before);
        }
        const int d = destination(random);
        const int s = source(random);
        const auto& object = table.destinations[static_cast<std::size_t>(d)];
        for (Layer layer : kLayers)
            if (object.output(layer) != NotAssigned &&
                table.sources[static_cast<std::size_t>(s)].input(layer) != NotAssigned)
                engine.routing().wanted(layer, d) = s;
        const long failedBefore = link.failedCommands();
        const long shotsBefore = link.shotCount();
        engine.routingCommands().DownloadRouting();
        const Layer layer = kLayers[static_cast<std::size_t>(cycle % 4)];
        if (object.output(layer) != NotAssigned) {
            const LayerCodes codes = layerCodes(layer);
            link.SendCommand(
                {codes.readLetter, codes.statusCode, codes.statusMachine, object.output(layer), 0});
        }
        sent += link.shotCount() - shotsBefore;
        failed += link.failedCommands() - failedBefore;
        engine.mainLoopPass();
    }
    const double seconds = static_cast<double>(millisSince(start)) / 1000.0;

    matrix.writeLine("faults off");
    engine.statusReader().ReadMatrixStatus();
    const auto crosspoints = matrixState(matrix);
    int compared = 0;
    int differ = 0;
    for (int d = 1; d <= table.destinationCount; ++d) {
        for (Layer layer : kLayers) {
            const int output = table.destinations[static_cast<std::size_t>(d)].output(layer);
            const auto& onLayer = crosspoints[static_cast<std::size_t>(layerIndex(layer))];
            if (output == NotAssigned || output < 1 || output > static_cast<int>(onLayer.size()))
                continue;
            const int held = engine.routing().held(layer, d);
            const int input = held >= 1 && held <= table.sourceCount
                                  ? table.sources[static_cast<std::size_t>(held)].input(layer)
                                  : -1;
            ++compared;
            if (input != onLayer[static_cast<std::size_t>(output - 1)])
                ++differ;
        }
    }
    matrix.writeLine("quit");
    const int matrixExit = matrix.wait();

    std::printf("cycles %d  seed %u  faults drop/nak/garble %s each\n", options.cycles, options.seed,
                options.fault.c_str());
    std::printf("instructions sent %ld  without a recognised answer %ld (%.1f%%)  in %.1f s\n", sent, failed,
                sent > 0 ? 100.0 * static_cast<double>(failed) / static_cast<double>(sent) : 0.0, seconds);
    std::printf("unplug: off line after %ld ms, %ld commands refused, back on line %ld ms after replug, "
                "%d switch frames on the way back\n",
                toOffLine, listener.refused, toOnLine, reconnectSwitches);
    std::printf("lines lost %d  back %d\n", listener.lost, listener.back);
    std::printf("after one status read on the clean line: %d of %d crosspoints differ from the matrix's\n",
                differ, compared);
    std::printf("matrixsim exit status %d\n", matrixExit);
    const bool good = toOffLine >= 0 && toOnLine >= 0 && reconnectSwitches == 0 && differ == 0 &&
                      compared > 0 && matrixExit == 0 && listener.lost == 1 && listener.back == 1;
    std::printf("%s\n", good ? "soak: good" : "soak: FAILED");
    return good ? 0 : 1;
}

} // namespace
} // namespace rl4::test

int main(int argc, char** argv) {
    rl4::test::SoakOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--cycles")
            options.cycles = std::atoi(argv[i + 1]);
        else if (name == "--seed")
            options.seed = static_cast<unsigned>(std::atoi(argv[i + 1]));
        else if (name == "--fault")
            options.fault = argv[i + 1];
        else {
            std::fprintf(stderr, "usage: rl4_soak [--cycles N] [--seed N] [--fault P]\n");
            return 64;
        }
    }
    return rl4::test::run(options);
}
