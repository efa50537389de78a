#include "platform/serial_channel.h"
#include "platform/socket_channel.h"
#include "sim/frame.h"
#include "sim/line_faults.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <bit>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

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

// The program's own channel on the line (a device path or socket://), patient enough for a loaded machine.
std::unique_ptr<DescriptorChannel> connect(const std::string& target) {
    const LineTimeouts patient{.readInterval = 2000, .readTotalConstant = 2000};
    std::unique_ptr<DescriptorChannel> line;
    if (target.starts_with("socket://"))
        line = std::make_unique<SocketChannel>(patient);
    else
        line = std::make_unique<SerialChannel>(patient);
    return line->open(target) ? std::move(line) : nullptr;
}
std::string tcp(const std::string& port) {
    return "socket://127.0.0.1:" + port;
}
void send(ByteChannel& line, const Bytes& bytes) {
    for (std::uint8_t byte : bytes)
        line.writeByte(byte);
}
// Up to `count` bytes, until the channel's time-outs end the read.
Bytes receive(ByteChannel& line, std::size_t count) {
    Bytes received(count);
    received.resize(line.read(received.data(), count));
    return received;
}

// A matrix on a named pseudo-terminal with a new frame log, and the line to it.
class Program : public ::testing::Test {
protected:
    void start(std::vector<std::string> options = {}) {
        fs::remove(logPath());
        options.insert(options.begin(), {"--pty", link(), "--baud", "0", "--log", logPath()});
        sim.emplace(options);
        ASSERT_EQ(sim->waitReady(), Lines{}) << "nothing before ready with a named pty";
        line = connect(link());
        ASSERT_TRUE(line);
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
    std::unique_ptr<DescriptorChannel> line;
};

TEST_F(Program, PtyAnswersTakesPanelCommandsLogsAndUnplugs) {
    start();
    send(*line, kSwitchFive);
    EXPECT_EQ(receive(*line, 5), kSwitchFive);
    sim->writeLine("panel V 2 3");
    EXPECT_EQ(receive(*line, 5), (Bytes{0x02, 0x56, 0x02, 0x03, 0x03}));
    sim->writeLine("panel R 9 1");
    EXPECT_TRUE(told(*sim, "out of range"));
    sim->writeLine("reboot");
    EXPECT_TRUE(told(*sim, "unknown command"));
    sim->writeLine("online");
    EXPECT_EQ(receive(*line, 5), (Bytes{0x02, 0x44, 0x01, 0x00, 0x03}));
    send(*line, {0x02, 0x56}); // a frame that never ends is dropped once stale, with nothing more coming
    EXPECT_EQ(logLines(5), (Lines{"RX 02 56 03 01 03", "TX 02 56 03 01 03", "TX 02 56 02 03 03",
                                  "TX 02 44 01 00 03", "RX? 02 56"}));

    // Unplugged, the line hangs up and its link goes. (The engine's lost-line test finds the state kept
    // once it is back.)
    sim->writeLine("unplug");
    EXPECT_TRUE(receive(*line, 1).empty());
    EXPECT_EQ(line->lineGoneReason(), ByteChannel::kHungUp);
    EXPECT_EQ(sim->readLine(), "unplugged");
    EXPECT_FALSE(fs::exists(fs::symlink_status(link()))) << "the link goes";
    sim->writeLine("panel V 3 2");
    EXPECT_TRUE(told(*sim, "the line is unplugged, 02 56 03 02 03 not sent"));
    sim->writeLine("unplug");
    EXPECT_TRUE(told(*sim, "already unplugged"));
    sim->writeLine("replug");
    EXPECT_EQ(sim->readLine(), "ready");
}

// A dropped answer never reaches the line, and the log says which it was: a 5-byte and a 4-byte request.
TEST_F(Program, DroppedAnswersAreLoggedAndNeverSent) {
    start({"--drop", "1"});
    for (const auto& [request, logged, lines] : {std::tuple{kSwitchFive, "TX- 02 56 03 01 03", 2u},
                                                 std::tuple{kSwitchFour, "TX- 41 81 83 81", 4u}}) {
        send(*line, request);
        const Lines log = logLines(lines);
        ASSERT_EQ(log.size(), lines);
        EXPECT_EQ(log.back(), logged);
        // The log line is written once the answer would have gone, so nothing is on its way.
        EXPECT_EQ(line->bytesWaiting(), 0u);
    }
}

// A garbled answer differs from the true one by one bit and is logged as sent; a split one pauses longer than
// a reader's 30 ms between two bytes, and the log shows where; a delayed one leaves late. A faulty run
// without --seed tells its seed; given back, it flips the same bits.
TEST_F(Program, GarbledSplitAndDelayedAnswersRepeatWithTheToldSeed) {
    std::vector<Bytes> runs[2];
    std::string seed;
    for (std::vector<Bytes>& run : runs) {
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
            send(*line, request);
            const Bytes& received = run.emplace_back(receive(*line, truth.size()));
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

// A client closing and reopening the device must find the matrix still answering, and the end of
// standard input does not end the matrix.
TEST(ProgramAlone, UnnamedPtySurvivesReopeningAndEmptyStandardInput) {
    SimProcess sim({"--baud", "0", "--protocol", "4"}, true);
    const auto before = sim.waitReady();
    ASSERT_TRUE(before && before->size() == 1u);
    const std::string device = before->front();
    EXPECT_TRUE(device.starts_with("/dev/")) << device;
    {
        const auto first = connect(device);
        send(*first, kSwitchFour);
        EXPECT_EQ(receive(*first, 4), kAnswerFour);
    }
    const auto second = connect(device);
    send(*second, kSwitchFive);
    send(*second, {0x05, 0x80, 0x83, 0x81});
    EXPECT_EQ(receive(*second, 4), (Bytes{0x45, 0x80, 0x81, 0x81})) << "the 5-byte frame is ignored";
    sim.signal(SIGINT);
    EXPECT_EQ(sim.wait(), 0);
}

// The image file's save at the end is checked through routelane4ctl's upload, SIGTERM ends as SIGINT does.
TEST(ProgramAlone, BadStartsAreRefusedAndHelpTold) {
    rl4::test::TempFolder folder;
    const std::string image = folder.path("eeprom.bin");
    std::ofstream(image, std::ios::binary | std::ios::trunc) << "too short";
    const std::pair<Lines, std::string> refused[] = {
        {{"--pty", folder.path("matrix"), "--eeprom", image}, "9 bytes"}, {{"--video", "16x0"}, "--video"}};
    for (const auto& [args, message] : refused) {
        SimProcess bad(args);
        EXPECT_EQ(bad.wait(), 2);
        EXPECT_TRUE(told(bad, message));
    }
    SimProcess help({"--help"});
    EXPECT_NE(help.readLine().value_or("").find("usage: matrixsim"), std::string::npos);
    EXPECT_EQ(help.wait(), 0);
}

// One client at a time; unplugged, the port resets its client and refuses others, then listens again on
// the same port.
TEST(ProgramAlone, TcpServesOneClientAtATimeAndCanBeUnplugged) {
    SimProcess sim({"--tcp", "0", "--baud", "0"});
    const auto announced = sim.waitReady();
    ASSERT_TRUE(announced && announced->size() == 1u);
    auto first = connect(tcp(announced->front()));
    auto second = connect(tcp(announced->front()));
    ASSERT_TRUE(first && second);
    send(*second, kReadFive);
    send(*first, kSwitchFive);
    EXPECT_EQ(receive(*first, 5), kSwitchFive);
    EXPECT_EQ(second->bytesWaiting(), 0u) << "waits while the first client is connected";
    first.reset();
    EXPECT_EQ(receive(*second, 5), (Bytes{0x02, 'v', 0x03, 0x01, 0x03}));

    sim.writeLine("unplug");
    EXPECT_TRUE(receive(*second, 1).empty());
    EXPECT_EQ(second->lineGoneReason(), ByteChannel::kConnectionReset);
    EXPECT_EQ(sim.readLine(), "unplugged");
    EXPECT_FALSE(connect(tcp(announced->front()))) << "nobody listens";
    sim.writeLine("replug");
    EXPECT_EQ(sim.waitReady(), *announced) << "the same port, told again";
    EXPECT_TRUE(connect(tcp(announced->front())));
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
    const auto line = connect(folder.path("matrix"));
    for (const auto& [request, answer, least, most] :
         {std::tuple{kSwitchFive, kSwitchFive, 9.5, 45.0}, std::tuple{kSwitchFour, kAnswerFour, 7.6, 40.0}}) {
        std::vector<double> millis;
        for (int k = 0; k < 15; ++k) {
            const auto start = Clock::now();
            send(*line, request);
            ASSERT_EQ(receive(*line, answer.size()), answer);
            millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        std::sort(millis.begin(), millis.end());
        EXPECT_GE(millis[7], least) << request.size() << "-byte, fastest " << millis[0] << " ms";
        EXPECT_LE(millis[7], most) << request.size() << "-byte, slowest " << millis[14] << " ms";
    }
}

} // namespace
} // namespace rl4::sim::test
