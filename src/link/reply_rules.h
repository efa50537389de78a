#pragma once

#include "link/layer.h"

#include <optional>

namespace rl4 {

// What a recognised answer tells about the matrix, handed on by the link once the frame form has been
// undone: outputs and inputs are connector numbers as the matrix reports them. The engine applies them to
// its routing table, VCA panel, input level controls and settings; the link itself keeps only the identity
// and the on-line state.
class ReplyRules {
public:
    virtual ~ReplyRules() = default;

    // Input connector `input` now feeds output connector `output` on a layer (switch and status answers).
    virtual void routingReport(Layer layer, int output, int input) = 0;
    // VCA level 0..31 of an audio output connector.
    virtual void vcaReport(int output, int level) = 0;
    // Gain 0..31 of an audio input, with its mode when the answer carries it (true = balanced).
    virtual void gainReport(int level, std::optional<bool> balanced) = 0;
    // Balanced (true) or unbalanced mode of an audio input.
    virtual void inputModeReport(bool balanced) = 0;
    // The matrix's VCA setup byte.
    virtual void vcaSetupReport(int value) = 0;
    // The matrix stored its status or a setup.
    virtual void storeReport() = 0;
};

} // namespace rl4
