#pragma once

#include "sim/four_byte_instructions.h"
#include "sim/frame_splitter.h"
#include "sim/layer.h"
#include "sim/matrix_config.h"
#include "sim/matrix_state.h"
#include "sim/sim_event.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace rl4::sim {

// The simulated matrix without any input or output: bytes from the line go in with the time they arrived,
// and the events that come out say what was received and which frames to send, in order.
class MatrixCore {
public:
    explicit MatrixCore(const MatrixConfig& config);

    std::vector<SimEvent> feed(std::span<const std::uint8_t> bytes, std::int64_t nowMicros);
    // Drops a partial frame that waited too long for its next byte; see staleDeadline.
    std::vector<SimEvent> expire(std::int64_t nowMicros);
    std::optional<std::int64_t> staleDeadline() const { return splitter_.staleDeadline(); }
    // The peer went away: a partial frame will never be completed.
    std::vector<SimEvent> disconnect();

    // A switch made at the matrix's own panel, reported unasked in the form last spoken. An error text
    // when the layer is absent or the output or input is out of range.
    std::variant<SimEvent, std::string> panelSwitch(Layer layer, int output, int input);
    SimEvent setOnLine(bool onLine);

    // Asked once per instruction received, before it is carried out: true makes the matrix refuse it as
    // busy (NAK, or the error report with code 8), leaving its state untouched. Empty: never.
    void setRefusals(std::function<bool()> refuseNext) { refuseNext_ = std::move(refuseNext); }

    const MatrixState& state() const { return state_; }
    MatrixState& state() { return state_; }

private:
    void answer(const SplitItem& request, std::vector<SimEvent>& events);
    // The answer to a request, the refusal, or nothing when refusals are silent.
    std::optional<Bytes> replyTo(const SplitItem& request);
    std::optional<Bytes> refusal(const SplitItem& request, ErrorCode code) const;
    std::vector<SimEvent> received(std::vector<SplitItem> items);

    MatrixState state_;
    FrameSplitter splitter_;
    bool silentRefusals_;
    std::function<bool()> refuseNext_;
    // The form of the last frame received: unasked frames go out in it.
    FrameForm lastForm_ = FrameForm::Five;
};

} // namespace rl4::sim
