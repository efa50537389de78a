#include "sim/sim_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <string_view>

namespace rl4::sim {

namespace {

constexpr int kMaxBaud = 1'000'000;
constexpr int kMaxTcpPort = 65535;
constexpr int kMaxDelayMillis = 60'000;
constexpr int kMaxRefuseEvery = 1'000'000;

template <typename Number>
std::optional<Number> parseNumber(std::string_view text, int base = 10) {
    Number value{};
    const char* end = text.data() + text.size();
    auto [stop, status] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || status != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

template <typename Number = int>
std::optional<Number> parseInRange(std::string_view text, Number low, Number high, int base = 10) {
    const std::optional<Number> value = parseNumber<Number>(text, base);
    if (!value || *value < low || *value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseProbability(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    auto [stop, status] = std::from_chars(text.data(), end, value);
    // Written so that NaN fails too.
    if (text.empty() || status != std::errc{} || stop != end || !(value >= 0.0 && value <= 1.0)) {
        return std::nullopt;
    }
    return value;
}

// "16x8": outputs x inputs; "0x0" leaves the layer out, so a zero on one side only is a mistake.
std::optional<LayerSize> parseSize(std::string_view text) {
    const std::size_t cross = text.find('x');
    if (cross == std::string_view::npos) {
        return std::nullopt;
    }
    const std::optional<int> outputs = parseInRange(text.substr(0, cross), 0, kMaxConnectors);
    const std::optional<int> inputs = parseInRange(text.substr(cross + 1), 0, kMaxConnectors);
    if (!outputs || !inputs || ((*outputs == 0) != (*inputs == 0))) {
        return std::nullopt;
    }
    return LayerSize{*outputs, *inputs};
}

std::optional<std::array<std::uint8_t, 2>> parseIdentity(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos || comma > 2 || text.size() - comma - 1 > 2) {
        return std::nullopt;
    }
    const std::optional<int> first = parseInRange(text.substr(0, comma), 0, 0xFF, 16);
    const std::optional<int> second = parseInRange(text.substr(comma + 1), 0, 0xFF, 16);
    if (!first || !second) {
        return std::nullopt;
    }
    return std::array<std::uint8_t, 2>{static_cast<std::uint8_t>(*first), static_cast<std::uint8_t>(*second)};
}

std::optional<ProtocolChoice> parseProtocol(std::string_view text) {
    if (text == "4") {
        return ProtocolChoice::Four;
    }
    if (text == "5") {
        return ProtocolChoice::Five;
    }
    if (text == "both") {
        return ProtocolChoice::Both;
    }
    return std::nullopt;
}

template <typename Target, typename Value>
bool store(Target& target, const std::optional<Value>& value) {
    if (value) {
        target = *value;
    }
    return value.has_value();
}

// The library splits the command line and finds the options; the values are read here, each as soon as
// the library meets it, so that the first mistake on the line is the one reported, in our words.
class OptionReader {
public:
    ParsedOptions read(const std::vector<std::string>& args);

private:
    using Apply = std::function<bool(const std::string&)>;

    void define(CLI::App& app);
    // An option with a value; `hint` follows the complaint about a bad value.
    void valued(CLI::App& app, const std::string& name, const std::string& hint, Apply apply);
    void choosePort(PortChoice choice);

    SimOptions options_;
    bool portChosen_ = false;
};

void OptionReader::valued(CLI::App& app, const std::string& name, const std::string& hint, Apply apply) {
    app.add_option_function<std::string>(name,
                                         [name, hint, apply = std::move(apply)](const std::string& value) {
                                             if (!apply(value)) {
                                                 throw CLI::ValidationError("bad value '" + value + "' for " +
                                                                            name + hint);
                                             }
                                         })
        ->trigger_on_parse();
}

void OptionReader::choosePort(PortChoice choice) {
    if (portChosen_) {
        throw CLI::ValidationError("choose one of --pty and --tcp, once");
    }
    portChosen_ = true;
    options_.port = std::move(choice);
}

void OptionReader::define(CLI::App& app) {
    // The help text is our own (see simUsage): the library's layout differs from the one operators know.
    app.set_help_flag();
    app.add_flag_callback("--help", [] { throw CLI::CallForHelp(); })->trigger_on_parse();
    app.add_flag_callback("--silent-refusals", [this] { options_.matrix.silentRefusals = true; });

    valued(app, "--pty", "", [this](const std::string& value) {
        if (!value.empty()) {
            choosePort({PortChoice::Kind::Pty, value, 0});
        }
        return !value.empty();
    });
    valued(app, "--tcp", " (a port 0..65535)", [this](const std::string& value) {
        const std::optional<int> port = parseInRange(value, 0, kMaxTcpPort);
        if (port) {
            choosePort({PortChoice::Kind::Tcp, {}, *port});
        }
        return port.has_value();
    });
    constexpr std::array<std::pair<const char*, Layer>, kLayerCount> layerOptions{
        {{"--video", Layer::Video}, {"--audio", Layer::Audio}, {"--rgb", Layer::Rgb}, {"--yc", Layer::Yc}}};
    for (const auto& [option, layer] : layerOptions) {
        valued(app, option, " (OUTPUTSxINPUTS, each 1..256, or 0x0)",
               [this, layer = layer](const std::string& value) {
                   return store(options_.matrix.sizes[layerIndex(layer)], parseSize(value));
               });
    }
    valued(app, "--protocol", " (4, 5 or both)", [this](const std::string& value) {
        return store(options_.matrix.protocol, parseProtocol(value));
    });
    valued(app, "--identity", " (two hexadecimal bytes, as 92,34)", [this](const std::string& value) {
        return store(options_.matrix.identity, parseIdentity(value));
    });
    valued(app, "--baud", " (0..1000000)", [this](const std::string& value) {
        return store(options_.baud, parseInRange(value, 0, kMaxBaud));
    });
    valued(app, "--log", "", [this](const std::string& value) {
        options_.logPath = value;
        return !value.empty();
    });
    valued(app, "--eeprom", "", [this](const std::string& value) {
        options_.eepromPath = value;
        return !value.empty();
    });

    FaultOptions& faults = options_.faults;
    const std::array<std::pair<const char*, double*>, 4> probabilities{{{"--drop", &faults.drop},
                                                                        {"--nak", &faults.nak},
                                                                        {"--garble", &faults.garble},
                                                                        {"--split", &faults.split}}};
    for (const auto& [option, target] : probabilities) {
        valued(app, option, " (a probability 0..1)", [target = target](const std::string& value) {
            return store(*target, parseProbability(value));
        });
    }
    valued(app, "--delay", " (milliseconds 0..60000)", [&faults](const std::string& value) {
        return store(faults.delayMillis, parseInRange(value, 0, kMaxDelayMillis));
    });
    valued(app, "--refuse-every", " (0..1000000, 0 for never)", [&faults](const std::string& value) {
        return store(faults.refuseEvery, parseInRange(value, 0, kMaxRefuseEvery));
    });
    valued(app, "--seed", " (0..4294967295)", [&faults](const std::string& value) {
        return store(faults.seed,
                     parseInRange<std::uint64_t>(value, 0, std::numeric_limits<std::uint32_t>::max()));
    });
}

ParsedOptions OptionReader::read(const std::vector<std::string>& args) {
    CLI::App app("", "matrixsim");
    define(app);
    // The library takes the arguments last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return {std::nullopt, true, {}};
    } catch (const CLI::ExtrasError&) {
        std::vector<std::string> extras = app.remaining();
        // After "--" everything is an argument, and this program takes none.
        std::erase(extras, "--");
        const std::string first = extras.empty() ? std::string("--") : extras.front();
        const std::string message =
            first.starts_with("-") ? "unknown option " + first : "unexpected argument '" + first + "'";
        return {std::nullopt, false, message};
    } catch (const CLI::ConversionError& error) {
        // Only a flag given a value lands here: "Could not convert: --silent-refusals = maybe".
        const std::string text = error.what();
        const std::size_t name = text.find("--");
        return {std::nullopt, false,
                name == std::string::npos
                    ? text
                    : "option " + text.substr(name, text.find(' ', name) - name) + " takes no value"};
    } catch (const CLI::ArgumentMismatch& error) {
        // The library's text begins with the option's name: "--baud: 1 required TEXT missing".
        const std::string text = error.what();
        return {std::nullopt, false, "option " + text.substr(0, text.find(':')) + " needs a value"};
    } catch (const CLI::ParseError& error) {
        return {std::nullopt, false, error.what()};
    }
    return {options_, false, {}};
}

} // namespace

ParsedOptions parseSimOptions(const std::vector<std::string>& args) {
    return OptionReader().read(args);
}

std::string simUsage() {
    return "usage: matrixsim [--pty PATH | --tcp PORT] [--protocol 4|5|both] [--video OxI] [--audio OxI]\n"
           "                 [--rgb OxI] [--yc OxI] [--identity HH,HH] [--baud N] [--log FILE]\n"
           "                 [--eeprom FILE] [--silent-refusals] [--drop P] [--nak P] [--garble P]\n"
           "                 [--split P] [--delay MS] [--refuse-every N] [--seed N]\n"
           "\n"
           "A software routing matrix that answers 5-byte and 4-byte frames.\n"
           "  --pty PATH          make PATH a symbolic link to a new pseudo-terminal; without --pty or\n"
           "                      --tcp, the pseudo-terminal's path is the first line of output\n"
           "  --tcp PORT          listen on 127.0.0.1:PORT, one client at a time; with 0 the system\n"
           "                      picks the port and it is the first line of output\n"
           "  --protocol 4|5|both frame forms answered (default both)\n"
           "  --video OxI ...     layer size, outputs x inputs up to 256 each, 0x0 for none\n"
           "                      (defaults video 16x16, audio 16x16, rgb 8x8, yc 8x8)\n"
           "  --identity HH,HH    the two identity bytes in hexadecimal (default 92,34)\n"
           "  --baud N            pace the line at N baud, 10 bits a byte; 0 for no pacing (default 9600)\n"
           "  --log FILE          one line per frame: RX, TX, or RX? for bytes that formed no frame;\n"
           "                      TX- a frame dropped, TX~ a frame sent with one byte changed, and a\n"
           "                      '|' where a split frame paused\n"
           "  --eeprom FILE       EEPROM contents (32768 bytes), loaded at start, written at exit\n"
           "  --silent-refusals   answer nothing to a refused instruction\n"
           "\n"
           "A faulty line (P a probability 0..1 per frame; faults touch only what the matrix sends):\n"
           "  --drop P            a frame is not sent\n"
           "  --nak P             an instruction is refused as busy and not carried out (NAK, or the\n"
           "                      4-byte error report with code 8)\n"
           "  --garble P          one bit of a frame is flipped\n"
           "  --split P           a frame pauses 45 ms between two of its bytes\n"
           "  --delay MS          every frame leaves MS milliseconds late (default 0)\n"
           "  --refuse-every N    every Nth instruction is refused like --nak (default 0: never)\n"
           "  --seed N            start the random faults from N; without it the seed is drawn from\n"
           "                      the clock and told on standard error\n"
           "\n"
           "Standard input: 'panel LAYER OUT IN' (LAYER V, A, R or Y), 'online', 'offline', 'quit';\n"
           "'unplug' pulls the line (it prints 'unplugged'), 'replug' gives it back (it prints 'ready').\n";
}

} // namespace rl4::sim
