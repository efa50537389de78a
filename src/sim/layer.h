#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace rl4::sim {

enum class Layer { Video, Audio, Rgb, Yc };

inline constexpr std::size_t kLayerCount = 4;
inline constexpr std::array<Layer, kLayerCount> kLayers{Layer::Video, Layer::Audio, Layer::Rgb, Layer::Yc};

constexpr std::size_t layerIndex(Layer layer) {
    return static_cast<std::size_t>(layer);
}

// Upper-case switch letter of the 5-byte form: 'V', 'A', 'R', 'Y'.
char switchLetter(Layer layer);
// The layer a 5-byte switch (upper case) or read (lower case) letter names.
std::optional<Layer> layerOfLetter(char letter);

// Layer and machine of the 4-byte switch (code 1 or 2) and status (code 5 or 6) instructions.
int switchCode(Layer layer);
int layerMachine(Layer layer);
std::optional<Layer> layerOfSwitch(int code, int machine);
std::optional<Layer> layerOfStatus(int code, int machine);

} // namespace rl4::sim
