#include "control/control_line.h"
#include "control/control_server.h"
#include "control/control_socket.h"
#include "ctl/ctl_program.h"
#include "support/engine_rig.h"

#include <atomic>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace rl4::test {
namespace {

// The rig's listener, which also lets the server hear what watching clients are told.
class ServerListener : public RigListener {
public:
    void routingReported(Layer layer, int d, int s) override {
        server->listener().routingReported(layer, d, s);
    }
    void vcaReported(int d, int level) override { server->listener().vcaReported(d, level); }
    void onLineChanged(bool onLine) override { server->listener().onLineChanged(onLine); }
    void statusReadingStarted() override {
        server->listener().statusReadingStarted();
        if (duringStatusReading)
            std::exchange(duringStatusReading, nullptr)();
    }

    ControlServer* server = nullptr;
    std::function<void()> duringStatusReading;
};

// One client of the socket, as a script would be, read without blocking.
class Client {
public:
    explicit Client(const std::string& path, int receiveBuffer = 0)
        : Client(connectControlSocket(path), receiveBuffer) {}
    explicit Client(int fd, int receiveBuffer = 0) : fd_(fd) {
        EXPECT_GE(fd_, 0);
        if (receiveBuffer > 0)
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
        ::fcntl(fd_, F_SETFL, O_NONBLOCK);
    }
    ~Client() { close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // As much as the socket takes now.
    std::size_t write(const std::string& text) {
        const ssize_t sent = ::send(fd_, text.data(), text.size(), MSG_NOSIGNAL);
        return sent > 0 ? static_cast<std::size_t>(sent) : 0;
    }
    // The whole lines that arrived.
    std::vector<std::string> lines() {
        char buffer[4096];
        for (ssize_t got; (got = ::recv(fd_, buffer, sizeof buffer, 0)) > 0;)
            pending_.append(buffer, static_cast<std::size_t>(got));
        std::vector<std::string> lines;
        for (std::size_t end; (end = pending_.find('\n')) != std::string::npos; pending_.erase(0, end + 1))
            lines.push_back(pending_.substr(0, end));
        return lines;
    }
    // The other end closed the connection.
    bool ended() {
        pollfd ready{fd_, POLLIN, 0};
        char byte = 0;
        return ::poll(&ready, 1, 1000) == 1 && ::recv(fd_, &byte, 1, 0) == 0;
    }
    void close() { ::close(std::exchange(fd_, -1)); }

private:
    int fd_;
    std::string pending_;
};

// The window program's engine on the rig, with its control socket in the rig's folder.
class ServerRig {
public:
    // On the program folder's own socket path, or one in the folder.
    explicit ServerRig(ControlServer::Limits limits = {}, bool programFolderSocket = false)
        : socketPath(programFolderSocket ? controlSocketPath(rig.folder.folder())
                                         : rig.path("run/routelane4/control.sock")),
          server(
              engine, prompt, rig.clock, [this] { return busy; }, limits) {
        listener.engine = &engine;
        listener.server = &server;
        EXPECT_EQ(server.listen(socketPath), "");
        engine.startUp();
    }

    // Main loop passes, the server served between them as the window program's loop does.
    void pass(int passes = 1) {
        for (int i = 0; i < passes; ++i) {
            rig.clock.advance(20'000);
            engine.mainLoopPass();
            server.service();
        }
    }
    // The client's lines up to the end of the answer (events included).
    std::vector<std::string> ask(Client& client, const std::string& line) {
        EXPECT_EQ(client.write(line + '\n'), line.size() + 1);
        return answerTo(client);
    }
    std::vector<std::string> answerTo(Client& client) {
        std::vector<std::string> got;
        for (int i = 0; i < 50 && (got.empty() || (got.back() != "OK" && !got.back().starts_with("ERR ")));
             ++i) {
            server.service();
            for (std::string& line : client.lines())
                got.push_back(std::move(line));
        }
        return got;
    }

    EngineRig rig;
    ServerListener listener;
    DivertablePrompt prompt{rig.prompt};
    Engine engine{rig.folder.folder(), rig.clock, rig.opener, prompt, listener};
    bool busy = false;
    std::string socketPath;
    ControlServer server;
};

TEST(ControlServer, WatchSeesThePanelTheOtherClientAndTheOperatorInOrder) {
    ServerRig s;
    Client watcher(s.socketPath), other(s.socketPath);
    EXPECT_EQ(s.ask(watcher, "watch"), Lines{"OK"});

    ASSERT_TRUE(s.rig.panelSwitch(sim::Layer::Video, kMonitor2, kServer));
    s.pass(3);
    EXPECT_EQ(s.ask(other, "route 1 3"), (Lines{"> Tape -> Monitor 1 on video audio", "OK"}));
    s.pass();
    s.engine.rowClicked(2); // the Recorder, in the switcher control window
    s.engine.switcher().frmcommutation_Load();
    s.engine.switcher().cbcommutation_Click(1); // Camera 2
    s.pass(3);
    EXPECT_EQ(s.ask(other, "vca 1 12"), (Lines{"> Monitor 1 VCA -57 dB", "OK"}));
    s.rig.sendOnLine(false);
    s.pass(3);

    // Choosing the Recorder reads its VCA level, known from then on.
    EXPECT_EQ(watcher.lines(),
              (Lines{"* route 2 5 video", "* route 1 3 video", "* route 1 3 audio", "* vca 3 31",
                     "* route 3 2 video", "* route 3 2 audio", "* vca 1 12", "* offline"}));
}

TEST(ControlServer, AnswersAsRoutelane4ctlDoesWithCodesForWhatFails) {
    ServerRig s;
    Client client(s.socketPath);
    const struct {
        std::string line;
        Lines answer;
    } cases[] = {
        {"identify", {"> matrix N°1234 port 1 protocol 5", "OK"}},
        {"route 4 3", {"ERR 1 source 3 cannot reach destination 4 on any layer"}},
        {"setup store 1", {"ERR 64 setups exist only in the 4-byte form (--protocol 4)"}},
        {"send V 1 1", {"ERR 64 unknown command 'send' (help lists them)"}},
        {"load \"" + s.rig.path("none.cnx") + "\"", {"ERR 66 cannot read " + s.rig.path("none.cnx")}},
        {"wait x", {"ERR 64 wait takes a time in milliseconds"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(s.ask(client, c.line), c.answer);
    }
    // The question before disconnecting is the client's, answered Yes: no dialog waits for the operator.
    EXPECT_EQ(s.ask(client, "disconnect-all").back(), "OK");
    EXPECT_EQ(s.rig.state().layer(sim::Layer::Video).inputOn(kMonitor1), 0);
    EXPECT_TRUE(s.rig.prompt.questions.empty());
}

TEST(ControlServer, BadClientsHarmNeitherTheOthersNorTheLoop) {
    ServerRig s({.pendingOutput = 16 * 1024, .queuedLines = 64, .waitMillis = 10'000});
    Client good(s.socketPath), huge(s.socketPath), deaf(s.socketPath, 4096), leaver(s.socketPath);

    // A megabyte without a line end: one error, nothing kept, the connection still up.
    const std::string megabyte(1 << 20, 'x');
    for (std::size_t sent = 0; sent < megabyte.size(); s.server.service())
        sent += huge.write(megabyte.substr(sent, 64 * 1024));
    EXPECT_EQ(s.ask(huge, ""), Lines{"ERR 65 line longer than 4096 bytes"});
    EXPECT_EQ(s.ask(huge, "help").back(), "OK");

    // A client that never reads is dropped once its answers pile up; the others are served meanwhile.
    ASSERT_EQ(s.ask(deaf, "watch"), Lines{"OK"});
    for (int i = 0; i < 2000 && s.server.clientCount() == 4; ++i) {
        deaf.write("help\n");
        s.server.service();
    }
    EXPECT_EQ(s.server.clientCount(), 3U);
    EXPECT_EQ(s.ask(good, "route 2 1"), (Lines{"> Camera 1 -> Monitor 2 on video audio yc", "OK"}));

    // A client that leaves while its command runs: the command ends, its answer goes nowhere.
    s.listener.duringStatusReading = [&leaver] { leaver.close(); };
    leaver.write("status\nroute 1 2\n");
    s.server.service();
    EXPECT_EQ(s.server.clientCount(), 2U);
    EXPECT_EQ(s.rig.state().layer(sim::Layer::Video).inputOn(kMonitor1), 0) << "its next line was not run";
    EXPECT_EQ(s.ask(good, "route 1 5").back(), "OK");
    EXPECT_EQ(s.rig.state().layer(sim::Layer::Video).inputOn(kMonitor1), kServer);
}

TEST(ControlServer, CommandsWaitForALongOperationGiveUpWhenTheClientSaysAndShareTheLoop) {
    ServerRig s;
    Client patient(s.socketPath), hurried(s.socketPath);
    ASSERT_EQ(s.ask(hurried, "wait 100"), Lines{"OK"});
    s.busy = true;
    patient.write("route 1 3\n");
    hurried.write("route 2 3\n");
    s.pass(4);
    EXPECT_TRUE(patient.lines().empty());
    EXPECT_TRUE(hurried.lines().empty());
    s.pass(2);
    EXPECT_EQ(hurried.lines(), Lines{"ERR 75 busy: the program stayed occupied for 100 ms"});
    EXPECT_EQ(s.ask(hurried, "help").back(), "OK") << "what needs no engine is answered meanwhile";
    s.busy = false;
    EXPECT_EQ(s.answerTo(patient), (Lines{"> Tape -> Monitor 1 on video audio", "OK"}));
    EXPECT_EQ(s.rig.state().layer(sim::Layer::Video).inputOn(kMonitor2), 0)
        << "the refused command never ran";

    // Many lines at once share the loop, and wake it for the rest.
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += "wait 10\n";
    ASSERT_EQ(patient.write(lines), lines.size());
    s.server.service();
    std::size_t answered = patient.lines().size();
    EXPECT_LT(answered, 40U) << "the event loop waits no longer than a share of them";
    for (pollfd ready{s.server.pollFd(), POLLIN, 0}; answered < 40 && ::poll(&ready, 1, 0) == 1;) {
        s.server.service();
        answered += patient.lines().size();
    }
    EXPECT_EQ(answered, 40U);
}

// routelane4ctl finds the program on its folder and prints what it prints when it opens the port itself.
TEST(ControlServer, Routelane4ctlGoesThroughTheRunningProgram) {
    TempFolder runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.folder().c_str(), 1);
    ServerRig s({}, true);
    const struct {
        std::vector<std::string> args;
        std::string out, err;
        int status;
    } cases[] = {
        // clang-format off
        {{"route", "1", "3"}, "Tape -> Monitor 1 on video audio\n", "", 0},
        {{"route", "9", "1"}, "", "routelane4ctl: no destination 9 in the assignment\n", 1},
        {{"route", "1"}, "", "routelane4ctl: route takes a destination and a source\nTry 'routelane4ctl", 64},
        {{"--via", s.rig.path("none.sock"), "status"}, "", "routelane4ctl: no routelane4 listens on", 69},
        {{"--via", "run:1/none.sock", "status"}, "", "routelane4ctl: no routelane4 listens on run:1/none.sock", 69},
        // clang-format on
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"--data", s.rig.folder.folder()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        SCOPED_TRACE(args.back());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        std::atomic<int> status = -1;
        std::thread ctl([&] { status = runRoutelane4ctl(args); });
        while (status < 0)
            s.server.service();
        ctl.join();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out);
        EXPECT_TRUE(testing::internal::GetCapturedStderr().starts_with(c.err));
        EXPECT_EQ(status, c.status);
    }
    EXPECT_EQ(s.rig.state().layer(sim::Layer::Audio).inputOn(kMonitor1), kTape);
}

TEST(ControlServer, ATcpClientWithoutTheTokenIsRefused) {
    ServerRig s;
    ASSERT_EQ(s.server.listenTcp("127.0.0.1:0", "k9Xq2"), "");
    const std::string where = "127.0.0.1:" + std::to_string(s.server.tcpPort());
    const struct {
        std::string first;
        std::string answer;
    } cases[] = {
        {"route 1 3", "ERR 77 token required"}, {"token k9Xq", "ERR 77 wrong token"},
        {"token k9Xq2x", "ERR 77 wrong token"}, {"token", "ERR 77 wrong token"},
        {"route \"1", "ERR 77 token required"},
    };
    std::string error;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        Client client(connectTcpSocket(where, error));
        EXPECT_EQ(s.ask(client, c.first), Lines{c.answer});
        s.server.service();
        EXPECT_TRUE(client.ended()) << "the connection is closed";
    }
    EXPECT_EQ(s.rig.state().layer(sim::Layer::Video).inputOn(kMonitor1), 0);
    Client admitted(connectTcpSocket(where, error));
    EXPECT_EQ(s.ask(admitted, "token k9Xq2"), Lines{"OK"});
    EXPECT_EQ(s.ask(admitted, "route 1 3").back(), "OK");

    const std::string token = s.rig.path("routelane4.token");
    writeBytes(token, "k9Xq2\n");
    for (mode_t mode : {0644, 0640, 0604, 0700}) {
        ::chmod(token.c_str(), mode);
        EXPECT_FALSE(readTokenFile(token).error.empty()) << std::oct << mode;
    }
    ::chmod(token.c_str(), 0600);
    EXPECT_EQ(readTokenFile(token).token, "k9Xq2");
}

TEST(ControlSocket, PrivateToTheUserAndNeverStolen) {
    TempFolder folder;
    const std::string path = folder.path("run/control.sock");
    // The file a program that died left, in a folder and with a mode anyone may have given them.
    ASSERT_EQ(::close(listenControlSocket(path).fd), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666) | ::chmod(folder.path("run").c_str(), 0755), 0);
    const ListeningSocket live = listenControlSocket(path);
    ASSERT_GE(live.fd, 0) << live.error;
    EXPECT_EQ(std::filesystem::symlink_status(folder.path("run")).permissions(),
              std::filesystem::perms(0700));
    EXPECT_EQ(std::filesystem::symlink_status(path).permissions(), std::filesystem::perms(0600));
    EXPECT_EQ(listenControlSocket(path).error, "another routelane4 listens on " + path);
    removeControlSocket(path, live.inode);
    ::close(live.fd);
    EXPECT_NE(::access(path.c_str(), F_OK), 0);

    EXPECT_EQ(controlSocketPath(folder.path("a/../b")), controlSocketPath(folder.path("b/")));
    EXPECT_NE(controlSocketPath(folder.path("a")), controlSocketPath(folder.path("b")));
}

TEST(ControlLine, SplitsWordsRefusesWhatIsNoCommandAndReadsQuotedWordsBackWhole) {
    const struct {
        std::string line;
        Lines words;
        std::string error; // the start of it
    } cases[] = {
        {"route 2 3", {"route", "2", "3"}, ""},
        {"  route\t2   3 \r", {"route", "2", "3"}, ""},
        {"load \"/tmp/my show.cnx\"", {"load", "/tmp/my show.cnx"}, ""},
        {R"(load "a\"b\\c")", {"load", R"(a"b\c)"}, ""},
        {"load \"\"", {"load", ""}, ""},
        {"save caf\xc3\xa9.cnx", {"save", "caf\xc3\xa9.cnx"}, ""},
        {"", {}, ""},
        {" \t\r", {}, ""},
        {"load \"open", {}, "a quoted word has no closing quote"},
        {"load \"a\"b", {}, "a closing quote must end its word"},
        {"load a\"b\"", {}, "a quote inside a word"},
        {R"(load "a\nb")", {}, "inside quotes a backslash"},
        {"load \"a\\", {}, "inside quotes a backslash"},
        {std::string("route\0 2", 8), {}, "control character"},
        {"route \x1b[2J", {}, "control character"},
        {"load \"a\rb\"", {}, "control character"},
        {std::string(kLongestControlLine, 'x'), {std::string(kLongestControlLine, 'x')}, ""},
        {std::string(kLongestControlLine + 1, 'x'), {}, "line longer than 4096 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40));
        const ControlRequest request = parseControlLine(c.line);
        EXPECT_EQ(request.words, c.words);
        EXPECT_TRUE(request.error.starts_with(c.error)) << request.error;
        EXPECT_EQ(request.error.empty(), c.error.empty());
    }
    // Quoted for a line, every word comes back whole.
    const Lines words{"load", "/tmp/my show.cnx", "", "a\"b\\c", "tab\there", "plain"};
    std::string line;
    for (const std::string& word : words)
        line += quoteControlWord(word) + ' ';
    EXPECT_EQ(parseControlLine(line).words, words);
    EXPECT_EQ(quoteControlWord("plain"), "plain");
}

TEST(ControlLine, AnswerBlocksTagEveryLineAndEndOnOne) {
    EXPECT_EQ(controlAnswer("a\nOK\n", "", 0, ""), "> a\n> OK\nOK\n");
    EXPECT_EQ(controlAnswer("", "cannot read x\n", 66, "load failed"),
              "! cannot read x\nERR 66 load failed\n");
    EXPECT_EQ(controlAnswer("", "", 64, "two\nlines"), "ERR 64 two lines\n");
    EXPECT_EQ(controlAnswer("", "", 75, ""), "ERR 75\n");
}

} // namespace
} // namespace rl4::test
