#include "sim/five_byte_instructions.h"

#include <cctype>

namespace rl4::sim {

namespace {

constexpr int kPageMask = 0xFF00;

std::optional<Bytes> switchOrRead(MatrixState& state, const Frame& frame, Layer which) {
    LayerRouting& routing = state.layer(which);
    const int output = frame.data1;
    if (!routing.present() || !routing.hasOutput(output)) {
        return std::nullopt;
    }
    if (std::islower(frame.instruction)) {
        const std::optional<int> input = routing.inputOn(output);
        if (!input) {
            return std::nullopt;
        }
        return encodeFive(frame.instruction, output, *input);
    }
    const int input = frame.data2;
    if (!routing.hasInput(input)) {
        return std::nullopt;
    }
    routing.connect(output, input);
    return encodeFive(frame.instruction, output, input);
}

std::optional<Bytes> audioLevels(MatrixState& state, const Frame& frame) {
    const std::uint8_t letter = frame.instruction;
    const int channel = frame.data1;
    const int value = frame.data2;
    switch (letter) {
    case 'N':
        if (!state.hasAudioOutput(channel) || value > kMaxLevel) {
            return std::nullopt;
        }
        state.vcaLevel(channel) = value;
        return encodeFive(letter, channel, value);
    case 'n':
        if (!state.hasAudioOutput(channel)) {
            return std::nullopt;
        }
        return encodeFive(letter, channel, state.vcaLevel(channel));
    case 'L':
        if (!state.hasAudioInput(channel) || value > kMaxLevel) {
            return std::nullopt;
        }
        state.audioInput(channel).gain = value;
        return encodeFive(letter, channel, value);
    case 'l':
        if (!state.hasAudioInput(channel)) {
            return std::nullopt;
        }
        return encodeFive(letter, channel, state.audioInput(channel).gain);
    case 'G':
        if (!state.hasAudioInput(channel) || value > 1) {
            return std::nullopt;
        }
        state.audioInput(channel).unbalanced = value == 1;
        return encodeFive(letter, channel, value);
    case 'g':
        if (!state.hasAudioInput(channel)) {
            return std::nullopt;
        }
        return encodeFive(letter, channel, state.audioInput(channel).unbalanced ? 1 : 0);
    default:
        return std::nullopt;
    }
}

// The page of the address set by '[' takes the offsets of the 'T' writes that follow.
std::optional<Bytes> fiveByteEepromAccess(MatrixState& state, const Frame& frame) {
    Eeprom& eeprom = state.eeprom;
    switch (frame.instruction) {
    case '[':
        if (!eeprom.setAddress(frame.data1 * 256 + frame.data2)) {
            return std::nullopt;
        }
        break;
    case 'T':
        if (!eeprom.writeAt((eeprom.address() & kPageMask) + frame.data1,
                            static_cast<std::uint8_t>(frame.data2))) {
            return std::nullopt;
        }
        break;
    case '\\':
        break;
    default:
        return std::nullopt;
    }
    return encodeFive(frame.instruction, frame.data1, frame.data2);
}

} // namespace

Bytes fiveByteOnLineFrame(bool onLine) {
    return onLine ? encodeFive('D', 1, 0) : encodeFive('E', 0, 0);
}

std::optional<Bytes> answerFiveByte(MatrixState& state, const Frame& frame) {
    if (const std::optional<Layer> which = layerOfLetter(static_cast<char>(frame.instruction))) {
        return switchOrRead(state, frame, *which);
    }
    switch (frame.instruction) {
    case 'N':
    case 'n':
    case 'L':
    case 'l':
    case 'G':
    case 'g':
        return audioLevels(state, frame);
    case 'p':
        return encodeFive('p', frame.data1, state.vcaSetup);
    case 'P':
        state.vcaSetup = frame.data2;
        return encodeFive('P', frame.data1, frame.data2);
    case 'x':
        return encodeFive('x', state.identity[0], state.identity[1]);
    case 'D':
    case 'E':
        state.onLine = frame.instruction == 'D';
        return fiveByteOnLineFrame(state.onLine);
    case 'S':
        state.storedStatus = state.routing;
        return encodeFive('S', frame.data1, frame.data2);
    case '[':
    case 'T':
    case '\\':
        return fiveByteEepromAccess(state, frame);
    default:
        return std::nullopt;
    }
}

} // namespace rl4::sim
