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

// "faults off" lets every frame through untouched from now on, "faults on" spoils them again as the options
// say: a long run ends on a clean line that can be read back.
struct FaultsCommand {
    bool on = false;
};

// "state": the crosspoints on standard output, one line per layer present: its letter, then the input on
// each output from 1.
struct StateCommand {};

struct QuitCommand {};

struct BlankLine {};

struct BadCommand {
    std::string message;
};

using ConsoleCommand = std::variant<PanelCommand, OnLineCommand, PlugCommand, FaultsCommand, StateCommand,
                                    QuitCommand, BlankLine, BadCommand>;

// One line of standard input: "panel LAYER OUT IN", "online", "offline", "unplug", "replug", "faults on",
// "faults off", "state" or "quit".
ConsoleCommand parseConsoleCommand(std::string_view line);

} // namespace rl4::sim
