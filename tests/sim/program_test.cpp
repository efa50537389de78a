#include "line_client.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace rl4::sim::test {
namespace {

using rl4::test::SimProcess;
namespace fs = std::filesystem;

const Bytes kSwitchFive{0x02, 0x56, 0x03, 0x01, 0x03};
const Bytes kSwitchFour{0x01, 0x81, 0x83, 0x81};
const Bytes kAnswerFour{0x41, 0x81, 0x83, 0x81};
const Bytes kReadFive{0x02, 'v', 0x03, 0x00, 0x03};

TEST(Program, PtyAnswersBothFormsTakesPanelCommandsAndLogs) {
    rl4::test::TempFolder folder;
    SimProcess sim({"--pty", folder.path("matrix"), "--baud", "0", "--log", folder.path("frames.log")});
    ASSERT_EQ(sim.waitReady(), std::vector<std::string>{}) << "nothing before ready with a named pty";
    LineClient line = LineClient::openDevice(folder.path("matrix"));
    line.send(kSwitchFive);
    EXPECT_EQ(line.receive(5), kSwitchFive);
    line.send(kSwitchFour);
    EXPECT_EQ(line.receive(4), kAnswerFour);
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
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder.path("matrix")))) << "the link goes at exit";
    std::ifstream log(folder.path("frames.log"));
    std::vector<std::string> lines;
    for (std::string text; std::getline(log, text);)
        lines.push_back(text);
    EXPECT_EQ(lines, (std::vector<std::string>{"RX 02 56 03 01 03", "TX 02 56 03 01 03", "RX 01 81 83 81",
                                               "TX 41 81 83 81", "RX? FF", "RX 02 51 00 00 03", "TX 15",
                                               "TX 02 56 02 03 03", "TX 02 44 01 00 03"}));
}

// A client closing and reopening the device must find the matrix still answering, and the end of
// standard input does not end the matrix.
TEST(Program, UnnamedPtySurvivesReopeningAndEmptyStandardInput) {
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

TEST(Program, EepromFileKeptAtSigtermAndBadStartsRefused) {
    rl4::test::TempFolder folder;
    const std::string image = folder.path("eeprom.bin");
    {
        SimProcess sim({"--pty", folder.path("matrix"), "--baud", "0", "--eeprom", image});
        ASSERT_TRUE(sim.waitReady());
        LineClient line = LineClient::openDevice(folder.path("matrix"));
        line.send({0x02, '[', 0x12, 0x20, 0x03, 0x02, 'T', 0x25, 0xAB, 0x03, 0x20, 0x80, 0xC5, 0xD1});
        EXPECT_EQ(line.receive(14).size(), 14u);
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
    SimProcess refused({"--pty", folder.path("matrix"), "--eeprom", image});
    EXPECT_EQ(refused.wait(), 2);
    EXPECT_NE(refused.errorsContaining("9 bytes").find("9 bytes"), std::string::npos);
    SimProcess bad({"--video", "16x0"});
    EXPECT_EQ(bad.wait(), 2);
    EXPECT_NE(bad.errorsContaining("usage:").find("--video"), std::string::npos);
    SimProcess help({"--help"});
    EXPECT_NE(help.readLine().value_or("").find("usage: matrixsim"), std::string::npos);
    EXPECT_EQ(help.wait(), 0);
}

// One client at a time; unplugged, the port resets its client and refuses others, then listens again.
TEST(Program, TcpServesOneClientAtATimeAndCanBeUnplugged) {
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
// form, 8.3 ms for the 4-byte form. The median of 15 exchanges stays within a loaded machine's reach of it.
TEST(ProgramTiming, PacingAt9600Baud) {
    rl4::test::TempFolder folder;
    SimProcess sim({"--pty", folder.path("matrix")});
    ASSERT_TRUE(sim.waitReady());
    LineClient line = LineClient::openDevice(folder.path("matrix"));
    for (const auto& [request, answer, least, most] :
         {std::tuple{kSwitchFive, kSwitchFive, 9.5, 25.0}, std::tuple{kSwitchFour, kAnswerFour, 7.6, 20.0}}) {
        std::vector<double> millis;
        for (int k = 0; k < 15; ++k) {
            const auto start = std::chrono::steady_clock::now();
            line.send(request);
            ASSERT_EQ(line.receive(answer.size()), answer);
            millis.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        std::sort(millis.begin(), millis.end());
        EXPECT_GE(millis[7], least) << request.size() << "-byte, fastest " << millis[0] << " ms";
        EXPECT_LE(millis[7], most) << request.size() << "-byte, slowest " << millis[14] << " ms";
    }
}

} // namespace
} // namespace rl4::sim::test
