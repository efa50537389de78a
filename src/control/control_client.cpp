#include "control/control_client.h"

#include "control/control_line.h"
#include "control/control_socket.h"
#include "control/matrix_commands.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <ostream>
#include <sys/socket.h>
#include <unistd.h>

namespace rl4 {

bool runsThroughControlSocket(const std::string& command) {
    static constexpr std::array kCommands{"identify", "status", "route", "load",  "save",          "vca",
                                          "vca-all",  "store",  "setup", "watch", "disconnect-all"};
    for (const char* known : kCommands)
        if (command == known)
            return true;
    return false;
}

ControlClient::~ControlClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool ControlClient::connect(const std::string& path) {
    fd_ = connectControlSocket(path);
    return fd_ >= 0;
}

int ControlClient::connectTcp(const std::string& hostAndPort, const std::string& token) {
    std::string error;
    fd_ = connectTcpSocket(hostAndPort, error);
    if (fd_ < 0) {
        err_ << program_ << ": no routelane4 listens on " << error << '\n';
        return kUnavailable;
    }
    return run({"token", token});
}

std::optional<std::string> ControlClient::readLine() {
    while (true) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            std::string line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return line;
        }
        char buffer[4096];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return std::nullopt;
        pending_.append(buffer, static_cast<std::size_t>(got));
    }
}

int ControlClient::lost() {
    err_ << program_ << ": the running routelane4 closed its control socket before it answered\n";
    return kUnavailable;
}

int ControlClient::run(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + quoteControlWord(word);
    line += '\n';
    for (std::size_t sent = 0; sent < line.size();) {
        const ssize_t wrote = ::send(fd_, line.data() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return lost();
        sent += static_cast<std::size_t>(wrote);
    }
    while (const std::optional<std::string> answer = readLine()) {
        if (answer->starts_with("> "))
            out_ << answer->substr(2) << '\n';
        else if (answer->starts_with("! "))
            err_ << answer->substr(2) << '\n';
        else if (*answer == "OK")
            return kDone;
        else if (answer->starts_with("ERR ")) {
            int status = kUnavailable;
            const char* first = answer->data() + 4;
            const char* last = answer->data() + answer->size();
            const auto [rest, ec] = std::from_chars(first, last, status);
            const std::string reason = rest < last ? std::string(rest + 1, last) : "";
            if (!reason.empty())
                err_ << program_ << ": " << reason << '\n';
            if (status == kUsageError)
                err_ << "Try '" << program_ << " --help'.\n";
            return ec == std::errc() ? status : kUnavailable;
        }
    }
    return lost();
}

int ControlClient::watch() {
    const int status = run({"watch"});
    if (status != kDone)
        return status;
    while (const std::optional<std::string> event = readLine())
        if (event->starts_with("* "))
            out_ << event->substr(2) << std::endl;
    return kDone;
}

} // namespace rl4
