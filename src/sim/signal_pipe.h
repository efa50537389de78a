#pragma once

#include <string>

namespace rl4::sim {

// Turns SIGINT and SIGTERM into a readable descriptor, so that the poll loop ends cleanly between two
// frames. Also ignores SIGPIPE: a TCP client that leaves mid-answer is seen by the next read.
class SignalPipe {
public:
    SignalPipe() = default;
    ~SignalPipe();
    SignalPipe(const SignalPipe&) = delete;
    SignalPipe& operator=(const SignalPipe&) = delete;

    // Only one SignalPipe may be installed at a time. Returns an error text on failure.
    std::string install();
    // Readable once a signal has come.
    int readFd() const { return readFd_; }

private:
    int readFd_ = -1;
    int writeFd_ = -1;
};

} // namespace rl4::sim
