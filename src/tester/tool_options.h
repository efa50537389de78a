#pragma once

#include "tester/tool_texts.h"

#include <optional>
#include <string>

namespace rl4::tester {

// The command line of the protocol program, read before the window system starts, so that help and usage
// errors need no display.
struct ToolOptions {
    std::optional<std::string> data;
    bool help = false;
    // --lang when given and valid, else the locale's.
    Language language = Language::English;
    // Why the command line cannot be used, in `language`; empty when it can.
    std::string error;
};

ToolOptions parseToolOptions(int argc, const char* const* argv, const LocaleVariables& locale);

} // namespace rl4::tester
