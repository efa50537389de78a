#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace rl4::tester {

// SIGINT and SIGTERM (a logout, a service stop, Ctrl+C) arrive as events of the Qt event loop, so that the
// program ends as the operator would end it, with its settings written. The signals are blocked in every
// thread (call this at the start of main(), before any thread starts) and read from a signalfd: nothing
// runs in a signal handler.
void blockTerminationSignals();

class TerminationNotice {
public:
    // `onSignal` runs in the event loop, once per batch of signals received.
    explicit TerminationNotice(std::function<void()> onSignal);
    ~TerminationNotice();
    TerminationNotice(const TerminationNotice&) = delete;
    TerminationNotice& operator=(const TerminationNotice&) = delete;

    // False when the system gave no signalfd: the signals then stay blocked and are never acted on.
    bool watching() const { return fd_ >= 0; }

private:
    void readSignals();

    std::function<void()> onSignal_;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace rl4::tester
