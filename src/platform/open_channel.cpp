#include "platform/open_channel.h"

#include "platform/serial_channel.h"
#include "platform/socket_channel.h"

namespace rl4 {

std::unique_ptr<ByteChannel> openChannel(const std::string& target) {
    const bool socket = target.rfind(SocketChannel::kScheme, 0) == 0;
    std::unique_ptr<ByteChannel> channel;
    if (socket)
        channel = std::make_unique<SocketChannel>();
    else
        channel = std::make_unique<SerialChannel>();
    if (!channel->open(target))
        return nullptr;
    return channel;
}

} // namespace rl4
