#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace rl4 {

// Exit status when the running program cannot be reached or leaves before it answered.
inline constexpr int kUnavailable = 69;

// The commands a running window program takes through its control socket; routelane4ctl opens the port
// itself for the others.
bool runsThroughControlSocket(const std::string& command);

// routelane4ctl's side of the control socket. `words` is the command and its arguments.
class ControlClient {
public:
    explicit ControlClient(std::ostream& out, std::ostream& err, std::string program)
        : out_(out), err_(err), program_(std::move(program)) {}

    // Connects; false (with errno set) when nothing listens there.
    bool connect(const std::string& path);
    // Connects to a TCP listener and presents the token: the exit status, with the failure printed.
    int connectTcp(const std::string& hostAndPort, const std::string& token);
    // Sends the command and prints its answer as routelane4ctl prints it when it runs the command itself:
    // the printed lines on `out`, the notices and the failure on `err`. The exit status.
    int run(const std::vector<std::string>& words);
    // Prints every change the program reports, one line each without its tag, until it closes.
    int watch();

    ~ControlClient();
    ControlClient(const ControlClient&) = delete;
    ControlClient& operator=(const ControlClient&) = delete;

private:
    std::optional<std::string> readLine();
    int lost();

    std::ostream& out_;
    std::ostream& err_;
    std::string program_;
    int fd_ = -1;
    std::string pending_;
};

} // namespace rl4
