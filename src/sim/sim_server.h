#pragma once

#include "sim/frame_log.h"
#include "sim/line_faults.h"
#include "sim/matrix_core.h"
#include "sim/paced_writer.h"
#include "sim/sim_port.h"

#include <string>
#include <vector>

namespace rl4::sim {

// The matrix's one loop: waits in poll() on the line, standard input and the signal pipe, feeds what comes
// to the core and sends its answers through the faults of the line, until "quit" or a signal.
class SimServer {
public:
    SimServer(MatrixCore& core, SimPort& port, PacedWriter& writer, FrameLog& log, int signalFd,
              const FaultOptions& faults, std::uint32_t seed);
    // The core outlives the server; its refusals must not call back into a server that is gone.
    ~SimServer() { core_.setRefusals({}); }
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // False when the loop had to stop on a system failure.
    bool run();

private:
    int pollTimeoutMillis() const;
    void readPort();
    void readConsole();
    void runCommand(const std::string& line);
    void handle(const std::vector<SimEvent>& events);
    void send(const SimEvent& event);
    bool write(const FaultedFrame& frame, std::int64_t holdNanos);
    void plug(bool plugIn);
    void printState();

    MatrixCore& core_;
    SimPort& port_;
    PacedWriter& writer_;
    FrameLog& log_;
    int signalFd_;
    LineFaults faults_;
    bool consoleOpen_ = true;
    bool quit_ = false;
    std::string console_;
    bool skippingLongLine_ = false;
};

} // namespace rl4::sim
