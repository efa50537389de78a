#pragma once

#include "sim/frame.h"

#include <cstddef>
#include <cstdint>

namespace rl4::sim {

// Writes frames at the pace of a serial line of the given baud rate, 10 bits a byte. Each byte is handed
// over at the moment its stop bit would have left a real line; the moments are absolute deadlines, so
// that late wake-ups do not add up over a frame. A baud rate of 0 writes each frame whole, as soon as its
// hold time has come.
class PacedWriter {
public:
    explicit PacedWriter(int baud);

    std::int64_t wireNanos(std::size_t bytes) const;

    // Writes the frame, its transmission starting no earlier than holdNanos (monotonic clock) and not
    // before the previous frame has left. False when it could not be written whole: nobody connected, or
    // the reader does not keep up.
    bool send(int fd, const Bytes& frame, std::int64_t holdNanos);
    // When the last byte written so far left the line (monotonic clock).
    std::int64_t lineFreeNanos() const { return lineFreeNanos_; }

private:
    int baud_;
    std::int64_t lineFreeNanos_ = 0;
};

} // namespace rl4::sim
