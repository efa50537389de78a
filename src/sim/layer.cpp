#include "sim/layer.h"

namespace rl4::sim {

namespace {
constexpr int kSwitchCode = 1;
constexpr int kAudioSwitchCode = 2;
constexpr int kStatusCode = 5;
constexpr int kAudioStatusCode = 6;
constexpr int kVideoMachine = 1;
constexpr int kYcMachine = 2;
// The debug window asks for Y/C status on machine 3.
constexpr int kYcDebugMachine = 3;
constexpr int kRgbMachine = 5;
} // namespace

char switchLetter(Layer layer) {
    constexpr std::array<char, kLayerCount> letters{'V', 'A', 'R', 'Y'};
    return letters[layerIndex(layer)];
}

std::optional<Layer> layerOfLetter(char letter) {
    switch (letter) {
    case 'V':
    case 'v':
        return Layer::Video;
    case 'A':
    case 'a':
        return Layer::Audio;
    case 'R':
    case 'r':
        return Layer::Rgb;
    case 'Y':
    case 'y':
    case 'u':
        return Layer::Yc;
    default:
        return std::nullopt;
    }
}

int switchCode(Layer layer) {
    return layer == Layer::Audio ? kAudioSwitchCode : kSwitchCode;
}

int layerMachine(Layer layer) {
    switch (layer) {
    case Layer::Video:
    case Layer::Audio:
        return kVideoMachine;
    case Layer::Rgb:
        return kRgbMachine;
    case Layer::Yc:
        return kYcMachine;
    }
    return kVideoMachine;
}

std::optional<Layer> layerOfSwitch(int code, int machine) {
    if (code == kAudioSwitchCode) {
        return machine == kVideoMachine ? std::optional(Layer::Audio) : std::nullopt;
    }
    if (code != kSwitchCode) {
        return std::nullopt;
    }
    switch (machine) {
    case kVideoMachine:
        return Layer::Video;
    case kYcMachine:
        return Layer::Yc;
    case kRgbMachine:
        return Layer::Rgb;
    default:
        return std::nullopt;
    }
}

std::optional<Layer> layerOfStatus(int code, int machine) {
    if (code == kStatusCode && machine == kYcDebugMachine) {
        return Layer::Yc;
    }
    const int asSwitch = code == kStatusCode ? kSwitchCode : code == kAudioStatusCode ? kAudioSwitchCode : 0;
    return layerOfSwitch(asSwitch, machine);
}

} // namespace rl4::sim
