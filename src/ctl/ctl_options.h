#pragma once

#include "control/command_words.h"

#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// The global options of routelane4ctl, which stand before the command.
struct CtlOptions {
    std::optional<std::string> data;
    std::optional<int> port;
    std::optional<int> protocol;
    std::optional<std::string> target;
    std::optional<std::string> log;
    bool help = false;
    // The control socket of a routelane4 running on the program folder: never (--direct), or this one.
    bool direct = false;
    std::optional<std::string> via;
    std::vector<std::string> command; // the command word and its arguments
};

// Parses argv[1..]; a bad option gives an error text for the operator.
struct CtlParse {
    CtlOptions options;
    std::string error;
};
CtlParse parseCtlOptions(const std::vector<std::string>& args);

} // namespace rl4
