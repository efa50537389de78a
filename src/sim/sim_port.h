#pragma once

#include "sim/frame.h"

namespace rl4::sim {

struct PortInput {
    Bytes bytes;
    bool disconnected = false; // the peer went away; a partial frame will not be completed
};

// The matrix's end of the line, waited on by the server's poll loop.
class SimPort {
public:
    virtual ~SimPort() = default;

    // Descriptor to wait on for input.
    virtual int pollFd() const = 0;
    // Descriptor answers go to; -1 while nobody is connected.
    virtual int writeFd() const = 0;
    // Called when pollFd is readable (or reports an error): reads what came, without blocking.
    virtual PortInput receive() = 0;
};

} // namespace rl4::sim
