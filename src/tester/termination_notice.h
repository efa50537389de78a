#pragma once

#include "platform/termination_signals.h"

#include <functional>
#include <memory>

class QSocketNotifier;

namespace rl4::tester {

using rl4::blockTerminationSignals;

// SIGINT and SIGTERM arrive as events of the Qt event loop, so that the program ends as the operator would
// end it, with its settings written (the signals blocked beforehand with blockTerminationSignals).
class TerminationNotice {
public:
    // `onSignal` runs in the event loop, once per batch of signals received.
    explicit TerminationNotice(std::function<void()> onSignal);
    ~TerminationNotice();
    TerminationNotice(const TerminationNotice&) = delete;
    TerminationNotice& operator=(const TerminationNotice&) = delete;

    // False when the system gave no signalfd: the signals then stay blocked and are never acted on.
    bool watching() const { return signals_.fd() >= 0; }

private:
    std::function<void()> onSignal_;
    TerminationSignals signals_;
    // Goes before the descriptor it watches is closed.
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace rl4::tester
