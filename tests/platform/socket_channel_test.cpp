#include "loopback_listener.h"
#include "platform/socket_channel.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/tcp.h>
#include <thread>
#include <vector>

namespace rl4 {
namespace {

using test::LoopbackListener;
using Steady = std::chrono::steady_clock;

long long msSince(Steady::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count();
}

TEST(SocketChannel, BytesTravelBothWaysWithoutDelay) {
    LoopbackListener server;
    SocketChannel channel;
    ASSERT_TRUE(channel.open("socket://localhost:" + std::to_string(server.port())));
    const int peer = server.accept();
    ASSERT_GE(peer, 0);

    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ASSERT_EQ(::getsockopt(channel.descriptor(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length), 0);
    EXPECT_NE(noDelay, 0);

    for (std::uint8_t byte : {0x02, 0x56, 0x01, 0x02, 0x03})
        ASSERT_TRUE(channel.writeByte(byte));
    std::uint8_t received[5] = {};
    ASSERT_EQ(::recv(peer, received, 5, MSG_WAITALL), 5);
    EXPECT_EQ(received[1], 0x56);
    EXPECT_EQ(received[4], 0x03);

    const std::uint8_t answer[3] = {0x02, 0x44, 0x03};
    ASSERT_EQ(::send(peer, answer, 3, 0), 3);
    const auto start = Steady::now();
    while (channel.bytesWaiting() < 3 && msSince(start) < 1000)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::uint8_t buffer[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(channel.read(buffer, 4), 3u);
    EXPECT_EQ(buffer[1], 0x44);
    EXPECT_EQ(buffer[3], 0xFF);
    ::close(peer);
}

TEST(SocketChannel, AnAnswerDelayedByTheNetworkIsStillRead) {
    // 70 ms is beyond a local line's 50 ms wait for the first byte, within a network target's.
    LoopbackListener server;
    SocketChannel channel;
    ASSERT_TRUE(channel.open(server.target()));
    const int peer = server.accept();
    ASSERT_GE(peer, 0);
    std::thread late([peer] {
        std::this_thread::sleep_for(std::chrono::milliseconds(70));
        const std::uint8_t answer = 0x02;
        ::send(peer, &answer, 1, 0);
    });
    std::uint8_t buffer = 0xFF;
    EXPECT_EQ(channel.read(&buffer, 1), 1u);
    EXPECT_EQ(buffer, 0x02);
    late.join();
    ::close(peer);
}

TEST(SocketChannel, RefusedAndMalformedTargetsFailAtOnce) {
    std::string closedPort;
    {
        LoopbackListener gone;
        closedPort = gone.target();
    }
    const std::vector<std::string> targets = {closedPort,
                                              "socket://",
                                              "socket://127.0.0.1",
                                              "socket://127.0.0.1:",
                                              "socket://127.0.0.1:0",
                                              "socket://127.0.0.1:65536",
                                              "socket://127.0.0.1:40x1",
                                              "socket://:4001",
                                              "socket://[::1:4001",
                                              "tcp://127.0.0.1:4001",
                                              "/dev/ttyS0"};
    for (const std::string& target : targets) {
        SocketChannel channel;
        const auto start = Steady::now();
        EXPECT_FALSE(channel.open(target)) << target;
        EXPECT_FALSE(channel.isOpen()) << target;
        EXPECT_LT(msSince(start), 500) << target;
    }
}

TEST(SocketChannel, SilentServerTimesOutTheConnect) {
    // A listener whose queue is full and that never accepts drops new handshakes, as a dead server does.
    LoopbackListener server(0);
    std::vector<std::unique_ptr<SocketChannel>> queued;
    long long failedAfter = -1;
    for (int i = 0; i < 8 && failedAfter < 0; ++i) {
        auto channel = std::make_unique<SocketChannel>();
        const auto start = Steady::now();
        if (!channel->open(server.target()))
            failedAfter = msSince(start);
        queued.push_back(std::move(channel));
    }
    EXPECT_GE(failedAfter, SocketChannel::kConnectTimeoutMs);
    EXPECT_LT(failedAfter, SocketChannel::kConnectTimeoutMs + 500);
}

} // namespace
} // namespace rl4
