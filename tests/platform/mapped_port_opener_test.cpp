#include "loopback_listener.h"
#include "platform/mapped_port_opener.h"
#include "platform/serial_channel.h"
#include "platform/socket_channel.h"
#include "pty_pair.h"
#include "support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sys/stat.h>

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
    serial->close();
    opener.map().set(200, pty.slavePath());
    EXPECT_NE(opener.openPort(200), nullptr);
    EXPECT_EQ(opener.lastFailure(), "");
}

// Frames written to a file, a pipe or /dev/null would be lost or, worse, overwrite the file: only a line is
// a port, and anything else is as unavailable as a missing device, with its reason.
TEST(MappedPortOpener, OnlyATerminalIsASerialPort) {
    test::TempFolder dir;
    const std::string file = dir.path("routelane4.agn");
    const std::string content = "[SOURCES]\r\nCamera 1\r\n";
    std::ofstream(file, std::ios::binary) << content;
    ASSERT_EQ(::mkfifo(dir.path("fifo").c_str(), 0600), 0);
    const std::vector<std::pair<std::string, std::string>> targets = {
        {file, "not a serial device"},
        {dir.folder(), "not a serial device"},
        {dir.path("fifo"), "not a serial device"},
        {"/dev/null", "not a serial device"},
        {dir.path("absent"), "no such device"},
        {"socket://127.0.0.1", "not a socket://HOST:PORT target"},
    };
    MappedPortOpener opener(PortMap::parse({}));
    for (const auto& [target, reason] : targets) {
        opener.map().set(1, target);
        EXPECT_EQ(opener.openPort(1), nullptr) << target;
        EXPECT_EQ(opener.lastFailure(), reason) << target;
    }
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), content);
}

} // namespace
} // namespace rl4
