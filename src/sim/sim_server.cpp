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

SimServer::SimServer(MatrixCore& core, SimPort& port, PacedWriter& writer, FrameLog& log, int signalFd,
                     const FaultOptions& faults, std::uint32_t seed)
    : core_(core), port_(port), writer_(writer), log_(log), signalFd_(signalFd), faults_(faults, seed) {
    core_.setRefusals([this] { return faults_.refuseNext(); });
}

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
    } else if (const auto* plugCommand = std::get_if<PlugCommand>(&command)) {
        plug(plugCommand->plugIn);
    } else if (const auto* faults = std::get_if<FaultsCommand>(&command)) {
        faults_.setActive(faults->on);
    } else if (std::holds_alternative<StateCommand>(command)) {
        printState();
    } else if (std::holds_alternative<QuitCommand>(command)) {
        quit_ = true;
    } else if (const auto* bad = std::get_if<BadCommand>(&command)) {
        std::cerr << "matrixsim: " << bad->message << '\n';
    }
}

void SimServer::printState() {
    for (Layer layer : kLayers) {
        const LayerRouting& routing = core_.state().layer(layer);
        if (!routing.present()) {
            continue;
        }
        std::cout << switchLetter(layer);
        for (int output = 1; output <= routing.size().outputs; ++output) {
            std::cout << ' ' << routing.inputOn(output).value_or(0);
        }
        std::cout << '\n';
    }
    std::cout << std::flush;
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
    if (!port_.plugged()) {
        std::cerr << "matrixsim: the line is unplugged, " << hexText(event.bytes) << " not sent\n";
        return;
    }
    if (port_.writeFd() < 0) {
        std::cerr << "matrixsim: no client connected, " << hexText(event.bytes) << " not sent\n";
        return;
    }
    const std::int64_t hold = (event.requestLength == 0 ? monotonicNanos()
                                                        : event.requestStartMicros * kNanosPerMicro +
                                                              writer_.wireNanos(event.requestLength)) +
                              std::int64_t{faults_.delayMillis()} * kNanosPerMilli;
    const FaultedFrame frame = faults_.pass(event.bytes);
    if (frame.dropped || write(frame, hold)) {
        log_.write(logLine(frame));
    } else {
        std::cerr << "matrixsim: the line is not being read, " << hexText(frame.bytes) << " lost\n";
    }
}

// The loop waits through the pause of a split frame, as it waits through the pacing: the matrix is busy
// sending.
bool SimServer::write(const FaultedFrame& frame, std::int64_t holdNanos) {
    const int fd = port_.writeFd();
    if (frame.splitAt == 0) {
        return writer_.send(fd, frame.bytes, holdNanos);
    }
    const auto cut = frame.bytes.begin() + static_cast<std::ptrdiff_t>(frame.splitAt);
    return writer_.send(fd, Bytes(frame.bytes.begin(), cut), holdNanos) &&
           writer_.send(fd, Bytes(cut, frame.bytes.end()),
                        writer_.lineFreeNanos() + std::int64_t{LineFaults::kSplitGapMillis} * kNanosPerMilli);
}

// Standard output tells a client (or a test) when the line has gone and when it is back, with the same
// lines as at start.
void SimServer::plug(bool plugIn) {
    if (!plugIn && port_.plugged()) {
        handle(core_.disconnect());
    }
    if (const std::string error = plugIn ? port_.replug() : port_.unplug(); !error.empty()) {
        std::cerr << "matrixsim: " << error << '\n';
        return;
    }
    if (!plugIn) {
        std::cout << "unplugged" << std::endl;
        return;
    }
    if (const std::string announcement = port_.announcement(); !announcement.empty()) {
        std::cout << announcement << '\n';
    }
    std::cout << "ready" << std::endl;
}

} // namespace rl4::sim
