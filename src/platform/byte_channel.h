#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace rl4 {

// Time-outs of the matrix line, in milliseconds. A read of n bytes returns after at most
// readTotalConstant + n * readTotalMultiplier ms, or sooner when more than readInterval ms pass after a
// received byte without another; a write of n bytes gives up after writeTotalConstant + n *
// writeTotalMultiplier.
struct LineTimeouts {
    int readInterval = 30;
    int readTotalMultiplier = 1;
    int readTotalConstant = 50;
    int writeTotalMultiplier = 1;
    int writeTotalConstant = 30;

    int readTotal(std::size_t n) const {
        return readTotalConstant + static_cast<int>(n) * readTotalMultiplier;
    }
    int writeTotal(std::size_t n) const {
        return writeTotalConstant + static_cast<int>(n) * writeTotalMultiplier;
    }
};

// One bidirectional byte stream to the matrix: a serial port, a TCP serial device server, or memory.
// No operation throws; failures show in the results.
class ByteChannel {
public:
    virtual ~ByteChannel() = default;

    // Opens the channel on a target (a device path, "socket://host:port", ...). False when it cannot be
    // opened.
    virtual bool open(const std::string& target) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Writes one byte within the write time-out. False when it could not be written.
    virtual bool writeByte(std::uint8_t byte) = 0;

    // Reads up to n bytes into buffer within the read time-outs and returns how many arrived. Bytes that did
    // not arrive are left as they were: callers preset the buffer to 0xFF.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t n) = 0;

    // Number of bytes that can be read at once, without blocking.
    virtual std::size_t bytesWaiting() = 0;

    // Why a line goes away, in words for the operator; other causes are given in the system's words.
    static constexpr const char* kHungUp = "line hung up";
    static constexpr const char* kDeviceRemoved = "device removed";
    static constexpr const char* kClosedByPeer = "connection closed by the other end";
    static constexpr const char* kConnectionReset = "connection reset";

    // True once the far end has gone (a line hung up, an adapter unplugged, a server that closed or reset
    // the connection), as seen by read, writeByte or bytesWaiting. Until the channel is closed or opened
    // again, reads then return nothing at once and writes fail at once, so that nobody waits on a dead line.
    virtual bool lineGone() const { return false; }
    // Why the line has gone (kHungUp, ...); empty while it is there.
    virtual std::string lineGoneReason() const { return {}; }
};

} // namespace rl4
