// routelane4ctl's words, and its runs against matrixsim on pseudo-terminals: what a shell user sees on
// standard output and error, the exit status, the frames the matrix received and the files written.

#include "ctl/ctl_debug.h"
#include "ctl/ctl_options.h"
#include "platform/program_folder_lock.h"
#include "platform/pty_pair.h"
#include "platform/serial_channel.h"
#include "platform/text_file.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace rl4::test {
namespace {

constexpr int kDone = 0, kNotFound = 1, kNoAnswer = 2, kUsage = 64, kFileError = 66;

// The matrices a run may talk to, by the name of their device in the program folder; "nothing-here" is no
// device, and the assignment file is a file mapped by mistake.
const std::map<std::string, Lines> kMatrices = {
    {"matrix", {}},
    {"old", {"--protocol", "4", "--identity", "56,07"}},
    {"mute", {"--silent-refusals"}},
    {"narrow", {"--video", "2x8", "--yc", "0x0"}},
    {"refusing", {"--refuse-every", "3"}},
};

// One run: the matrix given as the target ("" for none: the port map alone), the arguments, and what must
// come of it. In `out`, '#' stands for a number and '*' for any text.
struct CtlRun {
    std::string matrix;
    Lines args;
    int status = kDone;
    std::string out;
    std::string err = "";                                    // a part of standard error; "" : it is empty
    std::optional<std::vector<Frame>> frames = std::nullopt; // received by the matrix during the run
};

// By hand, without recursion: a library regular expression recurses once per character and overflows the
// stack of a sanitizer build on the long help texts. A '*' that is followed by a mismatch takes one more
// character and the pattern resumes after it.
bool matches(std::string_view text, std::string_view pattern) {
    const auto digit = [text](std::size_t t) {
        return t < text.size() && std::isdigit(static_cast<unsigned char>(text[t]));
    };
    std::size_t t = 0, p = 0, star = std::string_view::npos, resume = 0;
    while (p < pattern.size() || t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == '#' ? digit(t) : t < text.size() && text[t] == pattern[p])) {
            while (pattern[p] == '#' && digit(t + 1))
                ++t;
            ++t;
            ++p;
        } else if (star != std::string_view::npos && resume < text.size()) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    return true;
}

struct CtlResult {
    int status;
    std::string out, err;
};

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        mapPorts();
        writeCrLf(dir.path("routelane4.agn"), sampleAssignmentLines());
    }

    // Ports 1 to 8 lead nowhere (no port of the search may reach a real device), except `port`.
    void mapPorts(int port = 0, const std::string& target = "") {
        Lines lines;
        for (int p = 1; p <= 8; ++p)
            lines.push_back(std::to_string(p) + "=" +
                            (p == port ? target : dir.path("absent" + std::to_string(p))));
        writeCrLf(dir.path("routelane4.ports"), lines);
    }

    // Runs routelane4ctl on the program folder and waits for it.
    CtlResult runCtl(Lines args) {
        args.insert(args.begin(), {"--data", dir.folder()});
        const std::string outPath = dir.path("ctl.out"), errPath = dir.path("ctl.err");
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
            ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDOUT_FILENO);
            ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(RL4_CTL)};
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(RL4_CTL, argv.data());
            ::_exit(127);
        }
        int status = 0;
        const bool exited = pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status);
        return {exited ? WEXITSTATUS(status) : -1, fileBytes(outPath), fileBytes(errPath)};
    }

    // The frames a matrix received so far, in the matrix log's text.
    Lines received(const std::string& name) const {
        Lines frames;
        std::ifstream in(dir.path(name + ".log"));
        for (std::string line; std::getline(in, line);)
            if (line.starts_with("RX "))
                frames.push_back(line.substr(3));
        return frames;
    }

    // Runs the table in order, each run against its matrix (started at its first use).
    void check(const std::vector<CtlRun>& runs) {
        for (const CtlRun& run : runs) {
            SCOPED_TRACE(run.matrix + " " + testing::PrintToString(run.args));
            if (kMatrices.contains(run.matrix) && !sims.contains(run.matrix)) {
                Lines args{"--pty", dir.path(run.matrix),         "--baud", "0",
                           "--log", dir.path(run.matrix + ".log")};
                args.insert(args.end(), kMatrices.at(run.matrix).begin(), kMatrices.at(run.matrix).end());
                sims[run.matrix] = std::make_unique<SimProcess>(args);
                ASSERT_TRUE(sims[run.matrix]->waitReady());
            }
            const std::size_t before = received(run.matrix).size();
            Lines args = run.args;
            if (!run.matrix.empty())
                args.insert(args.begin(), {"--target", dir.path(run.matrix)});
            const CtlResult r = runCtl(args);
            EXPECT_EQ(r.status, run.status) << r.err;
            EXPECT_TRUE(matches(r.out, run.out)) << r.out;
            EXPECT_TRUE(run.err.empty() ? r.err.empty() : r.err.find(run.err) != std::string::npos) << r.err;
            if (run.frames) {
                Lines expected;
                for (const Frame& frame : *run.frames)
                    expected.push_back(hexText(frame));
                const Lines all = received(run.matrix);
                EXPECT_EQ(Lines(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()), expected);
            }
        }
    }

    TempFolder dir;
    std::map<std::string, std::unique_ptr<SimProcess>> sims;
};

using F = std::vector<Frame>;

TEST_F(CtlTest, IdentifyAndSend) {
    const std::string row = "\t#\n"; // the response time
    const std::string noReply = "\t\tError\tvideo\tno\treply" + row;
    // clang-format off
    check({
        // An older matrix does not answer the 5-byte request: the search finds it with 4 bytes.
        {"old", {"identify"}, kDone, "matrix N°5607 port 1 protocol 4\n"},
        {"matrix", {"send", "V", "3", "1"}, kDone,
         "02.56.03.01.03\t02.56.03.01.03\tSwch\tvideo\t 1\t 3" + row, "", F{five('V', 3, 1)}},
        {"matrix", {"--protocol", "4", "send", "1,1", "3", "1"}, kDone,
         "01.81.83.81\t41.81.83.81\tSwch\tvideo\t 1\t 3" + row, "", F{four(1, 1, 3, 1)}},
        // 256 would reach the wire as output 0; 257, the not-assigned mark, goes out as 255.
        {"matrix", {"send", "V", "256", "7"}, kUsage, "", "0 to 255", F{}},
        {"matrix", {"send", "V", "257", "7"}, kNoAnswer, "02.56.FF.07.03" + noReply, "refused"},
        // The error report, code 2 in the first value's place: a bad address.
        {"matrix", {"--protocol", "4", "send", "1,1", "99", "1"}, kNoAnswer,
         "01.81.E3.81\t50.80.82.81\tError\tvideo\tbad\tadres" + row, "bad adres"},
        {"mute", {"send", "V", "99", "1"}, kNoAnswer, "02.56.63.01.03" + noReply, "no answer"},
        // A port that cannot be opened is named with the reason.
        {"nothing-here", {"send", "V", "3", "1"}, kNoAnswer, "02.56.03.01.03" + noReply,
         "port 1 (" + dir.path("nothing-here") + "): no such device"},
    });
    // clang-format on
}

TEST_F(CtlTest, UsageErrorsExit64WithAMessageAndNothingOnStandardOutput) {
    const std::string path = dir.path("x.agn");
    // clang-format off
    const std::vector<Lines> wrong{
        {}, {"frobnicate"}, {"--data"}, {"--port", "0", "--target", "/dev/null", "send", "V", "1", "1"},
        {"identify", "now"}, {"send", "V", "3"}, {"send", "VV", "3", "1"}, {"send", "V", "3", "300"},
        {"send", "200,1", "3", "1"}, {"--protocol", "5", "send", "1,1", "3", "1"}, {"route", "1"},
        {"route", "1", "2", "--layer", "blue"}, {"route", "257", "1"}, {"route", "1", "-1"}, {"load"},
        {"vca", "1", "32"}, {"vca-all", "half"}, {"setup", "keep", "1"}, {"setup", "store", "8"},
        {"store", "now"}, {"disconnect-all", "1"}, {"ports", "all"}};
    const std::vector<Lines> wrongNew{
        {}, {dir.path("x.txt")}, {path, dir.path("y.agn")}, {"--video-in", "257", path},
        {"--audio-out", "-1", path}, {path, "--rgb-in"}, {"--layers", "4", path},
        {"--naming", "diagonal", path}, {"--video-in-prefix", "Cam", path},
        {"--naming", "separate", "--dest-prefix", "Out", path},
        {"--source-prefix", "----------", "--video-in", "4", path}};
    // clang-format on
    std::vector<CtlRun> runs;
    for (const Lines& args : wrong)
        runs.push_back({"", args, kUsage, "", "--help"});
    for (Lines args : wrongNew) {
        args.insert(args.begin(), "new-assignment");
        runs.push_back({"", args, kUsage, "", "Try 'routelane4ctl new-assignment --help'."});
    }
    runs.push_back({"", {"--help"}, kDone, "Usage: routelane4ctl*"});
    check(runs);
    EXPECT_FALSE(fileExists(path));
}

TEST_F(CtlTest, StatusRouteVcaStoreAndSetups) {
    // clang-format off
    check({
        {"nothing-here", {"status"}, kNoAnswer, "*", "did not answer"},
        // The Recorder's RGB output is connector 2.
        {"matrix", {"route", "3", "4", "--layer", "rgb"}, kDone, "Graphics -> Recorder on rgb\n", "",
         F{five('R', 2, 4)}},
        {"matrix", {"route", "1", "4", "--layer", "video"}, kNotFound, "",
         "cannot reach destination 1 on that layer", F{}},
        {"matrix", {"route", "1", "7"}, kNotFound, "", "no source 7 in the assignment", F{}},
        {"matrix", {"vca", "4", "10"}, kNotFound, "", "destination 4 has no audio output"},
        {"matrix", {"vca-all", "min"}, kDone, "VCA -oo dB on 3 destinations\n"},
        {"matrix", {"store"}, kDone, "status stored\n", "", F{five('S', 83, 83)}},
        {"matrix", {"--protocol", "4", "setup", "store", "3"}, kDone, "setup 3 stored\n", "",
         F{four(3, 1, 0, 3)}},
        // A recall reads the matrix again; the refusals that end each layer's reading are no failure.
        {"matrix", {"--protocol", "4", "setup", "recall", "3"}, kDone, "setup 3 recalled\n"},
        {"matrix", {"--protocol", "4", "setup", "delete", "3"}, kDone, "setup 3 deleted\n"},
        {"matrix", {"--protocol", "4", "setup", "recall", "3"}, kNoAnswer, "",
         "setup: the matrix refused or did not answer 1 instruction"},
        {"narrow", {"route", "3", "1"}, kNoAnswer, "",
         "route: the matrix refused or did not answer 1 instruction"},
        {"narrow", {"send", "V", "2", "5"}, kDone, "*"},
        // Every layer the matrix has is disconnected: the Server leaves Monitor 2's video.
        {"narrow", {"disconnect-all"}, kDone, "all outputs disconnected on video audio rgb\n",
         "disable all destinations"},
        // Inputs 0 (the Black source) everywhere; outputs beyond the matrix read as unknown; no connector:
        // nothing shown.
        {"narrow", {"status"}, kDone,
         "outputs\tvideo 2\taudio 16\trgb 8\tyc 0\n1\tMonitor 1\tBlack\tBlack\tBlack\t?\n"
         "2\tMonitor 2\tBlack\tBlack\t\t?\n3\tRecorder\t?\tBlack\tBlack\t\n4\tProjector\t\t\tBlack\t?\n"},
    });
    // clang-format on
}

TEST_F(CtlTest, SaveAfterLoadOfTheSameRoutingIsByteIdenticalAndUnusableFilesExit66) {
    // The sources as the matrix reports them after the download: no connector stays unknown (257), and so
    // does every VCA level, which a status reading does not take.
    const std::string loaded = dir.path("show.cnx"), saved = dir.path("copy.cnx"), plain = dir.path("plain");
    writeCrLf(loaded, {"Matrix Routing Switcher", "Switching file", "dst|nsv|nsa|nsr|nsy|vca",
                       "  1|  5|  1|  1|  2|257", "  2|  2|  3|257|  5|257", "  3|  6|  6|  4|257|257",
                       "  4|257|257|  5|  1|257"});
    writeBytes(plain, "a file, not a folder\n");
    // clang-format off
    check({
        {"matrix", {"load", loaded}, kDone, "loaded " + loaded + ": 12 switches sent\n"},
        {"matrix", {"save", saved}, kDone, "saved " + saved + ": 4 destinations\n"},
        {"matrix", {"save", plain + "/show.cnx"}, kFileError, "", "annot write"},
        // The last --data is the program folder.
        {"", {"--data", plain + "/sub", "identify"}, kFileError, "",
         "cannot create folder " + plain + "/sub"},
    });
    // clang-format on
    EXPECT_EQ(fileBytes(saved), fileBytes(loaded));
}

// The log gets each frame, one CSV line as the history lists it, under its header; a log that cannot be
// written stops the command before it sends anything.
TEST_F(CtlTest, FrameLogAppendsEveryExchangeAsCsv) {
    const std::string log = dir.path("frames.csv");
    // clang-format off
    check({
        {"matrix", {"--log", log, "send", "V", "3", "1"}, kDone, "*"},
        {"matrix", {"--log", dir.path("absent/frames.csv"), "send", "V", "3", "1"}, kFileError, "",
         "cannot write the frame log " + dir.path("absent/frames.csv") + ": No such file or directory", F{}},
    });
    // clang-format on
    const Lines lines = readCrLf(log);
    ASSERT_EQ(lines.size(), 2U) << fileBytes(log);
    EXPECT_EQ(lines[0], "time,sent,received,instruction,object,in,out,ms");
}

// One owner per line and per folder: a command never touches what another program holds, and says who
// holds it. The port search goes on without the port; a save leaves the folder's files alone.
TEST_F(CtlTest, APortOrAFolderInUseIsLeftAloneAndItsHolderNamed) {
    check({{"matrix", {"identify"}, kDone, "matrix N°1234 port 1 protocol 5\n"}});
    SerialChannel line;
    ASSERT_TRUE(line.open(dir.path("matrix")));
    const std::string inUse = "port 1 is in use by process " + std::to_string(::getpid()) + " (test_ctl)";
    check({
        {"matrix", {"status"}, kNoAnswer, "", inUse, F{}},
        {"matrix", {"identify"}, kNotFound, "no matrix found\n", inUse, F{}},
    });
    line.close();
    const ProgramFolderLock folder(dir.folder());
    const std::string held = dir.folder() + " is in use by process";
    check({{"matrix", {"save", dir.path("copy.cnx")}, kFileError, "", held, F{}},
           {"matrix", {"identify"}, kDone, "matrix N°1234 port 1 protocol 5\n"}});
    EXPECT_FALSE(fileExists(dir.path("copy.cnx")));
}

// Opening a port sets its line: a port other than the one asked for must never be opened, as it may lead to
// another device. The listing shows the port map's table, then whatever serial devices this machine has
// (their columns are the port table's concern).
TEST_F(CtlTest, PortOptionsApplyBeforeAnyPortIsOpenedAndPortsListsTheMap) {
    PtyPair saved; // port 1, the settings' default, on a line set to 1200 baud by its own user
    termios line{};
    ASSERT_EQ(::tcgetattr(saved.slave(), &line), 0);
    ::cfsetospeed(&line, B1200);
    ASSERT_EQ(::tcsetattr(saved.slave(), TCSANOW, &line), 0);
    check({{"matrix", {"identify"}, kDone, "*"}});
    mapPorts(1, saved.slavePath());
    check(
        {{"", {"ports"}, kDone, "port\ttarget\tstate\tdevice\n1\t" + saved.slavePath() + "\tpresent\t\n*"}});
    writeCrLf(dir.path("routelane4.ports"), {"1=" + saved.slavePath(), "2=" + dir.path("matrix")});
    check({{"", {"--port", "2", "send", "V", "3", "1"}, kDone, "*"}});
    ASSERT_EQ(::tcgetattr(saved.slave(), &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), B1200) << "port 1 was opened and set";
    EXPECT_EQ(received("matrix").back(), hexText(five('V', 3, 1)));
}

// A serial device server that keeps Nagle's algorithm on (socat's default) sends the first byte of each
// answer at once and holds the rest until that byte is acknowledged. Reading must neither stop early nor
// wait for a delayed acknowledgement at every answer (40 ms or more each, seconds in all). Load only adds
// time, so the quickest of three runs is compared, with a margin for a busy machine.
TEST_F(CtlTest, StatusThroughARelayReadsEveryOutputAsFastAsOnTheLine) {
    SimProcess matrix({"--pty", dir.path("line")}); // paced at 9600 baud, as a real line
    ASSERT_TRUE(matrix.waitReady());
    const auto quickestSeconds = [&](const std::function<std::string()>& target) {
        std::vector<double> times;
        for (int run = 0; run < 3; ++run) {
            const std::string to = target();
            const auto start = std::chrono::steady_clock::now();
            const CtlResult r = runCtl({"--target", to, "status"});
            times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            EXPECT_TRUE(r.out.starts_with("outputs\tvideo 16\taudio 16\trgb 8\tyc 8\n"))
                << to << r.out << r.err;
        }
        return std::ranges::min(times);
    };
    const double onTheLine = quickestSeconds([&] { return dir.path("line"); });
    std::unique_ptr<SimProcess> relay;
    const double throughRelay = quickestSeconds([&] {
        // One connection per relay, as a device server serves one client; -t 0.1: it leaves the line soon
        // after the client has gone.
        if (relay) {
            EXPECT_EQ(relay->wait(), 0) << "the relay leaves once its client has gone";
        }
        relay = std::make_unique<SimProcess>("socat", Lines{"-d", "-d", "-t", "0.1",
                                                            "TCP-LISTEN:0,bind=127.0.0.1,reuseaddr",
                                                            "FILE:" + dir.path("line") + ",rawer"});
        const std::string log = relay->errorsContaining("listening on");
        const std::size_t at = log.find("listening on"), end = log.find('\n', at),
                          colon = log.rfind(':', end);
        EXPECT_NE(at, std::string::npos) << "socat did not start (scripts/bootstrap installs it): " << log;
        return "socket://127.0.0.1:" + log.substr(colon + 1, end - colon - 1);
    });
    EXPECT_LE(throughRelay, 1.5 * onTheLine + 0.3);
}

// debug on a matrix that refuses every third instruction: ended by its cycle count or by Ctrl-C, always
// with the counters as the last line.
TEST_F(CtlTest, DebugCyclesOrCtrlCEndWithTheCounters) {
    check({{"refusing",
            {"debug", "read-v12", "--cycles", "2"},
            kNoAnswer,
            "read 1\terrors 0\tcommands 1\nread 2\terrors 0\tcommands 2\nread 1\terrors 1\tcommands 3\n"
            "read 2\terrors 1\tcommands 4\nerrors 1\tcommands 4\n"}});
    SimProcess interrupted(RL4_CTL,
                           {"--data", dir.folder(), "--target", dir.path("refusing"), "debug", "write",
                            "--sources", "1-2", "--destinations", "1-2", "--layers", "vay", "--pause", "20"});
    ASSERT_EQ(interrupted.readLine(), "in:1 to out:1\terrors 1\tcommands 3");
    interrupted.signal(SIGINT);
    Lines lines;
    while (auto line = interrupted.readLine())
        lines.push_back(*line);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("errors ")) << lines.back();
    EXPECT_LE(lines.size(), 3u) << "the loop ends within one step";
    EXPECT_EQ(interrupted.wait(), 2);
}

TEST(CtlDebugWords, WrongWordsAreRefusedWithTheirReason) {
    const std::pair<Lines, std::string> cases[] = {
        {{}, "debug takes write, read"},         {{"scan"}, "not 'scan'"},
        {{"read", "--sources", "3-1"}, "range"}, {{"read", "--layers", "vx"}, "letters"},
        {{"read", "--layers", "vv"}, "letters"}, {{"read", "--pause"}, "needs a value"},
        {{"read", "--cycles", "0"}, "--cycles"}, {{"read", "--speed", "1"}, "unknown"},
    };
    for (const auto& [args, error] : cases)
        EXPECT_NE(parseDebugCommand(args).error.find(error), std::string::npos) << error;
    const DebugCommand good = parseDebugCommand({"write", "--sources", "2-4", "--layers", "ry"}).command;
    EXPECT_EQ(good.sources, (std::pair{2, 4}));
    EXPECT_EQ(good.layers, (std::array<bool, 4>{false, false, true, true}));
}

// upload-eeprom: the matrix's EEPROM file after the upload holds exactly the image that --image writes.
TEST_F(CtlTest, UploadEepromLeavesTheMatrixHoldingTheImage) {
    mapPorts(1, dir.path("eeprom"));
    SimProcess matrix({"--pty", dir.path("eeprom"), "--baud", "0", "--eeprom", dir.path("eeprom.bin")});
    ASSERT_TRUE(matrix.waitReady());
    // No settings file: port 1 and the 5-byte form, unless the options say otherwise.
    const std::string image = dir.path("image.txt");
    // clang-format off
    check({
        {"", {"--protocol", "4", "upload-eeprom"}, kNotFound, "",
         "nothing sent (--yes answers the questions)"},
        {"", {"--port", "2", "upload-eeprom", "--yes"}, kNotFound, "", "no port, nothing sent"},
        {"", {"--protocol", "4", "upload-eeprom", "--yes"}, kDone, "*\r100% EEprom written\n",
         "Upload successful"},
        {"", {"--protocol", "4", "upload-eeprom", "--image", image}, kDone, "wrote " + image + "\n"},
        {"", {"upload-eeprom", "--image"}, kUsage, "", "--image needs a file name"},
        {"", {"upload-eeprom", "--no"}, kUsage, "", "upload-eeprom takes only --yes and --image FILE"},
    });
    // clang-format on
    matrix.writeLine("quit");
    ASSERT_EQ(matrix.wait(), 0);
    // The image file's bytes, read back from its hexadecimal text.
    std::istringstream text(fileBytes(image));
    std::string bytes;
    for (std::string byte; text >> byte;)
        bytes += static_cast<char>(std::stoi(byte, nullptr, 16));
    ASSERT_EQ(bytes.size(), 328u * 32u);
    EXPECT_EQ(fileBytes(dir.path("eeprom.bin")).substr(0, bytes.size()), bytes);
}

// What a command line gives: the options before the command, the command with its own words untouched, or
// the first mistake in the operator's words.
TEST(CtlOptions, CommandLinesAndWhatTheyGive) {
    struct Case {
        Lines args;
        std::string error; // a part of it; "" : none
        std::optional<int> port = std::nullopt;
        std::optional<int> protocol = std::nullopt;
        Lines command = {};
        bool help = false;
    };
    // clang-format off
    const Case cases[] = {
        {{"identify"}, "", {}, {}, {"identify"}},
        {{"--port", "0", "--protocol", "4", "send", "1,1", "3", "1"}, "", 0, 4, {"send", "1,1", "3", "1"}},
        {{"--port=3", "--protocol=5", "status"}, "", 3, 5, {"status"}},
        {{"--port", "2", "--port", "7", "store"}, "", 7, {}, {"store"}},
        // Words after the command are the command's, options or not.
        {{"route", "2", "3", "--layer", "audio", "--port", "9"}, "", {}, {},
         {"route", "2", "3", "--layer", "audio", "--port", "9"}},
        {{"--help"}, "", {}, {}, {}, true},
        {{"-h", "status"}, "", {}, {}, {"status"}, true},
        {{}, ""},
        {{"--port", "256", "identify"}, "--port takes a port number from 0 to 255, not '256'"},
        {{"--port", "x", "--protocol", "6"}, "not 'x'"},
        {{"--protocol", "6", "identify"}, "--protocol is 4 or 5, not '6'"},
        {{"--target", "", "identify"}, "--target needs a device path or socket://HOST:PORT"},
        {{"--log", "", "identify"}, "--log needs a file"},
        {{"identify", "--data"}, "", {}, {}, {"identify", "--data"}},
        {{"--data"}, "option --data needs a value"},
        {{"--colour", "identify"}, "unknown option '--colour'"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CtlParse parse = parseCtlOptions(c.args);
        if (!c.error.empty()) {
            EXPECT_NE(parse.error.find(c.error), std::string::npos) << parse.error;
            continue;
        }
        EXPECT_EQ(parse.error, "");
        EXPECT_EQ(parse.options.port, c.port);
        EXPECT_EQ(parse.options.protocol, c.protocol);
        EXPECT_EQ(parse.options.command, c.command);
        EXPECT_EQ(parse.options.help, c.help);
    }
}

// new-assignment writes the file the assignment editor's size dialog would. What that dialog tells goes to
// standard error, and the file is written all the same.
TEST_F(CtlTest, NewAssignmentWritesTheFileTheSizeDialogWould) {
    const std::string path = dir.path("ctl.agn"), small = dir.path("small.agn"), cut = dir.path("cut.agn");
    // clang-format off
    check({
        {"", {"new-assignment", "--video-in", "10", "--audio-in", "4", "--video-out", "3", "--yc-out", "5",
              "--source-prefix", "Cam", "--no-all-dest", "--touches", path},
         kDone, path + ": 11 sources, 5 destinations\n"},
        // Separate naming from 0 names each layer's connectors.
        {"", {"new-assignment", "--naming", "separate", "--from-zero", "--video-in", "1", "--audio-out", "1",
              "--video-in-prefix", "Cam", small}, kDone, "*"},
        {"", {"new-assignment", "--video-in", "256", "--video-out", "2", cut}, kDone, "*", "stop at 255"},
        {"", {"new-assignment", "--help"}, kDone, "Usage: routelane4ctl new-assignment*"},
        {"", {"new-assignment", dir.path("missing/x.agn")}, kFileError, "", dir.path("missing/x.agn")},
    });
    // clang-format on
    EXPECT_NE(fileBytes(path).find("Cam 10              | 10| 10|   |   |   |\r\n"), std::string::npos);
    const Lines lines = readCrLf(small);
    ASSERT_GE(lines.size(), 14u);
    EXPECT_EQ(lines[10], "Cam 0               |   |  0|   |   |   |");
    EXPECT_EQ(lines[13], "Audio out 0         |   |   |  0|   |   | -1| -1|127|127|127|127|127|127|");
}

} // namespace
} // namespace rl4::test
