#include "tester/tool_settings.h"

#include "platform/text_file.h"

#include <array>
#include <charconv>
#include <optional>

namespace rl4::tester {

namespace {

constexpr std::array<int ToolSettings::*, 15> kLines = {
    &ToolSettings::portNumber,   &ToolSettings::functionIndex, &ToolSettings::layerIndex,
    &ToolSettings::valueIndex,   &ToolSettings::channelIndex,  &ToolSettings::hexDisplay,
    &ToolSettings::audioMonitor, &ToolSettings::videoInputs,   &ToolSettings::videoOutputs,
    &ToolSettings::audioInputs,  &ToolSettings::audioOutputs,  &ToolSettings::rgbInputs,
    &ToolSettings::rgbOutputs,   &ToolSettings::ycInputs,      &ToolSettings::ycOutputs,
};

std::optional<int> number(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const auto last = line.find_last_not_of(" \t");
    const char* begin = line.data() + first;
    const char* end = line.data() + last + 1;
    int value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

} // namespace

LayerSizes ToolSettings::layerSizes() const {
    return {{videoInputs, audioInputs, rgbInputs, ycInputs},
            {videoOutputs, audioOutputs, rgbOutputs, ycOutputs}};
}

std::vector<std::string> ToolSettings::lines() const {
    std::vector<std::string> out;
    for (int ToolSettings::*member : kLines)
        out.push_back(std::to_string(this->*member));
    return out;
}

ToolSettings ToolSettings::fromLines(const std::vector<std::string>& lines) {
    ToolSettings settings;
    for (std::size_t i = 0; i < kLines.size() && i < lines.size(); ++i) {
        if (const auto value = number(lines[i]))
            settings.*kLines[i] = *value;
    }
    return settings;
}

std::string settingsPath(const std::string& folder) {
    return folder + "/" + ToolSettings::kFileName;
}

SettingsReading ReadToolSettings(const std::string& folder) {
    const std::string path = settingsPath(folder);
    if (!fileExists(path)) {
        const ToolSettings initial;
        return {initial, WriteToolSettings(folder, initial)};
    }
    // A file that exists but cannot be read is left alone: closing writes it, if it can.
    std::uintmax_t skipped = 0;
    const auto lines = readTextLines(path, &skipped);
    return {ToolSettings::fromLines(lines.value_or(std::vector<std::string>{})), "", skipped};
}

std::string WriteToolSettings(const std::string& folder, const ToolSettings& settings) {
    return writeTextLines(settingsPath(folder), settings.lines());
}

} // namespace rl4::tester
