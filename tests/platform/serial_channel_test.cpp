#include "platform/serial_channel.h"
#include "pty_pair.h"

#include <chrono>
#include <ctime>
#include <gtest/gtest.h>
#include <termios.h>
#include <thread>

namespace rl4 {
namespace {

using test::PtyPair;
using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

long long msSince(Steady::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Steady::now() - start).count();
}

// Room for a busy machine; the lower bounds are the ones the line rules fix.
constexpr long long kSlackMs = 300;

class SerialChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.slavePath().empty());
        ASSERT_TRUE(channel.open(pty.slavePath()));
    }

    PtyPair pty;
    SerialChannel channel;
};

TEST_F(SerialChannelTest, LineIsRawAndPassesControlBytesBothWays) {
    termios line{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), B9600);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8});
    EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), tcflag_t{CLOCAL | CREAD});
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY | ICRNL), 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ISIG | ECHO), 0u);

    // ETX, XON, XOFF, CR and LF are frame bytes to the matrix, never line controls.
    const std::vector<std::uint8_t> frame{0x02, 0x11, 0x13, 0x0D, 0x0A, 0x03, 0xFF};
    for (std::uint8_t byte : frame)
        ASSERT_TRUE(channel.writeByte(byte));
    EXPECT_EQ(pty.receive(frame.size()), frame);

    ASSERT_TRUE(pty.send(frame));
    std::vector<std::uint8_t> got(frame.size(), 0);
    ASSERT_EQ(channel.read(got.data(), got.size()), frame.size());
    EXPECT_EQ(got, frame);
}

TEST_F(SerialChannelTest, ReadTimeOutsKeepThePresetOfMissingBytes) {
    std::uint8_t buffer[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    const std::clock_t cpuBefore = std::clock();
    auto start = Steady::now();
    EXPECT_EQ(channel.read(buffer, 4), 0u);
    const long long silent = msSince(start);
    EXPECT_GE(silent, 54);
    EXPECT_LT(silent, 54 + kSlackMs);
    // The wait sleeps in poll; a spinning read would burn the whole 54 ms.
    EXPECT_LT(std::clock() - cpuBefore, CLOCKS_PER_SEC / 100);

    // Two of four arrive at once: the 30 ms gap after them ends the read before its 54 ms total.
    ASSERT_TRUE(pty.send({0x02, 'D'}));
    start = Steady::now();
    EXPECT_EQ(channel.read(buffer, 4), 2u);
    EXPECT_GE(msSince(start), 30);
    EXPECT_EQ(buffer[0], 0x02);
    EXPECT_EQ(buffer[1], 'D');
    EXPECT_EQ(buffer[2], 0xFF);
    EXPECT_EQ(buffer[3], 0xFF);
}

TEST(SerialChannel, CompleteReadEndsAtOnceAndTakesNoMore) {
    PtyPair pty;
    SerialChannel channel(LineTimeouts{.readTotalConstant = 2000});
    ASSERT_TRUE(channel.open(pty.slavePath()));
    std::thread matrix([&pty] {
        std::this_thread::sleep_for(milliseconds(20));
        pty.send({1, 2, 3, 4, 5, 6});
    });
    std::uint8_t buffer[4] = {};
    const auto start = Steady::now();
    EXPECT_EQ(channel.read(buffer, 4), 4u);
    EXPECT_LT(msSince(start), 1000);
    matrix.join();
    std::uint8_t rest[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(channel.read(rest, 4), 2u);
    EXPECT_EQ(rest[0], 5);
    EXPECT_EQ(rest[1], 6);
}

TEST(SerialChannel, GapEndsARead) {
    // A byte 10 ms after the first keeps the read going; the third comes long after the gap, and the total
    // is longer still, so only the gap can end the read in between. The gap is widened from its usual 30 ms
    // so that a busy machine's scheduling cannot open one between the first two bytes.
    PtyPair pty;
    SerialChannel channel(LineTimeouts{.readInterval = 150, .readTotalConstant = 3000});
    ASSERT_TRUE(channel.open(pty.slavePath()));
    std::thread matrix([&pty] {
        pty.send({1});
        std::this_thread::sleep_for(milliseconds(10));
        pty.send({2});
        std::this_thread::sleep_for(milliseconds(1500));
        pty.send({3});
    });
    std::uint8_t buffer[100] = {};
    const auto start = Steady::now();
    EXPECT_EQ(channel.read(buffer, 100), 2u);
    const long long took = msSince(start);
    matrix.join();
    // The second byte comes about 10 ms in and the gap then runs 150 ms; the clock starts a little after the
    // first byte was sent.
    EXPECT_GE(took, 140);
    EXPECT_LT(took, 160 + kSlackMs);
}

TEST(SerialChannel, TotalEndsAReadOfASteadyStream) {
    // A byte every 10 ms never leaves a gap of 300 ms, so only the 100 + 100 ms total ends the read.
    PtyPair pty;
    SerialChannel channel(LineTimeouts{.readInterval = 300, .readTotalConstant = 100});
    ASSERT_TRUE(channel.open(pty.slavePath()));
    std::thread stream([&pty] {
        for (int i = 0; i < 40; ++i) {
            pty.send({static_cast<std::uint8_t>(i)});
            std::this_thread::sleep_for(milliseconds(10));
        }
    });
    std::uint8_t buffer[100] = {};
    const auto start = Steady::now();
    const std::size_t got = channel.read(buffer, 100);
    const long long took = msSince(start);
    stream.join();
    EXPECT_GE(took, 200);
    EXPECT_LT(took, 200 + kSlackMs);
    EXPECT_GT(got, 5u);
    EXPECT_LT(got, 40u);
}

TEST_F(SerialChannelTest, BytesWaitingNeverBlocks) {
    // Quicker than any read time-out, even on a busy machine.
    auto start = Steady::now();
    EXPECT_EQ(channel.bytesWaiting(), 0u);
    EXPECT_LT(msSince(start), 50);
    ASSERT_TRUE(pty.send({7, 8, 9}));
    // The pseudo-terminal hands bytes over a moment after the write.
    start = Steady::now();
    while (channel.bytesWaiting() < 3 && msSince(start) < 1000)
        std::this_thread::sleep_for(milliseconds(1));
    EXPECT_EQ(channel.bytesWaiting(), 3u);
}

TEST_F(SerialChannelTest, StuckLineFailsTheWriteAfterItsTimeOut) {
    // Nobody reads the master, so the line's buffer fills and a write must give up after 30 + 1 ms.
    long long failedAfter = -1;
    for (int i = 0; i < 1 << 20 && failedAfter < 0; ++i) {
        const auto start = Steady::now();
        if (!channel.writeByte(0x55))
            failedAfter = msSince(start);
    }
    EXPECT_GE(failedAfter, 31);
    EXPECT_LT(failedAfter, 31 + kSlackMs);
}

TEST(SerialChannel, MissingDeviceFailsCleanly) {
    SerialChannel missing;
    EXPECT_FALSE(missing.open("/nonexistent/ttyUSB9"));
    EXPECT_EQ(missing.openFailure(), SerialChannel::kNoSuchDevice);
    EXPECT_FALSE(missing.isOpen());
    EXPECT_FALSE(missing.writeByte(0x02));
    std::uint8_t buffer[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(missing.read(buffer, 4), 0u);
    EXPECT_FALSE(missing.lineGone());
}

} // namespace
} // namespace rl4
