#include "platform/mapped_port_opener.h"
#include "platform/other_process.h"
#include "platform/port_map_file.h"
#include "platform/program_folder.h"
#include "platform/program_folder_lock.h"
#include "platform/pty_pair.h"
#include "platform/serial_channel.h"
#include "platform/socket_channel.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <tuple>

namespace rl4::test {
namespace {

// A TCP listener on 127.0.0.1 at a port the system picks, standing in for a serial device server.
class LoopbackListener {
public:
    explicit LoopbackListener(int backlog = 4) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (::bind(fd_, any, length) == 0 && ::listen(fd_, backlog) == 0 &&
            ::getsockname(fd_, any, &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~LoopbackListener() { ::close(fd_); }
    LoopbackListener(const LoopbackListener&) = delete;

    int port() const { return port_; }
    std::string target() const { return "socket://127.0.0.1:" + std::to_string(port_); }
    // The next connection, or -1 when none comes within a second.
    int accept() const {
        pollfd p{fd_, POLLIN, 0};
        return ::poll(&p, 1, 1000) == 1 ? ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC) : -1;
    }

private:
    int fd_;
    int port_ = 0;
};

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

long long msSince(Steady::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Steady::now() - start).count();
}

// Room for a loaded machine above the times the line rules fix; the tests that use it run alone.
constexpr long long kSlackMs = 400;

TEST(SerialChannel, LineIsRawAndPassesControlBytesBothWays) {
    PtyPair pty;
    SerialChannel channel;
    ASSERT_TRUE(channel.open(pty.slavePath()));
    termios line{};
    ASSERT_EQ(::tcgetattr(pty.slave(), &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), B9600);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              tcflag_t{CS8 | CLOCAL | CREAD});
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY | ICRNL), 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ISIG | ECHO), 0u);

    // ETX, XON, XOFF, CR and LF are frame bytes to the matrix, never line controls.
    const Bytes frame{0x02, 0x11, 0x13, 0x0D, 0x0A, 0x03, 0xFF};
    for (std::uint8_t byte : frame)
        ASSERT_TRUE(channel.writeByte(byte));
    EXPECT_EQ(pty.receive(frame.size()), frame);
    ASSERT_TRUE(pty.send(frame));
    Bytes got(frame.size());
    EXPECT_EQ(channel.read(got.data(), got.size()), frame.size());
    EXPECT_EQ(got, frame);
}

TEST(SerialTiming, AReadEndsOnItsTotalOrOnAGapAndLeavesTheMissingBytesAsTheyWere) {
    const struct {
        LineTimeouts timeouts;
        int bytes, everyMs; // what the matrix sends during the read: 0, 1, 2 ..., one each `everyMs`
        std::size_t got;
        long long shortestMs, longestMs;
    } cases[] = {
        {{}, 0, 0, 0, 54, 54 + kSlackMs},                                                   // 50 + 4 x 1 ms
        {{.readTotalConstant = 2000}, 6, 0, 4, 0, 1000},                                    // ends at once
        {{.readInterval = 150, .readTotalConstant = 3000}, 2, 10, 2, 150, 160 + kSlackMs},  // the gap
        {{.readInterval = 1000, .readTotalConstant = 100}, 4, 150, 1, 104, 104 + kSlackMs}, // the total
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        PtyPair pty;
        SerialChannel channel(c.timeouts);
        ASSERT_TRUE(channel.open(pty.slavePath()));
        std::thread matrix([&] {
            for (int i = 0; i < c.bytes; ++i) {
                std::this_thread::sleep_for(milliseconds(i > 0 ? c.everyMs : 0));
                pty.send({static_cast<std::uint8_t>(i)});
            }
        });
        Bytes buffer(4, 0xFF);
        const std::clock_t cpuBefore = std::clock();
        const auto start = Steady::now();
        const std::size_t got = channel.read(buffer.data(), 4);
        const long long took = msSince(start);
        // The wait sleeps in poll: a spinning read would burn all of it.
        EXPECT_LT(std::clock() - cpuBefore, CLOCKS_PER_SEC / 50);
        matrix.join();
        EXPECT_EQ(got, c.got);
        EXPECT_GE(took, c.shortestMs);
        EXPECT_LT(took, c.longestMs);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(buffer[i], i < got ? i : 0xFFu) << i;
    }
}

TEST(SerialTiming, AStuckLineFailsTheWriteAfterItsTimeOut) {
    // Nobody reads the master, so the line's buffer fills and a write must give up after 30 + 1 ms.
    PtyPair pty;
    SerialChannel channel;
    ASSERT_TRUE(channel.open(pty.slavePath()));
    long long failedAfter = -1;
    for (int i = 0; i < 1 << 20 && failedAfter < 0; ++i) {
        const auto start = Steady::now();
        if (!channel.writeByte(0x55))
            failedAfter = msSince(start);
    }
    EXPECT_GE(failedAfter, 31);
    EXPECT_LT(failedAfter, 31 + kSlackMs);
    EXPECT_FALSE(channel.lineGone()) << "a stuck line is not a gone one";
}

// Until the channel's descriptor shows `events` (errors and hang-ups always count), at most a second.
void awaitEvent(const DescriptorChannel& channel, short events) {
    pollfd p{channel.descriptor(), events, 0};
    ::poll(&p, 1, 1000);
}

TEST(SocketChannel, BytesTravelBothWaysWithoutDelay) {
    LoopbackListener server;
    SocketChannel channel;
    ASSERT_TRUE(channel.open("socket://localhost:" + std::to_string(server.port())));
    const int peer = server.accept();
    int noDelay = 0;
    socklen_t length = sizeof noDelay;
    ASSERT_EQ(::getsockopt(channel.descriptor(), IPPROTO_TCP, TCP_NODELAY, &noDelay, &length), 0);
    EXPECT_NE(noDelay, 0);

    const Bytes frame{0x02, 0x56, 0x01, 0x02, 0x03};
    for (std::uint8_t byte : frame)
        ASSERT_TRUE(channel.writeByte(byte));
    Bytes received(5);
    ASSERT_EQ(::recv(peer, received.data(), 5, MSG_WAITALL), 5);
    EXPECT_EQ(received, frame);

    // 70 ms is beyond a local line's 50 ms wait for the first byte, within a network target's.
    std::thread late([&] {
        std::this_thread::sleep_for(milliseconds(70));
        ::send(peer, frame.data(), 3, 0);
    });
    Bytes buffer(4, 0xFF);
    EXPECT_EQ(channel.read(buffer.data(), 4), 3u);
    late.join();
    EXPECT_EQ(buffer, (Bytes{0x02, 0x56, 0x01, 0xFF}));

    // The last bytes before the far end goes are still read; another open is whole.
    ASSERT_EQ(::send(peer, frame.data(), 3, 0), 3);
    ::close(peer);
    awaitEvent(channel, POLLRDHUP);
    EXPECT_EQ(channel.bytesWaiting(), 3u);
    EXPECT_FALSE(channel.lineGone());
    EXPECT_EQ(channel.read(buffer.data(), 4), 3u);
    EXPECT_TRUE(channel.lineGone());
    ASSERT_TRUE(channel.open(server.target()));
    EXPECT_FALSE(channel.lineGone());
    EXPECT_TRUE(channel.writeByte(0x02));
}

TEST(SocketTiming, RefusedAndMalformedTargetsFailAtOnceASilentServerAfterItsTimeOut) {
    const std::string closedPort = LoopbackListener().target();
    for (const std::string& target : std::vector<std::string>{
             closedPort, "socket://", "socket://127.0.0.1", "socket://127.0.0.1:", "socket://127.0.0.1:0",
             "socket://127.0.0.1:65536", "socket://127.0.0.1:40x1", "socket://:4001", "socket://[::1:4001",
             "tcp://127.0.0.1:4001", "/dev/ttyS0"}) {
        SocketChannel channel;
        const auto start = Steady::now();
        EXPECT_FALSE(channel.open(target)) << target;
        EXPECT_FALSE(channel.isOpen()) << target;
        EXPECT_LT(msSince(start), SocketChannel::kConnectTimeoutMs / 2) << target;
    }

    // A listener whose queue is full and that never accepts drops new handshakes, as a dead server does.
    LoopbackListener server(0);
    std::vector<std::unique_ptr<SocketChannel>> queued;
    long long failedAfter = -1;
    for (int i = 0; i < 8 && failedAfter < 0; ++i) {
        const auto start = Steady::now();
        if (!queued.emplace_back(std::make_unique<SocketChannel>())->open(server.target()))
            failedAfter = msSince(start);
    }
    EXPECT_GE(failedAfter, SocketChannel::kConnectTimeoutMs);
    EXPECT_LT(failedAfter, SocketChannel::kConnectTimeoutMs + kSlackMs);
}

// Waits that only noticing the end can cut short.
constexpr LineTimeouts kPatient{.readInterval = 5000, .readTotalConstant = 5000, .writeTotalConstant = 5000};

enum class FarEnd { PtyMasterClosed, PeerClosed, PeerReset };
enum class Probe { Read, Write, BytesWaiting };

TEST(LineGoneTiming, EachOperationNoticesTheFarEndGoingAndNothingWaitsAfter) {
    for (FarEnd end : {FarEnd::PtyMasterClosed, FarEnd::PeerClosed, FarEnd::PeerReset})
        for (Probe probe : {Probe::Read, Probe::Write, Probe::BytesWaiting}) {
            SCOPED_TRACE("far end " + std::to_string(int(end)) + ", probe " + std::to_string(int(probe)));
            PtyPair pty;
            LoopbackListener server;
            std::unique_ptr<DescriptorChannel> channel;
            if (end == FarEnd::PtyMasterClosed) {
                channel = std::make_unique<SerialChannel>(kPatient);
                ASSERT_TRUE(channel->open(pty.slavePath()));
                pty.closeMaster();
            } else {
                channel = std::make_unique<SocketChannel>(kPatient);
                ASSERT_TRUE(channel->open(server.target()));
                const int peer = server.accept();
                const linger abort{1, 0};
                if (end == FarEnd::PeerReset)
                    ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
                ::close(peer);
                awaitEvent(*channel, POLLRDHUP);
            }
            EXPECT_FALSE(channel->lineGone());
            Bytes buffer(4, 0xFF);
            const auto start = Steady::now();
            EXPECT_EQ(probe == Probe::Read ? channel->read(buffer.data(), 4) : 0u, 0u);
            for (int i = 0; probe == Probe::Write && i < 100 && channel->writeByte(0x02); ++i)
                awaitEvent(*channel, 0);
            EXPECT_EQ(probe == Probe::BytesWaiting ? channel->bytesWaiting() : 0u, 0u);
            EXPECT_LT(msSince(start), 2500);
            // A byte written to a closed peer gets a reset for answer, which may come before the next write.
            const std::string reason = channel->lineGoneReason();
            const bool reset =
                end == FarEnd::PeerReset || (probe == Probe::Write && reason != ByteChannel::kClosedByPeer);
            EXPECT_EQ(reason, end == FarEnd::PtyMasterClosed ? ByteChannel::kHungUp
                              : reset                        ? ByteChannel::kConnectionReset
                                                             : ByteChannel::kClosedByPeer);

            // A thousand tries on the dead line cost less than one of its 5-second waits: none waits at all.
            const auto after = Steady::now();
            for (int i = 0; i < 1000; ++i) {
                EXPECT_EQ(channel->read(buffer.data(), 4), 0u);
                EXPECT_FALSE(channel->writeByte(0x02));
                EXPECT_EQ(channel->bytesWaiting(), 0u);
            }
            EXPECT_LT(msSince(after), 2500);
            EXPECT_EQ(buffer[0], 0xFF);
            channel->close();
            EXPECT_EQ(channel->lineGoneReason(), "");
        }
}

TEST(PortMap, ReadsTargetsAroundCommentsAndReportsBadLines) {
    PortMap map = PortMap::parse({"# room", "", "  3 = /dev/ttyUSB0  ", "5=socket://10.0.0.7:4001   # rack 2",
                                  "\t", "16=socket://[fe80::1]:4001", "/dev/ttyUSB1", "0=/dev/a", "17=/dev/a",
                                  "two=/dev/a", "4=   # none", "3=/dev/ttyACM0", "\x1B[31mred\x07",
                                  std::string(100, 'z'), "x\x01=/a"});
    const std::string at = "routelane4.ports line ", notMapping = "\" is not of the form N=TARGET";
    EXPECT_EQ(map.problems(),
              (Lines{at + "7: \"/dev/ttyUSB1" + notMapping, at + "8: port number \"0\" is not 1 to 16",
                     at + "9: port number \"17\" is not 1 to 16",
                     at + "10: port number \"two\" is not 1 to 16", at + "11: port 4 has no target",
                     at + "12: port 3 was already mapped on line 3; this line replaces it",
                     at + "13: \"\\x1B[31mred\\x07" + notMapping,
                     at + "14: \"" + std::string(60, 'z') + "\u2026" + notMapping,
                     at + "15: port number \"x\\x01\" is not 1 to 16"}));
    // Numbers without a line reach the platform's own ports.
    Lines targets;
    for (int number : {3, 4, 5, 16, 255, 0, 256})
        targets.push_back(map.target(number));
    EXPECT_EQ(targets, (Lines{"/dev/ttyACM0", "/dev/ttyS3", "socket://10.0.0.7:4001",
                              "socket://[fe80::1]:4001", "/dev/ttyS254", "", ""}));

    EXPECT_EQ(map.targetOfDevice("COM12"), "/dev/ttyS11");
    for (const char* notAPort : {"com", "com0", "com256", "com5x", "com-1", "tty5"})
        EXPECT_EQ(map.targetOfDevice(notAPort), std::nullopt) << notAPort;
    // A target from the command line wins over the file.
    EXPECT_TRUE(map.set(5, "/dev/ttyUSB7"));
    EXPECT_EQ(map.targetOfDevice("com5"), "/dev/ttyUSB7");
    EXPECT_FALSE(map.set(0, "/dev/ttyUSB7"));
    EXPECT_FALSE(map.set(6, ""));
}

TEST(PortMapFile, MapsOneNumberAndKeepsEveryOtherLine) {
    // A new number goes at the end; a replaced one keeps its comment, blanks around a target go; later lines
    // of the number would win over the new one and go; lines the reader skips stay.
    const std::tuple<Lines, int, std::string, Lines> cases[] = {
        {{"# rack 2", "1=/dev/ttyUSB0"}, 3, "/dev/ttyUSB1", {"# rack 2", "1=/dev/ttyUSB0", "3=/dev/ttyUSB1"}},
        {{"  2 = /dev/ttyS1  # desk", "5=/dev/a"}, 2, " /dev/c\t", {"2=/dev/c  # desk", "5=/dev/a"}},
        {{"6=/dev/a#spare"}, 6, "/dev/b", {"6=/dev/b #spare"}},
        {{"#4=/dev/a"}, 4, "/dev/b", {"#4=/dev/a", "4=/dev/b"}},
        {{}, 16, "/dev/câble€", {"16=/dev/câble€"}},
        {{"4=/dev/a", "junk", "x=/dev/b", "4=/dev/c # again", "4= # none"},
         4,
         "/d",
         {"4=/d", "junk", "x=/dev/b"}},
    };
    for (const auto& [lines, number, target, expected] : cases) {
        const PortMappingEdit edit = mapPortInLines(lines, number, target);
        EXPECT_EQ(edit.lines, expected) << target;
        EXPECT_EQ(edit.refusal, PortMappingRefusal::None) << target;
    }
    using enum PortMappingRefusal;
    const std::tuple<int, std::string, PortMappingRefusal> refusals[] = {{0, "/dev/a", NumberOutOfRange},
                                                                         {17, "/dev/a", NumberOutOfRange},
                                                                         {1, " \t", NoTarget},
                                                                         {1, "/dev/a#b", TargetNotWritable},
                                                                         {1, "/dev/a\x1b", TargetNotWritable},
                                                                         {1, "/dev/порт", TargetNotWritable}};
    for (const auto& [number, target, refusal] : refusals) {
        const PortMappingEdit edit = mapPortInLines({"1=/dev/old"}, number, target);
        EXPECT_EQ(edit.lines, Lines{"1=/dev/old"}) << target;
        EXPECT_EQ(edit.refusal, refusal) << target;
    }
}

TEST(PortMapFile, ReadFromEitherProgramsFileUpToTheBoundAndWrittenWholeOrNotAtAll) {
    TempFolder temp;
    EXPECT_EQ(PortMap::load(temp.path()).target(2), "/dev/ttyS1");
    ASSERT_EQ(writeTextLines(temp.path("protocol.ports"), {"2=/tmp/m", "y"}), "");
    const PortMap other = PortMap::load(temp.path(), "protocol.ports");
    EXPECT_EQ(other.target(2), "/tmp/m");
    EXPECT_EQ(other.problems(), Lines{"protocol.ports line 2: \"y\" is not of the form N=TARGET"});

    EXPECT_EQ(writePortMapping(temp.path(), 2, "/dev/{path}").describe(PortTextLanguage::English),
              temp.path("routelane4.ports") + ": port 2 now reaches \"/dev/{path}\"");
    ASSERT_TRUE(writePortMapping(temp.path(), 3, "socket://server:4001").done());
    ASSERT_TRUE(writePortMapping(temp.path(), 2, "/dev/ttyACM0", "protocol.ports").done());
    EXPECT_EQ(PortMap::load(temp.path()).target(3), "socket://server:4001");
    EXPECT_EQ(PortMap::load(temp.path(), "protocol.ports").target(2), "/dev/ttyACM0");
    const PortMappingResult refused = writePortMapping(temp.path(), 17, "/dev/ttyUSB0");
    EXPECT_EQ(refused.describe(PortTextLanguage::English), "Port number 17 is not 1 to 16");
    EXPECT_EQ(refused.describe(PortTextLanguage::French), "Le numéro de port 17 n'est pas de 1 à 16");

    // A folder where the file should be, or a file too large to be read whole: writing would lose it.
    fs::create_directories(temp.path("folder/routelane4.ports"));
    EXPECT_EQ(writePortMapping(temp.path("folder"), 1, "/dev/a").refusal, PortMappingRefusal::FileUnreadable);
    ASSERT_EQ(writeTextLines(temp.path("folder/protocol.ports"), Lines(kMaxTextFileLines + 1, "#")), "");
    EXPECT_EQ(writePortMapping(temp.path("folder"), 1, "/a", "protocol.ports").refusal,
              PortMappingRefusal::FileTooLarge);
    EXPECT_EQ(fs::file_size(temp.path("folder/protocol.ports")), (kMaxTextFileLines + 1) * 3);
    const PortMappingResult noFolder = writePortMapping(temp.path("none"), 1, "/dev/ttyUSB0");
    EXPECT_EQ(noFolder.refusal, PortMappingRefusal::WriteFailed);
    EXPECT_EQ(noFolder.describe(PortTextLanguage::French)
                  .rfind("Impossible d'écrire le fichier " + temp.path("none"), 0),
              0u);

    Lines huge(kMaxTextFileLines, "# padding");
    huge.push_back("3=/dev/ttyUSB3");
    ASSERT_EQ(writeTextLines(temp.path(PortMap::kFileName), huge), "");
    const PortMap cut = PortMap::load(temp.path());
    EXPECT_EQ(cut.target(3), "/dev/ttyS2");
    EXPECT_EQ(cut.problems(), Lines{"routelane4.ports: too large; 16 bytes after line " +
                                    std::to_string(kMaxTextFileLines) + " were not read"});
}

TEST(PortTable, EachNumberWithItsTargetThenTheDevicesNoNumberReachesButNoPseudoTerminal) {
    const PortMap map =
        PortMap::parse({"1=/dev/serial/by-id/usb-Acme-if00", "2=socket://10.0.0.40:4001", "3=/tmp/matrix"});
    const std::vector<SerialDevice> found = {
        {"/dev/ttyUSB10", "USB Serial", true, "", "USB Serial", "", 0x1a86, 0x7523},
        {"/dev/ttyUSB0", "FT232R USB UART", true, "Acme", "FT232R", "A1B2", 0x0403, 0x6001},
        {"/dev/ttyS5", "ttyS5", false, "", "", "", 0, 0},
        {"/dev/ttyUSB2", "", true, "", "", "9", 0, 0},
    };
    const std::map<std::string, std::string> places = {{"/dev/serial/by-id/usb-Acme-if00", "/dev/ttyUSB0"},
                                                       {"/tmp/matrix", "/dev/pts/7"},
                                                       {"/dev/ttyS5", "/dev/ttyS5"}};
    const auto locate = [&places](const std::string& path) -> std::optional<std::string> {
        return places.contains(path) ? std::optional(places.at(path)) : std::nullopt;
    };
    Lines english = {"port\ttarget\tstate\tdevice",
                     "1\t/dev/serial/by-id/usb-Acme-if00\tfound\tFT232R USB UART [Acme FT232R, serial A1B2, "
                     "USB 0403:6001]",
                     "2\tsocket://10.0.0.40:4001\tnetwork\t",
                     "3\t/tmp/matrix\tpresent\t",
                     "4\t/dev/ttyS3\tmissing\t",
                     "5\t/dev/ttyS4\tmissing\t",
                     "6\t/dev/ttyS5\tfound\tttyS5"};
    for (int n = 7; n <= 16; ++n)
        english.push_back(std::to_string(n) + "\t/dev/ttyS" + std::to_string(n - 1) + "\tmissing\t");
    english.push_back("-\t/dev/ttyUSB2\tfound\t[serial 9, USB 0000:0000]");
    english.push_back("-\t/dev/ttyUSB10\tfound\tUSB Serial [USB 1a86:7523]");
    const std::vector<PortRow> rows = portTable(map, found, locate);
    EXPECT_EQ(formatPortTable(rows, PortTextLanguage::English), english);
    const Lines french = formatPortTable(rows, PortTextLanguage::French);
    EXPECT_EQ(Lines(french.begin(), french.begin() + 5),
              (Lines{"port\tcible\tétat\tappareil",
                     "1\t/dev/serial/by-id/usb-Acme-if00\ttrouvé\tFT232R USB UART [Acme FT232R, n° de série "
                     "A1B2, USB 0403:6001]",
                     "2\tsocket://10.0.0.40:4001\tréseau\t", "3\t/tmp/matrix\tprésent\t",
                     "4\t/dev/ttyS3\tabsent\t"}));

    // Containers and most desktops have no serial port: the listing is then empty, not an error. A
    // pseudo-terminal is no device of the machine and is never listed, even behind a link.
    PtyPair pty;
    TempFolder temp;
    fs::create_symlink(pty.slavePath(), temp.path("matrix"));
    const SerialDeviceListing listing = listSerialDevices();
    EXPECT_EQ(listing.error, "");
    for (const SerialDevice& device : listing.devices)
        EXPECT_TRUE(device.path.starts_with("/dev/") && !device.path.starts_with("/dev/pts/")) << device.path;
    EXPECT_EQ(locateDevice(temp.path("matrix")), pty.slavePath());
    const PortMap linked = PortMap::parse({"1=" + temp.path("matrix"), "2=" + temp.path("nothing")});
    const std::vector<PortRow> listed = portTable(linked, listing.devices);
    EXPECT_EQ(listed[0].state, PortState::Present);
    EXPECT_EQ(listed[1].state, PortState::Missing);
}

std::string inUseByThisProgram(int pid) {
    return "in use by process " + std::to_string(pid) + " (test_platform)";
}

// Frames written to a file, a pipe or /dev/null would be lost or, worse, overwrite the file: only a line is
// a port, and anything else is as unavailable as a missing device, with its reason.
TEST(MappedPortOpener, OpensEachTargetOnItsChannelAndOnlyATerminalAsASerialPort) {
    PtyPair pty;
    LoopbackListener server;
    TempFolder dir;
    ASSERT_EQ(writeTextLines(dir.path("routelane4.agn"), {"[SOURCES]"}), "");
    ASSERT_EQ(::mkfifo(dir.path("fifo").c_str(), 0600), 0);
    MappedPortOpener opener(PortMap::parse({"3=" + pty.slavePath(), "5=" + server.target()}));
    auto serial = opener.openPort(3);
    ASSERT_NE(dynamic_cast<SerialChannel*>(serial.get()), nullptr);
    // One owner per line: a second opener is told the line is in use, and leaves it whole to the first.
    EXPECT_EQ(opener.openPort(3), nullptr);
    EXPECT_EQ(opener.lastFailure(), inUseByThisProgram(::getpid()));
    EXPECT_TRUE(serial->writeByte(0x5A));
    EXPECT_EQ(pty.receive(1), std::vector<std::uint8_t>{0x5A});
    serial.reset();
    EXPECT_NE(opener.openPort(3), nullptr);
    EXPECT_EQ(opener.lastFailure(), "");
    EXPECT_NE(dynamic_cast<SocketChannel*>(opener.openPort(5).get()), nullptr);
    EXPECT_EQ(opener.openPort(0), nullptr);
    EXPECT_EQ(opener.openPort(256), nullptr);

    const std::pair<std::string, std::string> refused[] = {
        {dir.path("routelane4.agn"), SerialChannel::kNotASerialDevice},
        {dir.folder(), SerialChannel::kNotASerialDevice},
        {dir.path("fifo"), SerialChannel::kNotASerialDevice},
        {"/dev/null", SerialChannel::kNotASerialDevice},
        {dir.path("absent"), SerialChannel::kNoSuchDevice},
        {"socket://127.0.0.1", "not a socket://HOST:PORT target"},
    };
    for (const auto& [target, reason] : refused) {
        opener.map().set(1, target);
        EXPECT_EQ(opener.openPort(1), nullptr) << target;
        EXPECT_EQ(opener.lastFailure(), reason) << target;
    }
    EXPECT_EQ(readTextLines(dir.path("routelane4.agn")), std::vector<std::string>{"[SOURCES]"});
}

// Another program that holds a line, the program folder or a file is named, and its crash frees them.
TEST(OneOwnerPerLine, AnotherProgramIsNamedAndItsCrashFreesTheLineAndTheFolder) {
    PtyPair pty;
    TempFolder folder;
    const std::string held = folder.path("held");
    ASSERT_EQ(writeTextLines(held, {"x"}), "");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t other = ::fork();
    if (other == 0) {
        // It holds on until killed, or until this test ends whatever way it ends.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        SerialChannel line;
        const ProgramFolderLock lock(folder.path());
        const bool taken = line.open(pty.slavePath()) && lock.held() && ::open(held.c_str(), O_RDONLY) >= 0;
        [[maybe_unused]] const auto written = ::write(ready[1], taken ? "1" : "0", 1);
        for (;;)
            ::pause();
    }
    char taken = 0;
    ASSERT_TRUE(::read(ready[0], &taken, 1) == 1 && taken == '1');
    SerialChannel channel;
    EXPECT_FALSE(channel.open(pty.slavePath()));
    EXPECT_EQ(channel.openFailure(), inUseByThisProgram(other));
    const ProgramFolderLock refused(folder.path());
    EXPECT_FALSE(refused.held());
    EXPECT_EQ(refused.failure(), inUseByThisProgram(other));
    EXPECT_EQ(processWithFileOpen(held).value_or(OtherProcess{}).pid, other);
    EXPECT_EQ(inUseBy(std::nullopt), "in use by another process");

    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    EXPECT_TRUE(channel.open(pty.slavePath()));
    EXPECT_TRUE(ProgramFolderLock(folder.path()).held());
    EXPECT_EQ(processWithFileOpen(held), std::nullopt);
}

TEST(ProgramFolderLock, TwoInOneProcessConflictAndABadFolderSaysWhy) {
    TempFolder folder;
    auto first = std::make_unique<ProgramFolderLock>(folder.path());
    ASSERT_TRUE(first->held()) << first->failure();
    EXPECT_EQ(readTextLines(first->path()), std::vector<std::string>{std::to_string(::getpid())});
    EXPECT_EQ(ProgramFolderLock(folder.path()).failure(), inUseByThisProgram(::getpid()));
    // Another program's lock in the same folder is its own.
    EXPECT_TRUE(ProgramFolderLock(folder.path(), ".protocol.lock").held());
    ProgramFolderLock moved(std::move(*first));
    first.reset();
    EXPECT_FALSE(ProgramFolderLock(folder.path()).held());
    moved.release();
    EXPECT_TRUE(ProgramFolderLock(folder.path()).held());

    // The holder back from the reason, for the texts that name it in the operator's language.
    for (const OtherProcess& holder :
         {OtherProcess{1234, "routelane4"}, OtherProcess{77, ""}, OtherProcess{}}) {
        const auto back = inUseHolder(inUseBy(holder));
        ASSERT_TRUE(back) << holder.describe();
        EXPECT_EQ(std::pair(back->pid, back->command), std::pair(holder.pid, holder.command));
    }
    EXPECT_EQ(inUseHolder(SerialChannel::kNoSuchDevice), std::nullopt);

    const ProgramFolderLock missing(folder.path("absent"));
    EXPECT_FALSE(missing.held());
    EXPECT_EQ(missing.failure(), folder.path("absent/.routelane4.lock") + ": No such file or directory");
}

auto entriesIn(const std::string& folder) {
    return std::distance(fs::directory_iterator(folder), {});
}

TEST(Windows1252, EveryByteRoundTripsAndWhatItLacksBecomesQuestionMarks) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(toWindows1252(fromWindows1252(all)), all);
    EXPECT_EQ(fromWindows1252("\x80\x92\x9F\x81\xE9\xFF"), "\u20AC\u2019\u0178\u0081\u00E9\u00FF");
    // What it lacks, then broken UTF-8: a lone continuation, a cut sequence, an overlong form, a surrogate,
    // beyond U+10FFFF, bytes that never start one.
    EXPECT_EQ(
        toWindows1252("\u03A9\U0001F600\u0080|\x80|\xE2\x82z|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|\xFF"),
        "???|?|??z|??|???|????|?");
}

TEST(TextFile, WritesCrLfAndReadsEitherLineEndInEitherEncoding) {
    TempFolder folder;
    const std::string path = folder.path("routelane4.cnx");
    ASSERT_EQ(writeTextLines(path, {"Setup#1", "Cam\u00E9ra \u20AC", ""}), "");
    EXPECT_EQ(fileBytes(path), "Setup#1\r\nCam\xE9ra \x80\r\n\r\n");
    EXPECT_TRUE(fileExists(path));
    EXPECT_FALSE(fileExists(folder.path()));
    // UTF-8 from an editor is told by its mark or, sequence by sequence, by being well-formed beyond ASCII;
    // any other byte is Windows-1252.
    using enum TextEncoding;
    const std::tuple<std::string, Lines, TextEncoding> cases[] = {
        {"a\r\nb\nc\rd\r\nlast", {"a", "b", "c\rd", "last"}, Windows1252},
        {"Cam\xE9ra\r\n", {"Cam\u00E9ra"}, Windows1252},
        {"Cam\xC3\xA9ra \xE2\x82\xAC", {"Cam\u00E9ra \u20AC"}, Utf8},
        {"\xC3\xA9t\xC3\xA9 \xE9\x80", {"\u00E9t\u00E9 \u00E9\u20AC"}, Utf8},
        {"Cam\xC3\xA9ra\r\n\xE9t\xE9", {"Cam\u00E9ra", "\u00E9t\u00E9"}, Utf8},
        {"\xEF\xBB\xBF\xE9\r\nx", {"\xE9", "x"}, Utf8},
    };
    for (const auto& [bytes, lines, encoding] : cases) {
        writeBytes(path, bytes);
        const std::optional<TextFileLines> read = readTextFile(path);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->lines, lines) << bytes;
        EXPECT_EQ(read->encoding, encoding) << bytes;
    }
}

TEST(TextFile, AReplacedFileKeepsItsModeAndAFailedWriteKeepsTheOldFileAndLeavesNothingBehind) {
    TempFolder folder;
    const std::string kept = folder.path("routelane4.cnx");
    ASSERT_EQ(writeTextLines(kept, Lines(100, "a long line of settings")), "");
    ASSERT_EQ(::chmod(kept.c_str(), 0640), 0);
    ASSERT_EQ(writeTextLines(kept, {"old"}), "");
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms(0640));
    // A folder in the way lets the temporary file be written, then the rename fails; so does a name too long
    // for the folder, the temporary one being cut.
    fs::create_directories(folder.path("routelane4.agn/inside"));
    const std::string longName = folder.path(std::string(300, 'n'));
    const std::tuple<std::string, std::string, int> cases[] = {
        {folder.path("gone/routelane4.cnx"), folder.path("gone"), ENOENT},
        {longName, longName, ENAMETOOLONG},
        {folder.path("routelane4.agn"), folder.path("routelane4.agn"), EISDIR},
    };
    for (const auto& [path, refused, error] : cases) {
        const auto failure = replaceTextFile(path, {"new"});
        ASSERT_TRUE(failure.has_value()) << path;
        EXPECT_EQ(failure->describe(), refused + ": " + std::strerror(error));
        EXPECT_EQ(writeTextLines(path, {"new"}), std::strerror(error));
    }
    // A file size limit makes the system refuse the write part-way, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small{4096, saved.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto cut = replaceTextFile(kept, Lines(1000, std::string(40, 'x')));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(cut.has_value());
    EXPECT_EQ(cut->describe(), kept + ": " + std::strerror(EFBIG));
    EXPECT_EQ(fileBytes(kept), "old\r\n");
    EXPECT_EQ(entriesIn(folder.path()), 2) << "no temporary is left";
}

TEST(TextFile, TemporariesLeftByAKilledWriterAreRemovedAndNothingElse) {
    TempFolder folder;
    for (const char* name : {".routelane4.cnx.a1B2c3", ".routelane4.cnx.Zz9Zz9", ".routelane4.cnx.a1B2c",
                             ".routelane4.cnx.a1B2c34", ".routelane4.cnx.a1-2c3", ".routelane4.agn.a1B2c3"})
        writeBytes(folder.path(name), "x");
    fs::create_directories(folder.path(".routelane4.cnx.abcdef"));
    EXPECT_EQ(removeLeftoverTemporaries(folder.path("routelane4.cnx")), 2u);
    EXPECT_EQ(entriesIn(folder.path()), 5);
    // By ending, for a folder: a file never written whole still counts; another program's files do not.
    for (const char* name : {".show.cnx.q1W2e3", ".protocol.set.a1B2c3", ".cnx.a1B2c3"})
        writeBytes(folder.path(name), "x");
    EXPECT_EQ(removeLeftoverTemporariesIn(folder.path(), {".cnx", ".agn", "routelane4.set"}), 2u);
    EXPECT_EQ(entriesIn(folder.path()), 6);
}

TEST(TextFile, ReadsOfHugeOrForeignFilesAreBounded) {
    TempFolder folder;
    std::string bigLines;
    for (std::size_t i = 0; i < kMaxTextFileBytes / 1024 + 10; ++i)
        bigLines += std::string(1023, 'a') + "\n";
    const std::tuple<std::string, std::size_t, std::size_t, std::uintmax_t> cases[] = {
        // lines, the first line's length, bytes left out; the bound on lines is checked on the port map
        {std::string(kMaxTextFileBytes + 1024 * 1024, '\0'), 1, kMaxTextFileBytes, 1024 * 1024},
        {bigLines, kMaxTextFileBytes / 1024, 1023, 10 * 1024},
        {std::string(kMaxTextFileBytes - 1, 'b') + "\n", 1, kMaxTextFileBytes - 1, 0},
    };
    for (const auto& [bytes, lines, firstLength, left] : cases) {
        SCOPED_TRACE(lines);
        writeBytes(folder.path("big"), bytes);
        std::uintmax_t skipped = 12345;
        const auto read = readTextLines(folder.path("big"), &skipped);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(read->size(), lines);
        EXPECT_EQ(read->front().size(), firstLength);
        EXPECT_EQ(skipped, left);
        EXPECT_EQ(readTextFile(folder.path("big"))->skippedBytes, left);
    }
    // A pipe would block the reader until someone wrote to it, a device might never end.
    ASSERT_EQ(::mkfifo(folder.path("fifo").c_str(), 0600), 0);
    EXPECT_EQ(readTextLines(folder.path("fifo")), std::nullopt);
    EXPECT_EQ(readTextFile("/dev/zero"), std::nullopt);
    EXPECT_EQ(readTextFile("/proc/self/mem"), std::nullopt) << "a file that fails to read";
}

TEST(TextFile, QuotedLinesAreEscapedAndCut) {
    std::string accents;
    for (int i = 0; i < 70; ++i)
        accents += "\u00E9";
    const std::string x58(58, 'x');
    const std::pair<std::string, std::string> cases[] = {
        {"1=/dev/ttyUSB0 \\\\.\\COM1 a\tb\r\n\x01\x1B[2J\x7F",
         "1=/dev/ttyUSB0 \\\\.\\COM1 a\\tb\\r\\n\\x01\\x1B[2J\\x7F"},
        {fromWindows1252("\x81\x9D\x80") + "caf\xC3\xA9 \xFF\xC3.",
         "\\x81\\x9D\u20ACcaf\xC3\xA9 \\xFF\\xC3."},
        {x58 + "yz", x58 + "yz"},
        {x58 + "\x01", x58 + "\u2026"},
        {accents, accents.substr(0, 120) + "\u2026"}, // a character of two bytes counts as one
    };
    for (const auto& [line, quoted] : cases)
        EXPECT_EQ(quotedLine(line), quoted) << line;
    EXPECT_EQ(quotedLine("abcdef", 3), "abc\u2026");
}

// A bin folder beside a share folder is an installation that every user shares: its programs keep their files
// in each user's home even when the folder is writable, as the temporary folder is here and /usr/bin is for
// root. Any other writable folder is portable: files beside the executable.
TEST(ProgramFolder, TheDataOptionThenTheExecutablesFolderThenTheHome) {
    TempFolder temp;
    for (const char* folder :
         {"bin", "usr/bin", "usr/share", "kit/share", "tools/sbin", "tools/share", "odd/bin", "ro"})
        fs::create_directories(temp.path(folder));
    writeBytes(temp.path("odd/share"), "x");
    writeBytes(temp.path("file"), "x");
    // Root may write anywhere, so a read-only folder only counts for other users.
    ::chmod(temp.path("ro").c_str(), 0555);
    const std::string home = "home/.local/share/routelane4", readOnly = ::geteuid() == 0 ? "ro" : home;
    const struct {
        std::optional<std::string> data;
        std::string executable, program, home, folder, error;
    } cases[] = {
        {"data/matrix", "bin/routelane4", "routelane4", "home", "data/matrix", ""},
        {"", "bin/routelane4", "routelane4", "home", "", "--data needs a folder"},
        {"file/data", "", "routelane4", "home", "", "cannot create folder " + temp.path("file/data") + ": "},
        {{}, "bin/routelane4", "routelane4", "home", "bin", ""},
        {{}, "/nonexistent/bin/routelane4", "routelane4", "home", home, ""},
        {{}, "", "protocol", "home", "home/.local/share/protocol", ""},
        {{}, "ro/routelane4", "routelane4", "home", readOnly, ""},
        {{}, "usr/bin/routelane4", "routelane4", "home", home, ""},
        {{}, "kit/routelane4", "routelane4", "home", "kit", ""},
        {{}, "tools/sbin/protocol", "protocol", "home", "tools/sbin", ""},
        {{}, "odd/bin/routelane4", "routelane4", "home", "odd/bin", ""}, // a file named share
        {{}, "/nonexistent/routelane4", "routelane4", "file", "", "cannot create folder "},
        {{}, "/nonexistent/routelane4", "routelane4", "", "", "cannot find a folder for the program's files"},
    };
    const auto at = [&temp](const std::string& p) { return p.empty() || p[0] == '/' ? p : temp.path(p); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.executable + " " + c.home);
        // HOME is this test's own: nothing else in the program reads it.
        c.home.empty() ? ::unsetenv("HOME") : ::setenv("HOME", at(c.home).c_str(), 1);
        const FolderChoice chosen =
            programFolder(c.data ? std::optional(at(*c.data)) : std::nullopt, at(c.executable), c.program);
        EXPECT_EQ(chosen.folder, at(c.folder));
        if (c.error.empty())
            EXPECT_TRUE(chosen.error.empty() && fs::is_directory(chosen.folder)) << chosen.error;
        else
            EXPECT_EQ(chosen.error.rfind(c.error, 0), 0u) << chosen.error;
    }
    EXPECT_EQ(fs::path(executablePath()).filename(), "test_platform");
}

} // namespace
} // namespace rl4::test
