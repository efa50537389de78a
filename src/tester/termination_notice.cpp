#include "tester/termination_notice.h"

#include <QSocketNotifier>
#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace rl4::tester {

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

TerminationNotice::TerminationNotice(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    const sigset_t termination = terminationSignals();
    fd_ = signalfd(-1, &termination, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readSignals(); });
}

TerminationNotice::~TerminationNotice() {
    notifier_.reset();
    if (fd_ >= 0)
        close(fd_);
}

void TerminationNotice::readSignals() {
    signalfd_siginfo info{};
    bool received = false;
    while (read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        received = true;
    if (received)
        onSignal_();
}

} // namespace rl4::tester
