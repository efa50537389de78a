// Drives switch instructions and status reads through the link against matrixsim on a pseudo-terminal at
// 9600 baud, in both frame forms, and sets the time taken beside the time the bytes need on the wire.

#include "link/link.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "support/sim_process.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace rl4 {
namespace {

constexpr int kBaud = 9600;
constexpr double kBitsPerByte = 10.0;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Measure {
    double seconds = 0;
    double cpu = 0;
    int failures = 0;
};

template <typename Fill>
Measure drive(Link& link, int count, Fill fill) {
    Measure m;
    const double cpuStart = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) {
        fill(link.cmd, i);
        link.SendCommand();
        if (link.replyError)
            ++m.failures;
    }
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.cpu = cpuSeconds() - cpuStart;
    return m;
}

void report(const char* what, int form, int count, const Measure& m) {
    const double wire = count * 2.0 * form * kBitsPerByte / kBaud;
    std::printf("%-14s %d-byte  N=%-5d measured %7.3f s  wire %7.3f s  ratio %5.3f  cpu %4.1f%%  failures %d\n",
                what, form, count, m.seconds, wire, m.seconds / wire, 100.0 * m.cpu / m.seconds, m.failures);
}

int run(int count) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("rl4-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string device = (folder / "matrix").string();
    test::SimProcess sim({"--pty", device, "--baud", std::to_string(kBaud)}, true);
    if (!sim.waitReady()) {
        std::fprintf(stderr, "matrixsim did not start\n");
        return 1;
    }

    SystemClock clock;
    PortMap map;
    map.set(1, device);
    MappedPortOpener opener(map);
    Link link(clock, opener);
    link.portNumber = 1;
    link.OpenPort();
    if (link.portError) {
        std::fprintf(stderr, "cannot open %s\n", device.c_str());
        return 1;
    }

    std::printf("link against matrixsim at %d baud, %d exchanges each\n", kBaud, count);
    for (int form : {5, 4}) {
        link.protocolLength = form;
        report("switch", form, count, drive(link, count, [](CommandParams& c, int i) {
                   c.cmdLetter = 'V';
                   c.cmdCode = 1;
                   c.cmdMachine = 1;
                   c.cmdData1 = i % 16 + 1;
                   c.cmdData2 = (i * 7) % 16 + 1;
               }));
        report("status read", form, count, drive(link, count, [](CommandParams& c, int i) {
                   c.cmdLetter = 'v';
                   c.cmdCode = 5;
                   c.cmdMachine = 1;
                   c.cmdData1 = i % 16 + 1;
                   c.cmdData2 = 0;
               }));
    }
    link.closePort();
    std::filesystem::remove_all(folder);
    return 0;
}

} // namespace
} // namespace rl4

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 500;
    if (count <= 0) {
        std::fprintf(stderr, "usage: rl4_link_bench [COUNT]\n");
        return 2;
    }
    return rl4::run(count);
}
