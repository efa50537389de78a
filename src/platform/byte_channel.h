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
};

} // namespace rl4
