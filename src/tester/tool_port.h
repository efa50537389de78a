#pragma once

#include "platform/port_map.h"
#include "platform/port_opener.h"

namespace rl4::tester {

// The tool's own port map, beside its settings.
constexpr const char* kPortMapFile = "protocol.ports";

// The line time-outs of the tool: a silent matrix costs each polling pass at most 35 ms for five bytes, and
// a pause of more than 1 ms between two bytes ends the read. A byte takes 1.04 ms at 9600 baud: answers
// that arrive byte by byte (a pseudo-terminal) still come whole because the wait for the next byte runs a
// little over its millisecond; serial drivers hand over a short answer in one piece anyway.
LineTimeouts toolTimeouts();

// Opens the port numbers through protocol.ports, on the tool's time-outs: a device path, or
// "socket://HOST:PORT" for a serial device server.
class ToolPortOpener : public PortOpener {
public:
    explicit ToolPortOpener(PortMap map) : map_(std::move(map)) {}

    std::unique_ptr<ByteChannel> openPort(int number) override;

private:
    PortMap map_;
};

} // namespace rl4::tester
