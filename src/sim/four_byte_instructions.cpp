#include "sim/four_byte_instructions.h"

namespace rl4::sim {

namespace {

enum Code : int {
    kSwitch = 1,
    kAudioSwitch = 2,
    kStore = 3,
    kRecall = 4,
    kStatus = 5,
    kAudioStatus = 6,
    kSetVca = 21,
    kSetGain = 22,
    kReadLevel = 25,
    kEeprom = 32,
    kLine = 33,
    kTestMode = 35,
    kScreen = 57,
    kIdentity = 61,
};

constexpr int kMainMachine = 1;
constexpr int kOsdMachine = 2;
constexpr int kVcaSetupMachine = 3;
constexpr int kEepromAddress = 16;
constexpr int kEepromWrite = 17;
constexpr int kEepromClose = 18;
constexpr int kBalancedMark = 0x20;
constexpr int kUnbalancedMark = 0x60;
constexpr int kEepromWriteMark = 10;

Bytes answer(int code, int data1, int data2, int machine) {
    return encodeFour(static_cast<std::uint8_t>(kAnswerBit | code), data1, data2, machine);
}

// The 4-byte form carries the identity as two 2-digit decimal numbers: each identity byte's hexadecimal
// digits read as decimal, so that both forms show the same four digits.
int identityNumber(std::uint8_t byte) {
    const int value = byte & 0x7F;
    const int high = value >> 4;
    const int low = value & 0x0F;
    return (high <= 9 && low <= 9) ? high * 10 + low : value;
}

int gainByte(const AudioInput& input) {
    return input.gain | (input.unbalanced ? kUnbalancedMark : kBalancedMark);
}

FourByteAnswer switchLayer(MatrixState& state, const Frame& frame) {
    const std::optional<Layer> which = layerOfSwitch(frame.instruction, frame.machine);
    if (!which || !state.layer(*which).present()) {
        return ErrorCode::NoCard;
    }
    LayerRouting& routing = state.layer(*which);
    if (!routing.hasOutput(frame.data1) || !routing.hasInput(frame.data2)) {
        return ErrorCode::BadAddress;
    }
    routing.connect(frame.data1, frame.data2);
    return answer(frame.instruction, frame.data1, frame.data2, frame.machine);
}

// The status answer carries the input in the third byte (the place of the first value).
FourByteAnswer layerStatus(const MatrixState& state, const Frame& frame) {
    const std::optional<Layer> which = layerOfStatus(frame.instruction, frame.machine);
    if (!which || !state.layer(*which).present()) {
        return ErrorCode::NoCard;
    }
    const std::optional<int> input = state.layer(*which).inputOn(frame.data1);
    if (!input) {
        return ErrorCode::BadAddress;
    }
    return answer(frame.instruction, *input, 0, frame.machine);
}

FourByteAnswer audioLevel(MatrixState& state, const Frame& frame) {
    if (!state.layer(Layer::Audio).present()) {
        return ErrorCode::NoCard;
    }
    const int value = frame.data1;
    const int channel = frame.data2;
    switch (frame.instruction) {
    case kSetVca:
        if (!state.hasAudioOutput(channel)) {
            return ErrorCode::BadAddress;
        }
        if (value > kMaxLevel) {
            return ErrorCode::BadData;
        }
        state.vcaLevel(channel) = value;
        return answer(kSetVca, value, channel, kMainMachine);
    case kSetGain: {
        if (!state.hasAudioInput(channel)) {
            return ErrorCode::BadAddress;
        }
        AudioInput& input = state.audioInput(channel);
        if (value <= kMaxLevel) {
            input.gain = value;
        } else if (value == kBalancedMark || value == kUnbalancedMark) {
            input.unbalanced = value == kUnbalancedMark;
        } else {
            return ErrorCode::BadData;
        }
        return answer(kSetGain, gainByte(input), channel, kMainMachine);
    }
    default: // kReadLevel: 0 reads a VCA, 1 a gain; answered as the matching set instruction
        if (value == 0 && state.hasAudioOutput(channel)) {
            return answer(kSetVca, state.vcaLevel(channel), channel, kMainMachine);
        }
        if (value == 1 && state.hasAudioInput(channel)) {
            return answer(kSetGain, gainByte(state.audioInput(channel)), channel, kMainMachine);
        }
        return value > 1 ? ErrorCode::BadData : ErrorCode::BadAddress;
    }
}

FourByteAnswer storeOrRecall(MatrixState& state, const Frame& frame) {
    const int number = frame.data2;
    const bool setupNumber = number >= 1 && number <= kSetupCount;
    std::optional<Routing>* setup =
        setupNumber ? &state.setups[static_cast<std::size_t>(number - 1)] : nullptr;
    if (frame.instruction == kRecall) {
        if (frame.data1 != 0 || !setup || !*setup) {
            return ErrorCode::BadData;
        }
        state.routing = **setup;
    } else if (frame.data1 == 0 && number == 0) {
        state.storedStatus = state.routing;
    } else if (frame.data1 == 0 && setup) {
        *setup = state.routing;
    } else if (frame.data1 == 1 && setup) {
        setup->reset();
    } else {
        return ErrorCode::BadData;
    }
    return answer(frame.instruction, frame.data1, number, kMainMachine);
}

FourByteAnswer identityOrSetup(const MatrixState& state, const Frame& frame) {
    if (frame.data2 != 0 || frame.data1 > 1) {
        return ErrorCode::BadData;
    }
    if (frame.data1 == 0) {
        return answer(kIdentity, identityNumber(state.identity[0]), identityNumber(state.identity[1]),
                      kMainMachine);
    }
    return answer(kIdentity, state.vcaSetup, 0, kMainMachine);
}

FourByteAnswer fourByteEepromAccess(MatrixState& state, const Frame& frame) {
    Eeprom& eeprom = state.eeprom;
    switch (frame.machine) {
    case kEepromAddress:
        if (!eeprom.setAddress(frame.data2 * 256 + frame.data1)) {
            return ErrorCode::BadAddress;
        }
        break;
    case kEepromWrite:
        if (frame.data2 != 0 && frame.data2 != kEepromWriteMark) {
            return ErrorCode::BadData;
        }
        if (!eeprom.writeAndAdvance(static_cast<std::uint8_t>(frame.data1))) {
            return ErrorCode::BadAddress;
        }
        break;
    case kEepromClose:
        break;
    default:
        return ErrorCode::UnknownInstruction;
    }
    return answer(kEeprom, frame.data1, frame.data2, frame.machine);
}

FourByteAnswer screen(MatrixState& state, const Frame& frame) {
    if (frame.machine == kOsdMachine) {
        return answer(kScreen, 0, 0, kOsdMachine);
    }
    if (frame.data1 != kVcaSetupMachine) {
        return ErrorCode::BadData;
    }
    state.vcaSetup = frame.data2;
    return answer(kScreen, kVcaSetupMachine, frame.data2, kVcaSetupMachine);
}

FourByteAnswer line(MatrixState& state, const Frame& frame) {
    if (frame.data1 > 1 || frame.data2 != 0) {
        return ErrorCode::BadData;
    }
    state.onLine = frame.data1 == 1;
    return fourByteOnLineFrame(state.onLine);
}

FourByteAnswer testMode(const Frame& frame) {
    if (frame.data1 != 2 || frame.data2 != 2) {
        return ErrorCode::BadData;
    }
    return answer(kTestMode, 2, 2, kOsdMachine);
}

} // namespace

Bytes errorReport(ErrorCode code, int machine) {
    return encodeFour(kErrorReport, static_cast<int>(code), 0, machine);
}

Bytes fourByteOnLineFrame(bool onLine) {
    return answer(kLine, onLine ? 1 : 0, 0, kMainMachine);
}

FourByteAnswer answerFourByte(MatrixState& state, const Frame& frame) {
    const int code = frame.instruction;
    const int machine = frame.machine;
    if (code == kSwitch || code == kAudioSwitch) {
        return switchLayer(state, frame);
    }
    if (code == kStatus || code == kAudioStatus) {
        return layerStatus(state, frame);
    }
    if (code == kEeprom) {
        return fourByteEepromAccess(state, frame);
    }
    if (code == kScreen && (machine == kMainMachine || machine == kOsdMachine)) {
        return screen(state, frame);
    }
    if (code == kTestMode && machine == kOsdMachine) {
        return testMode(frame);
    }
    if (machine != kMainMachine) {
        return ErrorCode::UnknownInstruction;
    }
    switch (code) {
    case kSetVca:
    case kSetGain:
    case kReadLevel:
        return audioLevel(state, frame);
    case kStore:
    case kRecall:
        return storeOrRecall(state, frame);
    case kIdentity:
        return identityOrSetup(state, frame);
    case kLine:
        return line(state, frame);
    default:
        return ErrorCode::UnknownInstruction;
    }
}

} // namespace rl4::sim
