#pragma once

#include "platform/port_map.h"
#include "platform/port_opener.h"

namespace rl4::tester {

// The tool's own port map, beside its settings.
constexpr const char* kPortMapFile = "protocol.ports";

// The line time-outs of the tool: a silent matrix costs each polling pass at most 35 ms for five bytes. A
// pause between two bytes of an answer ends the read once it passes 5 ms: a byte takes 1.04 ms at 9600
// baud, and a line that hands the bytes over one by one (a pseudo-terminal, some adapters and device
// servers) would have a shorter limit cut answers in two whenever the far end runs a little late.
LineTimeouts toolTimeouts();

// Opens the port numbers through protocol.ports, on the tool's time-outs: a device path, or
// "socket://HOST:PORT" for a serial device server.
class ToolPortOpener : public PortOpener {
public:
    explicit ToolPortOpener(PortMap map) : map_(std::move(map)) {}

    std::unique_ptr<ByteChannel> openPort(int number) override;
    std::string lastFailure() const override { return lastFailure_; }

private:
    PortMap map_;
    std::string lastFailure_;
};

} // namespace rl4::tester
