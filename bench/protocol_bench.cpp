// Continuous sending of the protocol test tool, measured on a pseudo-terminal: against a matrix that never
// answers, and against matrixsim answering at 9600 baud. Prints messages and answers a second beside what the
// read time-outs and the wire allow.

#include "platform/port_map.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "tester/protocol_tool.h"
#include "tester/tool_port.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace rl4::tester {
namespace {

constexpr double kSeconds = 5.0;
constexpr int kBaud = 9600;
constexpr double kByteSeconds = 10.0 / kBaud;

// Counts what passes through the tool's channel.
class CountingChannel : public ByteChannel {
public:
    explicit CountingChannel(std::unique_ptr<ByteChannel> inner) : inner_(std::move(inner)) {}
    bool open(const std::string& target) override { return inner_->open(target); }
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    bool writeByte(std::uint8_t byte) override {
        ++written;
        return inner_->writeByte(byte);
    }
    std::size_t read(std::uint8_t* buffer, std::size_t n) override {
        const std::size_t got = inner_->read(buffer, n);
        if (got > 0)
            ++(got == n ? wholeReads : partReads);
        return got;
    }
    std::size_t bytesWaiting() override { return inner_->bytesWaiting(); }

    static inline long written = 0;
    static inline long wholeReads = 0;
    static inline long partReads = 0;

private:
    std::unique_ptr<ByteChannel> inner_;
};

class CountingOpener : public PortOpener {
public:
    explicit CountingOpener(PortMap map) : inner_(std::move(map)) {}
    std::unique_ptr<ByteChannel> openPort(int number) override {
        auto channel = inner_.openPort(number);
        return channel ? std::make_unique<CountingChannel>(std::move(channel)) : nullptr;
    }

private:
    ToolPortOpener inner_;
};

class SilentPrompt : public ToolPrompt {
public:
    void messageBox(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
    int choiceBox(const std::string&, int) override { return 5; }
};

void run(const char* what, const std::string& target, const char* allowed) {
    test::TempFolder folder;
    writeTextLines(folder.path(kPortMapFile), {"2=" + target});
    CountingOpener opener(PortMap::load(folder.path(), kPortMapFile));
    SystemClock clock;
    SilentPrompt prompt;
    ProtocolTool tool(folder.path(), opener, clock, prompt);
    tool.ReadToolSettings();
    tool.frm1_Load();
    tool.OpenPort();
    CountingChannel::written = CountingChannel::wholeReads = CountingChannel::partReads = 0;
    tool.cmdsendsalve_Click();
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    while (elapsed < kSeconds) {
        std::this_thread::sleep_for(std::chrono::milliseconds(tool.pollPass()));
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    tool.frm1_Close();
    std::printf("%-24s messages %6.1f/s  whole answers %6.1f/s  partial reads %5.1f/s  (%s)\n", what,
                CountingChannel::written / 5.0 / elapsed, CountingChannel::wholeReads / elapsed,
                CountingChannel::partReads / elapsed, allowed);
}

} // namespace
} // namespace rl4::tester

int main() {
    using namespace rl4::tester;
    const double readTimeout = toolTimeouts().readTotal(ProtocolTool::kReplySize) / 1000.0;

    // A silent matrix: a pseudo-terminal whose far end only drains what it gets.
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    std::atomic<bool> stop = false;
    std::thread drain([&] {
        char sink[256];
        while (!stop) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 50) > 0 && read(master, sink, sizeof sink) <= 0)
                break;
        }
    });
    char silentLimit[64];
    std::snprintf(silentLimit, sizeof silentLimit, "the read time-out allows %.1f/s", 1.0 / readTimeout);
    run("silent matrix", ptsname(master), silentLimit);
    stop = true;
    drain.join();
    close(master);

    rl4::test::TempFolder simFolder;
    const std::string pty = simFolder.path("matrix");
    rl4::test::SimProcess sim({"--pty", pty, "--baud", std::to_string(kBaud)});
    if (!sim.waitReady()) {
        std::fprintf(stderr, "matrixsim did not start\n");
        return 1;
    }
    char wireLimit[96];
    std::snprintf(wireLimit, sizeof wireLimit,
                  "the wire allows %.0f/s each way, %.0f/s one exchange at a time", 1.0 / (5 * kByteSeconds),
                  1.0 / (2 * 5 * kByteSeconds));
    run("matrixsim at 9600 baud", pty, wireLimit);
    return 0;
}
