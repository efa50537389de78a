#include "line_client.h"
#include "sim/line_faults.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <bit>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace rl4::sim::test {
namespace {

using rl4::test::SimProcess;
using Clock = std::chrono::steady_clock;
using Lines = std::vector<std::string>;

const Bytes kSwitchFive{0x02, 0x56, 0x03, 0x01, 0x03};
const Bytes kSwitchFour{0x01, 0x81, 0x83, 0x81};
const Bytes kAnswerFour{0x41, 0x81, 0x83, 0x81};
const Bytes kReadFive{0x02, 'v', 0x03, 0x00, 0x03};

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
    void TearDown() override {
        line.reset();
        if (sim) {
            sim->writeLine("quit");
            EXPECT_EQ(sim->wait(), 0);
        }
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

// Each case runs its own matrix: a 5-byte and a 4-byte request, and what comes back and is logged.
TEST_F(FaultyLine, WholeAnswersDroppedOrRefused) {
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
        TearDown();
        sim.reset();
        std::filesystem::remove(logPath());
    }
}

// A garbled answer differs from the true one by one bit and is logged as sent; a split one pauses longer than
// a reader's 30 ms between two bytes, and the log shows where; a delayed one leaves late.
TEST_F(FaultyLine, GarbledSplitAndDelayedAnswers) {
    start({"--garble", "1", "--split", "1", "--delay", "100"});
    std::size_t logged = 0;
    for (const auto& [request, truth] :
         {std::pair{kSwitchFive, kSwitchFive}, std::pair{kSwitchFour, kAnswerFour}}) {
        const Clock::time_point sent = Clock::now();
        line->send(request);
        const Bytes received = line->receive(truth.size());
        EXPECT_GE(Clock::now() - sent, std::chrono::milliseconds(100 + LineFaults::kSplitGapMillis));
        ASSERT_EQ(received.size(), truth.size());
        int flipped = 0;
        for (std::size_t k = 0; k < truth.size(); ++k)
            flipped += std::popcount(static_cast<unsigned>(received[k] ^ truth[k]));
        EXPECT_EQ(flipped, 1) << hexText(received);
        logged += 2;
        const std::string log = logLines(logged).back();
        EXPECT_TRUE(log.starts_with("TX~ ") && log.find(" | ") != std::string::npos) << log;
        std::string bytes = log.substr(4);
        bytes.erase(bytes.find("| "), 2);
        EXPECT_EQ(bytes, hexText(received));
    }
}

// A faulty run without --seed tells its seed; given back, it makes the same faults.
TEST_F(FaultyLine, ToldSeedRepeatsTheRun) {
    std::vector<Bytes> runs[2];
    std::string seed;
    for (std::vector<Bytes>& received : runs) {
        std::vector<std::string> args{"--pty", link(), "--baud", "0", "--garble", "0.5"};
        if (!seed.empty())
            args.insert(args.end(), {"--seed", seed});
        SimProcess process(args);
        ASSERT_TRUE(process.waitReady());
        if (seed.empty()) {
            const std::string errors = process.errorsContaining("--seed ");
            ASSERT_NE(errors.find("--seed "), std::string::npos) << errors;
            seed = std::to_string(std::stoul(errors.substr(errors.find("--seed ") + 7)));
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
    again.send(kReadFive);
    EXPECT_EQ(again.receive(5), (Bytes{0x02, 'v', 0x03, 0x02, 0x03})) << "the panel switch was kept";
}

} // namespace
} // namespace rl4::sim::test
