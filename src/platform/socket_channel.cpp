#include "platform/socket_channel.h"

#include <cerrno>
#include <charconv>
#include <cstring>
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
    // No host name holds a blank: one there is a typing slip that no name server would answer.
    const bool blank = host.find_first_of(" \t") != std::string::npos;
    if (host.empty() || blank || port.empty() || error != std::errc() || stop != end || number < 1 ||
        number > 65535)
        return std::nullopt;
    return Endpoint{host, std::to_string(number)};
}

// 0 when connected, else the errno of the failure (ETIMEDOUT when the server did not answer in time).
int connectWithin(int fd, const addrinfo& address, SteadyClock::time_point deadline) {
    // An interrupted non-blocking connect goes on in the background, as one in progress does.
    if (::connect(fd, address.ai_addr, address.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS && errno != EINTR)
        return errno;
    const int events = waitForEvents(fd, POLLOUT, deadline);
    if (events <= 0)
        return events == 0 ? ETIMEDOUT : errno;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

// Acknowledges what has come at once. A server that keeps Nagle's algorithm on holds the rest of an answer
// until the first bytes are acknowledged, and a delayed acknowledgement (40 ms) would split the answer
// beyond the read interval. Linux drops back to delayed acknowledgements after each exchange, hence a call
// after every read.
void acknowledgeAtOnce(int fd) {
#ifdef TCP_QUICKACK
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#else
    (void)fd;
#endif
}

} // namespace

bool SocketChannel::wellFormed(const std::string& target) {
    return parseTarget(target).has_value();
}

bool SocketChannel::open(const std::string& target) {
    close();
    const auto endpoint = parseTarget(target);
    if (!endpoint)
        return openFailed("not a socket://HOST:PORT target");
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (const int error = ::getaddrinfo(endpoint->host.c_str(), endpoint->port.c_str(), &hints, &found))
        return openFailed(::gai_strerror(error));
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, &::freeaddrinfo);

    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(connectMs_);
    int error = EADDRNOTAVAIL;
    for (const addrinfo* address = addresses.get(); address != nullptr; address = address->ai_next) {
        const int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                                address->ai_protocol);
        if (fd < 0) {
            error = errno;
            continue;
        }
        // Frames go out a byte at a time; without this each byte would wait for the previous one's ACK.
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        error = connectWithin(fd, *address, deadline);
        if (error == 0) {
            acknowledgeAtOnce(fd);
            adopt(fd);
            return true;
        }
        ::close(fd);
        if (SteadyClock::now() >= deadline)
            break;
    }
    return openFailed(std::strerror(error));
}

ssize_t SocketChannel::transmit(int fd, std::uint8_t byte) {
    // A server that has gone away must fail the write, not raise SIGPIPE and end the program.
    return ::send(fd, &byte, 1, MSG_NOSIGNAL);
}

ssize_t SocketChannel::receive(int fd, std::uint8_t* buffer, std::size_t n) {
    const ssize_t count = ::recv(fd, buffer, n, 0);
    const int error = errno;
    acknowledgeAtOnce(fd);
    errno = error;
    return count;
}

std::string SocketChannel::hangUpReason(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error == 0)
        return kClosedByPeer;
    return error == ECONNRESET ? kConnectionReset : std::strerror(error);
}

} // namespace rl4
