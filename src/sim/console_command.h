#pragma once

#include "sim/layer.h"

#include <string>
#include <string_view>
#include <variant>

namespace rl4::sim {

struct PanelCommand {
    Layer layer = Layer::Video;
    int output = 0;
    int input = 0;
};

struct OnLineCommand {
    bool onLine = false;
};

// "unplug" takes the line away (the cable is pulled), "replug" gives it back.
struct PlugCommand {
    bool plugIn = false;
};

struct QuitCommand {};

struct BlankLine {};

struct BadCommand {
    std::string message;
};

using ConsoleCommand =
    std::variant<PanelCommand, OnLineCommand, PlugCommand, QuitCommand, BlankLine, BadCommand>;

// One line of standard input: "panel LAYER OUT IN", "online", "offline", "unplug", "replug" or "quit".
ConsoleCommand parseConsoleCommand(std::string_view line);

} // namespace rl4::sim
