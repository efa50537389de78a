#pragma once

#include <csignal>
#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace rl4::test {

// Another process that takes something (a line, a folder) and keeps it until it is killed, as a second
// program would.
class ChildProcess {
public:
    // Runs `take` in a forked child and waits until it has run; the child then holds on. ready() tells
    // what `take` returned.
    explicit ChildProcess(const std::function<bool()>& take) {
        int pipeFds[2] = {-1, -1};
        if (::pipe(pipeFds) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(pipeFds[0]);
            const char taken = take() ? '1' : '0';
            [[maybe_unused]] const auto written = ::write(pipeFds[1], &taken, 1);
            for (;;)
                ::pause();
        }
        ::close(pipeFds[1]);
        char taken = '0';
        ready_ = pid_ > 0 && ::read(pipeFds[0], &taken, 1) == 1 && taken == '1';
        ::close(pipeFds[0]);
    }
    ~ChildProcess() { kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool ready() const { return ready_; }
    int pid() const { return pid_; }

    // Ends the child as a crash would, without any of its own clean-up.
    void kill() {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    int pid_ = -1;
    bool ready_ = false;
};

} // namespace rl4::test
