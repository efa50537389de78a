#include "platform/open_channel.h"

#include "platform/serial_channel.h"
#include "platform/socket_channel.h"

namespace rl4 {

namespace {

template <typename Channel>
std::unique_ptr<ByteChannel> openAs(const std::string& target, std::string* failure) {
    auto channel = std::make_unique<Channel>();
    if (channel->open(target))
        return channel;
    if (failure)
        *failure = channel->openFailure();
    return nullptr;
}

} // namespace

std::unique_ptr<ByteChannel> openChannel(const std::string& target, std::string* failure) {
    if (target.rfind(SocketChannel::kScheme, 0) == 0)
        return openAs<SocketChannel>(target, failure);
    return openAs<SerialChannel>(target, failure);
}

} // namespace rl4
