#include "tester/function_table.h"

#include <algorithm>
#include <cstdio>

namespace rl4::tester {

namespace {

constexpr std::array<char, kLayerCount> same(char letter) {
    return {letter, letter, letter, letter};
}

constexpr std::array<char, kLayerCount> kSwitchLetters = {'V', 'A', 'R', 'Y'};
constexpr std::array<char, kLayerCount> kReadLetters = {'v', 'a', 'r', 'y'};

constexpr MessageForm kReadSwitch{kReadLetters, DataForm::ChannelZero, "reading switch"};
constexpr MessageForm kReadGain{same('l'), DataForm::ChannelValue, "reading gain"};
constexpr MessageForm kReadBalance{same('g'), DataForm::ChannelValue, "reading bal/unbal"};
constexpr MessageForm kReadVca{same('n'), DataForm::ChannelValue, "reading VCA"};

// The hidden value lists of the reads are empty, so their value index stays 0 and the input byte with it.
const std::array<ToolFunction, kFunctionCount> kFunctions = {{
    {"Switch : Write",
     "Input",
     ValueList::SwitchInputs,
     1,
     "Output",
     ChannelList::LayerOutputs,
     1,
     true,
     true,
     false,
     {kSwitchLetters, DataForm::ChannelValue, "switching"},
     kReadSwitch},
    {"Switch : Read", nullptr, ValueList::Hidden, 0, "Output", ChannelList::LayerOutputs, 1, true, false,
     false, kReadSwitch, std::nullopt},
    {"Gain : Write",
     "Level",
     ValueList::GainLevels,
     26,
     "Input",
     ChannelList::AudioInputs,
     1,
     false,
     true,
     true,
     {same('L'), DataForm::ChannelValue, "adjusting gain"},
     kReadGain},
    {"Gain : Read", nullptr, ValueList::Hidden, 0, "Input", ChannelList::AudioInputs, 1, false, false, false,
     kReadGain, std::nullopt},
    {"Bal/Unbal Write",
     "Impedance",
     ValueList::Impedance,
     0,
     "Input",
     ChannelList::AudioInputs,
     1,
     false,
     true,
     false,
     {same('G'), DataForm::ChannelValue, "selecting bal/unbal"},
     kReadBalance},
    {"Bal/Unbal Read", nullptr, ValueList::Hidden, 0, "Input", ChannelList::AudioInputs, 1, false, false,
     false, kReadBalance, std::nullopt},
    {"VCA Write",
     "Level",
     ValueList::VcaLevels,
     31,
     "Output",
     ChannelList::AudioOutputs,
     1,
     false,
     true,
     false,
     {same('N'), DataForm::ChannelValue, "adjusting VCA"},
     kReadVca},
    {"VCA Read", nullptr, ValueList::Hidden, 0, "Output", ChannelList::AudioOutputs, 1, false, false, false,
     kReadVca, std::nullopt},
    {"VCA SetUp Write",
     "Power on",
     ValueList::PowerOn,
     2,
     "Slope (Sec)",
     ChannelList::Slope,
     2,
     false,
     true,
     false,
     {same('P'), DataForm::Setup, "setting SetUp"},
     MessageForm{same('p'), DataForm::LetterThrice, "reading SetUp"}},
    {"VCA SetUp Read",
     nullptr,
     ValueList::Hidden,
     0,
     nullptr,
     ChannelList::Hidden,
     0,
     false,
     false,
     false,
     {same('p'), DataForm::LetterThrice, "reading Setup"},
     std::nullopt},
}};

constexpr std::array<const char*, kLayerCount> kLayerNames = {"Video", "Audio", "RGB", "YC"};

constexpr int kSlopeSeconds = 9;
constexpr std::uint8_t kSetupOutputByte = 0x50;

std::string decibels(int level) {
    return (level > 0 ? "+" : "") + std::to_string(level) + " dB";
}

// Index 0 of a level list is the lowest level the matrix has, and the few above it are coarse steps down
// to the range where the levels go by 3 dB.
std::vector<std::string> levelList(std::vector<std::string> coarse, int firstFine) {
    constexpr int kLevels = 32;
    constexpr int kStep = 3;
    for (int level = firstFine; static_cast<int>(coarse.size()) < kLevels; level += kStep)
        coarse.push_back(decibels(level));
    return coarse;
}

std::vector<std::string> numbered(std::string first, int count) {
    std::vector<std::string> entries{std::move(first)};
    for (int n = 1; n <= std::clamp(count, 0, kLargestListNumber); ++n)
        entries.push_back(std::to_string(n));
    return entries;
}

} // namespace

const ToolFunction& toolFunction(int index) {
    return kFunctions[static_cast<std::size_t>(validFunction(index))];
}

int validFunction(int index) {
    return index >= 0 && index < kFunctionCount ? index : 0;
}

const std::array<const char*, kLayerCount>& layerNames() {
    return kLayerNames;
}

std::vector<std::string> valueEntries(ValueList list, int layer, const LayerSizes& sizes) {
    switch (list) {
    case ValueList::SwitchInputs:
        return numbered("unused", sizes.inputs[static_cast<std::size_t>(layer)]);
    case ValueList::GainLevels:
        return levelList({"-120 dB", "-100 dB", "-80 dB"}, -69);
    case ValueList::VcaLevels:
        return levelList({"-120 dB", "-100 dB"}, -87);
    case ValueList::Impedance:
        return {"Balanced", "Unbalanced"};
    case ValueList::PowerOn:
        return {"VCA min", "VCA max", "VCA recall"};
    case ValueList::Hidden:
        break;
    }
    return {};
}

std::vector<std::string> channelEntries(ChannelList list, int layer, const LayerSizes& sizes) {
    constexpr int kAudio = 1;
    switch (list) {
    case ChannelList::LayerOutputs:
        return numbered("-", sizes.outputs[static_cast<std::size_t>(layer)]);
    case ChannelList::AudioInputs:
        return numbered("-", sizes.inputs[kAudio]);
    case ChannelList::AudioOutputs:
        return numbered("-", sizes.outputs[kAudio]);
    case ChannelList::Slope: {
        std::vector<std::string> seconds;
        for (int s = 0; s <= kSlopeSeconds; ++s)
            seconds.push_back(std::to_string(s));
        return seconds;
    }
    case ChannelList::Hidden:
        break;
    }
    return {};
}

Message buildMessage(int function, int layer, int valueIndex, int channelIndex, bool readFirst) {
    const ToolFunction& f = toolFunction(function);
    const MessageForm& form = readFirst && f.readFirst ? *f.readFirst : f.normal;
    const auto letter = static_cast<std::uint8_t>(form.letters[static_cast<std::size_t>(layer)]);
    const auto channel = static_cast<std::uint8_t>(channelIndex);
    const auto value = static_cast<std::uint8_t>(valueIndex);
    switch (form.data) {
    case DataForm::ChannelZero:
        return {letter, channel, 0, form.statusText};
    case DataForm::Setup:
        return {letter, kSetupOutputByte, static_cast<std::uint8_t>(value * 16 + channel), form.statusText};
    case DataForm::LetterThrice:
        return {letter, letter, letter, form.statusText};
    case DataForm::ChannelValue:
        break;
    }
    return {letter, channel, value, form.statusText};
}

std::string byteText(std::uint8_t byte, bool hexDisplay) {
    if (!hexDisplay)
        return std::to_string(byte);
    char text[4];
    std::snprintf(text, sizeof text, "%02Xh", byte);
    return text;
}

} // namespace rl4::tester
