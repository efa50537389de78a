#pragma once

#include "sim/frame.h"
#include "sim/matrix_state.h"

#include <cstdint>
#include <variant>

namespace rl4::sim {

// Codes of the 4-byte error report.
// Busy is what the matrix answers when it will not take an instruction now (an injected refusal).
enum class ErrorCode : std::uint8_t {
    UnknownInstruction = 0,
    NoCard = 1,
    BadAddress = 2,
    BadData = 4,
    Busy = 8
};

using FourByteAnswer = std::variant<Bytes, ErrorCode>;

// The error report frame (first byte 0x50) for a refused request of the given machine.
Bytes errorReport(ErrorCode code, int machine);

// The 4-byte frame that tells the on-line state (code 33 answer).
Bytes fourByteOnLineFrame(bool onLine);

// Carries out one 4-byte instruction and returns its answer frame, or why the matrix refuses it.
FourByteAnswer answerFourByte(MatrixState& state, const Frame& frame);

} // namespace rl4::sim
