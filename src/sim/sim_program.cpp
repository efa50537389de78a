#include "sim/sim_program.h"

#include "sim/eeprom_file.h"
#include "sim/frame_log.h"
#include "sim/matrix_core.h"
#include "sim/paced_writer.h"
#include "sim/pty_port.h"
#include "sim/signal_pipe.h"
#include "sim/sim_options.h"
#include "sim/sim_server.h"
#include "sim/tcp_port.h"

#include <chrono>
#include <cstdint>
#include <iostream>
#include <memory>

namespace rl4::sim {

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitFailure = 1;

int fail(const std::string& message, int status) {
    std::cerr << "matrixsim: " << message << '\n';
    return status;
}

// Opens the line and says on standard output what a client needs to find it: the device of an unnamed
// pseudo-terminal, or the port the system picked.
std::unique_ptr<SimPort> openPort(const PortChoice& choice, std::string& error) {
    std::unique_ptr<SimPort> port;
    if (choice.kind == PortChoice::Kind::Tcp) {
        port = TcpPort::open(choice.tcpPort, error);
    } else {
        port = PtyPort::open(choice.ptyLink, error);
    }
    if (port && !port->announcement().empty()) {
        std::cout << port->announcement() << std::endl;
    }
    return port;
}

// Without --seed a faulty run is told its seed, so that it can be repeated.
std::uint32_t chooseSeed(const FaultOptions& faults) {
    if (faults.seed) {
        return *faults.seed;
    }
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    const auto seed = static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks) ^
                                                 (static_cast<std::uint64_t>(ticks) >> 32));
    if (faults.random()) {
        std::cerr << "matrixsim: faults drawn with --seed " << seed << '\n';
    }
    return seed;
}

int serve(const SimOptions& options) {
    MatrixCore core(options.matrix);
    if (!options.eepromPath.empty()) {
        if (auto error = loadEepromFile(options.eepromPath, core.state().eeprom)) {
            return fail(*error, kExitUsage);
        }
    }
    FrameLog log;
    if (std::string error = log.open(options.logPath); !error.empty()) {
        return fail(error, kExitFailure);
    }
    SignalPipe signals;
    if (std::string error = signals.install(); !error.empty()) {
        return fail(error, kExitFailure);
    }
    const std::uint32_t seed = chooseSeed(options.faults);
    std::string error;
    std::unique_ptr<SimPort> port = openPort(options.port, error);
    if (!port) {
        return fail(error, kExitFailure);
    }
    std::cout << "ready" << std::endl;
    PacedWriter writer(options.baud);
    const bool clean = SimServer(core, *port, writer, log, signals.readFd(), options.faults, seed).run();
    if (!options.eepromPath.empty()) {
        if (auto saveError = saveEepromFile(options.eepromPath, core.state().eeprom)) {
            return fail(*saveError, kExitFailure);
        }
    }
    return clean ? 0 : kExitFailure;
}

} // namespace

int runMatrixSim(const std::vector<std::string>& args) {
    const ParsedOptions parsed = parseSimOptions(args);
    if (parsed.help) {
        std::cout << simUsage();
        return 0;
    }
    if (!parsed.options) {
        std::cerr << "matrixsim: " << parsed.error << "\n" << simUsage();
        return kExitUsage;
    }
    return serve(*parsed.options);
}

} // namespace rl4::sim
