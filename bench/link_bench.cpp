// Drives switch instructions and status reads through the link against matrixsim on a pseudo-terminal at
// 9600 baud, in both frame forms, and sets the time taken beside the time the bytes need on the wire. Then
// reads the whole matrix status as the program does at start-up, on a 16x16 video, 16x16 audio, 8x8 RGB and
// 8x8 Y/C matrix.

#include "engine/engine.h"
#include "link/link.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "support/sim_process.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>

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
        CommandParams params;
        fill(params, i);
        if (link.SendCommand(params).replyError)
            ++m.failures;
    }
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.cpu = cpuSeconds() - cpuStart;
    return m;
}

void report(const char* what, int form, int count, const Measure& m) {
    const double wire = count * 2.0 * form * kBitsPerByte / kBaud;
    std::printf(
        "%-14s %d-byte  N=%-5d measured %7.3f s  wire %7.3f s  ratio %5.3f  cpu %4.1f%%  failures %d\n", what,
        form, count, m.seconds, wire, m.seconds / wire, 100.0 * m.cpu / m.seconds, m.failures);
}

// Every output of every layer on input 0 (switching output 0 switches them all): output 0 then has a
// common input and answers, as on a matrix fresh from power-on.
void routeAllToInputZero(Link& link) {
    for (Layer layer : kLayers) {
        const LayerCodes codes = layerCodes(layer);
        link.SendCommand({codes.switchLetter, codes.switchCode, codes.switchMachine, 0, 0});
    }
}

// ReadMatrixStatus reads outputs 0..size of each layer, each answered by a frame of the form, and then the
// first output past the size, which the matrix refuses: a 5-byte NAK is one byte, a 4-byte error report
// four. The wire time counts what was actually exchanged: every request, every answer and every refusal.
void benchReadMatrixStatus(Engine& engine, int form, int runs) {
    Link& link = engine.link();
    link.setProtocolLength(form);
    routeAllToInputZero(link);

    const long shotsBefore = link.shotCount();
    const long failedBefore = link.failedCommands();
    const double cpuStart = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i)
        engine.statusReader().ReadMatrixStatus();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuStart;

    const long requests = link.shotCount() - shotsBefore;
    const long refused = link.failedCommands() - failedBefore;
    const long answered = requests - refused;
    const int refusalBytes = form == 5 ? 1 : 4;
    const long bytes = requests * form + answered * form + refused * refusalBytes;
    const double wire = static_cast<double>(bytes) * kBitsPerByte / kBaud;
    const MatrixSizes& sizes = engine.assignments().sizes;
    std::printf("ReadMatrixStatus %d-byte  runs=%d  sizes %d/%d/%d/%d  per run: %ld requests, %ld answers, "
                "%ld refused, %ld bytes\n",
                form, runs, sizes.videoOut, sizes.audioOut, sizes.rgbOut, sizes.ycOut, requests / runs,
                answered / runs, refused / runs, bytes / runs);
    if (sizes.videoOut != 16 || sizes.audioOut != 16 || sizes.rgbOut != 8 || sizes.ycOut != 8)
        std::printf(
            "ReadMatrixStatus %d-byte  WARNING: sizes are not 16/16/8/8 (an answer late past the port "
            "time-outs shifts the following ones by one output)\n",
            form);
    std::printf("ReadMatrixStatus %d-byte  measured %7.3f s  wire %7.3f s  ratio %5.3f  cpu %4.1f%%  (target "
                "ratio <= 1.2)\n",
                form, seconds, wire, seconds / wire, 100.0 * cpu / seconds);
}

int run(int count) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("rl4-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string device = (folder / "matrix").string();
    test::SimProcess sim({"--pty", device, "--baud", std::to_string(kBaud), "--video", "16x16", "--audio",
                          "16x16", "--rgb", "8x8", "--yc", "8x8"},
                         true);
    if (!sim.waitReady()) {
        std::fprintf(stderr, "matrixsim did not start\n");
        return 1;
    }

    SystemClock clock;
    PortMap map;
    map.set(1, device);
    MappedPortOpener opener(map);
    Link link(clock, opener);
    link.setPortNumber(1);
    link.OpenPort();
    if (link.portError()) {
        std::fprintf(stderr, "cannot open %s\n", device.c_str());
        return 1;
    }

    std::printf("link against matrixsim at %d baud, %d exchanges each\n", kBaud, count);
    for (int form : {5, 4}) {
        link.setProtocolLength(form);
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

    SilentPrompt prompt;
    EngineListener listener;
    Engine engine(folder.string(), clock, opener, prompt, listener);
    engine.link().setPortNumber(1);
    engine.link().OpenPort();
    constexpr int kStatusRuns = 3;
    for (int form : {5, 4})
        benchReadMatrixStatus(engine, form, kStatusRuns);
    engine.link().closePort();

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
