#include "line_client.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace rl4::sim::test {
namespace {

using rl4::test::SimProcess;
using rl4::test::TempFolder;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

const Bytes kSwitchFive{0x02, 0x56, 0x03, 0x01, 0x03};
const Bytes kSwitchFour{0x01, 0x81, 0x83, 0x81};
const Bytes kAnswerFour{0x41, 0x81, 0x83, 0x81};
const Bytes kReadFive{0x02, 'v', 0x03, 0x00, 0x03};
const Bytes kReadAnswerFive{0x02, 'v', 0x03, 0x01, 0x03};
constexpr int kSplitGapMillis = 45;
// A reader's interval time-out: the pause of a split answer must be longer.
constexpr int kReaderIntervalMillis = 30;

double millisBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A matrix on a named pseudo-terminal, with a fixed seed and a frame log, and the line to it.
class FaultyLine : public ::testing::Test {
protected:
    void start(const std::vector<std::string>& faults) {
        std::vector<std::string> args{"--pty", link(), "--baud", "0", "--log", logPath(), "--seed", "7"};
        args.insert(args.end(), faults.begin(), faults.end());
        sim.emplace(args);
        ASSERT_TRUE(sim->waitReady());
        line.emplace(LineClient::openDevice(link()));
        ASSERT_TRUE(line->valid());
    }
    // Every fault leaves the matrix able to end cleanly.
    void stop() {
        line.reset();
        if (sim) {
            sim->writeLine("quit");
            EXPECT_EQ(sim->wait(), 0);
            sim.reset();
        }
    }
    void TearDown() override { stop(); }
    std::string link() const { return folder.path("matrix"); }
    std::string logPath() const { return folder.path("frames.log"); }

    // The log once it holds `count` lines (what it holds when they do not come in time).
    Lines logLines(std::size_t count) const {
        const Clock::time_point deadline = Clock::now() + std::chrono::seconds(2);
        for (;;) {
            std::ifstream in(logPath());
            Lines found;
            for (std::string text; std::getline(in, text);) {
                found.push_back(text);
            }
            if (found.size() >= count || Clock::now() > deadline) {
                return found;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    TempFolder folder;
    std::optional<SimProcess> sim;
    std::optional<LineClient> line;
};

TEST_F(FaultyLine, WholeAnswersDroppedRefusedOrUntouched) {
    struct Case {
        std::vector<std::string> faults;
        Bytes request;
        Bytes received;
        std::string logged;
    };
    const std::vector<Case> cases{
        {{"--drop", "0", "--nak", "0", "--garble", "0", "--split", "0"},
         kSwitchFive,
         kSwitchFive,
         "TX 02 56 03 01 03"},
        {{"--drop", "0", "--nak", "0", "--garble", "0", "--split", "0"},
         kSwitchFour,
         kAnswerFour,
         "TX 41 81 83 81"},
        {{"--drop", "1"}, kSwitchFive, {}, "TX- 02 56 03 01 03"},
        {{"--drop", "1"}, kSwitchFour, {}, "TX- 41 81 83 81"},
        {{"--nak", "1"}, kSwitchFive, {0x15}, "TX 15"},
        {{"--nak", "1"}, kSwitchFour, {0x50, 0x80, 0x88, 0x81}, "TX 50 80 88 81"},
        {{"--refuse-every", "1"}, kSwitchFour, {0x50, 0x80, 0x88, 0x81}, "TX 50 80 88 81"},
    };
    for (const Case& c : cases) {
        start(c.faults);
        line->send(c.request);
        const Lines log = logLines(2);
        ASSERT_EQ(log.size(), 2u) << c.faults[0];
        EXPECT_EQ(log[1], c.logged) << c.faults[0];
        // The log line is written once the answer has gone, so what came is already there.
        EXPECT_EQ(line->receive(c.received.size()), c.received) << c.faults[0] << " " << c.logged;
        EXPECT_TRUE(line->receive(1, 0).empty()) << c.faults[0] << " " << c.logged;
        stop();
    }
}

TEST_F(FaultyLine, GarbledAnswerDiffersByOneBitAndIsLoggedAsSent) {
    start({"--garble", "1"});
    std::size_t logged = 0;
    for (const auto& [request, truth] :
         {std::pair{kSwitchFive, kSwitchFive}, std::pair{kSwitchFour, kAnswerFour}}) {
        line->send(request);
        const Bytes received = line->receive(truth.size());
        ASSERT_EQ(received.size(), truth.size());
        int changed = 0;
        for (std::size_t k = 0; k < truth.size(); ++k) {
            changed += std::popcount(static_cast<unsigned>(received[k] ^ truth[k]));
        }
        EXPECT_EQ(changed, 1) << hexText(received);
        logged += 2;
        EXPECT_EQ(logLines(logged).back(), "TX~ " + hexText(received));
    }
}

TEST_F(FaultyLine, SplitAnswerPausesLongerThanAReaderWaits) {
    start({"--split", "1"});
    std::size_t logged = 0;
    for (const auto& [request, truth] :
         {std::pair{kSwitchFive, kSwitchFive}, std::pair{kSwitchFour, kAnswerFour}}) {
        const Clock::time_point sent = Clock::now();
        line->send(request);
        const std::vector<LineClient::Arrival> arrivals = line->receiveArrivals(truth.size());
        Bytes whole;
        std::vector<Bytes> parts{{}};
        for (std::size_t k = 0; k < arrivals.size(); ++k) {
            if (k > 0 && millisBetween(arrivals[k - 1].at, arrivals[k].at) >= kReaderIntervalMillis) {
                parts.emplace_back();
                EXPECT_GE(millisBetween(sent, arrivals[k].at), kSplitGapMillis) << "the rest waits the pause";
            }
            parts.back().insert(parts.back().end(), arrivals[k].bytes.begin(), arrivals[k].bytes.end());
            whole.insert(whole.end(), arrivals[k].bytes.begin(), arrivals[k].bytes.end());
        }
        EXPECT_EQ(whole, truth);
        ASSERT_EQ(parts.size(), 2u) << hexText(whole);
        logged += 2;
        EXPECT_EQ(logLines(logged).back(), "TX " + hexText(parts[0]) + " | " + hexText(parts[1]));
    }
}

TEST_F(FaultyLine, DelayedAnswer) {
    start({"--delay", "150"});
    const Clock::time_point sent = Clock::now();
    line->send(kSwitchFive);
    EXPECT_EQ(line->receive(5), kSwitchFive);
    EXPECT_GE(millisBetween(sent, Clock::now()), 150.0);
}

// A faulty run without --seed tells its seed; given back, it makes the same faults.
TEST_F(FaultyLine, ToldSeedRepeatsTheRun) {
    std::vector<Bytes> runs[2];
    std::string seed;
    for (std::vector<Bytes>& received : runs) {
        std::vector<std::string> args{"--pty", link(), "--baud", "0", "--garble", "0.5"};
        if (!seed.empty()) {
            args.insert(args.end(), {"--seed", seed});
        }
        SimProcess process(args);
        ASSERT_TRUE(process.waitReady());
        if (seed.empty()) {
            const std::string errors = process.errorsContaining("--seed ");
            const std::size_t at = errors.find("--seed ");
            ASSERT_NE(at, std::string::npos) << errors;
            seed = std::to_string(std::stoul(errors.substr(at + 7)));
        }
        LineClient client = LineClient::openDevice(link());
        for (int k = 0; k < 20; ++k) {
            client.send(kSwitchFive);
            received.push_back(client.receive(5));
        }
    }
    EXPECT_EQ(runs[0], runs[1]) << "seed " << seed;
    EXPECT_NE(std::count(runs[0].begin(), runs[0].end(), kSwitchFive), 20) << "some answers were garbled";
}

TEST_F(FaultyLine, UnpluggedPtyHangsUpAndComesBackWithItsState) {
    start({});
    line->send(kSwitchFive);
    EXPECT_EQ(line->receive(5), kSwitchFive);

    sim->writeLine("unplug");
    const std::optional<int> hangUp = line->hangUp();
    EXPECT_TRUE(hangUp == EIO || hangUp == 0)
        << "an error or the end of the stream, not " << (hangUp ? std::strerror(*hangUp) : "silence");
    EXPECT_EQ(sim->readLine(), "unplugged");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link()))) << "the link goes";
    sim->writeLine("panel V 3 2");
    EXPECT_NE(sim->errorsContaining("not sent").find("unplugged"), std::string::npos);
    sim->writeLine("unplug");
    EXPECT_NE(sim->errorsContaining("already").find("already unplugged"), std::string::npos);

    sim->writeLine("replug");
    EXPECT_EQ(sim->readLine(), "ready");
    LineClient again = LineClient::openDevice(link());
    ASSERT_TRUE(again.valid());
    again.send(kReadFive);
    EXPECT_EQ(again.receive(5), (Bytes{0x02, 'v', 0x03, 0x02, 0x03})) << "the panel switch was kept";
}

TEST_F(FaultyLine, UnpluggedTcpResetsAndRefusesThenListensAgain) {
    SimProcess tcp({"--tcp", "0", "--baud", "0"});
    const auto announced = tcp.waitReady();
    ASSERT_TRUE(announced && announced->size() == 1u);
    const int port = std::stoi(announced->front());
    LineClient client = LineClient::connectTcp(port);
    client.send(kSwitchFive);
    EXPECT_EQ(client.receive(5), kSwitchFive);

    tcp.writeLine("unplug");
    EXPECT_EQ(client.hangUp(), ECONNRESET);
    EXPECT_EQ(tcp.readLine(), "unplugged");
    EXPECT_FALSE(LineClient::connectTcp(port).valid()) << "nobody listens";

    tcp.writeLine("replug");
    EXPECT_EQ(tcp.waitReady(), *announced) << "the same port, told again";
    LineClient again = LineClient::connectTcp(port);
    ASSERT_TRUE(again.valid());
    again.send(kReadFive);
    EXPECT_EQ(again.receive(5), kReadAnswerFive);
    tcp.writeLine("quit");
    EXPECT_EQ(tcp.wait(), 0);
}

} // namespace
} // namespace rl4::sim::test
