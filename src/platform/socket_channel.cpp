#include "platform/socket_channel.h"

#include <cerrno>
#include <charconv>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace rl4 {

namespace {

using SteadyClock = std::chrono::steady_clock;

struct Endpoint {
    std::string host;
    std::string port;
};

std::optional<Endpoint> parseTarget(const std::string& target) {
    const std::string scheme = SocketChannel::kScheme;
    if (target.compare(0, scheme.size(), scheme) != 0)
        return std::nullopt;
    const std::string rest = target.substr(scheme.size());
    std::string host;
    std::string port;
    if (!rest.empty() && rest.front() == '[') {
        const auto close = rest.find(']');
        if (close == std::string::npos || close + 1 >= rest.size() || rest[close + 1] != ':')
            return std::nullopt;
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const auto colon = rest.rfind(':');
        if (colon == std::string::npos)
            return std::nullopt;
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    int number = 0;
    const char* end = port.data() + port.size();
    const auto [stop, error] = std::from_chars(port.data(), end, number);
    if (host.empty() || port.empty() || error != std::errc() || stop != end || number < 1 || number > 65535)
        return std::nullopt;
    return Endpoint{host, std::to_string(number)};
}

bool connectWithin(int fd, const addrinfo& address, SteadyClock::time_point deadline) {
    // An interrupted non-blocking connect goes on in the background, as one in progress does.
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return true;
    if (errno != EINPROGRESS && errno != EINTR)
        return false;
    if (waitForEvents(fd, POLLOUT, deadline) <= 0)
        return false;
    int error = 0;
    socklen_t length = sizeof error;
    return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

} // namespace

bool SocketChannel::open(const std::string& target) {
    close();
    const auto endpoint = parseTarget(target);
    if (!endpoint)
        return false;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (::getaddrinfo(endpoint->host.c_str(), endpoint->port.c_str(), &hints, &found) != 0)
        return false;
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    for (const addrinfo* address = addresses.get(); address != nullptr; address = address->ai_next) {
        const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                address->ai_protocol);
        if (fd < 0)
            continue;
        // Frames go out a byte at a time; without this each byte would wait for the previous one's ACK.
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        if (connectWithin(fd, *address, deadline)) {
            adopt(fd);
            return true;
        }
        ::close(fd);
        if (SteadyClock::now() >= deadline)
            break;
    }
    return false;
}

ssize_t SocketChannel::transmit(int fd, std::uint8_t byte) {
    // A server that has gone away must fail the write, not raise SIGPIPE and end the program.
    return ::send(fd, &byte, 1, MSG_NOSIGNAL);
}

} // namespace rl4
