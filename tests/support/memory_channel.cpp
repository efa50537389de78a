#include "support/memory_channel.h"

#include <algorithm>
#include <utility>

namespace rl4 {

constexpr std::int64_t kSystemCallMicros = 5;

MemoryChannel::MemoryChannel(Clock& clock, LineTimeouts timeouts) : clock_(clock), timeouts_(timeouts) {}

bool MemoryChannel::open(const std::string& /*target*/) {
    if (refuseOpen)
        return false;
    open_ = true;
    goneReason_.clear();
    return true;
}

void MemoryChannel::close() {
    open_ = false;
    goneReason_.clear();
}

bool MemoryChannel::writeByte(std::uint8_t byte) {
    if (!open_ || lineGone())
        return false;
    written_.push_back(byte);
    if (onWrite)
        onWrite(byte);
    return true;
}

std::size_t MemoryChannel::read(std::uint8_t* buffer, std::size_t n) {
    ++readCalls;
    if (lineGone()) {
        clock_.waitUntil(clock_.nowMicros() + kSystemCallMicros);
        return 0;
    }
    if (!open_ || n == 0)
        return 0;
    const std::int64_t totalDeadline = clock_.nowMicros() + std::int64_t{timeouts_.readTotal(n)} * 1000;
    std::size_t got = 0;
    while (got < n) {
        std::int64_t deadline = totalDeadline;
        if (got > 0)
            deadline = std::min(deadline, clock_.nowMicros() + std::int64_t{timeouts_.readInterval} * 1000);
        if (incoming_.empty() || incoming_.front().atMicros > deadline) {
            clock_.waitUntil(deadline);
            break;
        }
        clock_.waitUntil(incoming_.front().atMicros);
        buffer[got++] = incoming_.front().byte;
        incoming_.pop_front();
    }
    return got;
}

std::size_t MemoryChannel::bytesWaiting() {
    if (lineGone())
        return 0;
    const std::int64_t now = clock_.nowMicros();
    return static_cast<std::size_t>(std::count_if(incoming_.begin(), incoming_.end(),
                                                  [now](const Arrival& a) { return a.atMicros <= now; }));
}

void MemoryChannel::deliver(const std::vector<std::uint8_t>& bytes, std::int64_t delayMicros) {
    std::int64_t at = clock_.nowMicros() + delayMicros;
    if (!incoming_.empty())
        at = std::max(at, incoming_.back().atMicros);
    for (std::uint8_t b : bytes)
        incoming_.push_back({at, b});
}

std::vector<std::uint8_t> MemoryChannel::takeWritten() {
    return std::exchange(written_, {});
}

} // namespace rl4
