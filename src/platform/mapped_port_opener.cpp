#include "platform/mapped_port_opener.h"

#include "platform/open_channel.h"

namespace rl4 {

std::unique_ptr<ByteChannel> MappedPortOpener::openPort(int number) {
    lastFailure_.clear();
    if (number < PortMap::kFirstPort || number > PortMap::kLastPort) {
        lastFailure_ = "no such port number";
        return nullptr;
    }
    return openChannel(map_.target(number), &lastFailure_);
}

} // namespace rl4
