#include "control/command_words.h"

#include <charconv>

namespace rl4 {

std::optional<int> parseNumber(const std::string& text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

const char* layerName(Layer layer) {
    static constexpr const char* kNames[] = {"video", "audio", "rgb", "yc"};
    return kNames[layerIndex(layer)];
}

std::optional<Layer> layerNamed(const std::string& name) {
    for (Layer layer : kLayers)
        if (name == layerName(layer))
            return layer;
    return std::nullopt;
}

} // namespace rl4
