#include "sim/layer_routing.h"

#include <algorithm>

namespace rl4::sim {

LayerRouting::LayerRouting(LayerSize size)
    : size_(size), inputs_(static_cast<std::size_t>(size.outputs), 0) {}

std::optional<int> LayerRouting::inputOn(int output) const {
    if (!present() || !hasOutput(output)) {
        return std::nullopt;
    }
    if (output > 0) {
        return inputs_[static_cast<std::size_t>(output - 1)];
    }
    const int first = inputs_.front();
    const bool common = std::all_of(inputs_.begin(), inputs_.end(), [first](int in) { return in == first; });
    return common ? std::optional(first) : std::nullopt;
}

void LayerRouting::connect(int output, int input) {
    if (output == 0) {
        std::fill(inputs_.begin(), inputs_.end(), input);
    } else {
        inputs_[static_cast<std::size_t>(output - 1)] = input;
    }
}

} // namespace rl4::sim
