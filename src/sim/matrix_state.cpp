#include "sim/matrix_state.h"

namespace rl4::sim {

MatrixState::MatrixState(const MatrixConfig& config) : identity(config.identity) {
    for (Layer which : kLayers) {
        layer(which) = LayerRouting(config.sizes[layerIndex(which)]);
    }
    const LayerSize& audio = config.sizes[layerIndex(Layer::Audio)];
    vcaLevels.assign(static_cast<std::size_t>(audio.outputs), kStartVcaLevel);
    audioInputs.assign(static_cast<std::size_t>(audio.inputs), AudioInput{});
}

bool MatrixState::hasAudioOutput(int output) const {
    return output >= 1 && output <= static_cast<int>(vcaLevels.size());
}

bool MatrixState::hasAudioInput(int input) const {
    return input >= 1 && input <= static_cast<int>(audioInputs.size());
}

} // namespace rl4::sim
