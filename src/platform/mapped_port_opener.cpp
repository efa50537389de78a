#include "platform/mapped_port_opener.h"

#include "platform/open_channel.h"
#include "platform/socket_channel.h"

namespace rl4 {

std::unique_ptr<ByteChannel> MappedPortOpener::openPort(int number) {
    lastFailure_.clear();
    if (number < PortMap::kFirstPort || number > PortMap::kLastPort) {
        lastFailure_ = "no such port number";
        return nullptr;
    }
    return openChannel(map_.target(number), &lastFailure_);
}

std::unique_ptr<ByteChannel> MappedPortOpener::reopenPort(int number) {
    lastFailure_.clear();
    if (number < PortMap::kFirstPort || number > PortMap::kLastPort) {
        lastFailure_ = "no such port number";
        return nullptr;
    }
    return openChannel(map_.target(number), &lastFailure_, SocketChannel::kRetryConnectTimeoutMs);
}

} // namespace rl4
