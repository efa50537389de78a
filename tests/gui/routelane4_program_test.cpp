// routelane4 itself, started offscreen against the software matrix and closed by a signal.

#include "platform/pty_pair.h"
#include "platform/text_file.h"
#include "support/sim_process.h"
#include "window_rig.h"

#include <QElapsedTimer>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace rl4::test {
namespace {

// routelane4 run with arguments; its output goes to a file. Killed if still running at the end.
class Program {
public:
    Program(const std::vector<std::string>& args, const std::string& outputPath) {
        std::vector<char*> argv{const_cast<char*>(RL4_ROUTELANE4)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, outputPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
        if (posix_spawn(&pid_, RL4_ROUTELANE4, &files, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&files);
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool started() const { return pid_ > 0; }
    void signal(int number) { kill(pid_, number); }
    // The exit status, or -1 when it did not end by itself in time.
    int wait(int millis) {
        QElapsedTimer clock;
        clock.start();
        int status = 0;
        while (clock.elapsed() < millis) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            QThread::msleep(10);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
};

std::vector<std::string> lines(const std::string& path) {
    return readTextLines(path).value_or(std::vector<std::string>{});
}

// Position of the first line at or after `from` that starts with `prefix`; npos when there is none.
std::size_t find(const std::vector<std::string>& log, const std::string& prefix, std::size_t from = 0) {
    for (std::size_t i = from; i < log.size(); ++i)
        if (log[i].starts_with(prefix))
            return i;
    return std::string::npos;
}

TEST(Routelane4Program, StartsUpOnTheMatrixAndStoresItsStatusWhenTerminated) {
    QTemporaryDir matrixDir;
    const std::string pty = matrixDir.filePath("matrix").toStdString();
    const std::string logPath = matrixDir.filePath("matrix.log").toStdString();
    SimProcess sim({"--pty", pty, "--log", logPath});
    ASSERT_TRUE(sim.waitReady());
    WindowRig rig(kLanguageEnglish, videoAudioAssignment(), pty);
    const std::string settingsPath = rig.folder() + "/routelane4.set";
    // A reserved line that the shutdown's writing sets back to 0.
    std::vector<std::string> settingsBefore = lines(settingsPath);
    ASSERT_EQ(settingsBefore.size(), 27u);
    settingsBefore[13] = "7";
    ASSERT_EQ(writeTextLines(settingsPath, settingsBefore), "");

    Program program({"--data", rig.folder()}, rig.folder() + "/output.txt");
    ASSERT_TRUE(program.started());
    // The read of the first destination's VCA level is the start-up's last frame.
    ASSERT_TRUE(
        WindowRig::pumpUntil([&] { return find(lines(logPath), "RX 02 6E") != std::string::npos; }, 20000))
        << "matrix log:\n"
        << readTextLines(logPath).value_or(std::vector<std::string>{}).size() << " lines";
    program.signal(SIGTERM);
    EXPECT_EQ(program.wait(10000), 0);

    const std::vector<std::string> log = lines(logPath);
    const std::size_t identity = find(log, "RX 02 78 78 78 03");
    const std::size_t onLine = find(log, "RX 02 44 01 00 03", identity);
    const std::size_t vcaSetup = find(log, "RX 02 70 01 00 03", onLine);
    const std::size_t video = find(log, "RX 02 76 00 00 03", vcaSetup);
    const std::size_t audio = find(log, "RX 02 61 00 00 03", video);
    const std::size_t rgb = find(log, "RX 02 72 00 00 03", audio);
    const std::size_t yc = find(log, "RX 02 79 00 00 03", rgb);
    const std::size_t vcaRead = find(log, "RX 02 6E 01 00 03", yc);
    const std::size_t store = find(log, "RX 02 53 53 53 03", vcaRead);
    for (std::size_t step : {identity, onLine, vcaSetup, video, audio, rgb, yc, vcaRead, store})
        EXPECT_NE(step, std::string::npos);
    // The store is the last thing the program asks.
    EXPECT_EQ(find(log, "RX ", store + 1), std::string::npos);

    const std::vector<std::string> settings = lines(settingsPath);
    ASSERT_EQ(settings.size(), 27u);
    EXPECT_EQ(settings[0], "5");  // the protocol length that answered
    EXPECT_EQ(settings[12], "1"); // English
    EXPECT_EQ(settings[24], "1"); // the port
    EXPECT_EQ(settings[13], "0"); // rewritten at the shutdown
    // The window was neither moved nor resized: its place and size (7000 and 11530, which whole pixels do
    // not carry) are written back as they were read.
    EXPECT_EQ(std::vector(settings.begin() + 2, settings.begin() + 6),
              std::vector(settingsBefore.begin() + 2, settingsBefore.begin() + 6));
}

TEST(Routelane4Program, ATerminationClosesTheQuestionsItFindsOnTheScreen) {
    // No matrix on any port: the start-up tells so in a message box that nobody will answer. The last port
    // searched is a line without a matrix, where the search is seen to end.
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    PtyPair silentLine;
    std::vector<std::string> ports;
    for (int port = 1; port < 8; ++port)
        ports.push_back(std::to_string(port) + "=" + rig.folder() + "/absent-port");
    ports.push_back("8=" + silentLine.slavePath());
    ASSERT_EQ(writeTextLines(rig.folder() + "/routelane4.ports", ports), "");
    const std::string settingsPath = rig.folder() + "/routelane4.set";
    const auto settingsBefore = lines(settingsPath);
    Program program({"--data", rig.folder()}, rig.folder() + "/output.txt");
    ASSERT_TRUE(program.started());
    // The identity request in the 4-byte form, then in the 5-byte form: the search's last frame.
    const std::vector<std::uint8_t> lastAttempts{0x3D, 0x80, 0x80, 0x81, 0x02, 0x78, 0x78, 0x78, 0x03};
    ASSERT_EQ(silentLine.receive(lastAttempts.size(), 20000), lastAttempts);
    program.signal(SIGTERM);
    EXPECT_EQ(program.wait(10000), 0);
    // The shutdown ran: the settings keep the port read at start (1), not the 0 of the run without a matrix.
    const std::vector<std::string> settings = lines(settingsPath);
    ASSERT_EQ(settings.size(), 27u);
    EXPECT_EQ(settings[24], "1");
    EXPECT_EQ(settings[0], "4"); // no matrix: the 4-byte form
    EXPECT_NE(settings, settingsBefore);
}

TEST(Routelane4Program, TellsItsUsage) {
    QTemporaryDir dir;
    const std::string output = dir.filePath("output.txt").toStdString();
    {
        Program help({"--help"}, output);
        EXPECT_EQ(help.wait(10000), 0);
        EXPECT_NE(find(lines(output), "Usage: routelane4"), std::string::npos);
    }
    {
        Program wrong({"--bogus"}, output);
        EXPECT_EQ(wrong.wait(10000), 64);
        EXPECT_NE(find(lines(output), "routelane4: unknown option '--bogus'"), std::string::npos);
    }
}

} // namespace
} // namespace rl4::test
