// routelane4ctl run as a program against matrixsim, on a pseudo-terminal and over TCP: what a shell user
// sees on standard output and error, the exit status, the frames the matrix received and the files written.

#include "platform/pty_pair.h"
#include "sheet/switching_sheet.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace rl4::test {
namespace {

using Lines = std::vector<std::string>;

constexpr int kDone = 0;
constexpr int kNotFound = 1;
constexpr int kNoAnswer = 2;
constexpr int kUsage = 64;
constexpr int kFileError = 66;

const std::string kUnknown = kUnknownSourceCell;
std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeCrLf(const std::string& path, const Lines& lines) {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
}

Lines splitOn(const std::string& text, char separator) {
    Lines parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct CtlResult {
    int status = -1;
    std::string out;
    std::string err;
    // Standard output without its final line end.
    std::string line() const { return out.ends_with('\n') ? out.substr(0, out.size() - 1) : out; }
};

// Runs routelane4ctl with `args` and waits for it; its two output streams go through files in `folder`.
CtlResult runCtl(const std::string& folder, const Lines& args) {
    const std::string outPath = folder + "/ctl.out";
    const std::string errPath = folder + "/ctl.err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int in = ::open("/dev/null", O_RDONLY);
        ::dup2(in, STDIN_FILENO);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(RL4_CTL)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(RL4_CTL, argv.data());
        ::_exit(127);
    }
    CtlResult result;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    result.out = fileBytes(outPath);
    result.err = fileBytes(errPath);
    return result;
}

// 5-byte frame as the matrix logs it.
std::string frame5(int letter, int data1, int data2) {
    char text[32];
    std::snprintf(text, sizeof text, "02 %02X %02X %02X 03", letter, data1, data2);
    return text;
}

// 4-byte frame: code, second value, first value, machine, the three data bytes with their top bit set.
std::string frame4(int code, int machine, int data1, int data2) {
    char text[32];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", code, 0x80 | data2, 0x80 | data1, 0x80 | machine);
    return text;
}

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        mapPorts();
        writeCrLf(dir.path("routelane4.agn"), sampleAssignmentLines());
    }

    // The port map: ports 1 to 8 lead nowhere (no port of the search may reach a real device), except
    // `port`, which reaches `target`.
    void mapPorts(int port = 0, const std::string& target = "") {
        Lines lines;
        for (int p = 1; p <= 8; ++p)
            lines.push_back(std::to_string(p) + "=" +
                            (p == port ? target : dir.path("absent-tty" + std::to_string(p))));
        writeCrLf(dir.path("routelane4.ports"), lines);
    }

    // A matrix on a pseudo-terminal in the program folder, answering at once.
    SimProcess& startMatrix(const Lines& extra = {}, const std::string& name = "matrix") {
        Lines args{"--pty", dir.path(name), "--baud", "0", "--log", dir.path(name + ".log")};
        args.insert(args.end(), extra.begin(), extra.end());
        sims.push_back(std::make_unique<SimProcess>(args));
        EXPECT_TRUE(sims.back()->waitReady()) << "matrixsim did not start";
        return *sims.back();
    }

    // routelane4ctl on the program folder, with the matrix of startMatrix() as port 1.
    CtlResult ctl(Lines args, const std::string& name = "matrix") {
        args.insert(args.begin(), {"--data", dir.folder(), "--target", dir.path(name)});
        return runCtl(dir.folder(), args);
    }

    CtlResult ctlWithoutTarget(Lines args) {
        args.insert(args.begin(), {"--data", dir.folder()});
        return runCtl(dir.folder(), args);
    }

    // The frames the matrix received, in order.
    Lines received(const std::string& name = "matrix") const {
        Lines frames;
        std::ifstream in(dir.path(name + ".log"));
        for (std::string line; std::getline(in, line);)
            if (line.starts_with("RX "))
                frames.push_back(line.substr(3));
        return frames;
    }

    // The frames received since the count `from`.
    Lines receivedSince(std::size_t from) const {
        const Lines all = received();
        return from < all.size() ? Lines(all.begin() + static_cast<std::ptrdiff_t>(from), all.end())
                                 : Lines{};
    }

    TempFolder dir;
    std::vector<std::unique_ptr<SimProcess>> sims;
};

// identify --------------------------------------------------------------------------------------------------

TEST_F(CtlTest, IdentifyInBothFormsOnAPtyAndOverTcp) {
    startMatrix();
    CtlResult r = ctl({"identify"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "matrix N°1234 port 1 protocol 5\n");

    // A matrix of the older form does not answer the 5-byte request: the search finds it with 4 bytes.
    startMatrix({"--protocol", "4", "--identity", "56,07"}, "old");
    r = ctl({"identify"}, "old");
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "matrix N°5607 port 1 protocol 4\n");

    // The same through the port map alone, on port 3.
    mapPorts(3, dir.path("old"));
    r = ctlWithoutTarget({"identify"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "matrix N°5607 port 3 protocol 4\n");

    SimProcess tcp({"--tcp", "0", "--baud", "0"});
    const auto before = tcp.waitReady();
    ASSERT_TRUE(before && !before->empty()) << "matrixsim --tcp 0 tells its port first";
    r = runCtl(dir.folder(),
               {"--data", dir.folder(), "--target", "socket://127.0.0.1:" + before->front(), "identify"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "matrix N°1234 port 1 protocol 5\n");
}

TEST_F(CtlTest, IdentifyWithNoMatrixOnAnyPort) {
    const CtlResult r = ctlWithoutTarget({"identify"});
    EXPECT_EQ(r.status, kNotFound);
    EXPECT_EQ(r.out, "no matrix found\n");
}

// send ------------------------------------------------------------------------------------------------------

// The row's fields but the response time, which must be a whole number of milliseconds.
Lines rowFields(const CtlResult& r) {
    Lines fields = splitOn(r.line(), '\t');
    EXPECT_EQ(fields.size(), 7u) << r.out;
    if (fields.size() != 7u)
        return fields;
    const std::string ms = fields.back();
    EXPECT_TRUE(!ms.empty() && std::all_of(ms.begin(), ms.end(), ::isdigit))
        << "response time '" << ms << "'";
    fields.pop_back();
    return fields;
}

TEST_F(CtlTest, SendPrintsTheExchangeAsTheHistoryListsIt) {
    startMatrix();
    CtlResult r = ctl({"send", "V", "3", "1"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(rowFields(r), (Lines{"02.56.03.01.03", "02.56.03.01.03", "Swch", "video", " 1", " 3"}));

    // The identity answer carries raw bytes: 0x92 on the output's place, 0x34 on the input's.
    r = ctl({"send", "x", "120", "120"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(rowFields(r), (Lines{"02.78.78.78.03", "02.78.92.34.03", "read", "ser", " 52", " 146"}));

    // 4-byte: the second value travels before the first.
    r = ctl({"--protocol", "4", "send", "1,1", "3", "1"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(rowFields(r), (Lines{"01.81.83.81", "41.81.83.81", "Swch", "video", " 1", " 3"}));

    r = ctl({"send", "61,1", "0", "0"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(rowFields(r), (Lines{"3D.80.80.81", "7D.A2.8C.81", "read", "SN", " 34", " 12"}));

    // 256 would reach the wire as output 0; 257, the not-assigned mark, goes out as 255.
    r = ctl({"send", "V", "256", "7"});
    EXPECT_EQ(r.status, kUsage);
    EXPECT_TRUE(contains(r.err, "0 to 255")) << r.err;
    r = ctl({"send", "V", "257", "7"});
    EXPECT_EQ(rowFields(r).at(0), "02.56.FF.07.03");

    EXPECT_EQ(received(), (Lines{frame5('V', 3, 1), frame5('x', 120, 120), frame4(1, 1, 3, 1),
                                 frame4(61, 1, 0, 0), frame5('V', 255, 7)}));
}

TEST_F(CtlTest, SendRefusedOrUnansweredExits2WithTheReason) {
    startMatrix();
    CtlResult r = ctl({"send", "V", "99", "1"});
    EXPECT_EQ(r.status, kNoAnswer);
    EXPECT_EQ(rowFields(r), (Lines{"02.56.63.01.03", "", "Error", "video", "no", "reply"}));
    EXPECT_TRUE(contains(r.err, "refused")) << r.err;

    r = ctl({"--protocol", "4", "send", "1,1", "99", "1"});
    EXPECT_EQ(r.status, kNoAnswer);
    // Error report 0x50 with code 2 in the first value's place: a bad address.
    EXPECT_EQ(rowFields(r), (Lines{"01.81.E3.81", "50.80.82.81", "Error", "video", "bad", "adres"}));
    EXPECT_TRUE(contains(r.err, "bad adres")) << r.err;

    startMatrix({"--silent-refusals"}, "mute");
    r = ctl({"send", "V", "99", "1"}, "mute");
    EXPECT_EQ(r.status, kNoAnswer);
    EXPECT_TRUE(contains(r.err, "no answer")) << r.err;
    r = ctl({"--protocol", "4", "send", "1,1", "99", "1"}, "mute");
    EXPECT_EQ(r.status, kNoAnswer);
    EXPECT_EQ(rowFields(r), (Lines{"01.81.E3.81", "", "Error", "video", "no", "reply"}));
    EXPECT_TRUE(contains(r.err, "no answer")) << r.err;

    // A port that is no line is as unavailable as a missing one; a file mapped by mistake stays untouched.
    const std::string content = fileBytes(dir.path("routelane4.agn"));
    for (const auto& [name, reason] :
         {std::pair{"nothing-here", "no such device"}, std::pair{"routelane4.agn", "not a serial device"}}) {
        r = ctl({"send", "V", "3", "1"}, name);
        EXPECT_EQ(r.status, kNoAnswer);
        EXPECT_TRUE(contains(r.err, "port 1 (" + dir.path(name) + "): " + reason)) << r.err;
    }
    EXPECT_EQ(fileBytes(dir.path("routelane4.agn")), content);
}

// Opening a port sets its line: a port other than the one asked for must never be opened, as it may lead to
// another device.
TEST_F(CtlTest, PortOptionsApplyBeforeAnyPortIsOpened) {
    startMatrix();
    PtyPair saved; // port 1, the settings' default, on a line set to 1200 baud by its own user
    termios line{};
    ASSERT_EQ(::tcgetattr(saved.slave(), &line), 0);
    ::cfsetospeed(&line, B1200);
    ASSERT_EQ(::tcsetattr(saved.slave(), TCSANOW, &line), 0);
    writeCrLf(dir.path("routelane4.ports"), {"1=" + saved.slavePath(), "2=" + dir.path("matrix")});

    const CtlResult r = ctlWithoutTarget({"--port", "2", "send", "V", "3", "1"});
    EXPECT_EQ(r.status, kDone) << r.err;
    ASSERT_EQ(::tcgetattr(saved.slave(), &line), 0);
    EXPECT_EQ(::cfgetospeed(&line), B1200) << "port 1 was opened and set";
    EXPECT_EQ(received(), Lines{frame5('V', 3, 1)});
}

// A serial device server that keeps Nagle's algorithm on (socat's default) sends the first byte of each
// answer at once and holds the rest until that byte is acknowledged. Reading must neither stop early nor
// wait for a delayed acknowledgement at every answer.
TEST_F(CtlTest, StatusThroughARelayReadsEveryOutputAsFastAsOnTheLine) {
    SimProcess matrix({"--pty", dir.path("line")}); // paced at 9600 baud, as a real line
    ASSERT_TRUE(matrix.waitReady());
    // The seconds one status reading takes, once it has read every output.
    auto statusSeconds = [&](const std::string& target) {
        const auto start = std::chrono::steady_clock::now();
        const CtlResult r = runCtl(dir.folder(), {"--data", dir.folder(), "--target", target, "status"});
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(r.status, kDone) << target << r.err;
        EXPECT_EQ(splitOn(r.line(), '\n').front(), "outputs\tvideo 16\taudio 16\trgb 8\tyc 8") << target;
        return took.count();
    };
    const auto median = [](std::vector<double> times) {
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    std::vector<double> onTheLine;
    for (int run = 0; run < 3; ++run)
        onTheLine.push_back(statusSeconds(dir.path("line")));

    for (const std::string relayOption : {",nodelay", ""}) {
        std::vector<double> throughRelay;
        for (int run = 0; run < 3; ++run) {
            // One connection per relay, as a device server serves one client; -t 0.1: it leaves the line
            // soon after the client has gone.
            SimProcess relay("socat",
                             {"-d", "-d", "-t", "0.1", "TCP-LISTEN:0,bind=127.0.0.1,reuseaddr" + relayOption,
                              "FILE:" + dir.path("line") + ",rawer"});
            const std::string log = relay.errorsContaining("listening on");
            const std::size_t at = log.find("listening on");
            ASSERT_NE(at, std::string::npos)
                << "socat did not start (scripts/bootstrap installs it): " << log;
            const std::size_t end = log.find('\n', at);
            const std::size_t colon = log.rfind(':', end);
            throughRelay.push_back(
                statusSeconds("socket://127.0.0.1:" + log.substr(colon + 1, end - colon - 1)));
            EXPECT_EQ(relay.wait(), 0);
        }
        EXPECT_LE(median(throughRelay), 1.5 * median(onTheLine)) << "relay" << relayOption;
    }
}

// Usage -----------------------------------------------------------------------------------------------------

TEST_F(CtlTest, UsageErrorsExit64WithAMessageAndNothingOnStandardOutput) {
    const std::vector<Lines> wrong{
        {},
        {"frobnicate"},
        {"--protocol", "6", "identify"},
        {"--port", "x", "identify"},
        {"--port", "0", "--target", "/dev/null", "send", "V", "1", "1"},
        {"--data"},
        {"--colour", "identify"},
        {"identify", "now"},
        {"send", "V", "3"},
        {"send", "VV", "3", "1"},
        {"send", "V", "3", "300"},
        {"send", "V", "256", "7"},
        {"send", "200,1", "3", "1"},
        {"--protocol", "5", "send", "1,1", "3", "1"},
        {"route", "1"},
        {"route", "1", "2", "--layer", "blue"},
        {"route", "257", "1"},
        {"route", "1", "-1"},
        {"load"},
        {"vca", "1", "32"},
        {"vca-all", "half"},
        {"setup", "keep", "1"},
        {"setup", "store", "8"},
        {"store", "now"},
        {"disconnect-all", "1"},
    };
    for (const Lines& args : wrong) {
        Lines withData{"--data", dir.folder()};
        withData.insert(withData.end(), args.begin(), args.end());
        const CtlResult r = runCtl(dir.folder(), withData);
        std::string shown;
        for (const std::string& arg : args)
            shown += arg + " ";
        EXPECT_EQ(r.status, kUsage) << shown;
        EXPECT_TRUE(r.out.empty()) << shown << r.out;
        EXPECT_TRUE(r.err.starts_with("routelane4ctl: ")) << shown << r.err;
        EXPECT_TRUE(contains(r.err, "--help")) << shown << r.err;
    }

    const CtlResult help = runCtl(dir.folder(), {"--help"});
    EXPECT_EQ(help.status, kDone);
    EXPECT_TRUE(help.out.starts_with("Usage: routelane4ctl")) << help.out;
}

// status and route ------------------------------------------------------------------------------------------

TEST_F(CtlTest, StatusListsTheSizesAndEveryDestinationByName) {
    startMatrix();
    ASSERT_EQ(ctl({"send", "V", "2", "5"}).status, kDone);
    ASSERT_EQ(ctl({"send", "Y", "2", "2"}).status, kDone);
    const CtlResult r = ctl({"status"});
    EXPECT_EQ(r.status, kDone) << r.err;
    // Inputs 0 (the Black source) everywhere but the two switches; a layer where the destination has no
    // connector shows nothing.
    EXPECT_EQ(splitOn(r.line(), '\n'), (Lines{
                                           "outputs\tvideo 16\taudio 16\trgb 8\tyc 8",
                                           "1\tMonitor 1\tBlack\tBlack\tBlack\tBlack",
                                           "2\tMonitor 2\tServer\tBlack\t\tCamera 2",
                                           "3\tRecorder\tBlack\tBlack\tBlack\t",
                                           "4\tProjector\t\t\tBlack\tBlack",
                                       }));

    startMatrix({"--video", "2x4", "--audio", "0x0", "--rgb", "1x1", "--yc", "3x3"}, "small");
    const CtlResult small = ctl({"status"}, "small");
    EXPECT_EQ(small.status, kDone) << small.err;
    EXPECT_EQ(splitOn(small.line(), '\n').front(), "outputs\tvideo 2\taudio 0\trgb 1\tyc 3");

    const CtlResult none = ctl({"status"}, "nothing-here");
    EXPECT_EQ(none.status, kNoAnswer);
    EXPECT_TRUE(contains(none.err, "did not answer")) << none.err;
}

TEST_F(CtlTest, RouteSwitchesOnEveryLayerBothObjectsUse) {
    startMatrix();
    std::size_t before = received().size();
    CtlResult r = ctl({"route", "2", "1"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "Camera 1 -> Monitor 2 on video audio yc\n");
    EXPECT_EQ(receivedSince(before), (Lines{frame5('V', 2, 1), frame5('A', 2, 1), frame5('Y', 2, 1)}));

    before = received().size();
    r = ctl({"route", "3", "4", "--layer", "rgb"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "Graphics -> Recorder on rgb\n");
    EXPECT_EQ(receivedSince(before), Lines{frame5('R', 2, 4)}) << "Recorder's RGB output is connector 2";

    before = received().size();
    r = ctl({"--protocol", "4", "route", "4", "5"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "Server -> Projector on rgb yc\n");
    EXPECT_EQ(receivedSince(before), (Lines{frame4(1, 5, 3, 5), frame4(1, 2, 3, 5)}));

    before = received().size();
    const std::vector<std::pair<Lines, std::string>> unreachable{
        {{"route", "2", "4"}, "source 4 cannot reach destination 2 on any layer"},
        {{"route", "1", "4", "--layer", "video"}, "source 4 cannot reach destination 1 on that layer"},
        {{"route", "9", "1"}, "no destination 9 in the assignment"},
        {{"route", "1", "7"}, "no source 7 in the assignment"},
    };
    for (const auto& [args, message] : unreachable) {
        r = ctl(args);
        EXPECT_EQ(r.status, kNotFound) << message;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_TRUE(contains(r.err, message)) << r.err;
    }
    EXPECT_TRUE(receivedSince(before).empty());
}

TEST_F(CtlTest, RouteRefusedByTheMatrixExits2AndClaimsNothing) {
    startMatrix({"--video", "2x8"});
    const CtlResult r = ctl({"route", "3", "1"});
    EXPECT_EQ(r.status, kNoAnswer);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(contains(r.err, "route: the matrix refused or did not answer 1 instruction")) << r.err;
}

// Files -----------------------------------------------------------------------------------------------------

TEST_F(CtlTest, SaveAfterLoadOfTheSameRoutingIsByteIdentical) {
    startMatrix();
    // Every destination's sources as the matrix will report them after the download: a layer without a
    // connector stays unknown (257), and so does every VCA level, which a status reading does not take.
    const std::string loaded = dir.path("show.cnx");
    writeCrLf(loaded, {
                          "Matrix Routing Switcher",
                          "Switching file",
                          "dst|nsv|nsa|nsr|nsy|vca",
                          "  1|  5|  1|  1|  2|257",
                          "  2|  2|  3|257|  5|257",
                          "  3|  6|  6|  4|257|257",
                          "  4|257|257|  5|  1|257",
                      });
    const std::size_t before = received().size();
    CtlResult r = ctl({"load", loaded});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "loaded " + loaded + ": 12 switches sent\n");
    EXPECT_EQ(receivedSince(before), (Lines{
                                         frame5('V', 1, 5),
                                         frame5('A', 1, 1),
                                         frame5('R', 1, 1),
                                         frame5('Y', 1, 2),
                                         frame5('V', 2, 2),
                                         frame5('A', 2, 3),
                                         frame5('Y', 2, 5),
                                         frame5('V', 3, 0),
                                         frame5('A', 3, 0),
                                         frame5('R', 2, 4),
                                         frame5('R', 3, 5),
                                         frame5('Y', 3, 1),
                                     }));

    const std::string saved = dir.path("copy.cnx");
    r = ctl({"save", saved});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "saved " + saved + ": 4 destinations\n");
    EXPECT_EQ(fileBytes(saved), fileBytes(loaded));
}

TEST_F(CtlTest, FilesThatCannotBeUsedExit66) {
    startMatrix();
    CtlResult r = ctl({"load", dir.path("absent.cnx")});
    EXPECT_EQ(r.status, kFileError);
    EXPECT_TRUE(contains(r.err, "cannot read " + dir.path("absent.cnx"))) << r.err;
    EXPECT_TRUE(received().empty()) << "nothing sent for a file that is not there";

    std::ofstream(dir.path("plain")) << "a file, not a folder\n";
    const std::string unwritable = dir.path("plain/show.cnx");
    r = ctl({"save", unwritable});
    EXPECT_EQ(r.status, kFileError);
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(contains(r.err, unwritable) && contains(r.err, "annot write")) << r.err;

    r = runCtl(dir.folder(), {"--data", dir.path("plain/sub"), "identify"});
    EXPECT_EQ(r.status, kFileError);
    EXPECT_FALSE(r.err.empty());
}

// Levels, memory, disconnection -----------------------------------------------------------------------------

TEST_F(CtlTest, VcaReadsThenSetsTheLevelOfADestinationsAudioOutput) {
    startMatrix();
    std::size_t before = received().size();
    CtlResult r = ctl({"vca", "1", "20"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "Monitor 1 VCA -33 dB\n");
    EXPECT_EQ(receivedSince(before), (Lines{frame5('n', 1, 0), frame5('N', 1, 20)}));

    // 4-byte: the level (or the read selector 0) first, the output second.
    before = received().size();
    r = ctl({"--protocol", "4", "vca", "2", "31"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "Monitor 2 VCA  0 dB\n");
    EXPECT_EQ(receivedSince(before), (Lines{frame4(25, 1, 0, 2), frame4(21, 1, 31, 2)}));

    r = ctl({"vca", "4", "10"});
    EXPECT_EQ(r.status, kNotFound);
    EXPECT_TRUE(contains(r.err, "destination 4 has no audio output")) << r.err;

    before = received().size();
    r = ctl({"vca-all", "min"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "VCA -oo dB on 3 destinations\n");
    EXPECT_EQ(receivedSince(before), (Lines{frame5('N', 1, 0), frame5('N', 2, 0), frame5('N', 3, 0)}));

    before = received().size();
    r = ctl({"--protocol", "4", "vca-all", "max"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(receivedSince(before),
              (Lines{frame4(21, 1, 31, 1), frame4(21, 1, 31, 2), frame4(21, 1, 31, 3)}));
}

TEST_F(CtlTest, StoreAndSetups) {
    startMatrix();
    std::size_t before = received().size();
    CtlResult r = ctl({"store"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "status stored\n");
    r = ctl({"--protocol", "4", "store"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(receivedSince(before), (Lines{frame5('S', 83, 83), frame4(3, 1, 0, 0)}));

    r = ctl({"setup", "store", "3"});
    EXPECT_EQ(r.status, kUsage);
    EXPECT_TRUE(contains(r.err, "4-byte form")) << r.err;

    before = received().size();
    r = ctl({"--protocol", "4", "setup", "store", "3"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "setup 3 stored\n");
    EXPECT_EQ(receivedSince(before), Lines{frame4(3, 1, 0, 3)});

    // A recall reads the matrix again; the refusals that end each layer's reading are no failure.
    before = received().size();
    r = ctl({"--protocol", "4", "setup", "recall", "3"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "setup 3 recalled\n");
    Lines frames = receivedSince(before);
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], frame4(4, 1, 0, 3));
    EXPECT_EQ(frames[1], frame4(5, 1, 0, 0)) << "then the status reading, from video output 0";

    before = received().size();
    r = ctl({"--protocol", "4", "setup", "delete", "3"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "setup 3 deleted\n");
    EXPECT_EQ(receivedSince(before), Lines{frame4(3, 1, 1, 3)});

    r = ctl({"--protocol", "4", "setup", "recall", "3"});
    EXPECT_EQ(r.status, kNoAnswer) << "a deleted setup cannot be recalled";
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(contains(r.err, "setup: the matrix refused or did not answer 1 instruction")) << r.err;
}

TEST_F(CtlTest, DisconnectAllSendsInput0ToOutput0OfEveryLayerTheMatrixHas) {
    startMatrix({"--yc", "0x0"});
    ASSERT_EQ(ctl({"send", "V", "2", "5"}).status, kDone);
    const std::size_t before = received().size();
    CtlResult r = ctl({"disconnect-all"});
    EXPECT_EQ(r.status, kDone) << r.err;
    EXPECT_EQ(r.out, "all outputs disconnected on video audio rgb\n");
    const Lines frames = receivedSince(before);
    const Lines disconnect{frame5('V', 0, 0), frame5('A', 0, 0), frame5('R', 0, 0)};
    EXPECT_NE(std::search(frames.begin(), frames.end(), disconnect.begin(), disconnect.end()), frames.end());
    EXPECT_EQ(std::count(frames.begin(), frames.end(), frame5('Y', 0, 0)), 0) << "this matrix has no Y/C";

    r = ctl({"status"});
    EXPECT_EQ(splitOn(r.line(), '\n').at(2), "2\tMonitor 2\tBlack\tBlack\t\t" + kUnknown)
        << "no RGB output: empty; Y/C beyond the matrix: unknown";
}

} // namespace
} // namespace rl4::test
