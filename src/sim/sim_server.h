#pragma once

#include "sim/frame_log.h"
#include "sim/matrix_core.h"
#include "sim/paced_writer.h"
#include "sim/sim_port.h"

#include <string>
#include <vector>

namespace rl4::sim {

// The matrix's one loop: waits in poll() on the line, standard input and the signal pipe, feeds what comes
// to the core and sends its answers, until "quit" or a signal.
class SimServer {
public:
    SimServer(MatrixCore& core, SimPort& port, PacedWriter& writer, FrameLog& log, int signalFd)
        : core_(core), port_(port), writer_(writer), log_(log), signalFd_(signalFd) {}

    // False when the loop had to stop on a system failure.
    bool run();

private:
    int pollTimeoutMillis() const;
    void readPort();
    void readConsole();
    void runCommand(const std::string& line);
    void handle(const std::vector<SimEvent>& events);
    void send(const SimEvent& event);

    MatrixCore& core_;
    SimPort& port_;
    PacedWriter& writer_;
    FrameLog& log_;
    int signalFd_;
    bool consoleOpen_ = true;
    bool quit_ = false;
    std::string console_;
    bool skippingLongLine_ = false;
};

} // namespace rl4::sim
