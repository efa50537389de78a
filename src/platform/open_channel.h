#pragma once

#include "platform/byte_channel.h"
#include "platform/socket_channel.h"

#include <memory>
#include <string>

namespace rl4 {

// An open channel on a target: "socket://HOST:PORT" reaches a serial device server, anything else is a
// serial device path. Nothing when it cannot be opened, and then the reason in `failure` when given. A server
// has `connectMs` to accept the connection.
std::unique_ptr<ByteChannel> openChannel(const std::string& target, std::string* failure = nullptr,
                                         int connectMs = SocketChannel::kConnectTimeoutMs);

} // namespace rl4
