#include "ctl/ctl_options.h"

#include <charconv>

namespace rl4 {

std::optional<int> parseNumber(const std::string& text, int low, int high) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high)
        return std::nullopt;
    return value;
}

CtlParse parseCtlOptions(const std::vector<std::string>& args) {
    CtlParse result;
    CtlOptions& options = result.options;
    std::size_t i = 0;
    auto valueOf = [&](const std::string& name) -> std::optional<std::string> {
        if (i + 1 >= args.size()) {
            result.error = "option " + name + " needs a value";
            return std::nullopt;
        }
        return args[++i];
    };
    for (; i < args.size() && args[i].starts_with("-"); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--data") {
            const auto value = valueOf(arg);
            if (!value)
                return result;
            options.data = *value;
        } else if (arg == "--port") {
            const auto value = valueOf(arg);
            if (!value)
                return result;
            options.port = parseNumber(*value, 0, 255);
            if (!options.port) {
                result.error = "--port takes a port number from 0 to 255, not '" + *value + "'";
                return result;
            }
        } else if (arg == "--protocol") {
            const auto value = valueOf(arg);
            if (!value)
                return result;
            if (*value != "4" && *value != "5") {
                result.error = "--protocol is 4 or 5, not '" + *value + "'";
                return result;
            }
            options.protocol = *value == "4" ? 4 : 5;
        } else if (arg == "--target") {
            const auto value = valueOf(arg);
            if (!value)
                return result;
            if (value->empty()) {
                result.error = "--target needs a device path or socket://HOST:PORT";
                return result;
            }
            options.target = *value;
        } else if (arg == "--log") {
            const auto value = valueOf(arg);
            if (!value)
                return result;
            options.log = *value;
        } else {
            result.error = "unknown option '" + arg + "'";
            return result;
        }
    }
    options.command.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    return result;
}

} // namespace rl4
