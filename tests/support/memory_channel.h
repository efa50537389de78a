#pragma once

#include "platform/byte_channel.h"
#include "platform/clock.h"

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace rl4 {

// A channel held in memory, for tests. The far end is played by the test (or by a software matrix attached
// through `onWrite`): bytes handed to deliver() become readable at a given time of the clock, and reads keep
// the line time-outs by moving that clock, so with a FakeClock nothing sleeps.
class MemoryChannel : public ByteChannel {
public:
    explicit MemoryChannel(Clock& clock, LineTimeouts timeouts = {});

    bool open(const std::string& target) override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool writeByte(std::uint8_t byte) override;
    std::size_t read(std::uint8_t* buffer, std::size_t n) override;
    std::size_t bytesWaiting() override;
    bool lineGone() const override { return !goneReason_.empty(); }
    std::string lineGoneReason() const override { return goneReason_; }

    // Far end: the line goes as a pulled cable would. Like a hung-up descriptor, every read then returns
    // nothing at once (the clock moves only the few microseconds of a system call) and writes fail, until
    // the channel is opened again.
    void hangUp(std::string reason = kHungUp) { goneReason_ = std::move(reason); }
    // Calls of read(), to tell a wait that sleeps from one that spins.
    long readCalls = 0;

    // Far end: bytes that arrive `delayMicros` after now, one after the other.
    void deliver(const std::vector<std::uint8_t>& bytes, std::int64_t delayMicros = 0);
    // Far end: every byte written so far, emptied by the call.
    std::vector<std::uint8_t> takeWritten();

    // Called with each byte written; a software matrix answers through deliver().
    std::function<void(std::uint8_t)> onWrite;
    // Makes open() fail, as an absent device would.
    bool refuseOpen = false;

private:
    struct Arrival {
        std::int64_t atMicros;
        std::uint8_t byte;
    };

    Clock& clock_;
    LineTimeouts timeouts_;
    bool open_ = false;
    std::string goneReason_;
    std::deque<Arrival> incoming_;
    std::vector<std::uint8_t> written_;
};

} // namespace rl4
