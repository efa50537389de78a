#pragma once

#include "sim/frame.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace rl4::sim::test {

// The program's end of the line in the tests: a raw pseudo-terminal device or a TCP connection.
class LineClient {
public:
    static LineClient openDevice(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios settings{};
        if (fd >= 0 && ::tcgetattr(fd, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(fd, TCSANOW, &settings);
        }
        return LineClient(fd);
    }
    static LineClient connectTcp(int port) {
        LineClient client(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(client.fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return LineClient(-1);
        const int on = 1;
        ::setsockopt(client.fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return client;
    }
    ~LineClient() { ::close(fd_); }
    LineClient(LineClient&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

    bool valid() const { return fd_ >= 0; }
    void send(const Bytes& bytes) {
        [[maybe_unused]] const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    }
    // Reads until `count` bytes came or the time is over.
    Bytes receive(std::size_t count, int timeoutMillis = 2000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
        Bytes received(count);
        std::size_t got = 0;
        while (got < count) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() < 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 1)
                break;
            const ssize_t chunk = ::read(fd_, received.data() + got, count - got);
            if (chunk <= 0)
                break;
            got += static_cast<std::size_t>(chunk);
        }
        received.resize(got);
        return received;
    }
    // Waits for the line to end: the errno of the failing read (0 for an end of stream), or nothing when the
    // line is still there at the time-out.
    std::optional<int> hangUp(int timeoutMillis = 2000) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMillis) <= 0 || (p.revents & (POLLHUP | POLLERR)) == 0)
            return std::nullopt;
        std::uint8_t byte = 0;
        const ssize_t got = ::read(fd_, &byte, 1);
        return got > 0 ? std::nullopt : std::optional(got == 0 ? 0 : errno);
    }

private:
    explicit LineClient(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace rl4::sim::test
