#include "platform/termination_signals.h"

#include <csignal>
#include <pthread.h>
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

TerminationSignals::TerminationSignals() {
    const sigset_t termination = terminationSignals();
    fd_ = signalfd(-1, &termination, SFD_NONBLOCK | SFD_CLOEXEC);
}

TerminationSignals::~TerminationSignals() {
    if (fd_ >= 0)
        close(fd_);
}

bool TerminationSignals::take() {
    signalfd_siginfo info{};
    bool received = false;
    while (fd_ >= 0 && read(fd_, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        received = true;
    return received;
}

} // namespace rl4
