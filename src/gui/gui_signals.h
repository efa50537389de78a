#pragma once

#include <QObject>

class QSocketNotifier;

namespace rl4 {

// SIGINT and SIGTERM reach the program as events of its event loop, so that they close it the way the
// operator does: they are blocked in every thread (call this first in main(), before any thread starts)
// and read from a signalfd.
void blockTerminationSignals();
// In a child process before it runs another program, which should get these signals as usual.
void unblockTerminationSignals();

class TerminationWatcher : public QObject {
    Q_OBJECT

public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void terminationRequested();

private:
    void readSignal();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace rl4
