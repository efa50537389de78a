#include "platform/descriptor_channel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace rl4 {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Milliseconds left until `deadline`, rounded up so that poll never wakes just before it and loops.
int millisecondsUntil(SteadyClock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

} // namespace

int waitForEvents(int fd, short events, SteadyClock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, millisecondsUntil(deadline));
        if (ready > 0)
            return p.revents;
        if (ready == 0)
            return 0;
        if (errno != EINTR)
            return -1;
        if (SteadyClock::now() >= deadline)
            return 0;
    }
}

DescriptorChannel::~DescriptorChannel() {
    close();
}

void DescriptorChannel::adopt(int fd) {
    close();
    fd_ = fd;
    openFailure_.clear();
}

bool DescriptorChannel::openFailed(std::string why) {
    openFailure_ = std::move(why);
    return false;
}

void DescriptorChannel::close() {
    if (fd_ < 0)
        return;
    // A close interrupted by a signal has still released the descriptor on Linux; retrying could close
    // one that another part of the program has opened since.
    ::close(fd_);
    fd_ = -1;
}

ssize_t DescriptorChannel::transmit(int fd, std::uint8_t byte) {
    return ::write(fd, &byte, 1);
}

ssize_t DescriptorChannel::receive(int fd, std::uint8_t* buffer, std::size_t n) {
    return ::read(fd, buffer, n);
}

bool DescriptorChannel::writeByte(std::uint8_t byte) {
    if (fd_ < 0)
        return false;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeouts_.writeTotal(1));
    for (;;) {
        const ssize_t written = transmit(fd_, byte);
        if (written == 1)
            return true;
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        const int events = waitForEvents(fd_, POLLOUT, deadline);
        if (events <= 0 || (events & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return false;
    }
}

std::size_t DescriptorChannel::read(std::uint8_t* buffer, std::size_t n) {
    if (fd_ < 0 || n == 0)
        return 0;
    const auto totalDeadline = SteadyClock::now() + std::chrono::milliseconds(timeouts_.readTotal(n));
    const auto interval = std::chrono::milliseconds(timeouts_.readInterval);
    std::size_t got = 0;
    SteadyClock::time_point lastArrival;
    while (got < n) {
        auto deadline = totalDeadline;
        if (got > 0)
            deadline = std::min(deadline, lastArrival + interval);
        if (SteadyClock::now() >= deadline)
            break;
        const int events = waitForEvents(fd_, POLLIN, deadline);
        if (events < 0)
            break;
        if (events == 0)
            continue;
        // A hang-up may still leave bytes to read, so read first and let the result say whether the line
        // has ended.
        const ssize_t count = receive(fd_, buffer + got, n - got);
        if (count > 0) {
            got += static_cast<std::size_t>(count);
            lastArrival = SteadyClock::now();
            continue;
        }
        const bool nothingYet = count < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK);
        if (!nothingYet || (events & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            break;
    }
    return got;
}

std::size_t DescriptorChannel::bytesWaiting() {
    int count = 0;
    if (fd_ < 0 || ::ioctl(fd_, FIONREAD, &count) != 0 || count < 0)
        return 0;
    return static_cast<std::size_t>(count);
}

} // namespace rl4
