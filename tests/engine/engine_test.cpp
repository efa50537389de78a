// The engine's start-up, main loop pass and shutdown against matrixsim on a pseudo-terminal, reached through
// the port map and the real serial channel, in a program folder of its own.

#include "engine/engine.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "support/engine_rig.h"
#include "support/scripted_prompt.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <netinet/in.h>
#include <optional>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace rl4::test {
namespace {

using Lines = std::vector<std::string>;

// Object numbers of the assignment below.
enum SourceNumber { kCamera1 = 1, kCamera2, kTape, kGraphics, kServer, kBlack };
enum DestinationNumber { kMonitor1 = 1, kMonitor2, kRecorder, kProjector };

constexpr int kUnknown = NotAssigned;
constexpr int kSearchedPorts = 8;

// The 27 lines of a settings file: history window at 120, 240, both tool windows closed, English.
Lines settingsFile(const std::string& folder, int protocol, int port) {
    Lines lines{
        std::to_string(protocol), "-1", "0", "0", "7000", "11530", "0", "0", "120", "240", "0", "0", "1"};
    lines.insert(lines.end(), 7, "0");
    lines.push_back(folder + "/routelane4.cnx");
    lines.push_back(folder + "/routelane4.agn");
    lines.insert(lines.end(), {"0", "0", std::to_string(port), "0", "0"});
    return lines;
}

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeCrLf(const std::string& path, const Lines& lines) {
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
}

// The lines of a CR LF file; a line end of any other kind stays in the text and fails the comparison.
Lines readCrLf(const std::string& path) {
    const std::string bytes = fileBytes(path);
    Lines lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(bytes.substr(start, end - start));
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

std::string hexFrame(std::initializer_list<int> bytes) {
    std::string text;
    for (int byte : bytes) {
        char part[4];
        std::snprintf(part, sizeof part, "%02X", byte);
        text += (text.empty() ? "" : " ") + std::string(part);
    }
    return text;
}

// 5-byte frame: STX, letter, first value, second value, ETX.
std::string frame5(int letter, int data1, int data2) {
    return hexFrame({0x02, letter, data1, data2, 0x03});
}

// 4-byte frame: code, second value, first value, machine, with the top bit set on the three data bytes.
std::string frame4(int code, int machine, int data1, int data2) {
    return hexFrame({code, 0x80 | data2, 0x80 | data1, 0x80 | machine});
}

// The status reading of one layer: outputs 0, 1, ... up to the first output past the layer's size, with the
// layer's read letter (5-byte) or status code pair (4-byte).
void appendStatusReading5(Lines& frames, int letter, int outputs) {
    for (int output = 0; output <= outputs + 1; ++output)
        frames.push_back(frame5(letter, output, 0));
}

void appendStatusReading4(Lines& frames, int code, int machine, int outputs) {
    for (int output = 0; output <= outputs + 1; ++output)
        frames.push_back(frame4(code, machine, output, 0));
}

// A TCP port that takes connections and never says a word: a device that opens but does not answer.
class SilentServer {
public:
    SilentServer() {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && ::listen(fd_, 4) == 0 &&
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port_ = ntohs(address.sin_port);
    }
    ~SilentServer() { ::close(fd_); }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    std::string target() const { return "socket://127.0.0.1:" + std::to_string(port_); }

private:
    int fd_ = -1;
    int port_ = 0;
};

class EngineRecorder : public EngineListener {
public:
    void titleChanged(const std::string& title) override { titles.push_back(title); }
    void sheetRowChanged(int destination) override { changedRows.push_back(destination); }
    void onLineChanged(bool onLine) override { onLineChanges.push_back(onLine); }
    void portSearchStarted() override { search.push_back("start"); }
    void portSearchProgress(int port) override { search.push_back(std::to_string(port)); }
    void portSearchFinished() override { search.push_back("end"); }

    Lines titles;
    std::vector<int> changedRows;
    std::vector<bool> onLineChanges;
    Lines search;
};

class EngineTest : public ::testing::Test {
protected:
    std::string device() const { return dir.path("matrix"); }
    std::string logPath() const { return dir.path("matrix.log"); }

    void startMatrix(const Lines& extra = {}) {
        Lines args{"--pty", device(), "--baud", "0", "--log", logPath()};
        args.insert(args.end(), extra.begin(), extra.end());
        sim = std::make_unique<SimProcess>(args);
        ASSERT_TRUE(sim->waitReady()) << "matrixsim did not start";
    }

    // Ports 1 to 8 lead nowhere, except `port`, which reaches `target`.
    void mapPorts(int port = 0, const std::string& target = "") {
        for (int p = 1; p <= kSearchedPorts; ++p)
            opener.map().set(p, p == port ? target : dir.path("absent-tty" + std::to_string(p)));
    }

    void writeProgramFiles(int protocol, int port) {
        writeCrLf(dir.path("routelane4.set"), settingsFile(dir.folder(), protocol, port));
        writeCrLf(dir.path("routelane4.agn"), sampleAssignmentLines());
    }

    Engine& startEngine() {
        engine = std::make_unique<Engine>(dir.folder(), clock, opener, prompt, listener);
        engine->startUp();
        return *engine;
    }

    // The frames the matrix received, from its log.
    Lines received() const {
        Lines frames;
        std::ifstream in(logPath());
        for (std::string line; std::getline(in, line);)
            if (line.starts_with("RX "))
                frames.push_back(line.substr(3));
        return frames;
    }

    Lines questionTexts() const {
        Lines texts;
        for (const AskedQuestion& question : prompt.questions)
            texts.push_back(question.text);
        return texts;
    }

    // Source of destination d on a layer, wanted and held.
    std::pair<int, int> route(Layer layer, int d) const {
        return {engine->routing().wanted(layer, d), engine->routing().held(layer, d)};
    }

    std::vector<std::string> sheetCells(int d) const {
        for (const SheetRow& row : engine->sheet().rows())
            if (row.destination == d)
                return row.cells;
        return {};
    }

    TempFolder dir;
    SystemClock clock;
    MappedPortOpener opener{PortMap{}};
    ScriptedPrompt prompt;
    EngineRecorder listener;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<Engine> engine;
};

// Start-up --------------------------------------------------------------------------------------------------

TEST_F(EngineTest, StartUpOnTheSavedPortAsksInTheOrderOfTheStartUpSequence) {
    startMatrix();
    mapPorts(1, device());
    writeProgramFiles(5, 1);
    Engine& e = startEngine();

    Lines expected{frame5('x', 120, 120), frame5('D', 1, 0), frame5('p', 1, 0)};
    appendStatusReading5(expected, 'v', 16);
    appendStatusReading5(expected, 'a', 16);
    appendStatusReading5(expected, 'r', 8);
    appendStatusReading5(expected, 'y', 8);
    expected.push_back(frame5('n', 1, 0)); // the VCA of destination 1, on its audio output 1
    EXPECT_EQ(received(), expected);

    EXPECT_TRUE(listener.search.empty()) << "the saved port answered: no search";
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(e.link().portNumber(), 1);
    EXPECT_EQ(e.link().protocolLength(), 5);
    EXPECT_TRUE(e.link().matrixOnLine());
    EXPECT_EQ(listener.onLineChanges, std::vector<bool>{true});
    EXPECT_EQ(e.link().matrixIdentity(), "1234");
    EXPECT_EQ(e.matrixLabel(), "matrix N°1234");
    const std::string title =
        "Brevant Electronics - Routelane6.03 (matrix N°1234) Connexion sheet /routelane4.cnx";
    EXPECT_EQ(e.title(), title);
    ASSERT_FALSE(listener.titles.empty());
    EXPECT_EQ(listener.titles.back(), title);

    const MatrixSizes& sizes = e.assignments().sizes;
    EXPECT_EQ(sizes.videoOut, 16);
    EXPECT_EQ(sizes.audioOut, 16);
    EXPECT_EQ(sizes.rgbOut, 8);
    EXPECT_EQ(sizes.ycOut, 8);
    EXPECT_FALSE(e.routing().connexionsChanged());
    EXPECT_EQ(e.sheet().currentDestination(), 1);
    EXPECT_EQ(e.vca().volsrc(), "Monitor 1");
}

TEST_F(EngineTest, StartUpTakesTheSizesTheMatrixAnswersAndLeavesOutputsBeyondUnknown) {
    startMatrix({"--video", "2x8", "--audio", "3x8", "--rgb", "1x4", "--yc", "0x0"});
    mapPorts(1, device());
    {
        // Video input 5 on output 2 before the program starts: output 0 (all outputs) then has no common
        // input and is refused, which must not end the video reading.
        Link primer(clock, opener);
        primer.setPortNumber(1);
        primer.OpenPort();
        ASSERT_FALSE(primer.SendCommand({'V', 0, 0, 2, 5}).replyError);
    }
    writeProgramFiles(5, 1);
    Engine& e = startEngine();

    const MatrixSizes& sizes = e.assignments().sizes;
    EXPECT_EQ(sizes.videoOut, 2);
    EXPECT_EQ(sizes.audioOut, 3);
    EXPECT_EQ(sizes.rgbOut, 1);
    EXPECT_EQ(sizes.ycOut, 0) << "a layer the matrix lacks refuses output 1 as well";

    using P = std::pair<int, int>;
    EXPECT_EQ(route(Layer::Video, kMonitor1), P(kBlack, kBlack)) << "input 0 is the Black source's";
    EXPECT_EQ(route(Layer::Video, kMonitor2), P(kServer, kServer));
    EXPECT_EQ(route(Layer::Video, kRecorder), P(kUnknown, kUnknown)) << "output 3 of 2";
    EXPECT_EQ(route(Layer::Audio, kRecorder), P(kBlack, kBlack));
    EXPECT_EQ(route(Layer::Rgb, kMonitor1), P(kBlack, kBlack));
    EXPECT_EQ(route(Layer::Rgb, kRecorder), P(kUnknown, kUnknown)) << "RGB output 2 of 1";
    EXPECT_EQ(route(Layer::Rgb, kProjector), P(kUnknown, kUnknown));
    for (int d = kMonitor1; d <= kProjector; ++d)
        EXPECT_EQ(route(Layer::Yc, d), P(kUnknown, kUnknown)) << "destination " << d;

    EXPECT_EQ(sheetCells(kMonitor2),
              (Lines{" 2", "Monitor 2", "Server", "Black", kNoSourceCell, kUnknownSourceCell}))
        << "no RGB output: nothing to show; Y/C output beyond the matrix: unknown";

    Lines frames = received();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], frame5('V', 2, 5));
    EXPECT_EQ(frames[1], frame5('x', 120, 120));
    Lines expected{frame5('D', 1, 0), frame5('p', 1, 0)};
    appendStatusReading5(expected, 'v', 2);
    appendStatusReading5(expected, 'a', 3);
    appendStatusReading5(expected, 'r', 1);
    expected.push_back(frame5('y', 0, 0));
    expected.push_back(frame5('y', 1, 0));
    expected.push_back(frame5('n', 1, 0));
    EXPECT_EQ(Lines(frames.begin() + 2, frames.end()), expected);
}

TEST_F(EngineTest, SearchFindsAFourByteMatrixOnPort3AndShutdownStoresInThatForm) {
    startMatrix({"--protocol", "4"});
    mapPorts(3, device());
    writeProgramFiles(5, 1);
    Engine& e = startEngine();

    EXPECT_EQ(listener.search, (Lines{"start", "1", "2", "3", "end"}));
    EXPECT_EQ(e.link().portNumber(), 3);
    EXPECT_EQ(e.link().protocolLength(), 4);
    EXPECT_EQ(e.matrixLabel(), "matrix N°1234") << "the 4-byte identity: 12 and 34 as two 2-digit numbers";
    EXPECT_TRUE(prompt.questions.empty()) << "port 3 opened: no 'no port available'";
    EXPECT_TRUE(e.link().matrixOnLine());
    EXPECT_EQ(e.assignments().sizes.videoOut, 16);
    EXPECT_EQ(e.assignments().sizes.ycOut, 8);

    Lines expected{frame4(61, 1, 0, 0), frame4(33, 1, 1, 0), frame4(61, 1, 1, 0)};
    appendStatusReading4(expected, 5, 1, 16);
    appendStatusReading4(expected, 6, 1, 16);
    appendStatusReading4(expected, 5, 5, 8);
    appendStatusReading4(expected, 5, 2, 8);
    expected.push_back(frame4(25, 1, 0, 1)); // VCA read: selector 0, audio output 1
    EXPECT_EQ(received(), expected);
    std::ifstream log(logPath());
    for (std::string line; std::getline(log, line);)
        EXPECT_TRUE(line.starts_with("RX ") || line.starts_with("TX "))
            << "a 5-byte attempt on port 3: " << line;

    e.frm1_Close(WorkspaceLayout{});
    const Lines frames = received();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), "03 80 80 81");
    const Lines settings = readCrLf(dir.path("routelane4.set"));
    ASSERT_EQ(settings.size(), 27u);
    EXPECT_EQ(settings[0], "4");
    EXPECT_EQ(settings[24], "3");
}

TEST_F(EngineTest, WithoutAMatrixTheConnexionFileIsDownloadedInSimulation) {
    mapPorts();
    writeProgramFiles(5, 1);
    writeCrLf(dir.path("routelane4.cnx"), {
                                              "Matrix Routing Switcher",
                                              "Switching file",
                                              "dst|nsv|nsa|nsr|nsy|vca",
                                              "  1|  5|  1|  1|  2| 31",
                                              "  2|  2|  3|  0|  5| 20",
                                              "  3|  6|  6|  4|  0|  0",
                                              "  4|  0|  0|  5|  1| 10",
                                          });
    Engine& e = startEngine();

    EXPECT_EQ(listener.search, (Lines{"start", "1", "2", "3", "4", "5", "6", "7", "8", "end"}));
    EXPECT_EQ(e.link().portNumber(), 0);
    EXPECT_EQ(e.link().protocolLength(), 4) << "whatever the settings said";
    EXPECT_EQ(questionTexts(), (Lines{"no port available", "no matrix found"}));
    EXPECT_EQ(e.matrixLabel(), "no matrix found");
    EXPECT_EQ(e.title(),
              "Brevant Electronics - Routelane6.03 (no matrix found) Connexion sheet /routelane4.cnx");

    // Every entry with a connector on both sides was confirmed by its echo; the others keep the file's
    // wanted source beside an unknown matrix source.
    using P = std::pair<int, int>;
    EXPECT_EQ(route(Layer::Video, kMonitor1), P(kServer, kServer));
    EXPECT_EQ(route(Layer::Audio, kMonitor1), P(kCamera1, kCamera1));
    EXPECT_EQ(route(Layer::Rgb, kMonitor1), P(kCamera1, kCamera1));
    EXPECT_EQ(route(Layer::Yc, kMonitor1), P(kCamera2, kCamera2));
    EXPECT_EQ(route(Layer::Video, kMonitor2), P(kCamera2, kCamera2));
    EXPECT_EQ(route(Layer::Audio, kMonitor2), P(kTape, kTape));
    EXPECT_EQ(route(Layer::Rgb, kMonitor2), P(0, kUnknown)) << "no source is never sent";
    EXPECT_EQ(route(Layer::Yc, kMonitor2), P(kServer, kServer));
    EXPECT_EQ(route(Layer::Video, kRecorder), P(kBlack, kBlack)) << "input 0 goes out and comes back";
    EXPECT_EQ(route(Layer::Audio, kRecorder), P(kBlack, kBlack));
    EXPECT_EQ(route(Layer::Rgb, kRecorder), P(kGraphics, kGraphics));
    EXPECT_EQ(route(Layer::Rgb, kProjector), P(kServer, kServer));
    EXPECT_EQ(route(Layer::Yc, kProjector), P(kCamera1, kCamera1));
    EXPECT_EQ(e.routing().vcaLevel[kMonitor1], 31);
    EXPECT_EQ(e.routing().vcaLevel[kMonitor2], 20);
    EXPECT_FALSE(e.routing().connexionsChanged());

    // Shutdown without a port: line 25 keeps the port read at start, line 1 the length now in force.
    e.frm1_Close(WorkspaceLayout{});
    EXPECT_EQ(prompt.questions.size(), 2u) << "nothing changed: no question at shutdown";
    const Lines settings = readCrLf(dir.path("routelane4.set"));
    ASSERT_EQ(settings.size(), 27u);
    EXPECT_EQ(settings[0], "4");
    EXPECT_EQ(settings[24], "1");
}

TEST_F(EngineTest, NoPortAvailableOnlyWhenTheLastPortTriedCouldNotBeOpened) {
    SilentServer silent;
    mapPorts(kSearchedPorts, silent.target());
    writeProgramFiles(4, 1);
    Engine& e = startEngine();

    EXPECT_EQ(e.link().portNumber(), 0);
    EXPECT_EQ(e.link().protocolLength(), 4);
    // Port 8 opened, though nothing answered there. Without a connexion file a new one is made, with eight
    // destinations.
    EXPECT_EQ(questionTexts(), (Lines{"no matrix found", "The connexion file: " + dir.path("routelane4.cnx") +
                                                             " don't exist."}));
    EXPECT_EQ(e.matrixLabel(), "no matrix found");
    EXPECT_EQ(readCrLf(dir.path("routelane4.cnx")).size(), 3u + 8u);
}

TEST_F(EngineTest, TitleCutsTheProgramFolderOnlyFromFilesInsideIt) {
    mapPorts();
    const std::string program = dir.path("prog");
    std::filesystem::create_directories(program + "/shows");
    std::filesystem::create_directories(dir.path("prog-archive"));
    const Lines emptySheet{"Matrix Routing Switcher", "Switching file", "dst|nsv|nsa|nsr|nsy|vca"};
    writeCrLf(program + "/routelane4.agn", sampleAssignmentLines());
    const std::string start = "Brevant Electronics - Routelane6.03 (no matrix found) Connexion sheet ";

    for (const auto& [path, shown] : std::vector<std::pair<std::string, std::string>>{
             {program + "/shows/late.cnx", "/shows/late.cnx"},
             {dir.path("prog-archive/late.cnx"), dir.path("prog-archive/late.cnx")},
         }) {
        Lines settings = settingsFile(program, 4, 1);
        settings[20] = path;
        writeCrLf(program + "/routelane4.set", settings);
        writeCrLf(path, emptySheet);
        Engine e(program, clock, opener, prompt, listener);
        e.startUp();
        EXPECT_EQ(e.title(), start + shown);
    }
}

// Shutdown --------------------------------------------------------------------------------------------------

// An engine started against a 5-byte matrix on port 1.
class StartedEngineTest : public EngineTest {
protected:
    void SetUp() override {
        startMatrix();
        mapPorts(1, device());
        writeProgramFiles(5, 1);
        startEngine();
    }

    // Switches the Server to Monitor 1 on video, as the switcher window would.
    void changeConnexions() {
        engine->routing().wanted(Layer::Video, kMonitor1) = kServer;
        engine->routingCommands().DownloadRouting();
        ASSERT_TRUE(engine->routing().connexionsChanged());
    }

    Lines settings() const { return readCrLf(dir.path("routelane4.set")); }
};

TEST_F(StartedEngineTest, ChangedConnexionsAnsweredNoSaveNothingButStoreAndWriteSettings) {
    changeConnexions();
    engine->sheet().SelectAllRows(false);
    ASSERT_TRUE(engine->assignments().assignmentsChanged());
    prompt.answer(kAnswerNo);

    WorkspaceLayout layout;
    layout.mainWindow = {300, 400};
    layout.mainHeight = 6000;
    layout.mainWidth = 9000;
    engine->frm1_Close(layout);

    ASSERT_EQ(prompt.questions.size(), 1u) << "the assignment is written without a question";
    const AskedQuestion& asked = prompt.questions[0];
    EXPECT_EQ(asked.text, "Some connexions have change. Do you want to save?");
    EXPECT_EQ(asked.title, "Routelane Change");
    EXPECT_EQ(asked.buttons, PromptButtons::YesNo);
    EXPECT_FALSE(std::filesystem::exists(dir.path("routelane4.cnx"))) << "No saves nothing";

    const Lines frames = received();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), frame5('S', 83, 83));

    // "Deselect all" reached the file: every Shw (and the VCA column repeating it) is 0 now.
    const Lines agn = readCrLf(dir.path("routelane4.agn"));
    EXPECT_NE(std::find(agn.begin(), agn.end(),
                        name20("Monitor 1") + "|  1|  1|  1|  1|  1|  0|  0|127|127|127|127|127|127|"),
              agn.end());
    EXPECT_NE(std::find(agn.begin(), agn.end(),
                        name20("Projector") + "|   |   |   |  3|  3|  0|  0|127|127|127|127|127|127|"),
              agn.end());

    const Lines lines = settings();
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[0], "5");
    EXPECT_EQ(lines[2], "300");
    EXPECT_EQ(lines[3], "400");
    EXPECT_EQ(lines[4], "6000");
    EXPECT_EQ(lines[5], "9000");
    EXPECT_EQ(lines[10], "0") << "switcher window closed";
    EXPECT_EQ(lines[11], "0") << "history window closed";
    EXPECT_EQ(lines[20], dir.path("routelane4.cnx"));
    EXPECT_EQ(lines[24], "1");
}

TEST_F(StartedEngineTest, ChangedConnexionsAnsweredYesAreSavedUnderTheChosenName) {
    changeConnexions();
    prompt.answer(kAnswerYes);
    prompt.answerPath(dir.path("evening.cnx"));
    engine->frm1_Close(WorkspaceLayout{});

    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_EQ(prompt.questions[1].kind, AskedQuestion::Kind::SaveFile);
    EXPECT_EQ(prompt.questions[1].initialPath, dir.path("routelane4.cnx"));
    // The matrix confirmed the Server on video; the other layers were read at start (input 0: Black);
    // the status reading left every VCA level unknown.
    const Lines cnx = readCrLf(dir.path("evening.cnx"));
    ASSERT_EQ(cnx.size(), 7u);
    EXPECT_EQ(cnx[0], "Matrix Routing Switcher");
    EXPECT_EQ(cnx[3], "  1|  5|  6|  6|  6|257");
    EXPECT_EQ(cnx[4], "  2|  6|  6|257|  6|257");
    EXPECT_EQ(settings()[20], dir.path("evening.cnx"));
}

TEST_F(StartedEngineTest, WithNobodyToAskChangedConnexionsAreKeptAsideAndOfferedAtTheNextStart) {
    const Lines own{"Matrix Routing Switcher", "Switching file", "dst|nsv|nsa|nsr|nsy|vca"};
    writeCrLf(dir.path("routelane4.cnx"), own);
    changeConnexions();
    prompt.leaveUnattended();
    engine->frm1_Close(WorkspaceLayout{});

    const std::string kept = dir.path("routelane4.recovered.cnx");
    EXPECT_EQ(engine->keptConnexionsPath(), kept);
    EXPECT_EQ(questionTexts(), (Lines{"The changed connexions were kept in the file: " + kept}));
    EXPECT_EQ(readCrLf(dir.path("routelane4.cnx")), own) << "the operator's file is not written unasked";
    Lines keptLines = readCrLf(kept);
    ASSERT_EQ(keptLines.size(), 7u);
    EXPECT_EQ(keptLines[3], "  1|  5|  6|  6|  6|257");
    EXPECT_EQ(received().back(), frame5('S', 83, 83));
    engine.reset();

    // Camera 2 in the kept file, where the matrix holds the Server: what the next start takes shows.
    keptLines[3] = "  1|  2|  6|  6|  6|257";
    const std::string question =
        "The connexions changed before the program was last stopped were kept in the "
        "file: " +
        kept + ". Do you want to load them?";
    struct Case {
        int answer; // 0: nobody answers
        int video;
        bool changed;
        bool keptAfter;
    };
    for (const Case& c : {Case{0, kServer, false, true}, Case{kAnswerNo, kServer, false, false},
                          Case{kAnswerYes, kCamera2, true, false}}) {
        SCOPED_TRACE("answer " + std::to_string(c.answer));
        writeCrLf(kept, keptLines);
        ScriptedPrompt next;
        if (c.answer == 0)
            next.leaveUnattended();
        else
            next.answer(c.answer);
        Engine started(dir.folder(), clock, opener, next, listener);
        started.startUp();
        ASSERT_EQ(next.questions.size(), 1u);
        EXPECT_EQ(next.questions[0].text, question);
        EXPECT_EQ(started.routing().wanted(Layer::Video, kMonitor1), c.video);
        EXPECT_EQ(started.routing().connexionsChanged(), c.changed);
        EXPECT_EQ(std::filesystem::exists(kept), c.keptAfter);
    }
}

TEST_F(StartedEngineTest, AMovedHistoryWindowAsksTheWorkspaceQuestionOnce) {
    WorkspaceLayout layout;
    layout.switcherWindow = WindowPlace{0, 0}; // where the settings had it
    layout.historyWindow = WindowPlace{500, 600};
    prompt.answer(kAnswerNo);
    engine->frm1_Close(layout);

    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text, "Save the workspace as shown on this screen?");
    EXPECT_EQ(prompt.questions[0].title, "Routelane Workspace");
    EXPECT_EQ(prompt.questions[0].buttons, PromptButtons::YesNo);
    EXPECT_EQ(received().back(), frame5('S', 83, 83));

    const Lines lines = settings();
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[8], "500");
    EXPECT_EQ(lines[9], "600");
    EXPECT_EQ(lines[10], "-1");
    EXPECT_EQ(lines[11], "-1");
}

// Main loop -------------------------------------------------------------------------------------------------

TEST_F(StartedEngineTest, MainLoopAppliesASwitchMadeAtTheMatrixPanel) {
    listener.changedRows.clear();
    sim->writeLine("panel V 2 5");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (engine->routing().held(Layer::Video, kMonitor2) != kServer &&
           std::chrono::steady_clock::now() < deadline) {
        engine->mainLoopPass();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(route(Layer::Video, kMonitor2), std::make_pair(int(kServer), int(kServer)));
    EXPECT_EQ(listener.changedRows, std::vector<int>{kMonitor2});
    EXPECT_EQ(sheetCells(kMonitor2), (Lines{" 2", "Monitor 2", "Server", "Black", kNoSourceCell, "Black"}));
}

} // namespace
} // namespace rl4::test
