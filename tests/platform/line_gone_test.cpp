#include "loopback_listener.h"
#include "platform/serial_channel.h"
#include "platform/socket_channel.h"
#include "pty_pair.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <sys/socket.h>

namespace rl4 {
namespace {

using Steady = std::chrono::steady_clock;

enum class FarEnd { PtyMasterClosed, PeerClosed, PeerReset };
enum class Probe { Read, Write, BytesWaiting };

// Waits that only noticing the end can cut short.
constexpr LineTimeouts kPatient{.readInterval = 5000, .readTotalConstant = 5000, .writeTotalConstant = 5000};

// A channel whose far end has just gone.
class CutLine {
public:
    explicit CutLine(FarEnd end) {
        if (end == FarEnd::PtyMasterClosed) {
            channel = std::make_unique<SerialChannel>(kPatient);
            opened = channel->open(pty.slavePath());
            pty.closeMaster();
            return;
        }
        channel = std::make_unique<SocketChannel>(kPatient);
        opened = channel->open(server.target());
        const int peer = server.accept();
        if (end == FarEnd::PeerReset) {
            const linger abort{1, 0};
            ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        ::close(peer);
        awaitEvent(POLLRDHUP);
    }

    // Until the socket shows `events` (errors and hang-ups always count), at most a second.
    void awaitEvent(short events) const {
        pollfd p{channel->descriptor(), events, 0};
        ::poll(&p, 1, 1000);
    }

    test::PtyPair pty;
    test::LoopbackListener server;
    std::unique_ptr<DescriptorChannel> channel;
    bool opened = false;
};

TEST(LineGone, EachOperationNoticesTheFarEndGoingAndNothingWaitsAfter) {
    const std::set<std::string> closed{ByteChannel::kClosedByPeer};
    const std::set<std::string> reset{ByteChannel::kConnectionReset};
    const struct {
        FarEnd end;
        Probe probe;
        std::set<std::string> reasons;
    } cases[] = {
        {FarEnd::PtyMasterClosed, Probe::Read, {ByteChannel::kHungUp}},
        {FarEnd::PtyMasterClosed, Probe::Write, {ByteChannel::kHungUp}},
        {FarEnd::PtyMasterClosed, Probe::BytesWaiting, {ByteChannel::kHungUp}},
        {FarEnd::PeerClosed, Probe::Read, closed},
        {FarEnd::PeerClosed, Probe::BytesWaiting, closed},
        // The first byte reaches the closed peer, whose answer is a reset; the loopback may deliver it
        // before or after the next write.
        {FarEnd::PeerClosed, Probe::Write, {ByteChannel::kClosedByPeer, ByteChannel::kConnectionReset}},
        {FarEnd::PeerReset, Probe::Read, reset},
        {FarEnd::PeerReset, Probe::BytesWaiting, reset},
        {FarEnd::PeerReset, Probe::Write, reset},
    };
    for (const auto& c : cases) {
        const char* ends[] = {"pty master closed", "peer closed", "peer reset"};
        const char* probes[] = {" / read", " / write", " / bytesWaiting"};
        const std::string label =
            std::string(ends[static_cast<int>(c.end)]) + probes[static_cast<int>(c.probe)];
        CutLine line(c.end);
        ASSERT_TRUE(line.opened) << label;
        ByteChannel& channel = *line.channel;
        EXPECT_FALSE(channel.lineGone()) << label;
        std::uint8_t buffer[4] = {0xFF, 0xFF, 0xFF, 0xFF};
        const auto start = Steady::now();
        switch (c.probe) {
        case Probe::Read:
            EXPECT_EQ(channel.read(buffer, 4), 0u) << label;
            break;
        case Probe::Write:
            for (int i = 0; i < 100 && channel.writeByte(0x02); ++i)
                line.awaitEvent(0);
            break;
        case Probe::BytesWaiting:
            EXPECT_EQ(channel.bytesWaiting(), 0u) << label;
            break;
        }
        EXPECT_LT(Steady::now() - start, std::chrono::seconds(2)) << label;
        EXPECT_TRUE(channel.lineGone()) << label;
        EXPECT_TRUE(c.reasons.contains(channel.lineGoneReason()))
            << label << ": " << channel.lineGoneReason();

        // A thousand tries on the dead line cost less than one of its 5-second waits: none waits at all.
        const auto after = Steady::now();
        for (int i = 0; i < 1000; ++i) {
            EXPECT_EQ(channel.read(buffer, 4), 0u);
            EXPECT_FALSE(channel.writeByte(0x02));
            EXPECT_EQ(channel.bytesWaiting(), 0u);
        }
        EXPECT_LT(Steady::now() - after, std::chrono::milliseconds(500)) << label;
        EXPECT_EQ(buffer[0], 0xFF) << label;
        EXPECT_TRUE(channel.lineGone()) << label;

        channel.close();
        EXPECT_FALSE(channel.lineGone()) << label;
        EXPECT_EQ(channel.lineGoneReason(), "") << label;
    }
}

TEST(LineGone, TheLastBytesBeforeTheEndAreStillRead) {
    test::LoopbackListener server;
    SocketChannel channel(kPatient);
    ASSERT_TRUE(channel.open(server.target()));
    const int peer = server.accept();
    const std::uint8_t answer[3] = {0x02, 0x44, 0x03};
    ASSERT_EQ(::send(peer, answer, 3, 0), 3);
    ::close(peer);
    pollfd p{channel.descriptor(), POLLRDHUP, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);

    EXPECT_EQ(channel.bytesWaiting(), 3u);
    EXPECT_FALSE(channel.lineGone());
    std::uint8_t buffer[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(channel.read(buffer, 4), 3u);
    EXPECT_EQ(buffer[2], 0x03);
    EXPECT_TRUE(channel.lineGone());

    // Opened again on a server that is there, the line is whole.
    ASSERT_TRUE(channel.open(server.target()));
    EXPECT_FALSE(channel.lineGone());
    EXPECT_TRUE(channel.writeByte(0x02));
}

} // namespace
} // namespace rl4
