#include "support/recorders.h"

namespace rl4::test {

namespace {
const char* layerName(Layer layer) {
    static const char* const names[] = {"video", "audio", "rgb", "yc"};
    return names[layerIndex(layer)];
}
} // namespace

void RecordingRules::routingReport(Layer layer, int output, int input) {
    effects.push_back(std::string(layerName(layer)) + " " + std::to_string(output) + " " +
                      std::to_string(input));
}

void RecordingRules::vcaReport(int output, int level) {
    effects.push_back("vca " + std::to_string(output) + " " + std::to_string(level));
}

void RecordingRules::gainReport(int level, std::optional<bool> balanced) {
    std::string mode = !balanced ? "" : *balanced ? " balanced" : " unbalanced";
    effects.push_back("gain " + std::to_string(level) + mode);
}

void RecordingRules::inputModeReport(bool balanced) {
    effects.push_back(balanced ? "mode balanced" : "mode unbalanced");
}

void RecordingRules::vcaSetupReport(int value) {
    effects.push_back("vcasetup " + std::to_string(value));
}

void RecordingRules::storeReport() {
    effects.push_back("store");
}

} // namespace rl4::test
