#pragma once

#include "platform/other_process.h"
#include "platform/port_opener.h"
#include "support/memory_channel.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace rl4::test {

// A port opener for tests: every port number has its own MemoryChannel, made on first use and kept for the
// opener's life, so a test can talk to a port before, while and after the link holds it. The link receives a
// handle that forwards to that channel and closes it when the link lets it go; bytes that were delivered
// but not read stay queued across a close and a reopen.
class MemoryPortOpener : public PortOpener {
public:
    explicit MemoryPortOpener(Clock& clock, LineTimeouts timeouts = {})
        : clock_(clock), timeouts_(timeouts) {}

    std::unique_ptr<ByteChannel> openPort(int number) override;

    // The channel of a port (made, and handed to `prepare`, on first use).
    MemoryChannel& channel(int number);
    // The port cannot be opened from now on, as an absent device.
    void refuse(int number) { channel(number).refuseOpen = true; }
    // Another program holds the port from now on: opens fail as the serial channel's do then.
    void holdElsewhere(int number, const OtherProcess& holder) { heldElsewhere_[number] = inUseBy(holder); }
    std::string lastFailure() const override { return lastFailure_; }

    // Called once for each channel as it is made: the place to attach a responder (MemoryChannel::onWrite)
    // or a refusal to chosen ports, for instance for a search over several ports.
    std::function<void(int number, MemoryChannel& channel)> prepare;

    // Every port number asked for, in order, whether or not the open succeeded.
    std::vector<int> requests;

private:
    struct Port {
        std::unique_ptr<MemoryChannel> channel;
        // Counts the handles given out, so that only the newest one closes the channel.
        int handles = 0;
    };
    class Handle;

    Clock& clock_;
    LineTimeouts timeouts_;
    std::map<int, Port> ports_;
    std::map<int, std::string> heldElsewhere_;
    std::string lastFailure_;
};

} // namespace rl4::test
