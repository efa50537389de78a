#include "ctl/ctl_options.h"

#include <CLI/CLI.hpp>

namespace rl4 {

namespace {

// An option that stands before the command and takes one value: it stores the value, or says what is
// wrong with it in the operator's words.
struct GlobalOption {
    const char* name;
    std::string (*apply)(CtlOptions& options, const std::string& value);
};

constexpr GlobalOption kGlobalOptions[] = {
    {"--data",
     [](CtlOptions& options, const std::string& value) {
         options.data = value;
         return std::string();
     }},
    {"--port",
     [](CtlOptions& options, const std::string& value) {
         options.port = parseNumber(value, 0, 255);
         return options.port ? std::string()
                             : "--port takes a port number from 0 to 255, not '" + value + "'";
     }},
    {"--protocol",
     [](CtlOptions& options, const std::string& value) {
         if (value != "4" && value != "5")
             return "--protocol is 4 or 5, not '" + value + "'";
         options.protocol = value == "4" ? 4 : 5;
         return std::string();
     }},
    {"--target",
     [](CtlOptions& options, const std::string& value) {
         options.target = value;
         return value.empty() ? std::string("--target needs a device path or socket://HOST:PORT")
                              : std::string();
     }},
    {"--via",
     [](CtlOptions& options, const std::string& value) {
         options.via = value;
         return value.empty() ? std::string("--via needs a socket or HOST:PORT") : std::string();
     }},
    {"--log",
     [](CtlOptions& options, const std::string& value) {
         options.log = value;
         return value.empty() ? std::string("--log needs a file") : std::string();
     }},
};

} // namespace

// The library reads the options up to the command word and leaves the command and its arguments alone
// (each command reads its own). Values are checked as the library meets them, so that the first mistake on
// the line is the one reported, in the program's words.
CtlParse parseCtlOptions(const std::vector<std::string>& args) {
    CtlParse result;
    CLI::App app;
    // The help text is the program's own (the command list); the library's layout would lose it.
    app.set_help_flag();
    app.prefix_command();
    app.add_flag("-h,--help", result.options.help);
    app.add_flag("--direct", result.options.direct);
    for (const GlobalOption& option : kGlobalOptions) {
        app.add_option_function<std::string>(option.name,
                                             [&result, &option](const std::string& value) {
                                                 const std::string error =
                                                     option.apply(result.options, value);
                                                 if (!error.empty())
                                                     throw CLI::ValidationError(error);
                                             })
            ->trigger_on_parse();
    }
    // The library reads the line from its end.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch&) {
        // The only value that can be missing is that of the last word.
        result.error = "option " + args.back() + " needs a value";
        return result;
    } catch (const CLI::ParseError& error) {
        result.error = error.what();
        return result;
    }
    result.options.command = app.remaining();
    if (!result.options.command.empty() && result.options.command.front().starts_with("-")) {
        result.error = "unknown option '" + result.options.command.front() + "'";
        result.options.command.clear();
    }
    return result;
}

} // namespace rl4
