#include "sim/signal_pipe.h"

#include "sim/posix_calls.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace rl4::sim {

namespace {

// The one value a signal handler can reach: the write end of the installed pipe.
volatile std::sig_atomic_t signalWriteFd = -1;

extern "C" void onSignal(int) {
    const int savedErrno = errno;
    const char mark = 1;
    [[maybe_unused]] const ssize_t written = write(signalWriteFd, &mark, 1);
    errno = savedErrno;
}

} // namespace

SignalPipe::~SignalPipe() {
    if (writeFd_ < 0) {
        return;
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    signalWriteFd = -1;
    close(readFd_);
    close(writeFd_);
}

std::string SignalPipe::install() {
    int fds[2];
    if (pipe(fds) != 0) {
        return std::string("cannot create the signal pipe: ") + std::strerror(errno);
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    if (!makeNonBlocking(readFd_) || !makeNonBlocking(writeFd_)) {
        return std::string("cannot set up the signal pipe: ") + std::strerror(errno);
    }
    signalWriteFd = writeFd_;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (sigaction(SIGINT, &action, nullptr) != 0 || sigaction(SIGTERM, &action, nullptr) != 0 ||
        sigaction(SIGPIPE, &ignore, nullptr) != 0) {
        return std::string("cannot install the signal handlers: ") + std::strerror(errno);
    }
    return {};
}

} // namespace rl4::sim
