#include "support/sim_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace rl4::test {

namespace {

using Clock = std::chrono::steady_clock;

int millisLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

} // namespace

SimProcess::SimProcess(const std::vector<std::string>& args, bool stdinFromNull) {
    start(RL4_MATRIXSIM, args, stdinFromNull);
}

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& args) {
    start(program, args, false);
}

void SimProcess::start(const std::string& program, const std::vector<std::string>& args, bool stdinFromNull) {
    int in[2];
    int out[2];
    int err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        const int stdinSource = stdinFromNull ? open("/dev/null", O_RDONLY) : in[0];
        dup2(stdinSource, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) {
            close(fd);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execvp(program.c_str(), argv.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    input_ = in[1];
    output_ = out[0];
    errors_ = err[0];
    fcntl(errors_, F_SETFL, fcntl(errors_, F_GETFL) | O_NONBLOCK);
}

SimProcess::~SimProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {input_, output_, errors_}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

std::optional<std::string> SimProcess::readLine(int timeoutMillis) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMillis);
    for (;;) {
        const std::size_t end = outputBuffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = outputBuffer_.substr(0, end);
            outputBuffer_.erase(0, end + 1);
            return line;
        }
        pollfd fd{output_, POLLIN, 0};
        if (poll(&fd, 1, millisLeft(deadline)) <= 0) {
            return std::nullopt;
        }
        char chunk[256];
        const ssize_t count = read(output_, chunk, sizeof chunk);
        if (count <= 0) {
            return std::nullopt;
        }
        outputBuffer_.append(chunk, static_cast<std::size_t>(count));
    }
}

std::optional<std::vector<std::string>> SimProcess::waitReady() {
    std::vector<std::string> before;
    while (std::optional<std::string> line = readLine()) {
        if (*line == "ready") {
            return before;
        }
        before.push_back(*line);
    }
    return std::nullopt;
}

void SimProcess::writeLine(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t written = write(input_, text.data(), text.size());
}

std::string SimProcess::errorsContaining(const std::string& part, int timeoutMillis) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (errorText_.find(part) == std::string::npos) {
        pollfd fd{errors_, POLLIN, 0};
        if (poll(&fd, 1, millisLeft(deadline)) <= 0) {
            break;
        }
        char chunk[512];
        const ssize_t count = read(errors_, chunk, sizeof chunk);
        if (count <= 0) {
            break;
        }
        errorText_.append(chunk, static_cast<std::size_t>(count));
    }
    return errorText_;
}

void SimProcess::signal(int number) {
    if (pid_ > 0) {
        kill(pid_, number);
    }
}

int SimProcess::wait(int timeoutMillis) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (pid_ > 0) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        if (done < 0 || Clock::now() > deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

} // namespace rl4::test
