#include "line_client.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace rl4::sim::test {

LineClient LineClient::openDevice(const std::string& path) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios settings{};
    if (fd >= 0 && tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    return LineClient(fd);
}

LineClient LineClient::connectTcp(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        fd = -1;
    }
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return LineClient(fd);
}

LineClient::~LineClient() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

void LineClient::send(const Bytes& bytes) {
    [[maybe_unused]] const ssize_t written = write(fd_, bytes.data(), bytes.size());
}

Bytes LineClient::receive(std::size_t count, int timeoutMillis) {
    Bytes received;
    for (const Arrival& arrival : receiveArrivals(count, timeoutMillis)) {
        received.insert(received.end(), arrival.bytes.begin(), arrival.bytes.end());
    }
    return received;
}

std::vector<LineClient::Arrival> LineClient::receiveArrivals(std::size_t count, int timeoutMillis) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMillis);
    std::vector<Arrival> arrivals;
    std::size_t total = 0;
    while (total < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd fd{fd_, POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            break;
        }
        std::uint8_t chunk[64];
        const ssize_t got = read(fd_, chunk, std::min(sizeof chunk, count - total));
        if (got <= 0) {
            break;
        }
        arrivals.push_back({Bytes(chunk, chunk + got), Clock::now()});
        total += static_cast<std::size_t>(got);
    }
    return arrivals;
}

std::optional<int> LineClient::hangUp(int timeoutMillis) {
    pollfd fd{fd_, POLLIN, 0};
    if (poll(&fd, 1, timeoutMillis) <= 0 || (fd.revents & (POLLHUP | POLLERR)) == 0) {
        return std::nullopt;
    }
    std::uint8_t byte = 0;
    const ssize_t got = read(fd_, &byte, 1);
    if (got > 0) {
        return std::nullopt;
    }
    return got == 0 ? 0 : errno;
}

} // namespace rl4::sim::test
