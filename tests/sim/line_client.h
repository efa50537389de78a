#pragma once

#include "sim/frame.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace rl4::sim::test {

// The program's end of the line in the tests: a raw pseudo-terminal device or a TCP connection.
class LineClient {
public:
    static LineClient openDevice(const std::string& path);
    static LineClient connectTcp(int port);
    ~LineClient();
    LineClient(LineClient&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    LineClient& operator=(LineClient&&) = delete;
    LineClient(const LineClient&) = delete;

    bool valid() const { return fd_ >= 0; }
    void send(const Bytes& bytes);
    // Reads until `count` bytes came or the time is over.
    Bytes receive(std::size_t count, int timeoutMillis = 2000);

    struct Arrival {
        Bytes bytes;
        std::chrono::steady_clock::time_point at;
    };
    // The same, read by read, with the moment each read returned.
    std::vector<Arrival> receiveArrivals(std::size_t count, int timeoutMillis = 2000);
    // Waits for the line to end: the errno of the failing read (0 for an end of stream), or nothing when the
    // line is still there at the time-out.
    std::optional<int> hangUp(int timeoutMillis = 2000);

private:
    explicit LineClient(int fd) : fd_(fd) {}
    int fd_;
};

} // namespace rl4::sim::test
