#include "gui/gui_signals.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace rl4 {

namespace {

sigset_t terminationSignals() {
    sigset_t termination;
    sigemptyset(&termination);
    sigaddset(&termination, SIGINT);
    sigaddset(&termination, SIGTERM);
    return termination;
}

} // namespace

void blockTerminationSignals() {
    const sigset_t termination = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &termination, nullptr);
}

void unblockTerminationSignals() {
    const sigset_t termination = terminationSignals();
    pthread_sigmask(SIG_UNBLOCK, &termination, nullptr);
}

TerminationWatcher::TerminationWatcher(QObject* parent) : QObject(parent) {
    const sigset_t termination = terminationSignals();
    fd_ = signalfd(-1, &termination, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationWatcher::readSignal);
}

TerminationWatcher::~TerminationWatcher() {
    delete notifier_;
    if (fd_ >= 0)
        close(fd_);
}

void TerminationWatcher::readSignal() {
    signalfd_siginfo info{};
    bool received = false;
    while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        received = true;
    if (received)
        emit terminationRequested();
}

} // namespace rl4
