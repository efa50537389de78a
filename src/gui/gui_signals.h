#pragma once

#include "platform/termination_signals.h"

#include <QObject>

class QSocketNotifier;

namespace rl4 {

// Emits terminationRequested in the event loop when SIGINT or SIGTERM came (blocked beforehand with
// blockTerminationSignals).
class TerminationWatcher : public QObject {
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void terminationRequested();

private:
    TerminationSignals signals_;
    // Goes before the descriptor it watches is closed.
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace rl4
