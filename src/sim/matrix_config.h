#pragma once

#include "sim/frame_splitter.h"
#include "sim/layer.h"
#include "sim/layer_routing.h"

#include <array>
#include <cstdint>

namespace rl4::sim {

// What makes one simulated matrix differ from another: its layers, its identity and how it speaks.
struct MatrixConfig {
    std::array<LayerSize, kLayerCount> sizes{{{16, 16}, {16, 16}, {8, 8}, {8, 8}}};
    std::array<std::uint8_t, 2> identity{0x92, 0x34};
    ProtocolChoice protocol = ProtocolChoice::Both;
    // Refused instructions get no answer at all instead of NAK or an error report.
    bool silentRefusals = false;
};

} // namespace rl4::sim
