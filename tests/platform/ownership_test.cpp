#include "child_process.h"
#include "platform/mapped_port_opener.h"
#include "platform/other_process.h"
#include "platform/program_folder_lock.h"
#include "platform/serial_channel.h"
#include "platform/text_file.h"
#include "pty_pair.h"
#include "support/temp_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace rl4 {
namespace {

std::string inUseByThisProgram(int pid) {
    return "in use by process " + std::to_string(pid) + " (test_platform)";
}

TEST(OneOwnerPerLine, ASecondOpenerIsToldTheLineIsInUseUntilTheFirstCloses) {
    test::PtyPair pty;
    SerialChannel first;
    ASSERT_TRUE(first.open(pty.slavePath()));
    MappedPortOpener opener(PortMap::parse({"2=" + pty.slavePath()}));
    EXPECT_EQ(opener.openPort(2), nullptr);
    EXPECT_EQ(opener.lastFailure(), inUseByThisProgram(::getpid()));

    // The refused opener left the line as it was: the first one still has it whole.
    ASSERT_TRUE(pty.send({0x02, 0x44}));
    std::uint8_t buffer[2] = {};
    EXPECT_EQ(first.read(buffer, 2), 2u);
    EXPECT_EQ(buffer[1], 0x44);

    first.close();
    EXPECT_NE(opener.openPort(2), nullptr);
    EXPECT_EQ(opener.lastFailure(), "");
}

TEST(OneOwnerPerLine, AnotherProgramIsNamedAndItsCrashFreesTheLine) {
    test::PtyPair pty;
    test::ChildProcess other([&pty] {
        static SerialChannel held;
        return held.open(pty.slavePath());
    });
    ASSERT_TRUE(other.ready());
    SerialChannel channel;
    EXPECT_FALSE(channel.open(pty.slavePath()));
    EXPECT_EQ(channel.openFailure(), inUseByThisProgram(other.pid()));
    other.kill();
    EXPECT_TRUE(channel.open(pty.slavePath()));
}

TEST(OtherProcess, FoundByTheFileItHasOpen) {
    test::TempFolder folder;
    const std::string path = folder.path("held");
    ASSERT_EQ(writeTextLines(path, {"x"}), "");
    EXPECT_EQ(processWithFileOpen(path), std::nullopt);
    test::ChildProcess other([&path] { return ::open(path.c_str(), O_RDONLY) >= 0; });
    ASSERT_TRUE(other.ready());
    const auto found = processWithFileOpen(path);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->describe(), "process " + std::to_string(other.pid()) + " (test_platform)");
    EXPECT_EQ(OtherProcess{}.describe(), "another process");
    EXPECT_EQ(inUseBy(std::nullopt), "in use by another process");
}

TEST(ProgramFolderLock, TwoOpensInOneProcessConflict) {
    test::TempFolder folder;
    auto first = std::make_unique<ProgramFolderLock>(folder.path());
    ASSERT_TRUE(first->held()) << first->failure();
    EXPECT_EQ(first->failure(), "");
    EXPECT_EQ(readTextLines(first->path()), std::vector<std::string>{std::to_string(::getpid())});

    ProgramFolderLock second(folder.path());
    EXPECT_FALSE(second.held());
    ASSERT_TRUE(second.holder().has_value());
    EXPECT_EQ(second.holder()->pid, ::getpid());
    EXPECT_EQ(second.failure(), inUseByThisProgram(::getpid()));
    // Another program's lock in the same folder is its own.
    EXPECT_TRUE(ProgramFolderLock(folder.path(), ".protocol.lock").held());

    ProgramFolderLock moved(std::move(*first));
    first.reset();
    EXPECT_TRUE(moved.held());
    EXPECT_FALSE(ProgramFolderLock(folder.path()).held());
    moved.release();
    EXPECT_TRUE(ProgramFolderLock(folder.path()).held());
}

TEST(ProgramFolderLock, AnotherProcessIsNamedAndItsCrashLeavesNoStaleLock) {
    test::TempFolder folder;
    test::ChildProcess other([&folder] {
        static ProgramFolderLock lock(folder.path());
        return lock.held();
    });
    ASSERT_TRUE(other.ready());
    const ProgramFolderLock refused(folder.path());
    EXPECT_FALSE(refused.held());
    EXPECT_EQ(refused.failure(), inUseByThisProgram(other.pid()));
    other.kill();
    EXPECT_TRUE(ProgramFolderLock(folder.path()).held());
}

TEST(ProgramFolderLock, AFolderThatCannotHoldTheLockSaysWhy) {
    test::TempFolder folder;
    const ProgramFolderLock missing(folder.path("absent"));
    EXPECT_FALSE(missing.held());
    EXPECT_FALSE(missing.holder().has_value());
    EXPECT_EQ(missing.failure(), folder.path("absent/.routelane4.lock") + ": No such file or directory");
}

} // namespace
} // namespace rl4
