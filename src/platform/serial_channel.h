#pragma once

#include "platform/descriptor_channel.h"

namespace rl4 {

// A serial device (a COM port adapter, or a pseudo-terminal standing in for one) set to the matrix line:
// 9600 baud, no parity, 8 data bits, 1 stop bit, raw, no flow control of either kind.
class SerialChannel : public DescriptorChannel {
public:
    explicit SerialChannel(LineTimeouts timeouts = {}) : DescriptorChannel(timeouts) {}

    // Opens a device path. False only when the device cannot be opened; line settings a device refuses
    // (a pseudo-terminal has no baud rate) are let pass.
    bool open(const std::string& target) override;
};

} // namespace rl4
