#include "sim/sim_server.h"

#include "sim/console_command.h"
#include "sim/monotonic_clock.h"

#include <array>
#include <cerrno>
#include <iostream>
#include <poll.h>
#include <unistd.h>

namespace rl4::sim {

namespace {

constexpr std::size_t kConsoleChunk = 512;
constexpr std::size_t kMaxLineLength = 1024;
constexpr short kReadable = POLLIN | POLLHUP | POLLERR | POLLNVAL;

std::int64_t nowMicros() {
    return monotonicNanos() / kNanosPerMicro;
}

} // namespace

bool SimServer::run() {
    while (!quit_) {
        std::array<pollfd, 3> fds{{{signalFd_, POLLIN, 0}, {port_.pollFd(), POLLIN, 0}, {-1, POLLIN, 0}}};
        if (consoleOpen_) {
            fds[2].fd = STDIN_FILENO;
        }
        if (poll(fds.data(), fds.size(), pollTimeoutMillis()) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::cerr << "matrixsim: poll failed, stopping\n";
            return false;
        }
        if (fds[1].revents & kReadable) {
            readPort();
        }
        if (fds[2].revents & kReadable) {
            readConsole();
        }
        if (fds[0].revents & POLLIN) {
            quit_ = true;
        }
        handle(core_.expire(nowMicros()));
    }
    return true;
}

int SimServer::pollTimeoutMillis() const {
    const std::optional<std::int64_t> deadline = core_.staleDeadline();
    if (!deadline) {
        return -1;
    }
    const std::int64_t left = *deadline - nowMicros();
    return left <= 0 ? 0 : static_cast<int>((left + 999) / 1000);
}

void SimServer::readPort() {
    // Taken before the read: the arrival of a request's first byte starts its wire time.
    const std::int64_t arrival = nowMicros();
    const PortInput input = port_.receive();
    if (input.disconnected) {
        handle(core_.disconnect());
    }
    if (!input.bytes.empty()) {
        handle(core_.feed(input.bytes, arrival));
    }
}

void SimServer::readConsole() {
    std::array<char, kConsoleChunk> buffer{};
    const ssize_t count = read(STDIN_FILENO, buffer.data(), buffer.size());
    if (count < 0 && errno == EINTR) {
        return;
    }
    if (count <= 0) {
        // End of input does not end the matrix: it may run in the background with nothing on stdin.
        consoleOpen_ = false;
        return;
    }
    for (char c : std::string_view(buffer.data(), static_cast<std::size_t>(count))) {
        if (c == '\n') {
            if (!skippingLongLine_) {
                runCommand(console_);
            }
            console_.clear();
            skippingLongLine_ = false;
        } else if (!skippingLongLine_ && console_.size() == kMaxLineLength) {
            std::cerr << "matrixsim: input line longer than " << kMaxLineLength << " characters ignored\n";
            console_.clear();
            skippingLongLine_ = true;
        } else if (!skippingLongLine_) {
            console_ += c;
        }
    }
}

void SimServer::runCommand(const std::string& line) {
    const ConsoleCommand command = parseConsoleCommand(line);
    if (const auto* panel = std::get_if<PanelCommand>(&command)) {
        auto result = core_.panelSwitch(panel->layer, panel->output, panel->input);
        if (const auto* error = std::get_if<std::string>(&result)) {
            std::cerr << "matrixsim: panel: " << *error << '\n';
        } else {
            send(std::get<SimEvent>(result));
        }
    } else if (const auto* onLine = std::get_if<OnLineCommand>(&command)) {
        send(core_.setOnLine(onLine->onLine));
    } else if (std::holds_alternative<QuitCommand>(command)) {
        quit_ = true;
    } else if (const auto* bad = std::get_if<BadCommand>(&command)) {
        std::cerr << "matrixsim: " << bad->message << '\n';
    }
}

void SimServer::handle(const std::vector<SimEvent>& events) {
    for (const SimEvent& event : events) {
        if (event.kind == SimEvent::Kind::Sent) {
            send(event);
        } else {
            log_.record(event);
        }
    }
}

void SimServer::send(const SimEvent& event) {
    const std::int64_t hold = event.requestLength == 0 ? monotonicNanos()
                                                       : event.requestStartMicros * kNanosPerMicro +
                                                             writer_.wireNanos(event.requestLength);
    if (writer_.send(port_.writeFd(), event.bytes, hold)) {
        log_.record(event);
    } else if (port_.writeFd() < 0) {
        std::cerr << "matrixsim: no client connected, " << hexText(event.bytes) << " not sent\n";
    } else {
        std::cerr << "matrixsim: the line is not being read, " << hexText(event.bytes) << " lost\n";
    }
}

} // namespace rl4::sim
