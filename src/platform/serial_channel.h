#pragma once

#include "platform/descriptor_channel.h"

namespace rl4 {

// A serial device (a COM port adapter, or a pseudo-terminal standing in for one) set to the matrix line:
// 9600 baud, no parity, 8 data bits, 1 stop bit, raw, no flow control of either kind.
class SerialChannel : public DescriptorChannel {
public:
    static constexpr const char* kNoSuchDevice = "no such device";
    static constexpr const char* kNotASerialDevice = "not a serial device";
    // The start of the reason when another program has the line: "in use by process 1234 (routelane4)"
    // (see inUseBy).
    static constexpr const char* kInUse = "in use";

    explicit SerialChannel(LineTimeouts timeouts = {}) : DescriptorChannel(timeouts) {}

    // Opens a device path. False when the device cannot be opened or is no terminal (a regular file, a
    // folder, a pipe, /dev/null), without writing to it; line settings a terminal refuses (a
    // pseudo-terminal has no baud rate) are let pass. The line is taken for this channel alone: a second
    // opener, in this program or another, fails with kInUse until this one closes.
    bool open(const std::string& target) override;
};

} // namespace rl4
