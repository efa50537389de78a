#include "tester/tool_port.h"

#include "platform/serial_channel.h"
#include "platform/socket_channel.h"

namespace rl4::tester {

LineTimeouts toolTimeouts() {
    LineTimeouts timeouts;
    timeouts.readInterval = 5;
    timeouts.readTotalMultiplier = 1;
    timeouts.readTotalConstant = 30;
    timeouts.writeTotalMultiplier = 1;
    timeouts.writeTotalConstant = 30;
    return timeouts;
}

std::unique_ptr<ByteChannel> ToolPortOpener::openPort(int number) {
    lastFailure_.clear();
    const std::string target = map_.target(number);
    if (target.empty())
        return nullptr;
    std::unique_ptr<DescriptorChannel> channel;
    if (target.rfind(SocketChannel::kScheme, 0) == 0)
        channel = std::make_unique<SocketChannel>(toolTimeouts());
    else
        channel = std::make_unique<SerialChannel>(toolTimeouts());
    if (!channel->open(target)) {
        lastFailure_ = channel->openFailure();
        return nullptr;
    }
    return channel;
}

} // namespace rl4::tester
