#include "sim/console_command.h"

#include <charconv>
#include <optional>
#include <vector>

namespace rl4::sim {

namespace {

constexpr int kMaxConnectorOnWire = 255;
constexpr std::string_view kBlanks = " \t\r";

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> found;
    std::size_t start = line.find_first_not_of(kBlanks);
    while (start != std::string_view::npos) {
        const std::size_t end = line.find_first_of(kBlanks, start);
        found.push_back(line.substr(start, end - start));
        start = end == std::string_view::npos ? end : line.find_first_not_of(kBlanks, end);
    }
    return found;
}

std::optional<int> connector(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, status] = std::from_chars(text.data(), end, value);
    if (status != std::errc{} || stop != end || value < 0 || value > kMaxConnectorOnWire) {
        return std::nullopt;
    }
    return value;
}

ConsoleCommand panel(const std::vector<std::string_view>& args) {
    const std::string_view usage = "usage: panel LAYER OUT IN (LAYER V, A, R or Y; OUT and IN 0..255)";
    if (args.size() != 4 || args[1].size() != 1) {
        return BadCommand{std::string(usage)};
    }
    const std::optional<Layer> layer = layerOfLetter(args[1][0]);
    const std::optional<int> output = connector(args[2]);
    const std::optional<int> input = connector(args[3]);
    if (!layer || args[1][0] != switchLetter(*layer) || !output || !input) {
        return BadCommand{std::string(usage)};
    }
    return PanelCommand{*layer, *output, *input};
}

} // namespace

ConsoleCommand parseConsoleCommand(std::string_view line) {
    const std::vector<std::string_view> args = words(line);
    if (args.empty()) {
        return BlankLine{};
    }
    const bool alone = args.size() == 1;
    if (args[0] == "panel") {
        return panel(args);
    }
    if (alone && (args[0] == "online" || args[0] == "offline")) {
        return OnLineCommand{args[0] == "online"};
    }
    if (alone && (args[0] == "unplug" || args[0] == "replug")) {
        return PlugCommand{args[0] == "replug"};
    }
    if (args.size() == 2 && args[0] == "faults" && (args[1] == "on" || args[1] == "off")) {
        return FaultsCommand{args[1] == "on"};
    }
    if (alone && args[0] == "state") {
        return StateCommand{};
    }
    if (alone && args[0] == "quit") {
        return QuitCommand{};
    }
    return BadCommand{
        "unknown command '" + std::string(line) +
        "' (panel LAYER OUT IN, online, offline, unplug, replug, faults on|off, state or quit)"};
}

} // namespace rl4::sim
