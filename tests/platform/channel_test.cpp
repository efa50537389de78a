#include "platform/mapped_port_opener.h"
#include "platform/other_process.h"
#include "platform/program_folder_lock.h"
#include "platform/pty_pair.h"
#include "platform/serial_channel.h"
#include "platform/socket_channel.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>

namespace rl4 {
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
using Steady = std::chrono::steady_clock;
using std::chrono::milliseconds;

long long msSince(Steady::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Steady::now() - start).count();
}

// Room for a loaded machine above the times the line rules fix; the tests that use it run alone.
constexpr long long kSlackMs = 400;

TEST(SerialChannel, LineIsRawAndPassesControlBytesBothWays) {
    test::PtyPair pty;
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
        test::PtyPair pty;
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
    test::PtyPair pty;
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
    for (FarEnd end : {FarEnd::PtyMasterClosed, FarEnd::PeerClosed, FarEnd::PeerReset}) {
        for (Probe probe : {Probe::Read, Probe::Write, Probe::BytesWaiting}) {
            SCOPED_TRACE("far end " + std::to_string(int(end)) + ", probe " + std::to_string(int(probe)));
            test::PtyPair pty;
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
}

std::string inUseByThisProgram(int pid) {
    return "in use by process " + std::to_string(pid) + " (test_platform)";
}

// Frames written to a file, a pipe or /dev/null would be lost or, worse, overwrite the file: only a line is
// a port, and anything else is as unavailable as a missing device, with its reason.
TEST(MappedPortOpener, OpensEachTargetOnItsChannelAndOnlyATerminalAsASerialPort) {
    test::PtyPair pty;
    LoopbackListener server;
    test::TempFolder dir;
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
    test::PtyPair pty;
    test::TempFolder folder;
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
    ASSERT_TRUE(processWithFileOpen(held).has_value());
    EXPECT_EQ(processWithFileOpen(held)->pid, other);
    EXPECT_EQ(inUseBy(std::nullopt), "in use by another process");

    ::kill(other, SIGKILL);
    ::waitpid(other, nullptr, 0);
    EXPECT_TRUE(channel.open(pty.slavePath()));
    EXPECT_TRUE(ProgramFolderLock(folder.path()).held());
    EXPECT_EQ(processWithFileOpen(held), std::nullopt);
}

TEST(ProgramFolderLock, TwoInOneProcessConflictAndABadFolderSaysWhy) {
    test::TempFolder folder;
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

} // namespace
} // namespace rl4
