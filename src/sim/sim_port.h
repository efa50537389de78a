#pragma once

#include "sim/frame.h"

#include <string>

namespace rl4::sim {

struct PortInput {
    Bytes bytes;
    bool disconnected = false; // the peer went away; a partial frame will not be completed
};

// The matrix's end of the line, waited on by the server's poll loop.
class SimPort {
public:
    virtual ~SimPort() = default;

    // Descriptor to wait on for input; -1 while unplugged.
    virtual int pollFd() const = 0;
    // Descriptor answers go to; -1 while nobody is connected or the line is unplugged.
    virtual int writeFd() const = 0;
    // Called when pollFd is readable (or reports an error): reads what came, without blocking.
    virtual PortInput receive() = 0;

    // Takes the line away as a pulled cable would: the client is hung up on and nobody can reach the matrix
    // until replug. Both return an error text, empty on success.
    virtual std::string unplug() = 0;
    virtual std::string replug() = 0;
    virtual bool plugged() const = 0;
    // What a client needs to find the line, printed on standard output whenever it is plugged in: the
    // device of an unnamed pseudo-terminal, the port the system picked. Empty when the client knows.
    virtual std::string announcement() const = 0;
};

} // namespace rl4::sim
