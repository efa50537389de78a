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

constexpr MessageForm kReadSwitch{kReadLetters, DataForm::ChannelZero, TextId::ReadingSwitch};
constexpr MessageForm kReadGain{same('l'), DataForm::ChannelValue, TextId::ReadingGain};
constexpr MessageForm kReadBalance{same('g'), DataForm::ChannelValue, TextId::ReadingBalance};
constexpr MessageForm kReadVca{same('n'), DataForm::ChannelValue, TextId::ReadingVca};

// The hidden value lists of the reads are empty, so their value index stays 0 and the input byte with it.
const std::array<ToolFunction, kFunctionCount> kFunctions = {{
    {TextId::SwitchWrite,
     TextId::Input,
     ValueList::SwitchInputs,
     1,
     TextId::Output,
     ChannelList::LayerOutputs,
     1,
     true,
     true,
     false,
     {kSwitchLetters, DataForm::ChannelValue, TextId::Switching},
     kReadSwitch},
    {TextId::SwitchRead, std::nullopt, ValueList::Hidden, 0, TextId::Output, ChannelList::LayerOutputs, 1,
     true, false, false, kReadSwitch, std::nullopt},
    {TextId::GainWrite,
     TextId::Level,
     ValueList::GainLevels,
     26,
     TextId::Input,
     ChannelList::AudioInputs,
     1,
     false,
     true,
     true,
     {same('L'), DataForm::ChannelValue, TextId::AdjustingGain},
     kReadGain},
    {TextId::GainRead, std::nullopt, ValueList::Hidden, 0, TextId::Input, ChannelList::AudioInputs, 1, false,
     false, false, kReadGain, std::nullopt},
    {TextId::BalanceWrite,
     TextId::Impedance,
     ValueList::Impedance,
     0,
     TextId::Input,
     ChannelList::AudioInputs,
     1,
     false,
     true,
     false,
     {same('G'), DataForm::ChannelValue, TextId::SelectingBalance},
     kReadBalance},
    {TextId::BalanceRead, std::nullopt, ValueList::Hidden, 0, TextId::Input, ChannelList::AudioInputs, 1,
     false, false, false, kReadBalance, std::nullopt},
    {TextId::VcaWrite,
     TextId::Level,
     ValueList::VcaLevels,
     31,
     TextId::Output,
     ChannelList::AudioOutputs,
     1,
     false,
     true,
     false,
     {same('N'), DataForm::ChannelValue, TextId::AdjustingVca},
     kReadVca},
    {TextId::VcaRead, std::nullopt, ValueList::Hidden, 0, TextId::Output, ChannelList::AudioOutputs, 1, false,
     false, false, kReadVca, std::nullopt},
    {TextId::SetupWrite,
     TextId::PowerOn,
     ValueList::PowerOn,
     2,
     TextId::Slope,
     ChannelList::Slope,
     2,
     false,
     true,
     false,
     {same('P'), DataForm::Setup, TextId::SettingSetup},
     MessageForm{same('p'), DataForm::LetterThrice, TextId::ReadingSetupFirst}},
    {TextId::SetupRead,
     std::nullopt,
     ValueList::Hidden,
     0,
     std::nullopt,
     ChannelList::Hidden,
     0,
     false,
     false,
     false,
     {same('p'), DataForm::LetterThrice, TextId::ReadingSetup},
     std::nullopt},
}};

constexpr std::array<TextId, kLayerCount> kLayerNames = {TextId::Video, TextId::Audio, TextId::Rgb,
                                                         TextId::Yc};

constexpr int kSlopeSeconds = 9;
constexpr std::uint8_t kSetupOutputByte = 0x50;

std::string decibels(int level, Language language) {
    return caption(TextId::Decibels, language, {(level > 0 ? "+" : "") + std::to_string(level)});
}

// Index 0 of a level list is the lowest level the matrix has, and the few above it are coarse steps down
// to the range where the levels go by 3 dB.
std::vector<std::string> levelList(std::initializer_list<int> coarseLevels, int firstFine,
                                   Language language) {
    constexpr int kLevels = 32;
    constexpr int kStep = 3;
    std::vector<std::string> levels;
    for (int level : coarseLevels)
        levels.push_back(decibels(level, language));
    for (int level = firstFine; static_cast<int>(levels.size()) < kLevels; level += kStep)
        levels.push_back(decibels(level, language));
    return levels;
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

const std::array<TextId, kLayerCount>& layerNames() {
    return kLayerNames;
}

std::vector<std::string> valueEntries(ValueList list, int layer, const LayerSizes& sizes, Language language) {
    const auto texts = [language](std::initializer_list<TextId> ids) {
        std::vector<std::string> entries;
        for (TextId id : ids)
            entries.emplace_back(caption(id, language));
        return entries;
    };
    switch (list) {
    case ValueList::SwitchInputs:
        return numbered(caption(TextId::Unused, language), sizes.inputs[static_cast<std::size_t>(layer)]);
    case ValueList::GainLevels:
        return levelList({-120, -100, -80}, -69, language);
    case ValueList::VcaLevels:
        return levelList({-120, -100}, -87, language);
    case ValueList::Impedance:
        return texts({TextId::Balanced, TextId::Unbalanced});
    case ValueList::PowerOn:
        return texts({TextId::VcaMin, TextId::VcaMax, TextId::VcaRecall});
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
