#include "sim/matrix_core.h"

#include "sim/five_byte_instructions.h"

namespace rl4::sim {

MatrixCore::MatrixCore(const MatrixConfig& config)
    : state_(config), splitter_(config.protocol), silentRefusals_(config.silentRefusals) {}

std::vector<SimEvent> MatrixCore::feed(std::span<const std::uint8_t> bytes, std::int64_t nowMicros) {
    return received(splitter_.push(bytes, nowMicros));
}

std::vector<SimEvent> MatrixCore::expire(std::int64_t nowMicros) {
    return received(splitter_.expire(nowMicros));
}

std::vector<SimEvent> MatrixCore::disconnect() {
    return received(splitter_.reset());
}

std::vector<SimEvent> MatrixCore::received(std::vector<SplitItem> items) {
    std::vector<SimEvent> events;
    for (SplitItem& item : items) {
        if (item.kind == SplitItem::Kind::Dropped) {
            events.push_back({SimEvent::Kind::Dropped, std::move(item.bytes)});
            continue;
        }
        events.push_back({SimEvent::Kind::Received, item.bytes});
        answer(item, events);
    }
    return events;
}

void MatrixCore::answer(const SplitItem& request, std::vector<SimEvent>& events) {
    lastForm_ = request.form;
    std::optional<Bytes> reply = replyTo(request);
    if (reply) {
        events.push_back(
            {SimEvent::Kind::Sent, std::move(*reply), request.startMicros, request.bytes.size()});
    }
}

std::optional<Bytes> MatrixCore::replyTo(const SplitItem& request) {
    if (refuseNext_ && refuseNext_()) {
        return refusal(request, ErrorCode::Busy);
    }
    if (request.form == FrameForm::Five) {
        std::optional<Bytes> answered = answerFiveByte(state_, decodeFive(request.bytes));
        return answered ? answered : refusal(request, ErrorCode::UnknownInstruction);
    }
    FourByteAnswer answered = answerFourByte(state_, decodeFour(request.bytes));
    if (Bytes* accepted = std::get_if<Bytes>(&answered)) {
        return std::move(*accepted);
    }
    return refusal(request, std::get<ErrorCode>(answered));
}

// The 5-byte form has no reasons: every refusal is a NAK.
std::optional<Bytes> MatrixCore::refusal(const SplitItem& request, ErrorCode code) const {
    if (silentRefusals_) {
        return std::nullopt;
    }
    if (request.form == FrameForm::Five) {
        return Bytes{kNak};
    }
    return errorReport(code, decodeFour(request.bytes).machine);
}

std::variant<SimEvent, std::string> MatrixCore::panelSwitch(Layer layer, int output, int input) {
    LayerRouting& routing = state_.layer(layer);
    if (!routing.present()) {
        return std::string("this matrix has no such layer");
    }
    if (!routing.hasOutput(output) || !routing.hasInput(input)) {
        return "output or input out of range (" + std::to_string(routing.size().outputs) + " outputs, " +
               std::to_string(routing.size().inputs) + " inputs)";
    }
    routing.connect(output, input);
    Bytes frame = lastForm_ == FrameForm::Five
                      ? encodeFive(static_cast<std::uint8_t>(switchLetter(layer)), output, input)
                      : encodeFour(static_cast<std::uint8_t>(kAnswerBit | switchCode(layer)), output, input,
                                   layerMachine(layer));
    return SimEvent{SimEvent::Kind::Sent, std::move(frame)};
}

SimEvent MatrixCore::setOnLine(bool onLine) {
    state_.onLine = onLine;
    Bytes frame = lastForm_ == FrameForm::Five ? fiveByteOnLineFrame(onLine) : fourByteOnLineFrame(onLine);
    return SimEvent{SimEvent::Kind::Sent, std::move(frame)};
}

} // namespace rl4::sim
