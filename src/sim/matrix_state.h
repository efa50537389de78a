#pragma once

#include "sim/eeprom.h"
#include "sim/layer.h"
#include "sim/layer_routing.h"
#include "sim/matrix_config.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace rl4::sim {

inline constexpr int kMaxLevel = 31;
inline constexpr int kStartVcaLevel = 31;
inline constexpr int kStartGain = 26;
inline constexpr int kStartVcaSetup = 32;
inline constexpr int kSetupCount = 7;

using Routing = std::array<LayerRouting, kLayerCount>;

struct AudioInput {
    int gain = kStartGain;
    bool unbalanced = false;
};

// Everything the matrix holds. The instruction handlers change it; tests look into it.
struct MatrixState {
    explicit MatrixState(const MatrixConfig& config);

    LayerRouting& layer(Layer which) { return routing[layerIndex(which)]; }
    const LayerRouting& layer(Layer which) const { return routing[layerIndex(which)]; }

    // Audio outputs and inputs are numbered from 1; these are false for 0 and beyond the audio layer.
    bool hasAudioOutput(int output) const;
    bool hasAudioInput(int input) const;
    int& vcaLevel(int output) { return vcaLevels[static_cast<std::size_t>(output - 1)]; }
    AudioInput& audioInput(int input) { return audioInputs[static_cast<std::size_t>(input - 1)]; }

    Routing routing;
    std::vector<int> vcaLevels;
    std::vector<AudioInput> audioInputs;
    int vcaSetup = kStartVcaSetup;
    bool onLine = false;
    std::array<std::uint8_t, 2> identity;
    std::optional<Routing> storedStatus;
    // Index 0 is setup 1.
    std::array<std::optional<Routing>, kSetupCount> setups;
    Eeprom eeprom;
};

} // namespace rl4::sim
