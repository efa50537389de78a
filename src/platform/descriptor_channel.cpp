#include "platform/descriptor_channel.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace rl4 {

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr short kHangUpEvents = POLLERR | POLLHUP | POLLNVAL;

// Milliseconds left until `deadline`, rounded up so that poll never wakes just before it and loops.
int millisecondsUntil(SteadyClock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX));
}

bool nothingYet(int error) {
    return error == EINTR || error == EAGAIN || error == EWOULDBLOCK;
}

// What a failed read or write on the line says about it. A hung-up terminal answers EIO (ENXIO once its
// driver has let go), an unplugged adapter ENODEV, a socket whose peer has gone EPIPE or ECONNRESET.
std::string reasonOfError(int error) {
    switch (error) {
    case EIO:
    case ENXIO:
        return ByteChannel::kHungUp;
    case ENODEV:
        return ByteChannel::kDeviceRemoved;
    case EPIPE:
        return ByteChannel::kClosedByPeer;
    case ECONNRESET:
        return ByteChannel::kConnectionReset;
    default:
        return std::error_code(error, std::generic_category()).message();
    }
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

void DescriptorChannel::adopt(int fd, bool exclusive) {
    close();
    fd_ = fd;
    exclusive_ = exclusive;
    openFailure_.clear();
}

bool DescriptorChannel::openFailed(std::string why) {
    openFailure_ = std::move(why);
    return false;
}

void DescriptorChannel::close() {
    goneReason_.clear();
    if (fd_ < 0)
        return;
    if (exclusive_)
        ::ioctl(fd_, TIOCNXCL);
    // A close interrupted by a signal has still released the descriptor on Linux; retrying could close
    // one that another part of the program has opened since.
    ::close(fd_);
    fd_ = -1;
    exclusive_ = false;
}

void DescriptorChannel::lose(const std::string& reason) {
    if (goneReason_.empty())
        goneReason_ = reason.empty() ? kHungUp : reason;
}

ssize_t DescriptorChannel::transmit(int fd, std::uint8_t byte) {
    return ::write(fd, &byte, 1);
}

ssize_t DescriptorChannel::receive(int fd, std::uint8_t* buffer, std::size_t n) {
    return ::read(fd, buffer, n);
}

std::string DescriptorChannel::hangUpReason(int) {
    return kHungUp;
}

bool DescriptorChannel::writeByte(std::uint8_t byte) {
    if (fd_ < 0 || lineGone())
        return false;
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeouts_.writeTotal(1));
    for (;;) {
        const ssize_t written = transmit(fd_, byte);
        if (written == 1)
            return true;
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && !nothingYet(errno)) {
            lose(reasonOfError(errno));
            return false;
        }
        // A full buffer is a stuck line, not a gone one: the write fails, the line stays.
        const int events = waitForEvents(fd_, POLLOUT, deadline);
        if (events <= 0)
            return false;
        if ((events & kHangUpEvents) != 0) {
            lose(hangUpReason(fd_));
            return false;
        }
    }
}

std::size_t DescriptorChannel::read(std::uint8_t* buffer, std::size_t n) {
    if (fd_ < 0 || n == 0 || lineGone())
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
        if (count == 0) {
            lose(endOfStreamReason());
            break;
        }
        if (!nothingYet(errno)) {
            lose(reasonOfError(errno));
            break;
        }
        if ((events & kHangUpEvents) != 0) {
            lose(hangUpReason(fd_));
            break;
        }
    }
    return got;
}

std::size_t DescriptorChannel::bytesWaiting() {
    if (fd_ < 0 || lineGone())
        return 0;
    const auto waiting = [this]() -> std::optional<std::size_t> {
        int count = 0;
        if (::ioctl(fd_, FIONREAD, &count) == 0)
            return static_cast<std::size_t>(std::max(count, 0));
        // A hung-up terminal refuses even this question.
        if (errno != EINTR)
            lose(reasonOfError(errno));
        return std::nullopt;
    };
    const auto count = waiting();
    if (!count || *count > 0)
        return count.value_or(0);
    // Nothing to read: only poll tells an idle line from a gone one. What came just before the end is
    // still read before the line counts as gone.
    pollfd p{fd_, POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, 0) != 1 || (p.revents & (kHangUpEvents | POLLRDHUP)) == 0)
        return 0;
    if (const auto last = waiting(); !last || *last > 0)
        return last.value_or(0);
    if ((p.revents & kHangUpEvents) != 0)
        lose(hangUpReason(fd_));
    else
        lose(endOfStreamReason());
    return 0;
}

} // namespace rl4
