// The engine on the rig, its start-up, shutdown, lost line and main window commands: the software matrix
// behind a memory port, on the fake clock, so that every frame and every wait is exact; only the unplug case
// runs the matrix program on a real line and clock.

#include "assign/assignment_file.h"
#include "engine/folder_claim.h"
#include "engine/main_menu.h"
#include "engine/menu_ids.h"
#include "platform/mapped_port_opener.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace rl4::test {
namespace {

using namespace menu_id;
using namespace std::string_view_literals;

constexpr int kUnknown = NotAssigned;
using Route = std::pair<int, int>; // wanted, held

// The frames of a start-up on a port that answers: the three opening questions, the status reading of each
// layer (video, audio, RGB, Y/C: outputs 0, 1, ... up to the first output past the layer's size), then the
// VCA of destination 1, on its audio output 1 (4-byte form: selector 0).
std::vector<Frame> startUpFrames(std::array<int, 4> outputs, bool fourByte = false) {
    std::vector<Frame> frames = fourByte
                                    ? std::vector{four(61, 1, 0, 0), four(33, 1, 1, 0), four(61, 1, 1, 0)}
                                    : std::vector{five('x', 120, 120), five('D', 1, 0), five('p', 1, 0)};
    const int fourCodes[4][2] = {{5, 1}, {6, 1}, {5, 5}, {5, 2}}; // code, machine
    for (int layer = 0; layer < 4; ++layer)
        for (int output = 0; output <= outputs[layer] + 1; ++output)
            frames.push_back(fourByte ? four(fourCodes[layer][0], fourCodes[layer][1], output, 0)
                                      : five("vary"[layer], output, 0));
    frames.push_back(fourByte ? four(25, 1, 0, 1) : five('n', 1, 0));
    return frames;
}

void expectRoutes(Engine& e, std::initializer_list<std::tuple<Layer, int, Route>> cases) {
    for (const auto& [layer, d, route] : cases)
        EXPECT_EQ(Route(e.routing().wanted(layer, d), e.routing().held(layer, d)), route)
            << layerIndex(layer) << " " << d;
}

// Started, with what the start-up sent, said and asked taken.
struct StartedRig : EngineRig {
    explicit StartedRig(RigOptions options = {}) : EngineRig(options) {
        start();
        takeReceived();
        listener.take();
        prompt.questions.clear();
    }
};

const std::string kTitle = "Brevant Electronics - Routelane6.03 (";

// On the saved port, which answers: no search, no question; the sizes the matrix answers, outputs beyond
// them unknown, and the start-up sequence cut to those sizes.
TEST(EngineStartUp, OnTheSavedPortTakesTheSizesTheMatrixAnswersAndLeavesOutputsBeyondUnknown) {
    EngineRig rig({.matrix = {.sizes{{{2, 8}, {3, 8}, {1, 4}, {0, 0}}}}});
    // Video input 5 on output 2: output 0 (all outputs) then has no common input and is refused, which must
    // not end the video reading.
    rig.state().layer(sim::Layer::Video).connect(2, 5);
    rig.start();

    Engine& e = rig.engine;
    EXPECT_TRUE(rig.prompt.questions.empty());
    EXPECT_EQ(e.title(), kTitle + "matrix N°1234) Connexion sheet /routelane4.cnx");
    EXPECT_TRUE(rig.listener.saw("title " + e.title()));
    EXPECT_TRUE(rig.listener.take("search").empty());
    EXPECT_FALSE(e.routing().connexionsChanged());
    const MatrixSizes& sizes = e.assignments().sizes;
    EXPECT_EQ((std::vector{sizes.videoOut, sizes.audioOut, sizes.rgbOut, sizes.ycOut}),
              (std::vector{2, 3, 1, 0}))
        << "a layer the matrix lacks refuses output 1 as well";
    // Input 0 is the Black source's; video output 3 and RGB output 2 are beyond the matrix.
    // clang-format off
    expectRoutes(e, {
        {Layer::Video, kMonitor1, {kBlackSource, kBlackSource}},
        {Layer::Video, kMonitor2, {kServer, kServer}}, {Layer::Video, kRecorder, {kUnknown, kUnknown}},
        {Layer::Audio, kRecorder, {kBlackSource, kBlackSource}},
        {Layer::Rgb, kMonitor1, {kBlackSource, kBlackSource}}, {Layer::Rgb, kRecorder, {kUnknown, kUnknown}},
        {Layer::Yc, kMonitor1, {kUnknown, kUnknown}}, {Layer::Yc, kProjector, {kUnknown, kUnknown}}
    });
    // clang-format on
    EXPECT_EQ(rig.takeReceived(), startUpFrames({2, 3, 1, 0}));
}

TEST(EngineStartUp, SearchFindsAFourByteMatrixOnPort3AndShutdownStoresInThatForm) {
    EngineRig rig({.matrixPort = 3, .matrix = {.protocol = sim::ProtocolChoice::Four}});
    rig.start();

    Engine& e = rig.engine;
    EXPECT_EQ(rig.listener.take("search"),
              (Lines{"search start", "search 1", "search 2", "search 3", "search end"}));
    EXPECT_TRUE(rig.prompt.questions.empty()) << "port 3 opened: no 'no port available'";
    // Nothing of a 5-byte attempt reached port 3: the matrix would have dropped its bytes.
    EXPECT_EQ(rig.takeReceived(), startUpFrames({16, 16, 8, 8}, true));

    e.frm1_Close(WorkspaceLayout{});
    EXPECT_EQ(rig.readLines("routelane4.set"), settingsLines(rig.folder.folder(), 4, 3));
}

TEST(EngineStartUp, WithoutAMatrixTheConnexionFileIsDownloadedInSimulation) {
    EngineRig rig({.matrixPort = 0, .matrix = {}});
    rig.writeConnexions({"  1|  5|  1|  1|  2| 31", "  2|  2|  3|  0|  5| 20", "  3|  6|  6|  4|  0|  0",
                         "  4|  0|  0|  5|  1| 10"});
    rig.start();

    Engine& e = rig.engine;
    EXPECT_EQ(rig.listener.take("search").size(), 10u) << "start, ports 1 to 8, end";
    EXPECT_EQ(e.link().protocolLength(), 4) << "whatever the settings said";
    EXPECT_EQ(rig.prompt.texts(), (Lines{"no port available", "no matrix found"}));
    EXPECT_EQ(e.title(), kTitle + "no matrix found) Connexion sheet /routelane4.cnx");
    // The file's entries went out and their echoes confirmed them, input 0 (the Black source's) too; an
    // entry that is not sent keeps the file's wanted source beside an unknown matrix source.
    expectRoutes(e, {{Layer::Video, kMonitor1, {kServer, kServer}},
                     {Layer::Video, kRecorder, {kBlackSource, kBlackSource}},
                     {Layer::Rgb, kMonitor2, {0, kUnknown}}});
    EXPECT_FALSE(e.routing().connexionsChanged());
    // Closing the assignment editor downloads the sheet again, which only replays it: nothing to save.
    e.editor().frmagn_Load();
    e.editor().frmagn_Close();
    EXPECT_FALSE(e.routing().connexionsChanged());

    // No port available only when the last port tried could not be opened: here every port opens, though
    // nothing answers.
    EngineRig silent({.matrixPort = 0, .matrix = {}, .otherPortsOpen = true, .protocol = 4});
    silent.start();
    EXPECT_EQ(silent.prompt.texts().at(0), "no matrix found");
}

// A port another program holds is never written to, or its frames would mix with the other program's: the
// search passes it over, once, and names the holder in the operator's language.
TEST(EngineStartUp, APortInUseIsPassedOverAndItsHolderNamed) {
    const std::string english = "port 1 is in use by process 4321 (routelane4ctl)";
    const std::string french = "le port 1 est utilisé par le processus 4321 (routelane4ctl)";
    const struct {
        int matrixPort;
        bool french;
        Lines questions;
    } cases[] = {
        {2, false, {english}},
        {1, true, {"Pas de port disponible\n" + french, "aucune matrice détectée"}},
    };
    for (const auto& c : cases) {
        EngineRig rig({.matrixPort = c.matrixPort, .matrix = {}});
        Lines settings = rig.readLines("routelane4.set");
        settings[12] = c.french ? "2" : "1";
        writeCrLf(rig.path("routelane4.set"), settings);
        rig.opener.holdElsewhere(1, {4321, "routelane4ctl"});
        rig.start();
        // Then, without a matrix, the usual start in simulation.
        const Lines asked = rig.prompt.texts();
        ASSERT_GE(asked.size(), c.questions.size());
        EXPECT_EQ(Lines(asked.begin(), asked.begin() + std::ssize(c.questions)), c.questions);
        EXPECT_EQ(rig.listener.take("search in use"), Lines{"search in use 1 process 4321 (routelane4ctl)"});
        EXPECT_EQ(rig.engine.link().portNumber(), c.matrixPort == 2 ? 2 : 0);
        EXPECT_EQ(rig.takeReceived().empty(), c.matrixPort == 1);
    }
}

// Nothing is lost when a file cannot be written, even as root (a file stands where a folder should): the
// operator reads why, and the change stays marked for a save elsewhere.
TEST(EngineFiles, AWriteThatFailsSaysWhyAndKeepsTheChangeMarked) {
    EngineRig rig;
    writeCrLf(rig.path("plain"), {"a file, not a folder"});
    const std::string path = rig.path("plain/show.cnx");
    const std::string expected = "Cannot write the file " + path + " (Not a directory)";
    Engine& e = rig.engine;
    e.routing().setConnexionsChanged(true);
    EXPECT_FALSE(e.connexionFile().WriteConnexionFile(path));
    EXPECT_EQ(rig.prompt.texts().back(), expected);
    EXPECT_TRUE(e.routing().connexionsChanged());
    e.assignments().activeFileName = path;
    e.assignments().setAssignmentsChanged(true);
    EXPECT_FALSE(WriteAssignmentFile(e.assignments(), e.messages(), rig.prompt));
    EXPECT_EQ(rig.prompt.texts().back(), expected);
    EXPECT_TRUE(e.assignments().assignmentsChanged());
}

// Two programs on one folder would write over each other's files: the second is told who has the folder, in
// the folder's language; the one that has it clears what killed writers left, but not the test tool's.
TEST(EngineFiles, TheProgramFolderServesOneProgramAndItsHolderClearsLeftovers) {
    EngineRig rig;
    Lines settings = rig.readLines("routelane4.set");
    settings[12] = "2";
    writeCrLf(rig.path("routelane4.set"), settings);
    for (const char* name : {".routelane4.cnx.a1B2c3", ".show.agn.Zz9Zz9", ".protocol.set.a1B2c3"})
        writeBytes(rig.path(name), "half");
    {
        const ProgramFolderLock other(rig.folder.folder());
        const FolderClaim refused(rig.folder.folder());
        EXPECT_EQ(refused.refusal().substr(0, refused.refusal().find(" (")),
                  "Le dossier du programme " + rig.folder.folder() + " est utilisé par le processus " +
                      std::to_string(::getpid()));
        EXPECT_EQ(refused.leftoversRemoved(), 0u);
    }
    const FolderClaim claim(rig.folder.folder());
    EXPECT_FALSE(claim.refused());
    EXPECT_EQ(claim.leftoversRemoved(), 2u) << "the test tool's is not ours";
}

// A file beyond any of ours (binary, or some other program's) is read only up to the bound, and the
// operator is told how much was left; what came before still counts.
TEST(EngineFiles, AHugeFileIsReadUpToTheBoundAndSaysWhatItLeft) {
    EngineRig rig;
    Engine& e = rig.engine;
    const std::string tail(kMaxTextFileBytes, 'x');
    const std::pair<std::string, std::function<void()>> files[] = {
        {"routelane4.set", [&] { e.startUpSettings(); }},
        {"routelane4.cnx", [&] { e.connexionFile().ReadConnexionFile(rig.path("routelane4.cnx")); }},
        {"routelane4.agn", [&] { e.loadAssignment(); }},
    };
    rig.writeConnexions({"  1|  3|  0|  0|  0| 12"});
    for (const auto& [name, read] : files) {
        SCOPED_TRACE(name);
        writeBytes(rig.path(name), fileBytes(rig.path(name)) + tail);
        read();
        EXPECT_EQ(rig.prompt.texts().back(), "The file " + rig.path(name) +
                                                 " is larger than any file of this program: the last " +
                                                 std::to_string(kMaxTextFileBytes) + " bytes were not read.");
    }
    EXPECT_EQ(e.settings().historyWindow.left, 120);
    EXPECT_EQ(e.routing().wanted(Layer::Video, 1), 3);
    EXPECT_EQ(e.assignments().activeTable.sources[kTape].name, "Tape");
}

// The start-up cases above find the program folder cut from a connexion file inside it; a folder beside it
// whose name starts with the program folder's is no part of it.
TEST(EngineStartUp, TitleCutsTheProgramFolderOnlyFromFilesInsideIt) {
    EngineRig rig({.matrixPort = 0, .matrix = {}});
    const std::string folder = rig.folder.folder() + "-archive";
    std::filesystem::create_directories(folder);
    Lines settings = settingsLines(rig.folder.folder(), 4, 1);
    settings[20] = folder + "/late.cnx";
    writeCrLf(rig.path("routelane4.set"), settings);
    writeCrLf(settings[20], {"Matrix Routing Switcher", "Switching file", "dst|nsv|nsa|nsr|nsy|vca"});
    rig.start();
    EXPECT_EQ(rig.engine.title(), kTitle + "no matrix found) Connexion sheet " + settings[20]);
    std::filesystem::remove_all(folder);
}

// Shutdown ------------------------------------------------------------------------------------------------

// Started against the 5-byte matrix on port 1, the Server switched to Monitor 1 on video as the switcher
// window would.
struct ChangedRig : StartedRig {
    ChangedRig() {
        engine.routing().wanted(Layer::Video, kMonitor1) = kServer;
        engine.routingCommands().DownloadRouting();
        takeReceived();
    }
};

// Its connexions as a save writes them: the matrix confirmed the Server on video; the other layers were read
// at start (input 0: Black); the status reading left every VCA level unknown.
const Lines kChangedConnexions{"Matrix Routing Switcher", "Switching file",
                               "dst|nsv|nsa|nsr|nsy|vca", "  1|  5|  6|  6|  6|257",
                               "  2|  6|  6|257|  6|257", "  3|  6|  6|  6|257|257",
                               "  4|257|257|  6|  6|257"};

TEST(EngineShutdown, ChangedConnexionsAnsweredNoSaveNothingButStoreAndWriteSettings) {
    ChangedRig rig;
    rig.engine.sheet().SelectAllRows(false);
    rig.prompt.answer(kAnswerNo);
    rig.engine.frm1_Close(WorkspaceLayout{{300, 400}, 6000, 9000, {}, {}});

    ASSERT_EQ(rig.prompt.questions.size(), 1u) << "the assignment is written without a question";
    const AskedQuestion& asked = rig.prompt.questions[0];
    EXPECT_EQ(asked.text, "Some connexions have change. Do you want to save?");
    EXPECT_EQ(asked.buttons, PromptButtons::YesNo);
    EXPECT_FALSE(std::filesystem::exists(rig.path("routelane4.cnx"))) << "No saves nothing";
    EXPECT_EQ(rig.takeReceived(), std::vector<Frame>{five('S', 83, 83)});

    // "Deselect all" reached the file: Monitor 1's Shw (and the VCA column repeating it) is 0 now.
    EXPECT_EQ(rig.readLines("routelane4.agn").at(18),
              name20("Monitor 1") + "|  1|  1|  1|  1|  1|  0|  0|127|127|127|127|127|127|");
    Lines expected = settingsLines(rig.folder.folder(), 5, 1);
    expected[2] = "300", expected[3] = "400", expected[4] = "6000", expected[5] = "9000";
    EXPECT_EQ(rig.readLines("routelane4.set"), expected) << "both tool windows closed";
}

TEST(EngineShutdown, ChangedConnexionsAnsweredYesAreSavedUnderTheChosenName) {
    ChangedRig rig;
    rig.prompt.answer(kAnswerYes);
    rig.prompt.answerPath(rig.path("evening.cnx"));
    rig.engine.frm1_Close(WorkspaceLayout{});

    ASSERT_EQ(rig.prompt.questions.size(), 2u);
    EXPECT_EQ(rig.prompt.questions[1].kind, AskedQuestion::Kind::SaveFile);
    EXPECT_EQ(rig.prompt.questions[1].initialPath, rig.path("routelane4.cnx"));
    EXPECT_EQ(rig.readLines("evening.cnx"), kChangedConnexions);
    EXPECT_EQ(rig.readLines("routelane4.set").at(20), rig.path("evening.cnx"));
}

TEST(EngineShutdown, WithNobodyToAskChangedConnexionsAreKeptAsideAndOfferedAtTheNextStart) {
    ChangedRig rig;
    const Lines own{"Matrix Routing Switcher", "Switching file", "dst|nsv|nsa|nsr|nsy|vca"};
    writeCrLf(rig.path("routelane4.cnx"), own);
    rig.prompt.leaveUnattended();
    rig.engine.frm1_Close(WorkspaceLayout{});

    const std::string kept = rig.path("routelane4.recovered.cnx");
    EXPECT_EQ(rig.prompt.texts(), (Lines{"The changed connexions were kept in the file: " + kept}));
    EXPECT_EQ(rig.readLines("routelane4.cnx"), own) << "the operator's file is not written unasked";
    Lines keptLines = rig.readLines("routelane4.recovered.cnx");
    EXPECT_EQ(keptLines, kChangedConnexions);

    // Camera 2 in the kept file, where the matrix holds the Server: what the next start takes shows.
    keptLines[3] = "  1|  2|  6|  6|  6|257";
    const std::string question =
        "The connexions changed before the program was last stopped were kept in the file: " + kept +
        ". Do you want to load them?";
    const struct {
        int answer; // 0: nobody answers
        int video;
        bool changed, keptAfter;
    } cases[] = {
        {0, kServer, false, true}, {kAnswerNo, kServer, false, false}, {kAnswerYes, kCamera2, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE("answer " + std::to_string(c.answer));
        writeCrLf(kept, keptLines);
        ScriptedPrompt next;
        if (c.answer == 0)
            next.leaveUnattended();
        else
            next.answer(c.answer);
        Engine started(rig.folder.folder(), rig.clock, rig.opener, next, rig.listener);
        started.startUp();
        EXPECT_EQ(next.texts(), Lines{question});
        EXPECT_EQ(started.routing().wanted(Layer::Video, kMonitor1), c.video);
        EXPECT_EQ(started.routing().connexionsChanged(), c.changed);
        EXPECT_EQ(std::filesystem::exists(kept), c.keptAfter);
    }
}

TEST(EngineShutdown, AMovedHistoryWindowAsksTheWorkspaceQuestionOnce) {
    StartedRig rig;
    rig.prompt.answer(kAnswerNo);
    // The switcher where the settings had it, the history moved.
    rig.engine.frm1_Close(WorkspaceLayout{{}, 7000, 11530, WindowPlace{0, 0}, WindowPlace{500, 600}});
    EXPECT_EQ(rig.prompt.texts(), Lines{"Save the workspace as shown on this screen?"});
    const Lines lines = rig.readLines("routelane4.set");
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ((Lines{lines[8], lines[9], lines[10], lines[11]}), (Lines{"500", "600", "-1", "-1"}));
}

// Lost line ----------------------------------------------------------------------------------------------

// A line that goes away under the engine (a pulled adapter, a server gone): the memory port hangs up as a
// hung-up descriptor does, reads returning nothing at once, and the matrix behind it keeps its state.

constexpr int kMatrixPort = 1;

MemoryChannel& port(EngineRig& rig) {
    return rig.opener.channel(kMatrixPort);
}

// The line gone in the idle main loop, the notices and frames of that taken.
void unplug(StartedRig& rig) {
    port(rig).refuseOpen = true;
    port(rig).hangUp();
    rig.runMainLoop(20);
    rig.takeReceived();
    rig.listener.take();
}

int portRequests(const EngineRig& rig) {
    return static_cast<int>(std::ranges::count(rig.opener.requests, kMatrixPort));
}

TEST(LostLine, GoesOffLineAtOnceWithoutSpinningOnTheDeadLineInBothForms) {
    for (int protocol : {4, 5}) {
        SCOPED_TRACE(protocol);
        StartedRig rig({.matrix = {}, .protocol = protocol});
        rig.commands.frm1_MenuEvent(menu_id::kHistory);
        rig.listener.take();
        rig.listener.rows.clear();
        // The line goes as the frame of the next command has left: its answer is awaited on a dead line.
        MemoryChannel& line = port(rig);
        std::size_t written = 0;
        line.onWrite = [&](std::uint8_t) {
            if (++written == static_cast<std::size_t>(protocol))
                line.hangUp(ByteChannel::kDeviceRemoved);
        };
        line.readCalls = 0;
        const std::int64_t before = rig.clock.nowMicros();
        rig.commands.frm1_MenuEvent(menu_id::kStoreStatus);

        EXPECT_LE(line.readCalls, 2) << "the answer wait must end with the line";
        EXPECT_LT(rig.clock.nowMicros() - before, 1000);
        EXPECT_TRUE(rig.engine.link().lineLost());
        EXPECT_EQ(rig.listener.take(), (Lines{"offline", "lost device removed"}));
        ASSERT_EQ(rig.listener.rows.size(), 1u) << "the line's row, and no missing answer after it";
        const HistoryRow& row = rig.listener.rows[0];
        EXPECT_EQ(row.instr + " " + row.object + " " + row.in, "Error line lost");
        EXPECT_FALSE(row.recognised);
        EXPECT_EQ(rig.engine.lineLostText(), "Line to the matrix lost (device removed)");

        // Idle afterwards: the main loop does not touch the line until the retry is due.
        line.readCalls = 0;
        rig.runMainLoop(2000);
        EXPECT_EQ(line.readCalls, 0);
    }
}

TEST(LostLine, CommandsAreRefusedWithoutSendingAndTheSheetKeepsWhatItShowed) {
    StartedRig rig;
    unplug(rig);
    Engine& e = rig.engine;
    const RoutingTable before = e.routing();
    const auto refused = [&](const std::string& what, const std::function<void()>& command) {
        SCOPED_TRACE(what);
        command();
        EXPECT_TRUE(rig.takeReceived().empty());
        EXPECT_TRUE(rig.listener.saw("refused"));
        EXPECT_TRUE(rig.listener.take("reading").empty()) << "no status reading may start";
        EXPECT_TRUE(rig.prompt.questions.empty());
        rig.listener.take();
    };
    for (int id :
         {menu_id::kReadStatus, menu_id::kDisconnectAll, menu_id::kStoreStatus, menu_id::kAllVcaMaximum})
        refused("menu " + std::to_string(id), [&] { rig.commands.frm1_MenuEvent(id); });
    e.switcher().frmcommutation_Load();
    refused("switcher", [&] { e.switcher().cbcommutation_Click(2); });
    refused("vca", [&] { e.vca().sli1_Change(5); });
    e.debug().frmdebug_Load();
    refused("debug loop", [&] { e.debug().readvideo1_Click(); });
    refused("upload", [&] { EXPECT_EQ(e.uploadEeprom(), UploadOutcome::Refused); });
    refused("on-line click", [&] { e.link().lblonline_Click(); });

    for (Layer layer : kLayers)
        for (int d = kMonitor1; d <= kProjector; ++d)
            EXPECT_EQ(e.routing().held(layer, d), before.held(layer, d));
    EXPECT_EQ(e.commandRefusedText(),
              "No line to the matrix (line hung up): the command is refused, not kept "
              "for later. Once the line is back, the matrix is read again.");
    e.messages().setLanguage(kLanguageFrench);
    EXPECT_EQ(e.lineLostText(), "Liaison avec la matrice perdue (ligne raccrochée)");
}

TEST(LostLine, RetriesOnItsIntervalAndOnReturnIdentifiesAndReadsWithoutSendingASwitch) {
    StartedRig rig;
    unplug(rig);
    const int requestsAtLoss = portRequests(rig);
    rig.runMainLoop(2960);
    EXPECT_EQ(portRequests(rig), requestsAtLoss) << "no try before the interval";
    rig.runMainLoop(40);
    EXPECT_EQ(portRequests(rig), requestsAtLoss + 1);
    rig.runMainLoop(3000);
    EXPECT_EQ(portRequests(rig), requestsAtLoss + 2);

    // Something on the port, but no matrix: still lost.
    port(rig).refuseOpen = false;
    const auto matrixEnd = std::exchange(port(rig).onWrite, nullptr);
    rig.listener.take();
    rig.runMainLoop(3000);
    EXPECT_TRUE(rig.engine.link().lineLost());
    EXPECT_EQ(rig.engine.link().lineLostReason(), ByteChannel::kHungUp);
    EXPECT_TRUE(rig.listener.take().empty()) << "a failed try is no news";

    // Meanwhile the matrix was switched at its panel; the operator's sheet knew nothing of it.
    rig.state().layer(sim::Layer::Video).connect(2, 5);
    port(rig).onWrite = matrixEnd;
    rig.runMainLoop(3000);

    EXPECT_EQ(rig.takeReceived(), startUpFrames({16, 16, 8, 8})) << "no write on reconnect";
    EXPECT_FALSE(rig.engine.link().lineLost());
    EXPECT_TRUE(rig.engine.link().matrixOnLine());
    EXPECT_TRUE(rig.listener.saw("back"));
    EXPECT_EQ(rig.engine.routing().held(Layer::Video, kMonitor2), kServer);
    EXPECT_FALSE(rig.engine.routing().connexionsChanged());
}

// Main loop passes at the real clock's cadence until `done`; false when it was not within `limitMillis`.
bool passesUntil(Engine& engine, const std::function<bool()>& done, int limitMillis) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMillis);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        engine.mainLoopPass();
    }
    return true;
}

// On a pseudo-terminal the unplug is a hang-up; on TCP (a serial device server) a reset connection.
TEST(LostLine, TheSoftwareMatrixUnpluggedAndRepluggedOnAPseudoTerminalAndOverTcp) {
    for (const bool overTcp : {false, true}) {
        SCOPED_TRACE(overTcp ? "tcp" : "pty");
        // The rig lends its folder, files, prompt and listener to an engine on the real clock and ports.
        EngineRig rig;
        SimProcess matrix({overTcp ? "--tcp" : "--pty", overTcp ? "0" : rig.path("matrix"), "--baud", "0"});
        const auto started = matrix.waitReady();
        ASSERT_TRUE(started && (!overTcp || started->size() == 1));
        const std::string target = overTcp ? "socket://127.0.0.1:" + started->front() : rig.path("matrix");
        PortMap map = PortMap::parse({});
        for (int n = PortMap::kFirstPort; n <= PortMap::kLastPort; ++n)
            map.set(n, n == kMatrixPort ? target : rig.path("absent"));
        SystemClock clock;
        MappedPortOpener opener(map);
        Engine engine(rig.folder.folder(), clock, opener, rig.prompt, rig.listener);
        rig.listener.engine = &engine;
        engine.startUp();
        ASSERT_TRUE(engine.link().matrixOnLine());

        matrix.writeLine("unplug");
        ASSERT_EQ(matrix.readLine(), "unplugged");
        ASSERT_TRUE(passesUntil(
            engine, [&] { return engine.link().lineLost(); }, 1000))
            << "the idle main loop sees the line go";

        // Switched at its panel meanwhile: the answer is lost with the line, only the status reading tells.
        matrix.writeLine("panel V 2 5");
        matrix.writeLine("replug");
        ASSERT_TRUE(matrix.waitReady());
        ASSERT_TRUE(passesUntil(
            engine, [&] { return engine.link().matrixOnLine(); }, Link::kLineRetryMicros / 1000 + 2000));
        EXPECT_EQ(engine.routing().held(Layer::Video, kMonitor2), kServer) << "the status was read again";
    }
}

// Main window commands and menu -----------------------------------------------------------------------------

TEST(MainCommands, WhileTheEditorIsOpenEveryCommandIsRefused) {
    StartedRig rig;
    rig.engine.assignmentEditorOpened();
    std::vector<int> ids{kDisconnectAll, 999};
    for (const MenuItem& submenu : mainMenu(kLanguageEnglish)) {
        ids.push_back(submenu.id);
        for (const MenuItem& item : submenu.items)
            ids.push_back(item.id);
    }
    for (int id : ids)
        rig.commands.frm1_MenuEvent(id);
    rig.commands.tb1_ButtonClick(3);
    rig.commands.lvcom_DblClick();
    rig.commands.tb1_ButtonClick(1); // the separator performs nothing, so refuses nothing either

    EXPECT_EQ(rig.prompt.texts(), Lines(ids.size() + 2, "Please, close the assignment window."));
    EXPECT_TRUE(rig.takeReceived().empty());
    EXPECT_TRUE(rig.listener.take("window").empty());
    EXPECT_TRUE(rig.engine.sheet().showAll());
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.commands.frm1_MenuEvent(kSwitcherControl);
    EXPECT_EQ(rig.prompt.questions.back().text, "Veuillez fermer la fenêtre déassignations.");
}

TEST(MainCommands, ToolWindowsLoadOnceAtTheirSavedPlaceAndCarryTheirChecks) {
    StartedRig rig;
    rig.engine.settings().switcherWindow = {120, 340};
    EXPECT_FALSE(rig.commands.menuChecked(kSwitcherControl));
    rig.commands.lvcom_DblClick();
    EXPECT_EQ(rig.engine.switcher().place(), (WindowPlace{120, 340}));
    rig.engine.switcher().frmcommutation_Move({130, 350});
    for (int id : {kSwitcherControl, kHistory, kHistory})
        rig.commands.frm1_MenuEvent(id);
    // Asked again, each window is brought to the front where it stands, not loaded anew.
    EXPECT_EQ(rig.listener.take("window"), (Lines{"window 206", "window 206", "window 205", "window 205"}));
    EXPECT_EQ(rig.engine.switcher().place(), (WindowPlace{130, 350}));
    EXPECT_TRUE(rig.commands.menuChecked(kHistory) && rig.commands.menuChecked(kSwitcherControl));
    EXPECT_TRUE(rig.engine.link().historyOpen());

    rig.geometry = {{10, 20}, 8000, 12000};
    rig.engine.history().frmhisto_Close();
    EXPECT_FALSE(rig.commands.menuChecked(kHistory) || rig.engine.link().historyOpen());
    const WorkspaceLayout layout = rig.commands.workspaceLayout();
    EXPECT_EQ(layout.mainWindow, (WindowPlace{10, 20}));
    EXPECT_EQ(layout.mainWidth, 12000);
    EXPECT_EQ(layout.switcherWindow, (WindowPlace{130, 350}));
    EXPECT_FALSE(layout.historyWindow.has_value());

    for (int id : {kSetUp, kDebug, menu_id::kSpecialFunctions, kMatrixInfo, kAssignmentEditor, kHelp, 999})
        rig.commands.frm1_MenuEvent(id);
    EXPECT_EQ(rig.listener.take("window"),
              (Lines{"window 107", "window 307", "window 308", "window 502", "window 401"}));
    EXPECT_TRUE(rig.engine.config().visible());
    EXPECT_TRUE(rig.engine.assignmentEditorOpen());

    // The switcher was moved: closing asks once whether to keep the workspace, then closes the tool windows.
    rig.engine.editor().frmagn_Load();
    rig.engine.editor().frmagn_Close();
    rig.prompt.answer(kAnswerNo);
    rig.commands.frm1_Close();
    EXPECT_EQ(rig.prompt.questions.back().text, "Save the workspace as shown on this screen?");
    EXPECT_EQ(rig.prompt.unusedAnswers(), 0U);
    EXPECT_FALSE(rig.engine.switcher().isOpen());

    StartedRig saved;
    saved.engine.settings().historyOpen = true;
    saved.commands.openSavedWindows();
    EXPECT_EQ(saved.listener.take("window"), Lines{"window 205"});
}

TEST(MainCommands, CommandsSendTheirFramesInTheirForm) {
    StartedRig rig;
    const struct {
        int length, id;
        std::vector<Frame> frames;
    } cases[] = {
        {5, kOsdRefresh, {}}, // no OSD in the 5-byte form
        {5, kAllVcaMaximum, {five('N', 1, 31), five('N', 2, 31), five('N', 3, 31)}},
        {4, kOsdRefresh, {four(57, 2, 0, 0)}},
        {4, kAllVcaMinimum, {four(21, 1, 0, 1), four(21, 1, 0, 2), four(21, 1, 0, 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        rig.engine.link().setProtocolLength(c.length);
        rig.commands.frm1_MenuEvent(c.id);
        EXPECT_EQ(rig.takeReceived(), c.frames);
    }
    rig.commands.frm1_MenuEvent(kReadStatus);
    EXPECT_EQ(rig.takeReceived().at(0), four(5, 1, 0, 0));
}

TEST(MainCommands, SheetModesQuitKeysAndWorkspace) {
    StartedRig rig;
    const auto shw = [&](int d) { return rig.engine.assignments().activeTable.destinations[d].Shw; };
    rig.commands.frm1_MenuEvent(kShowSelected); // the Recorder is not selected
    EXPECT_TRUE(rig.commands.menuChecked(kShowSelected));
    EXPECT_FALSE(rig.commands.menuChecked(kShowAll));
    rig.commands.frm1_MenuEvent(kDeselectAll);
    EXPECT_EQ(shw(kProjector), 0);
    rig.commands.frm1_MenuEvent(kShowAll);
    rig.commands.frm1_MenuEvent(kSelectAll);
    EXPECT_TRUE(rig.commands.menuChecked(kShowAll));
    EXPECT_EQ(shw(kRecorder), -1);

    rig.commands.tb1_ButtonClick(5);
    EXPECT_EQ(rig.listener.take("quit"), Lines{"quit"});
    rig.commands.frm1_KeyPress(65);
    EXPECT_EQ(rig.prompt.questions.back().text, " 65");

    rig.geometry = {{300, 400}, 9000, 10000};
    rig.prompt.answer(kAnswerYes);
    rig.commands.frm1_MenuEvent(kSaveWorkspace);
    EXPECT_EQ(rig.prompt.questions.back().title, "Routelane Workspace");
    const Lines settings = rig.readLines("routelane4.set");
    EXPECT_EQ((Lines{settings.at(2), settings.at(3), settings.at(4)}), (Lines{"300", "400", "9000"}));
    rig.engine.settings().connexionPath = "/data/show.cnx";
    EXPECT_EQ(rig.commands.frm1_MenuOver(kSaveConnexionFile),
              "Saves the connexions in the file called: /data/show.cnx");
}

// Opening downloads a connexion file and shows it in the title; saving writes the current file, or asks as
// "save as" does when that is no connexion file; "save as" takes a new name and leaves the title. A
// cancelled dialog, another extension, or a file that cannot be read or written changes nothing but the
// message.
TEST(MainCommands, ConnexionFileCommandsChangeStateOnlyWhenTheFileWasReadOrWritten) {
    using Kind = AskedQuestion::Kind;
    using enum AskedQuestion::Kind;
    const std::string kCurrent = "routelane4.cnx";
    const struct {
        int id;
        std::string current, answer; // the current connexion file; the file dialog's answer
        std::vector<Kind> asked;
        std::string after; // the current connexion file afterwards
        bool titled, written;
    } cases[] = {
        {kOpenConnexionFile, kCurrent, "", {OpenFile}, kCurrent, false, false},
        {kOpenConnexionFile, kCurrent, "notes.txt", {OpenFile}, kCurrent, false, false},
        {kOpenConnexionFile, kCurrent, "locked.cnx", {OpenFile, MessageBox}, kCurrent, false, false},
        {kOpenConnexionFile, kCurrent, "show.cnx", {OpenFile}, "show.cnx", true, false},
        {kSaveConnexionFile, "current.cnx", "", {}, "current.cnx", false, true},
        {kSaveConnexionFile, "current.txt", "saved.cnx", {SaveFile}, "saved.cnx", false, true},
        {kSaveConnexionFileAs, kCurrent, "", {SaveFile}, kCurrent, false, false},
        {kSaveConnexionFileAs, kCurrent, "saved.cnx", {SaveFile}, "saved.cnx", false, true},
        {kSaveConnexionFileAs, kCurrent, "missing/saved.cnx", {SaveFile, MessageBox}, kCurrent, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " " + c.current + " " + c.answer);
        StartedRig rig({.matrixPort = 0, .matrix = {}});
        rig.writeConnexions({"  1|  2|  0|  0|  0| 31"}, "show.cnx");
        std::filesystem::create_symlink("/proc/self/mem", rig.path("locked.cnx"));
        std::filesystem::remove(rig.path(kCurrent));
        rig.engine.settings().connexionPath = rig.path(c.current);
        rig.engine.routing().wanted(Layer::Video, 1) = 4;
        rig.engine.routing().setConnexionsChanged(true);
        if (!c.asked.empty())
            rig.prompt.answerPath(c.answer.empty() ? "" : rig.path(c.answer));

        const std::string title = rig.engine.title();
        rig.commands.frm1_MenuEvent(c.id);
        std::vector<Kind> asked;
        for (const AskedQuestion& question : rig.prompt.questions)
            asked.push_back(question.kind);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(rig.engine.settings().connexionPath, rig.path(c.after));
        EXPECT_EQ(rig.engine.title() != title, c.titled);
        EXPECT_TRUE(rig.engine.title().ends_with("Connexion sheet /" + (c.titled ? c.after : kCurrent)));
        EXPECT_EQ(fileExists(rig.path(c.after)) && c.after != "show.cnx", c.written);
        EXPECT_EQ(rig.engine.routing().connexionsChanged(), c.after == kCurrent);
        EXPECT_EQ(rig.engine.routing().wanted(Layer::Video, 1), c.titled ? 2 : 4);
    }
}

// A file that is not an assignment is the operator's: the default table stands in for it, and a change of
// the selection marks is not written over it at shutdown.
TEST(MainCommands, ShutdownLeavesAFileThatIsNoAssignmentAsItWas) {
    StartedRig rig;
    const std::string notes = "Video In = 8\r\nCam 1               |   |  1|\r\n";
    const std::string path = rig.path("routelane4.agn");
    writeBytes(path, notes);
    rig.engine.loadAssignment();
    rig.commands.frm1_MenuEvent(kDeselectAll);
    ASSERT_TRUE(rig.engine.assignments().assignmentsChanged());
    rig.commands.frm1_Close();
    EXPECT_EQ(fileBytes(path), notes);
}

// Per submenu: its id, then its items' ids (0 for a separator) with a mark for greyed (-) and checkable (+)
// items, so that both languages can be compared item by item.
std::vector<std::string> shape(const std::vector<MenuItem>& bar) {
    std::vector<std::string> result;
    for (const MenuItem& submenu : bar) {
        std::string ids = std::to_string(submenu.id);
        for (const MenuItem& item : submenu.items) {
            const bool separator = item.kind == MenuItem::Kind::Separator;
            ids += " " + std::to_string(separator ? 0 : item.id);
            if (!separator)
                ids += std::string(item.enabled ? "" : "-") + (item.checkable ? "+" : "");
        }
        result.push_back(ids);
    }
    return result;
}

TEST(MainMenu, BothLanguagesBuildTheSameBarWithTheirOwnCaptionsAndHelp) {
    const std::vector<std::string> expected{"100 101 102 103 0 104 111- 109 110- 0 107 108 0 106",
                                            "200 201+ 202+ 0 203 204 0 206+ 0 205+ 0 207",
                                            "300 305 306 0 307 308-", "400 401", "500 501 502"};
    for (int language : {kLanguageEnglish, kLanguageFrench}) {
        // One empty entry closes each submenu, one more ends the bar.
        EXPECT_EQ(std::ranges::count(mainMenuEntries(language), ""sv), 6);
        EXPECT_EQ(shape(mainMenu(language)), expected) << "language " << language;
    }
    // Items 206 and 106, by their places in the bar checked above.
    EXPECT_EQ(mainMenu(kLanguageFrench).at(1).items.at(6).caption, "Controleur de commutation");
    EXPECT_EQ(mainMenu(0).at(0).items.at(12).caption, "&Quit") << "other languages fall back to English";

    // The status bar's help, in the language asked for, and the toolbar's buttons.
    const std::string path = "/opt/routelane/studio.cnx";
    EXPECT_EQ(frm1_MenuOver(102, kLanguageFrench, path),
              "Sauvegarde ces commutations dans le fichier nommé: " + path);
    for (int withoutHelp : {104, 109, 207, 300, 305, 503, 0})
        EXPECT_EQ(frm1_MenuOver(withoutHelp, kLanguageEnglish, path), "") << withoutHelp;
    for (int index = 0; index <= 6; ++index)
        EXPECT_EQ(toolbarMenuId(index), (std::array{0, 0, 105, 101, 102, 106, 0})[index]) << index;
}

TEST(MainMenu, BuilderReadsTheEntryFormsAndRefusesOthers) {
    const std::vector<MenuItem> bar = buildMenu(
        std::vector<std::string_view>{"#1#&One", "#11#Setup#1", "-", "#12#", "", "#2#Two", "", "", "#3#X"});
    EXPECT_EQ(shape(bar), (std::vector<std::string>{"1 11 0 12", "2"})) << "nothing is read after the end";
    EXPECT_EQ(bar[0].items[0].caption, "Setup#1"); // only the first two "#" delimit the id
    // A list that stops without its closing entries still gives its last submenu.
    EXPECT_EQ(buildMenu(std::vector<std::string_view>{"#5#Five", "#51#Item"})[0].items.size(), 1U);
    for (std::string_view bad : {"Plain"sv, "#x#Letter id"sv, "#12"sv, "##No id"sv, "#0#Zero"sv})
        EXPECT_THROW(buildMenu(std::vector<std::string_view>{"#9#Menu", bad}), std::invalid_argument) << bad;
    EXPECT_THROW(buildMenu(std::vector<std::string_view>{"-"}), std::invalid_argument) << "a separator first";
}

} // namespace
} // namespace rl4::test
