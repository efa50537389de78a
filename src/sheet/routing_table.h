#pragma once

#include "assign/assignment_model.h"
#include "link/layer.h"

#include <array>

namespace rl4 {

// The routing behind the sheet, per destination object number 0..256 (0 is never shown). Source numbers are
// object numbers of the active assignment: 0 = no source, NotAssigned (257) = unknown, a command is under
// way.
class RoutingTable {
public:
    using PerDestination = std::array<int, kMaxObjects + 1>;

    std::array<PerDestination, 4> wantedSource{}; // what the operator wants, by layer
    std::array<PerDestination, 4> matrixSource{}; // what the matrix is known to hold, by layer
    PerDestination vcaLevel{};                    // 0..31
    PerDestination matrixVca{};                   // last known from the matrix; 257 = unknown

    int& wanted(Layer layer, int d) { return wantedSource[layerIndex(layer)][d]; }
    int& held(Layer layer, int d) { return matrixSource[layerIndex(layer)][d]; }
    int wanted(Layer layer, int d) const { return wantedSource[layerIndex(layer)][d]; }
    int held(Layer layer, int d) const { return matrixSource[layerIndex(layer)][d]; }

    // Every entry unknown, as before a status reading.
    void markAllUnknown() {
        for (auto& layer : wantedSource)
            layer.fill(NotAssigned);
        for (auto& layer : matrixSource)
            layer.fill(NotAssigned);
        vcaLevel.fill(NotAssigned);
        matrixVca.fill(NotAssigned);
    }
    // Nothing wanted and nothing known, as before a connexion file is applied: the download that follows
    // then sends every routed entry.
    void clearForFile() {
        for (auto& layer : wantedSource)
            layer.fill(0);
        for (auto& layer : matrixSource)
            layer.fill(NotAssigned);
        vcaLevel.fill(0);
        matrixVca.fill(NotAssigned);
    }

    // A switch command was sent since the connexion file was last read or written.
    bool connexionsChanged() const { return connexionsChanged_; }
    void setConnexionsChanged(bool changed) { connexionsChanged_ = changed; }

private:
    bool connexionsChanged_ = false;
};

} // namespace rl4
