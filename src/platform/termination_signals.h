#pragma once

namespace rl4 {

// SIGINT and SIGTERM (a logout, a service stop, Ctrl+C) reach a window program as events of its event loop,
// so that they close it the way the operator does: they are blocked in every thread (call this first in
// main(), before any thread starts) and read from a signalfd; nothing runs in a signal handler.
void blockTerminationSignals();
// In a child process before it runs another program, which should get these signals as usual.
void unblockTerminationSignals();

// The blocked termination signals as a readable descriptor, for the event loop to watch.
class TerminationSignals {
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // -1 when the system gave no signalfd: the signals then stay blocked and are never acted on.
    int fd() const { return fd_; }
    // Reads every signal waiting; true when there was at least one.
    bool take();

private:
    int fd_ = -1;
};

} // namespace rl4
