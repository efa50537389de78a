#pragma once

#include "sim/line_faults.h"
#include "sim/matrix_config.h"

#include <optional>
#include <string>
#include <vector>

namespace rl4::sim {

inline constexpr int kDefaultBaud = 9600;
inline constexpr int kMaxConnectors = 256;

// Where the matrix listens: a pseudo-terminal (named by a symbolic link, or announced on standard output
// when unnamed) or a TCP port on the loopback address.
struct PortChoice {
    enum class Kind { Pty, Tcp };
    Kind kind = Kind::Pty;
    std::string ptyLink; // empty: announce the device path instead
    int tcpPort = 0;     // 0: let the system choose, and announce it
};

struct SimOptions {
    MatrixConfig matrix;
    PortChoice port;
    int baud = kDefaultBaud; // 0: no pacing
    std::string logPath;
    std::string eepromPath;
    FaultOptions faults;
};

struct ParsedOptions {
    std::optional<SimOptions> options; // empty on --help or an error
    bool help = false;
    std::string error;
};

ParsedOptions parseSimOptions(const std::vector<std::string>& args);
std::string simUsage();

} // namespace rl4::sim
