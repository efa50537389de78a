#include "lines.h"
#include "platform/mapped_port_opener.h"
#include "platform/other_process.h"
#include "platform/program_folder_lock.h"
#include "platform/serial_channel.h"
#include "platform/socket_channel.h"
#include "platform/text_file.h"
#include "support/temp_folder.h"

#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace rl4 {
namespace {

std::string inUseByThisProgram(int pid) {
    return "in use by process " + std::to_string(pid) + " (test_platform)";
}

// Frames written to a file, a pipe or /dev/null would be lost or, worse, overwrite the file: only a line is
// a port, and anything else is as unavailable as a missing device, with its reason.
TEST(MappedPortOpener, OpensEachTargetOnItsChannelAndOnlyATerminalAsASerialPort) {
    test::PtyPair pty;
    test::LoopbackListener server;
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
