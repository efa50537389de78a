#include "sim/paced_writer.h"

#include "sim/monotonic_clock.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace rl4::sim {

namespace {

constexpr std::int64_t kBitsPerByte = 10;

void sleepUntil(std::int64_t nanos) {
    const timespec deadline{static_cast<time_t>(nanos / kNanosPerSecond),
                            static_cast<long>(nanos % kNanosPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

// The descriptor is non-blocking: a reader that stopped reading loses bytes like a real line would,
// instead of stalling the matrix.
bool writeAll(int fd, const std::uint8_t* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t written = write(fd, bytes, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

PacedWriter::PacedWriter(int baud) : baud_(baud) {
#ifdef __linux__
    // The default slack lets a timed sleep end up to 50 us late; at 9600 baud that would be 5 % of a byte.
    if (baud_ > 0) {
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    }
#endif
}

std::int64_t PacedWriter::wireNanos(std::size_t bytes) const {
    if (baud_ == 0) {
        return 0;
    }
    return static_cast<std::int64_t>(bytes) * kBitsPerByte * kNanosPerSecond / baud_;
}

bool PacedWriter::send(int fd, const Bytes& frame, std::int64_t holdNanos) {
    if (fd < 0) {
        return false;
    }
    if (baud_ == 0) {
        if (holdNanos > monotonicNanos()) {
            sleepUntil(holdNanos);
        }
        const bool whole = writeAll(fd, frame.data(), frame.size());
        lineFreeNanos_ = monotonicNanos();
        return whole;
    }
    const std::int64_t start = std::max(lineFreeNanos_, holdNanos);
    for (std::size_t k = 0; k < frame.size(); ++k) {
        sleepUntil(start + wireNanos(k + 1));
        if (!writeAll(fd, &frame[k], 1)) {
            return false;
        }
    }
    lineFreeNanos_ = start + wireNanos(frame.size());
    return true;
}

} // namespace rl4::sim
