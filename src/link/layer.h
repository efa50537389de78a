#pragma once

#include <array>

namespace rl4 {

// The four signal layers, always in this order.
enum class Layer { Video = 0, Audio = 1, Rgb = 2, Yc = 3 };

inline constexpr std::array<Layer, 4> kLayers{Layer::Video, Layer::Audio, Layer::Rgb, Layer::Yc};

inline constexpr int layerIndex(Layer layer) {
    return static_cast<int>(layer);
}

// How one layer is switched and read in either frame form.
struct LayerCodes {
    char switchLetter;
    char readLetter;
    int switchCode, switchMachine;
    int statusCode, statusMachine;
};

inline constexpr LayerCodes layerCodes(Layer layer) {
    switch (layer) {
    case Layer::Video:
        return {'V', 'v', 1, 1, 5, 1};
    case Layer::Audio:
        return {'A', 'a', 2, 1, 6, 1};
    case Layer::Rgb:
        return {'R', 'r', 1, 5, 5, 5};
    case Layer::Yc:
        break;
    }
    return {'Y', 'y', 1, 2, 5, 2};
}

} // namespace rl4
