#pragma once

#include "diag/debug_model.h"
#include "engine/engine.h"

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace rl4 {

// `debug write|read|read-v1|read-v12 [--sources A-B] [--destinations A-B] [--layers vary] [--pause MS]
// [--cycles N]`: the debug window's loops for a technician at a terminal.
struct DebugCommand {
    DebugLoop loop = DebugLoop::None;
    std::optional<std::pair<int, int>> sources;
    std::optional<std::pair<int, int>> destinations;
    std::optional<std::array<bool, 4>> layers;
    std::optional<int> pauseMillis;
    int cycles = 0; // 0: until Ctrl-C
};

struct DebugParse {
    DebugCommand command;
    std::string error; // for the operator, when the words are wrong
};
DebugParse parseDebugCommand(const std::vector<std::string>& args);

// Runs the loop on an engine whose port and assignment are ready, printing each step and the two counters
// on one line of `out` (rewritten in place with a carriage return on a terminal), until the cycles are done
// or SIGINT comes; the counters are the last line. A range beyond the assignment is refused on `err`.
// Returns the exit status: 0 when no command failed, 1 no such object, 2 some answer was missing or
// refused.
int runDebugCommand(Engine& engine, const DebugCommand& command, std::ostream& out, std::ostream& err,
                    bool terminal);

} // namespace rl4
