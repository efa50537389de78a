#include "sim/sim_options.h"

#include <charconv>
#include <string_view>

namespace rl4::sim {

namespace {

constexpr int kMaxBaud = 1'000'000;
constexpr int kMaxTcpPort = 65535;

std::optional<int> parseNumber(std::string_view text, int base = 10) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [stop, status] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || status != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> parseInRange(std::string_view text, int low, int high, int base = 10) {
    const std::optional<int> value = parseNumber(text, base);
    if (!value || *value < low || *value > high) {
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

class OptionReader {
public:
    explicit OptionReader(const std::vector<std::string>& args) : args_(args) {}

    ParsedOptions read();

private:
    // Applies one option that takes a value; false (with error_ set) when the value is bad.
    bool applyValued(const std::string& name, const std::string& value);
    bool fail(const std::string& message) {
        error_ = message;
        return false;
    }

    const std::vector<std::string>& args_;
    SimOptions options_;
    bool portChosen_ = false;
    std::string error_;
};

ParsedOptions OptionReader::read() {
    for (std::size_t k = 0; k < args_.size(); ++k) {
        const std::string& name = args_[k];
        if (name == "--help") {
            return {std::nullopt, true, {}};
        }
        if (name == "--silent-refusals") {
            options_.matrix.silentRefusals = true;
            continue;
        }
        if (!name.starts_with("--")) {
            return {std::nullopt, false, "unexpected argument '" + name + "'"};
        }
        if (k + 1 == args_.size()) {
            return {std::nullopt, false, "option " + name + " needs a value"};
        }
        if (!applyValued(name, args_[++k])) {
            return {std::nullopt, false, error_};
        }
    }
    return {options_, false, {}};
}

bool OptionReader::applyValued(const std::string& name, const std::string& value) {
    const std::string bad = "bad value '" + value + "' for " + name;
    if (name == "--pty" || name == "--tcp") {
        if (portChosen_) {
            return fail("choose one of --pty and --tcp, once");
        }
        portChosen_ = true;
        if (name == "--pty") {
            if (value.empty()) {
                return fail(bad);
            }
            options_.port = {PortChoice::Kind::Pty, value, 0};
            return true;
        }
        const std::optional<int> port = parseInRange(value, 0, kMaxTcpPort);
        if (!port) {
            return fail(bad + " (a port 0..65535)");
        }
        options_.port = {PortChoice::Kind::Tcp, {}, *port};
        return true;
    }
    constexpr std::array<std::pair<std::string_view, Layer>, kLayerCount> layerOptions{
        {{"--video", Layer::Video}, {"--audio", Layer::Audio}, {"--rgb", Layer::Rgb}, {"--yc", Layer::Yc}}};
    for (const auto& [option, layer] : layerOptions) {
        if (name == option) {
            const std::optional<LayerSize> size = parseSize(value);
            if (!size) {
                return fail(bad + " (OUTPUTSxINPUTS, each 1..256, or 0x0)");
            }
            options_.matrix.sizes[layerIndex(layer)] = *size;
            return true;
        }
    }
    if (name == "--protocol") {
        const std::optional<ProtocolChoice> protocol = parseProtocol(value);
        if (!protocol) {
            return fail(bad + " (4, 5 or both)");
        }
        options_.matrix.protocol = *protocol;
        return true;
    }
    if (name == "--identity") {
        const auto identity = parseIdentity(value);
        if (!identity) {
            return fail(bad + " (two hexadecimal bytes, as 92,34)");
        }
        options_.matrix.identity = *identity;
        return true;
    }
    if (name == "--baud") {
        const std::optional<int> baud = parseInRange(value, 0, kMaxBaud);
        if (!baud) {
            return fail(bad + " (0..1000000)");
        }
        options_.baud = *baud;
        return true;
    }
    if (name == "--log" || name == "--eeprom") {
        if (value.empty()) {
            return fail(bad);
        }
        (name == "--log" ? options_.logPath : options_.eepromPath) = value;
        return true;
    }
    return fail("unknown option " + name);
}

} // namespace

ParsedOptions parseSimOptions(const std::vector<std::string>& args) {
    return OptionReader(args).read();
}

std::string simUsage() {
    return "usage: matrixsim [--pty PATH | --tcp PORT] [--protocol 4|5|both] [--video OxI] [--audio OxI]\n"
           "                 [--rgb OxI] [--yc OxI] [--identity HH,HH] [--baud N] [--log FILE]\n"
           "                 [--eeprom FILE] [--silent-refusals]\n"
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
           "  --log FILE          one line per frame: RX, TX, or RX? for bytes that formed no frame\n"
           "  --eeprom FILE       EEPROM contents (32768 bytes), loaded at start, written at exit\n"
           "  --silent-refusals   answer nothing to a refused instruction\n"
           "\n"
           "Standard input: 'panel LAYER OUT IN' (LAYER V, A, R or Y), 'online', 'offline', 'quit'.\n";
}

} // namespace rl4::sim
