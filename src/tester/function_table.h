#pragma once

#include "tester/tool_texts.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rl4::tester {

constexpr int kFunctionCount = 10;
constexpr int kLayerCount = 4;
// A channel or value travels in one byte of the message, so no list goes beyond it.
constexpr int kLargestListNumber = 255;

// What the two data bytes of a message carry.
enum class DataForm {
    ChannelValue, // output byte = channel index, input byte = value index
    ChannelZero,  // output byte = channel index, input byte = 0
    Setup,        // output byte = 0x50, input byte = power-on mode in the high nibble, slope in the low
    LetterThrice, // the letter in the mode, output and input bytes
};

struct MessageForm {
    // The letter by layer (Video, Audio, RGB, YC); functions without a layer repeat theirs.
    std::array<char, kLayerCount> letters;
    DataForm data;
    TextId statusText;
};

enum class ValueList { Hidden, SwitchInputs, GainLevels, VcaLevels, Impedance, PowerOn };
enum class ChannelList { Hidden, LayerOutputs, AudioInputs, AudioOutputs, Slope };

struct ToolFunction {
    TextId listText;
    std::optional<TextId> valueCaption;
    ValueList values;
    int valueDefault;
    std::optional<TextId> channelCaption;
    ChannelList channels;
    int channelDefault;
    bool usesLayer;
    bool autoSend;
    bool audioMonitor;
    MessageForm normal;
    // The read sent at once when the function, layer or channel is chosen, so that the matrix's answer
    // loads the current value before the user changes it.
    std::optional<MessageForm> readFirst;
};

const ToolFunction& toolFunction(int index);

// The function of an index, function 0 for an index outside the table.
int validFunction(int index);

const std::array<TextId, kLayerCount>& layerNames();

// Inputs and outputs of each layer, as the settings give them.
struct LayerSizes {
    std::array<int, kLayerCount> inputs;
    std::array<int, kLayerCount> outputs;
};

std::vector<std::string> valueEntries(ValueList list, int layer, const LayerSizes& sizes, Language language);
std::vector<std::string> channelEntries(ChannelList list, int layer, const LayerSizes& sizes);

struct Message {
    std::uint8_t modeByte;
    std::uint8_t outputByte;
    std::uint8_t inputByte;
    TextId statusText;

    std::array<std::uint8_t, 5> frame() const { return {0x02, modeByte, outputByte, inputByte, 0x03}; }
};

// The message of a function; the read-first form when asked for and the function has one.
Message buildMessage(int function, int layer, int valueIndex, int channelIndex, bool readFirst);

// A byte as the tool shows it: "56h" in hexadecimal, "86" in decimal.
std::string byteText(std::uint8_t byte, bool hexDisplay);

} // namespace rl4::tester
