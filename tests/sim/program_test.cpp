#include "sim/frame.h"
#include "sim/line_faults.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <arpa/inet.h>
#include <bit>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace rl4::sim::test {
namespace {

using rl4::test::SimProcess;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;
namespace fs = std::filesystem;

const Bytes kSwitchFive{0x02, 0x56, 0x03, 0x01, 0x03};
const Bytes kSwitchFour{0x01, 0x81, 0x83, 0x81};
const Bytes kAnswerFour{0x41, 0x81, 0x83, 0x81};
const Bytes kReadFive{0x02, 'v', 0x03, 0x00, 0x03};

// Whether the program's standard error says `part` within its time.
bool told(SimProcess& program, const std::string& part) {
    return program.errorsContaining(part).find(part) != std::string::npos;
}

// The program's end of the line in the tests: a raw pseudo-terminal device or a TCP connection.
class LineClient {
public:
    static LineClient openDevice(const std::string& path) {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        termios settings{};
        if (fd >= 0 && ::tcgetattr(fd, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(fd, TCSANOW, &settings);
        }
        return LineClient(fd);
    }
    static LineClient connectTcp(int port) {
        LineClient client(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(client.fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return LineClient(-1);
        const int on = 1;
        ::setsockopt(client.fd_, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        return client;
    }
    ~LineClient() { ::close(fd_); }
    LineClient(LineClient&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

    bool valid() const { return fd_ >= 0; }
    void send(const Bytes& bytes) {
        [[maybe_unused]] const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    }
    // Reads until `count` bytes came or the time is over.
    Bytes receive(std::size_t count, int timeoutMillis = 2000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMillis);
        Bytes received(count);
        std::size_t got = 0;
        while (got < count) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() < 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 1)
                break;
            const ssize_t chunk = ::read(fd_, received.data() + got, count - got);
            if (chunk <= 0)
                break;
            got += static_cast<std::size_t>(chunk);
        }
        received.resize(got);
        return received;
    }
    // Waits for the line to end: the errno of the failing read (0 for an end of stream), or nothing when the
    // line is still there at the time-out.
    std::optional<int> hangUp(int timeoutMillis = 2000) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMillis) <= 0 || (p.revents & (POLLHUP | POLLERR)) == 0)
            return std::nullopt;
        std::uint8_t byte = 0;
        const ssize_t got = ::read(fd_, &byte, 1);
        return got > 0 ? std::nullopt : std::optional(got == 0 ? 0 : errno);
    }

private:
    explicit LineClient(int fd) : fd_(fd) {}
    int fd_;
};

// A matrix on a named pseudo-terminal with a frame log, and the line to it.
class Program : public ::testing::Test {
protected:
    void start(std::vector<std::string> options = {}) {
        options.insert(options.begin(), {"--pty", link(), "--baud", "0", "--log", logPath()});
        sim.emplace(options);
        ASSERT_EQ(sim->waitReady(), Lines{}) << "nothing before ready with a named pty";
        line.emplace(LineClient::openDevice(link()));
        ASSERT_TRUE(line->valid());
    }
    // Every run, faults or not, ends cleanly on quit and takes its link away.
    void quit() {
        line.reset();
        sim->writeLine("quit");
        EXPECT_EQ(sim->wait(), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link())));
        sim.reset();
    }
    void TearDown() override {
        if (sim)
            quit();
    }
    std::string link() const { return folder.path("matrix"); }
    std::string logPath() const { return folder.path("frames.log"); }

    // The log once it holds `count` lines (what it holds when they do not come in time).
    Lines logLines(std::size_t count) const {
        for (const auto deadline = Clock::now() + std::chrono::seconds(2);;) {
            std::ifstream in(logPath());
            Lines found;
            for (std::string text; std::getline(in, text);)
                found.push_back(text);
            if (found.size() >= count || Clock::now() > deadline)
                return found;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    rl4::test::TempFolder folder;
    std::optional<SimProcess> sim;
    std::optional<LineClient> line;
};

TEST_F(Program, PtyAnswersBothFormsTakesPanelCommandsAndLogs) {
    start();
    line->send(kSwitchFive);
    EXPECT_EQ(line->receive(5), kSwitchFive);
    line->send(kSwitchFour);
    EXPECT_EQ(line->receive(4), kAnswerFour);
    line->send({0xFF, 0x02, 0x51, 0x00, 0x00, 0x03});
    EXPECT_EQ(line->receive(1), Bytes{0x15});
    sim->writeLine("panel V 2 3");
    EXPECT_EQ(line->receive(5), (Bytes{0x02, 0x56, 0x02, 0x03, 0x03}));
    sim->writeLine("panel R 9 1");
    EXPECT_TRUE(told(*sim, "out of range"));
    sim->writeLine("reboot");
    EXPECT_TRUE(told(*sim, "unknown command"));
    sim->writeLine("online");
    EXPECT_EQ(line->receive(5), (Bytes{0x02, 0x44, 0x01, 0x00, 0x03}));
    line->send({0x02, 0x56}); // a frame that never ends is dropped once stale, with nothing more coming
    EXPECT_EQ(logLines(10),
              (Lines{"RX 02 56 03 01 03", "TX 02 56 03 01 03", "RX 01 81 83 81", "TX 41 81 83 81", "RX? FF",
                     "RX 02 51 00 00 03", "TX 15", "TX 02 56 02 03 03", "TX 02 44 01 00 03", "RX? 02 56"}));
}

// Each case runs its own matrix: a 5-byte and a 4-byte request, and what comes back and is logged.
TEST_F(Program, WholeAnswersDroppedOrRefused) {
    const struct {
        std::string fault, value;
        Bytes five, four;
        std::string fiveLogged, fourLogged;
    } cases[] = {
        {"--drop", "1", {}, {}, "TX- 02 56 03 01 03", "TX- 41 81 83 81"},
        {"--nak", "1", {0x15}, {0x50, 0x80, 0x88, 0x81}, "TX 15", "TX 50 80 88 81"},
        {"--refuse-every", "2", kSwitchFive, {0x50, 0x80, 0x88, 0x81}, "TX 02 56 03 01 03", "TX 50 80 88 81"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        fs::remove(logPath());
        start({c.fault, c.value});
        for (const auto& [request, answer, logged, lines] :
             {std::tuple{kSwitchFive, c.five, c.fiveLogged, 2u},
              std::tuple{kSwitchFour, c.four, c.fourLogged, 4u}}) {
            line->send(request);
            const Lines log = logLines(lines);
            ASSERT_EQ(log.size(), lines);
            EXPECT_EQ(log.back(), logged);
            // The log line is written once the answer has gone, so what came is already there.
            EXPECT_EQ(line->receive(answer.size()), answer);
            EXPECT_TRUE(line->receive(1, 0).empty());
        }
        quit();
    }
}

// A garbled answer differs from the true one by one bit and is logged as sent; a split one pauses longer than
// a reader's 30 ms between two bytes, and the log shows where; a delayed one leaves late. A faulty run
// without --seed tells its seed; given back, it flips the same bits.
TEST_F(Program, GarbledSplitAndDelayedAnswersRepeatWithTheToldSeed) {
    std::vector<Bytes> runs[2];
    std::string seed;
    for (std::vector<Bytes>& run : runs) {
        fs::remove(logPath());
        Lines options{"--garble", "1", "--split", "1", "--delay", "100"};
        if (!seed.empty())
            options.insert(options.end(), {"--seed", seed});
        start(options);
        if (seed.empty()) {
            const std::string errors = sim->errorsContaining("--seed ");
            ASSERT_NE(errors.find("--seed "), std::string::npos) << errors;
            seed = std::to_string(std::stoul(errors.substr(errors.find("--seed ") + 7)));
        }
        for (const auto& [request, truth] :
             {std::pair{kSwitchFive, kSwitchFive}, std::pair{kSwitchFour, kAnswerFour}}) {
            const Clock::time_point sent = Clock::now();
            line->send(request);
            const Bytes& received = run.emplace_back(line->receive(truth.size()));
            EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(100 + LineFaults::kSplitGapMillis));
            ASSERT_EQ(received.size(), truth.size());
            int flipped = 0;
            for (std::size_t k = 0; k < truth.size(); ++k)
                flipped += std::popcount(static_cast<unsigned>(received[k] ^ truth[k]));
            EXPECT_EQ(flipped, 1) << hexText(received);
            const std::string log = logLines(run.size() * 2).back();
            EXPECT_TRUE(log.starts_with("TX~ ") && log.find(" | ") != std::string::npos) << log;
            std::string bytes = log.substr(4);
            bytes.erase(bytes.find("| "), 2);
            EXPECT_EQ(bytes, hexText(received));
        }
        quit();
    }
    EXPECT_EQ(runs[0], runs[1]) << "seed " << seed;
}

TEST_F(Program, UnpluggedPtyHangsUpAndComesBackWithItsState) {
    start();
    sim->writeLine("unplug");
    const std::optional<int> hangUp = line->hangUp();
    EXPECT_TRUE(hangUp == EIO || hangUp == 0)
        << "an error or the end of the stream, not " << (hangUp ? std::strerror(*hangUp) : "silence");
    EXPECT_EQ(sim->readLine(), "unplugged");
    EXPECT_FALSE(fs::exists(fs::symlink_status(link()))) << "the link goes";
    sim->writeLine("panel V 3 2");
    EXPECT_TRUE(told(*sim, "the line is unplugged, 02 56 03 02 03 not sent"));
    sim->writeLine("unplug");
    EXPECT_TRUE(told(*sim, "already unplugged"));
    sim->writeLine("replug");
    EXPECT_EQ(sim->readLine(), "ready");
    line.emplace(LineClient::openDevice(link()));
    line->send(kReadFive);
    EXPECT_EQ(line->receive(5), (Bytes{0x02, 'v', 0x03, 0x02, 0x03})) << "the panel switch was kept";
}

// A client closing and reopening the device must find the matrix still answering, and the end of
// standard input does not end the matrix.
TEST(ProgramAlone, UnnamedPtySurvivesReopeningAndEmptyStandardInput) {
    SimProcess sim({"--baud", "0", "--protocol", "4"}, true);
    const auto before = sim.waitReady();
    ASSERT_TRUE(before && before->size() == 1u);
    const std::string device = before->front();
    EXPECT_TRUE(device.starts_with("/dev/")) << device;
    {
        LineClient first = LineClient::openDevice(device);
        first.send(kSwitchFour);
        EXPECT_EQ(first.receive(4), kAnswerFour);
    }
    LineClient second = LineClient::openDevice(device);
    second.send(kSwitchFive);
    second.send({0x05, 0x80, 0x83, 0x81});
    EXPECT_EQ(second.receive(4), (Bytes{0x45, 0x80, 0x81, 0x81})) << "the 5-byte frame is ignored";
    sim.signal(SIGINT);
    EXPECT_EQ(sim.wait(), 0);
}

TEST_F(Program, EepromFileKeptAtSigtermAndBadStartsRefused) {
    const std::string image = folder.path("eeprom.bin");
    start({"--eeprom", image});
    line->send({0x02, '[', 0x12, 0x20, 0x03, 0x02, 'T', 0x25, 0xAB, 0x03, 0x20, 0x80, 0xC5, 0xD1});
    EXPECT_EQ(line->receive(14).size(), 14u);
    sim->signal(SIGTERM);
    EXPECT_EQ(sim->wait(), 0);
    sim.reset();
    const std::string text = rl4::test::fileBytes(image);
    const Bytes contents(text.begin(), text.end());
    ASSERT_EQ(contents.size(), 32768u);
    EXPECT_EQ(contents[0x1225], 0xAB);
    EXPECT_EQ(contents[0x1220], 0xC5) << "the 4-byte write goes to the address set by '['";
    EXPECT_EQ(std::count(contents.begin(), contents.end(), 0xFF), 32768 - 2);

    std::ofstream(image, std::ios::binary | std::ios::trunc) << "too short";
    const std::pair<Lines, std::string> refused[] = {{{"--pty", link(), "--eeprom", image}, "9 bytes"},
                                                     {{"--video", "16x0"}, "--video"}};
    for (const auto& [args, message] : refused) {
        SimProcess bad(args);
        EXPECT_EQ(bad.wait(), 2);
        EXPECT_TRUE(told(bad, message));
    }
    SimProcess help({"--help"});
    EXPECT_NE(help.readLine().value_or("").find("usage: matrixsim"), std::string::npos);
    EXPECT_EQ(help.wait(), 0);
}

// One client at a time; unplugged, the port resets its client and refuses others, then listens again.
TEST(ProgramAlone, TcpServesOneClientAtATimeAndCanBeUnplugged) {
    SimProcess sim({"--tcp", "0", "--baud", "0"});
    const auto announced = sim.waitReady();
    ASSERT_TRUE(announced && announced->size() == 1u);
    const int port = std::stoi(announced->front());
    std::optional<LineClient> first = LineClient::connectTcp(port);
    first->send(kSwitchFive);
    EXPECT_EQ(first->receive(5), kSwitchFive);
    LineClient second = LineClient::connectTcp(port);
    ASSERT_TRUE(second.valid());
    second.send(kReadFive);
    EXPECT_TRUE(second.receive(5, 200).empty()) << "waits while the first client is connected";
    first.reset();
    EXPECT_EQ(second.receive(5), (Bytes{0x02, 'v', 0x03, 0x01, 0x03}));

    sim.writeLine("unplug");
    EXPECT_EQ(second.hangUp(), ECONNRESET);
    EXPECT_EQ(sim.readLine(), "unplugged");
    EXPECT_FALSE(LineClient::connectTcp(port).valid()) << "nobody listens";
    sim.writeLine("replug");
    EXPECT_EQ(sim.waitReady(), *announced) << "the same port, told again";
    LineClient again = LineClient::connectTcp(port);
    again.send(kReadFive);
    EXPECT_EQ(again.receive(5), (Bytes{0x02, 'v', 0x03, 0x01, 0x03}));
    sim.writeLine("quit");
    EXPECT_EQ(sim.wait(), 0);
}

// At 9600 baud a request and its answer spend 2 x bytes x 10 / 9600 s on the wire: 10.4 ms for the 5-byte
// form, 8.3 ms for the 4-byte form. The median of 15 exchanges stays within a loaded machine's reach of it,
// and well below what 1200 baud would take (83 and 67 ms).
TEST(ProgramTiming, PacingAt9600Baud) {
    rl4::test::TempFolder folder;
    SimProcess sim({"--pty", folder.path("matrix")});
    ASSERT_TRUE(sim.waitReady());
    LineClient line = LineClient::openDevice(folder.path("matrix"));
    for (const auto& [request, answer, least, most] :
         {std::tuple{kSwitchFive, kSwitchFive, 9.5, 45.0}, std::tuple{kSwitchFour, kAnswerFour, 7.6, 40.0}}) {
        std::vector<double> millis;
        for (int k = 0; k < 15; ++k) {
            const auto start = Clock::now();
            line.send(request);
            ASSERT_EQ(line.receive(answer.size()), answer);
            millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::sort(millis.begin(), millis.end());
        EXPECT_GE(millis[7], least) << request.size() << "-byte, fastest " << millis[0] << " ms";
        EXPECT_LE(millis[7], most) << request.size() << "-byte, slowest " << millis[14] << " ms";
    }
}

} // namespace
} // namespace rl4::sim::test
