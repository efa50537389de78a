// Times `route` commands on the engine against matrixsim on a pseudo-terminal at 9600 baud: run by the
// engine itself, then through the control socket (a client in another thread, the server served as the
// window program's event loop serves it: when its descriptor is readable), then again with 20 more clients
// watching every change. Then the cost of an idle main-loop pass with and without those watchers.

#include "control/control_server.h"
#include "control/control_socket.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace rl4 {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kBaud = 9600;
constexpr int kWatchers = 20;
// The Recorder takes Tape and Camera 2 on video and audio: two exchanges a route, each source a change.
constexpr const char* kRoutes[] = {"route 3 3", "route 3 2"};

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class DirectHost : public CommandHost {
public:
    void prepare(bool) override {}
    bool findMatrix() override { return true; }
    void answerQuestions(int) override {}
    std::ostream& out() override { return printed; }
    int fail(int code, const std::string&) override { return code; }
    std::ostringstream printed;
};

class Forward : public EngineListener {
public:
    void routingReported(Layer layer, int d, int s) override {
        server->listener().routingReported(layer, d, s);
    }
    void vcaReported(int d, int level) override { server->listener().vcaReported(d, level); }
    void onLineChanged(bool onLine) override { server->listener().onLineChanged(onLine); }
    ControlServer* server = nullptr;
};

bool askLine(int fd, const std::string& line) {
    const std::string sent = line + '\n';
    if (::send(fd, sent.data(), sent.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(sent.size()))
        return false;
    std::string got;
    char c = 0;
    while (::recv(fd, &c, 1, 0) == 1) {
        if (c != '\n') {
            got += c;
            continue;
        }
        if (got == "OK")
            return true;
        if (got.starts_with("ERR ")) {
            std::fprintf(stderr, "%s\n", got.c_str());
            return false;
        }
        got.clear();
    }
    return false;
}

// The client's round trips, while this thread serves the socket.
std::vector<double> throughSocket(ControlServer& server, int fd, int count) {
    std::vector<double> times;
    std::atomic<bool> done = false;
    std::thread client([&] {
        for (int i = 0; i < count; ++i) {
            const auto start = Clock::now();
            if (!askLine(fd, kRoutes[i % 2]))
                std::fprintf(stderr, "%s failed\n", kRoutes[i % 2]);
            times.push_back(millisSince(start));
        }
        done = true;
    });
    while (!done) {
        pollfd ready{server.pollFd(), POLLIN, 0};
        if (::poll(&ready, 1, 5) > 0)
            server.service();
    }
    client.join();
    return times;
}

double idlePassMicros(Engine& engine, ControlServer& server) {
    constexpr int kPasses = 20000;
    const auto start = Clock::now();
    for (int i = 0; i < kPasses; ++i) {
        engine.mainLoopPass();
        server.service();
    }
    return 1000.0 * millisSince(start) / kPasses;
}

int run(int count) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("rl4-control-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string device = (folder / "matrix").string();
    test::writeCrLf((folder / "routelane4.agn").string(), test::sampleAssignmentLines());
    test::SimProcess sim({"--pty", device, "--baud", std::to_string(kBaud)}, true);
    if (!sim.waitReady()) {
        std::fprintf(stderr, "matrixsim did not start\n");
        return 1;
    }
    SystemClock clock;
    PortMap map;
    map.set(1, device);
    MappedPortOpener opener(map);
    SilentPrompt silent;
    DivertablePrompt prompt(silent);
    Forward forward;
    Engine engine(folder.string(), clock, opener, prompt, forward);
    ControlServer server(engine, prompt, clock, [] { return false; });
    forward.server = &server;
    engine.readSettingsAndOpenPort([](Link& link) {
        link.setPortNumber(1);
        link.setProtocolLength(5);
    });
    engine.loadAssignment();
    const std::string socketPath = (folder / "control.sock").string();
    if (!server.listen(socketPath).empty())
        return 1;

    std::vector<double> direct;
    DirectHost host;
    MatrixCommands commands(engine, host);
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        commands.run("route", {"3", i % 2 == 0 ? "3" : "2"});
        direct.push_back(millisSince(start));
    }
    const double wire = 2 * 2 * 5 * 10.0 * 1000 / kBaud;
    std::printf("route (2 exchanges of 5 bytes each way) at %d baud, %d times; wire time %.2f ms\n", kBaud,
                count, wire);
    std::printf("%-34s %9s %9s %12s\n", "", "median ms", "max ms", "- engine ms");
    const double engineMedian = median(direct);
    auto report = [&](const char* what, const std::vector<double>& times) {
        std::printf("%-34s %9.2f %9.2f %+12.2f\n", what, median(times),
                    *std::max_element(times.begin(), times.end()), median(times) - engineMedian);
    };
    report("engine alone", direct);

    const int client = connectControlSocket(socketPath);
    report("through the socket", throughSocket(server, client, count));
    const double idleAlone = idlePassMicros(engine, server);

    std::vector<int> watchers;
    std::atomic<bool> watching = false;
    std::thread subscribe([&] {
        for (int i = 0; i < kWatchers; ++i) {
            watchers.push_back(connectControlSocket(socketPath));
            askLine(watchers.back(), "watch");
        }
        watching = true;
    });
    while (!watching) {
        pollfd ready{server.pollFd(), POLLIN, 0};
        if (::poll(&ready, 1, 5) > 0)
            server.service();
    }
    subscribe.join();
    report("through the socket, 20 watching", throughSocket(server, client, count));
    const double idleWatched = idlePassMicros(engine, server);
    std::printf("idle main-loop pass with the server: %.2f us alone, %.2f us with 20 watching\n", idleAlone,
                idleWatched);
    std::printf("clients still connected: %zu of %d\n", server.clientCount(), kWatchers + 1);

    for (int fd : watchers)
        ::close(fd);
    ::close(client);
    engine.link().closePort();
    std::filesystem::remove_all(folder);
    return 0;
}

} // namespace
} // namespace rl4

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 100;
    return rl4::run(count > 0 ? count : 100);
}
