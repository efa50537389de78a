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
    if (choice.kind == PortChoice::Kind::Tcp) {
        std::unique_ptr<TcpPort> tcp = TcpPort::open(choice.tcpPort, error);
        if (tcp && choice.tcpPort == 0) {
            std::cout << tcp->boundPort() << std::endl;
        }
        return tcp;
    }
    std::unique_ptr<PtyPort> pty = PtyPort::open(choice.ptyLink, error);
    if (pty && choice.ptyLink.empty()) {
        std::cout << pty->devicePath() << std::endl;
    }
    return pty;
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
    std::string error;
    std::unique_ptr<SimPort> port = openPort(options.port, error);
    if (!port) {
        return fail(error, kExitFailure);
    }
    std::cout << "ready" << std::endl;
    PacedWriter writer(options.baud);
    const bool clean = SimServer(core, *port, writer, log, signals.readFd()).run();
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
