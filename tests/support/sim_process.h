#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace rl4::test {

// A matrixsim program (or another, such as a relay between it and the program) run by a test, with pipes
// on its standard input, output and error. A process still running at destruction is killed.
class SimProcess {
public:
    // Standard input is a pipe, or /dev/null when stdinFromNull.
    explicit SimProcess(const std::vector<std::string>& args, bool stdinFromNull = false);
    // Another program, found on the PATH when it has no '/'.
    SimProcess(const std::string& program, const std::vector<std::string>& args);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // The next line of standard output; empty when none comes within the time.
    std::optional<std::string> readLine(int timeoutMillis = 5000);
    // Reads lines up to "ready" and returns those before it; empty when "ready" never came.
    std::optional<std::vector<std::string>> waitReady();
    void writeLine(const std::string& line);
    // What the program wrote on standard error so far, waiting up to the time for it to contain `part`.
    std::string errorsContaining(const std::string& part, int timeoutMillis = 2000);
    void signal(int number);
    // The exit status; -1 when it did not end within the time or ended by a signal.
    int wait(int timeoutMillis = 5000);

private:
    void start(const std::string& program, const std::vector<std::string>& args, bool stdinFromNull);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    int errors_ = -1;
    std::string outputBuffer_;
    std::string errorText_;
};

} // namespace rl4::test
