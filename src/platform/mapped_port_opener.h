#pragma once

#include "platform/port_map.h"
#include "platform/port_opener.h"

namespace rl4 {

// The program's port opener: port numbers reach their targets through the port map.
class MappedPortOpener : public PortOpener {
public:
    explicit MappedPortOpener(PortMap map) : map_(std::move(map)) {}

    // Nothing for numbers outside PortMap::kFirstPort..kLastPort, or when the target cannot be opened.
    std::unique_ptr<ByteChannel> openPort(int number) override;
    void portMapped(int number, const std::string& target) override { map_.set(number, target); }
    // A serial device server gets SocketChannel::kRetryConnectTimeoutMs to accept the connection.
    std::unique_ptr<ByteChannel> reopenPort(int number) override;

    PortMap& map() { return map_; }
    std::string lastFailure() const override { return lastFailure_; }

private:
    PortMap map_;
    std::string lastFailure_;
};

} // namespace rl4
