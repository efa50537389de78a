#include "platform/mapped_port_opener.h"

#include "platform/open_channel.h"

namespace rl4 {

std::unique_ptr<ByteChannel> MappedPortOpener::openPort(int number) {
    if (number < PortMap::kFirstPort || number > PortMap::kLastPort)
        return nullptr;
    return openChannel(map_.target(number));
}

} // namespace rl4
