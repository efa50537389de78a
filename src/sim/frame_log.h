#pragma once

#include "sim/sim_event.h"

#include <fstream>
#include <string>

namespace rl4::sim {

// The optional frame log: one line per frame, flushed at once so that a reader sees it while the matrix
// runs (and nothing is lost when it is killed).
class FrameLog {
public:
    // An empty path keeps no log. Returns an error text when the file cannot be created.
    std::string open(const std::string& path);
    void record(const SimEvent& event) { write(logLine(event)); }
    void write(const std::string& line);

private:
    std::ofstream file_;
};

} // namespace rl4::sim
