#pragma once

#include "platform/byte_channel.h"

#include <memory>
#include <string>

namespace rl4 {

// Opens the serial port of a given number ("com" + number). The program's opener goes through the port map;
// tests hand out memory channels.
class PortOpener {
public:
    virtual ~PortOpener() = default;

    // The open channel, or nullptr when the port cannot be opened (unknown target, missing device, refused
    // connection).
    virtual std::unique_ptr<ByteChannel> openPort(int number) = 0;
    // The port map file now maps `number` to `target`, and later opens of that number must reach it. An
    // opener that follows no port map has nothing to change.
    virtual void portMapped(int /*number*/, const std::string& /*target*/) {}
    // The same, for a line that went away and is tried again between two passes of the main loop: the
    // windows must not freeze while a server that is not there keeps us waiting.
    virtual std::unique_ptr<ByteChannel> reopenPort(int number) { return openPort(number); }
    // Why the last port asked for could not be opened, as the channel said it ("no such device", "in use by
    // process 1234 (routelane4)"); empty after a success, or when the opener cannot tell.
    virtual std::string lastFailure() const { return {}; }
};

} // namespace rl4
