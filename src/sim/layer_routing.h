#pragma once

#include <optional>
#include <vector>

namespace rl4::sim {

// Size of one layer's crosspoint field; a layer sized 0x0 is absent from the matrix.
struct LayerSize {
    int outputs = 0;
    int inputs = 0;

    bool present() const { return outputs > 0; }
    bool operator==(const LayerSize&) const = default;
};

// The input switched to each output of one layer; input 0 means disconnected. Outputs are numbered from 1,
// and output 0 stands for every output at once.
class LayerRouting {
public:
    LayerRouting() = default;
    explicit LayerRouting(LayerSize size);

    const LayerSize& size() const { return size_; }
    bool present() const { return size_.present(); }
    bool hasOutput(int output) const { return output >= 0 && output <= size_.outputs; }
    bool hasInput(int input) const { return input >= 0 && input <= size_.inputs; }

    // The input on an output 1..outputs; for output 0 the input common to all outputs, empty when they
    // differ.
    std::optional<int> inputOn(int output) const;
    void connect(int output, int input);

private:
    LayerSize size_;
    std::vector<int> inputs_;
};

} // namespace rl4::sim
