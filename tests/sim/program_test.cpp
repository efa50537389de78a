#include "line_client.h"
#include "support/sim_process.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>
#include <unistd.h>

namespace rl4::sim::test {
namespace {

using rl4::test::SimProcess;

namespace fs = std::filesystem;

const Bytes kSwitchFive{0x02, 0x56, 0x03, 0x01, 0x03};
const Bytes kSwitchFour{0x01, 0x81, 0x83, 0x81};

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("rl4_matrixsim_" + std::to_string(getpid()) + "_" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string path(const std::string& name) const { return (folder_ / name).string(); }

    static std::vector<std::string> lines(const std::string& file) {
        std::ifstream in(file);
        std::vector<std::string> found;
        for (std::string line; std::getline(in, line);) {
            found.push_back(line);
        }
        return found;
    }

    fs::path folder_;
};

TEST_F(ProgramTest, PtyAnswersBothFormsTakesPanelCommandsAndLogs) {
    SimProcess sim({"--pty", path("matrix"), "--baud", "0", "--log", path("frames.log")});
    ASSERT_EQ(sim.waitReady(), std::vector<std::string>{}) << "nothing before ready with a named pty";
    LineClient line = LineClient::openDevice(path("matrix"));
    ASSERT_TRUE(line.valid());

    line.send(kSwitchFive);
    EXPECT_EQ(line.receive(5), kSwitchFive);
    line.send(kSwitchFour);
    EXPECT_EQ(line.receive(4), (Bytes{0x41, 0x81, 0x83, 0x81}));
    line.send({0xFF, 0x02, 0x51, 0x00, 0x00, 0x03});
    EXPECT_EQ(line.receive(1), Bytes{0x15});

    sim.writeLine("panel V 2 3");
    EXPECT_EQ(line.receive(5), (Bytes{0x02, 0x56, 0x02, 0x03, 0x03}));
    sim.writeLine("panel R 9 1");
    EXPECT_NE(sim.errorsContaining("out of range").find("out of range"), std::string::npos);
    sim.writeLine("reboot");
    EXPECT_NE(sim.errorsContaining("unknown command").find("unknown command"), std::string::npos);
    sim.writeLine("online");
    EXPECT_EQ(line.receive(5), (Bytes{0x02, 0x44, 0x01, 0x00, 0x03}));

    sim.writeLine("quit");
    EXPECT_EQ(sim.wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(path("matrix")))) << "the link goes at exit";
    EXPECT_EQ(lines(path("frames.log")),
              (std::vector<std::string>{"RX 02 56 03 01 03", "TX 02 56 03 01 03", "RX 01 81 83 81",
                                        "TX 41 81 83 81", "RX? FF", "RX 02 51 00 00 03", "TX 15",
                                        "TX 02 56 02 03 03", "TX 02 44 01 00 03"}));
}

// A client closing and reopening the device must find the matrix still answering, and the end of
// standard input does not end the matrix.
TEST_F(ProgramTest, UnnamedPtySurvivesReopeningAndEmptyStandardInput) {
    SimProcess sim({"--baud", "0", "--protocol", "4"}, true);
    const auto before = sim.waitReady();
    ASSERT_TRUE(before.has_value());
    ASSERT_EQ(before->size(), 1u);
    const std::string device = before->front();
    EXPECT_TRUE(device.starts_with("/dev/")) << device;
    {
        LineClient first = LineClient::openDevice(device);
        first.send(kSwitchFive);
        first.send(kSwitchFour);
        EXPECT_EQ(first.receive(4), (Bytes{0x41, 0x81, 0x83, 0x81})) << "the 5-byte frame is ignored";
    }
    LineClient second = LineClient::openDevice(device);
    second.send({0x05, 0x80, 0x83, 0x81});
    EXPECT_EQ(second.receive(4), (Bytes{0x45, 0x80, 0x81, 0x81}));
    sim.signal(SIGINT);
    EXPECT_EQ(sim.wait(), 0);
}

TEST_F(ProgramTest, EepromFileWrittenAtSigtermAndCheckedAtStart) {
    const std::string image = path("eeprom.bin");
    {
        SimProcess sim({"--pty", path("matrix"), "--baud", "0", "--eeprom", image});
        ASSERT_TRUE(sim.waitReady());
        LineClient line = LineClient::openDevice(path("matrix"));
        line.send({0x02, '[', 0x12, 0x20, 0x03});
        EXPECT_EQ(line.receive(5).size(), 5u);
        line.send({0x02, 'T', 0x25, 0xAB, 0x03});
        EXPECT_EQ(line.receive(5).size(), 5u);
        line.send({0x20, 0x80, 0xC5, 0xD1});
        EXPECT_EQ(line.receive(4), (Bytes{0x60, 0x80, 0xC5, 0xD1}));
        sim.signal(SIGTERM);
        EXPECT_EQ(sim.wait(), 0);
    }
    std::ifstream file(image, std::ios::binary);
    const Bytes contents{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    ASSERT_EQ(contents.size(), 32768u);
    EXPECT_EQ(contents[0x1225], 0xAB);
    EXPECT_EQ(contents[0x1220], 0xC5) << "the 4-byte write goes to the address set by '['";
    EXPECT_EQ(std::count(contents.begin(), contents.end(), 0xFF), 32768 - 2);

    std::ofstream(image, std::ios::binary | std::ios::trunc) << "too short";
    SimProcess refused({"--pty", path("matrix"), "--eeprom", image});
    EXPECT_EQ(refused.wait(), 2);
    EXPECT_NE(refused.errorsContaining("9 bytes").find("9 bytes"), std::string::npos);
}

TEST_F(ProgramTest, TcpServesOneClientAtATime) {
    SimProcess sim({"--tcp", "0", "--baud", "0"});
    const auto before = sim.waitReady();
    ASSERT_TRUE(before && before->size() == 1u);
    const int port = std::stoi(before->front());
    LineClient first = LineClient::connectTcp(port);
    ASSERT_TRUE(first.valid());
    first.send(kSwitchFive);
    EXPECT_EQ(first.receive(5), kSwitchFive);

    LineClient second = LineClient::connectTcp(port);
    ASSERT_TRUE(second.valid());
    second.send({0x02, 'v', 0x03, 0x00, 0x03});
    EXPECT_TRUE(second.receive(5, 200).empty()) << "waits while the first client is connected";
    { LineClient leaving = std::move(first); }
    EXPECT_EQ(second.receive(5), (Bytes{0x02, 'v', 0x03, 0x01, 0x03}));
    sim.writeLine("quit");
    EXPECT_EQ(sim.wait(), 0);
}

TEST_F(ProgramTest, HelpAndBadOptions) {
    SimProcess help({"--help"});
    EXPECT_NE(help.readLine().value_or("").find("usage: matrixsim"), std::string::npos);
    EXPECT_EQ(help.wait(), 0);
    SimProcess bad({"--video", "16x0"});
    EXPECT_EQ(bad.wait(), 2);
    const std::string errors = bad.errorsContaining("usage:");
    EXPECT_NE(errors.find("--video"), std::string::npos) << errors;
    EXPECT_NE(errors.find("usage:"), std::string::npos) << errors;
}

// Median time of request-and-answer exchanges on the line, in milliseconds.
double medianExchangeMillis(LineClient& line, const Bytes& request, const Bytes& answer,
                            std::string& summary) {
    using Clock = std::chrono::steady_clock;
    std::vector<double> millis;
    for (int k = 0; k < 15; ++k) {
        const Clock::time_point start = Clock::now();
        line.send(request);
        const Bytes received = line.receive(answer.size());
        millis.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (received != answer) {
            ADD_FAILURE() << "wrong answer " << hexText(received);
            return 0.0;
        }
    }
    std::sort(millis.begin(), millis.end());
    std::ostringstream text;
    text << request.size() << "-byte exchange: min " << millis.front() << " ms, median "
         << millis[millis.size() / 2] << " ms, max " << millis.back() << " ms";
    summary = text.str();
    return millis[millis.size() / 2];
}

// At 9600 baud a request and its answer spend 2 x bytes x 10 / 9600 s on the wire: 10.4 ms for the 5-byte
// form, 8.3 ms for the 4-byte form.
TEST_F(ProgramTest, PacingAt9600Baud) {
    SimProcess sim({"--pty", path("matrix")});
    ASSERT_TRUE(sim.waitReady());
    LineClient line = LineClient::openDevice(path("matrix"));
    std::string summary;
    const double five = medianExchangeMillis(line, kSwitchFive, kSwitchFive, summary);
    std::cout << summary << " (wire time 10.417 ms)\n";
    EXPECT_GE(five, 9.5);
    EXPECT_LE(five, 20.0);
    const double four = medianExchangeMillis(line, kSwitchFour, {0x41, 0x81, 0x83, 0x81}, summary);
    std::cout << summary << " (wire time 8.333 ms)\n";
    EXPECT_GE(four, 7.6);
    EXPECT_LE(four, 16.0);
}

} // namespace
} // namespace rl4::sim::test
