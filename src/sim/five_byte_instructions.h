#pragma once

#include "sim/frame.h"
#include "sim/matrix_state.h"

#include <optional>

namespace rl4::sim {

// The 5-byte frame that tells the on-line state: 'D' 1 0 or 'E' 0 0.
Bytes fiveByteOnLineFrame(bool onLine);

// Carries out one 5-byte instruction and returns its answer frame; empty when the matrix refuses it.
std::optional<Bytes> answerFiveByte(MatrixState& state, const Frame& frame);

} // namespace rl4::sim
