#pragma once

#include "sim/matrix_core.h"
#include "support/frames.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rl4::sim::test {

using rl4::test::five;
using rl4::test::four;
// An error report of the 4-byte form: 0x50, 0, the code, the request's machine.
inline Bytes refusal(int code, int machine) {
    return four(0x50, machine, code, 0);
}
const Bytes kNakOnly{0x15};

inline std::vector<std::string> logOf(const std::vector<SimEvent>& events) {
    std::vector<std::string> lines;
    for (const SimEvent& event : events)
        lines.push_back(logLine(event));
    return lines;
}

// Drives a MatrixCore in memory, one request at a time, with time moving 1 ms per request.
class CoreDriver {
public:
    explicit CoreDriver(const MatrixConfig& config = {}) : core(config) {}

    // The frames sent in answer to the bytes (usually none or one).
    std::vector<Bytes> sent(const Bytes& bytes) {
        std::vector<Bytes> frames;
        for (SimEvent& event : core.feed(bytes, nowMicros += 1000))
            if (event.kind == SimEvent::Kind::Sent)
                frames.push_back(std::move(event.bytes));
        return frames;
    }
    // The one answer to a request; empty when none was sent.
    Bytes ask(const Bytes& request) {
        std::vector<Bytes> frames = sent(request);
        return frames.empty() ? Bytes{} : frames.front();
    }

    MatrixCore core;
    std::int64_t nowMicros = 0;
};

} // namespace rl4::sim::test
