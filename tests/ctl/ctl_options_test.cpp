#include "ctl/ctl_options.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

using Args = std::vector<std::string>;

// What a command line gives: the options before the command, the command with its own words untouched, or
// the first mistake in the operator's words.
TEST(CtlOptions, CommandLinesAndWhatTheyGive) {
    struct Case {
        Args args;
        std::string error; // a part of it; "" : none
        std::optional<int> port = std::nullopt;
        std::optional<int> protocol = std::nullopt;
        Args command = {};
        bool help = false;
    };
    // clang-format off
    const Case cases[] = {
        {{"identify"}, "", {}, {}, {"identify"}},
        {{"--port", "0", "--protocol", "4", "send", "1,1", "3", "1"}, "", 0, 4, {"send", "1,1", "3", "1"}},
        {{"--port=3", "--protocol=5", "status"}, "", 3, 5, {"status"}},
        {{"--port", "2", "--port", "7", "store"}, "", 7, {}, {"store"}},
        // Words after the command are the command's, options or not.
        {{"route", "2", "3", "--layer", "audio", "--port", "9"}, "", {}, {},
         {"route", "2", "3", "--layer", "audio", "--port", "9"}},
        {{"--help"}, "", {}, {}, {}, true},
        {{"-h", "status"}, "", {}, {}, {"status"}, true},
        {{}, ""},
        {{"--port", "256", "identify"}, "--port takes a port number from 0 to 255, not '256'"},
        {{"--port", "x", "--protocol", "6"}, "not 'x'"},
        {{"--protocol", "6", "identify"}, "--protocol is 4 or 5, not '6'"},
        {{"--target", "", "identify"}, "--target needs a device path or socket://HOST:PORT"},
        {{"--log", "", "identify"}, "--log needs a file"},
        {{"identify", "--data"}, "", {}, {}, {"identify", "--data"}},
        {{"--data"}, "option --data needs a value"},
        {{"--colour", "identify"}, "unknown option '--colour'"},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args)
            shown += " " + arg;
        SCOPED_TRACE(shown);
        const CtlParse parse = parseCtlOptions(c.args);
        if (!c.error.empty()) {
            EXPECT_NE(parse.error.find(c.error), std::string::npos) << parse.error;
            continue;
        }
        EXPECT_EQ(parse.error, "");
        EXPECT_EQ(parse.options.port, c.port);
        EXPECT_EQ(parse.options.protocol, c.protocol);
        EXPECT_EQ(parse.options.command, c.command);
        EXPECT_EQ(parse.options.help, c.help);
    }
}

} // namespace
} // namespace rl4
