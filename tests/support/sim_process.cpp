#include "support/sim_process.h"

#include <algorithm>
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

// Appends what `fd` brings to `text` until `done(text)` holds or the time is over; false on the time-out or
// the end of the stream.
template <typename Done>
bool readUntil(int fd, std::string& text, int timeoutMillis, Done done) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (!done(text)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd p{fd, POLLIN, 0};
        char chunk[512];
        ssize_t count = 0;
        if (::poll(&p, 1, std::max(0, static_cast<int>(left.count()))) <= 0 ||
            (count = ::read(fd, chunk, sizeof chunk)) <= 0)
            return false;
        text.append(chunk, static_cast<std::size_t>(count));
    }
    return true;
}

} // namespace

SimProcess::SimProcess(const std::vector<std::string>& args, bool stdinFromNull) {
    start(RL4_MATRIXSIM, args, stdinFromNull);
}

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& args) {
    start(program, args, false);
}

void SimProcess::start(const std::string& program, const std::vector<std::string>& args, bool stdinFromNull) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        dup2(stdinFromNull ? open("/dev/null", O_RDONLY) : in[0], STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
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
    for (int fd : {input_, output_, errors_})
        if (fd >= 0)
            close(fd);
}

std::optional<std::string> SimProcess::readLine(int timeoutMillis) {
    const auto hasLine = [](const std::string& text) { return text.find('\n') != std::string::npos; };
    if (!readUntil(output_, outputBuffer_, timeoutMillis, hasLine))
        return std::nullopt;
    const std::size_t end = outputBuffer_.find('\n');
    std::string line = outputBuffer_.substr(0, end);
    outputBuffer_.erase(0, end + 1);
    return line;
}

std::optional<std::vector<std::string>> SimProcess::waitReady() {
    std::vector<std::string> before;
    while (std::optional<std::string> line = readLine()) {
        if (*line == "ready")
            return before;
        before.push_back(*line);
    }
    return std::nullopt;
}

void SimProcess::writeLine(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t written = write(input_, text.data(), text.size());
}

std::string SimProcess::errorsContaining(const std::string& part, int timeoutMillis) {
    readUntil(errors_, errorText_, timeoutMillis,
              [&part](const std::string& text) { return text.find(part) != std::string::npos; });
    return errorText_;
}

void SimProcess::signal(int number) {
    if (pid_ > 0)
        kill(pid_, number);
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
        if (done < 0 || Clock::now() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

} // namespace rl4::test
