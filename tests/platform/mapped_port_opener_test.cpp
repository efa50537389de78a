#include "loopback_listener.h"
#include "platform/mapped_port_opener.h"
#include "platform/serial_channel.h"
#include "platform/socket_channel.h"
#include "pty_pair.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

TEST(MappedPortOpener, OpensMappedNumbersOnTheRightChannel) {
    test::PtyPair pty;
    test::LoopbackListener server;
    MappedPortOpener opener(PortMap::parse(
        {"3=" + pty.slavePath(), "4=/nonexistent/ttyUSB0", "5=" + server.target(), "6=socket://127.0.0.1"}));
    const auto serial = opener.openPort(3);
    ASSERT_NE(dynamic_cast<SerialChannel*>(serial.get()), nullptr);
    EXPECT_TRUE(serial->writeByte(0x5A));
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x5A});
    EXPECT_NE(dynamic_cast<SocketChannel*>(opener.openPort(5).get()), nullptr);

    for (int unopenable : {-1, 0, 4, 6, 256})
        EXPECT_EQ(opener.openPort(unopenable), nullptr) << unopenable;
    opener.map().set(200, pty.slavePath());
    EXPECT_NE(opener.openPort(200), nullptr);
}

} // namespace
} // namespace rl4
