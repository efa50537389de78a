#pragma once

#include "sim/matrix_core.h"

#include <cstdint>
#include <vector>

namespace rl4::sim::test {

// Request frames built independently of the library's encoder, so that a layout fault there shows.
Bytes five(char letter, int data1, int data2);
Bytes four(int code, int machine, int data1, int data2);

// Drives a MatrixCore in memory, one request at a time, with time moving 1 ms per request.
class CoreDriver {
public:
    explicit CoreDriver(const MatrixConfig& config = {}) : core(config) {}

    // The frames sent in answer to the bytes (usually none or one).
    std::vector<Bytes> sent(const Bytes& bytes);
    // The one answer to a request; empty when none was sent.
    Bytes ask(const Bytes& request);

    MatrixCore core;
    std::int64_t nowMicros = 0;
};

} // namespace rl4::sim::test
