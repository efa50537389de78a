#include "platform/open_channel.h"

#include "platform/serial_channel.h"
#include "platform/socket_channel.h"

namespace rl4 {

namespace {

template <typename Channel>
std::unique_ptr<ByteChannel> openAs(std::unique_ptr<Channel> channel, const std::string& target,
                                    std::string* failure) {
    if (channel->open(target))
        return channel;
    if (failure)
        *failure = channel->openFailure();
    return nullptr;
}

} // namespace

std::unique_ptr<ByteChannel> openChannel(const std::string& target, std::string* failure, int connectMs) {
    if (target.rfind(SocketChannel::kScheme, 0) == 0)
        return openAs(std::make_unique<SocketChannel>(SocketChannel::kNetworkTimeouts, connectMs), target,
                      failure);
    return openAs(std::make_unique<SerialChannel>(), target, failure);
}

} // namespace rl4
