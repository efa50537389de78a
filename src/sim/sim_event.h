#pragma once

#include "sim/frame.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace rl4::sim {

// Something the matrix did with the line: a frame received, bytes dropped, or a frame to send.
struct SimEvent {
    enum class Kind { Received, Dropped, Sent };
    Kind kind = Kind::Received;
    Bytes bytes;
    // For an answer: when the first byte of its request arrived and how long the request was, so that the
    // sender can let the request's own wire time pass first. Unasked frames have requestLength 0.
    std::int64_t requestStartMicros = 0;
    std::size_t requestLength = 0;
};

// The frame log line: "RX 02 56 03 01 03", "TX 15", "RX? 41 02".
std::string logLine(const SimEvent& event);

} // namespace rl4::sim
