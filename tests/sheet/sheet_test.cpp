// The switching sheet and the switcher control window's model on the engine rig: what they show comes from
// the sample assignment and what the matrix holds after start-up (input 0, the Black source, everywhere).
// Then what the sheet makes of the matrix's answers, and what it sends, the software matrix answering at
// wire time, so that every frame is the matrix's own.

#include "support/engine_rig.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

std::vector<int> sources(const SwitcherList& list) {
    std::vector<int> result;
    for (const SwitcherEntry& entry : list.entries)
        result.push_back(entry.source);
    return result;
}

int entryOf(const SwitcherList& list, int source) {
    const std::vector<int> all = sources(list);
    return static_cast<int>(std::ranges::find(all, source) - all.begin());
}

struct Started : EngineRig {
    explicit Started(RigOptions options = {}) : EngineRig(std::move(options)) { start(); }
    Engine& e = engine;
    SwitchingSheet& sheet = engine.sheet();
    const SheetRow& row(std::size_t i) { return sheet.rows().at(i); }
    int heldVideo(int d) { return engine.routing().held(Layer::Video, d); }
};

TEST(SwitchingSheet, RowsShowWantedSourcesChecksAndColoursAsFarAsTheWindowHasRoom) {
    Started rig;
    RoutingTable& routing = rig.e.routing();
    routing.wanted(Layer::Audio, kMonitor1) = NotAssigned;
    routing.wanted(Layer::Yc, kMonitor1) = 999;       // names no source
    routing.wanted(Layer::Rgb, kMonitor2) = kCamera1; // Monitor 2 has no RGB output
    rig.sheet.FillSheet();
    EXPECT_EQ(rig.row(0).cells, (Lines{" 1", "Monitor 1", "Black", "?", "Black", "?"}));
    EXPECT_EQ(rig.row(1).cells[4], "");
    EXPECT_EQ((std::vector{rig.row(0).checked, rig.row(2).checked}), (std::vector{true, false}));
    EXPECT_EQ(rig.row(0).background, (RgbColour{96, 192, 255})); // the current destination
    EXPECT_EQ(rig.row(1).background, (RgbColour{192, 220, 192}));

    // The list stops at the rows the window has room for: (height - 1800) / 255 rounded rows fit; below 1800
    // none, and the height must not go negative.
    const std::pair<int, int> cases[] = {{2300, 17 * 2 + 21}, {2100, 17 + 21}, {1800, 21},
                                         {1500, 4},           {1000, 0},       {8000, 17 * 4 + 21}};
    for (auto [windowTwips, pixels] : cases) {
        rig.sheet.frm1_ReSize(windowTwips);
        EXPECT_TRUE(rig.sheet.sheetResized());
        rig.sheet.FillSheet();
        EXPECT_FALSE(rig.sheet.sheetResized());
        EXPECT_EQ(rig.sheet.listHeightPixels(), pixels) << windowTwips;
    }
}

TEST(SwitchingSheet, APanelSwitchTurnsTheRowRedUntilARowClick) {
    Started rig;
    rig.listener.take();
    ASSERT_TRUE(rig.panelSwitch(sim::Layer::Video, 2, 3));
    ASSERT_TRUE(rig.panelSwitch(sim::Layer::Audio, 1, 5));
    rig.runMainLoop();
    EXPECT_EQ(rig.row(1).cells[2], "Tape");
    EXPECT_EQ(rig.row(1).text, (RgbColour{240, 0, 0}));
    EXPECT_EQ(rig.row(3).text, kBlack);
    EXPECT_EQ(rig.listener.take("row"), (Lines{"row 2", "row 1"}));

    // Clicking the current row, or a row that does not exist, does nothing.
    for (int r : {0, -1, 4, 257})
        EXPECT_FALSE(rig.sheet.lvcom_ItemClick(r));
    EXPECT_TRUE(rig.listener.take().empty());
    EXPECT_TRUE(rig.sheet.lvcom_ItemClick(1));
    EXPECT_EQ(rig.sheet.currentDestination(), kMonitor2);
    EXPECT_EQ(rig.row(1).text, kBlack);
    EXPECT_EQ(rig.row(0).background, kWhite);

    // In "Show selected" (the Recorder is not selected) a row names its destination, not its position.
    rig.sheet.setShowAll(false);
    ASSERT_TRUE(rig.panelSwitch(sim::Layer::Video, 3, 5)); // the Recorder is not shown
    rig.runMainLoop();
    for (const SheetRow& row : rig.sheet.rows())
        EXPECT_EQ(row.text, kBlack) << row.destination;
    EXPECT_TRUE(rig.sheet.lvcom_ItemClick(2));
    EXPECT_EQ(rig.sheet.currentDestination(), kProjector);
}

TEST(SwitchingSheet, CheckBoxesReachTheSelFlagsOnlyThroughTheRowsShown) {
    Started rig;
    Assignments& a = rig.e.assignments();
    const auto sel = [&a] {
        std::vector<int> flags;
        for (int d = 1; d <= 4; ++d)
            flags.push_back(a.activeTable.destinations[static_cast<std::size_t>(d)].Shw);
        return flags;
    };
    a.setAssignmentsChanged(false);
    rig.sheet.lvcom_Click();
    rig.sheet.SyncChecks();
    EXPECT_FALSE(a.assignmentsChanged()) << "boxes untouched";

    for (auto [r, checked] : {std::pair{0, false}, {2, true}, {4, false}, {-3, false}})
        rig.sheet.setRowChecked(r, checked);
    rig.sheet.SyncChecks();
    EXPECT_EQ(sel(), (std::vector{0, -1, -1, -1}));
    EXPECT_TRUE(a.assignmentsChanged());

    // Rows for 2, 3, 4: "Deselect all" leaves them listed, then "Select all" leaves destination 1 alone.
    rig.sheet.setShowAll(false);
    rig.sheet.SelectAllRows(false);
    EXPECT_EQ(rig.sheet.rows().size(), 3u);
    EXPECT_EQ(sel(), (std::vector{0, 0, 0, 0}));
    rig.sheet.SelectAllRows(true);
    EXPECT_EQ(sel(), (std::vector{0, -1, -1, -1}));
    EXPECT_TRUE(rig.listener.saw("checks"));
}

TEST(SwitcherModel, ListsFollowTheLayersTheDestinationUses) {
    Started rig;
    rig.e.routing().wanted(Layer::Video, kMonitor2) = kServer;
    rig.e.routing().wanted(Layer::Audio, kMonitor2) = kTape;
    rig.e.rowClicked(1);
    rig.commands.frm1_MenuEvent(206);
    const SwitcherModel& switcher = rig.e.switcher();
    EXPECT_EQ(switcher.lblcommutation(), "Monitor 2");
    EXPECT_EQ(sources(switcher.cbcommutation()), (std::vector{1, 2, 3, 5, 6})) << "Graphics: RGB only";
    // Server is wanted on video, its first layer; Tape only on audio, which is not its first.
    EXPECT_EQ(switcher.cbcommutation().index, entryOf(switcher.cbcommutation(), kServer));

    const struct {
        Layer layer;
        std::vector<int> sources;
        int selected;
        RgbColour label;
    } expected[] = {
        {Layer::Video, {1, 2, 3, 5, 6}, kServer, {0, 255, 0}},
        {Layer::Audio, {1, 2, 3, 5, 6}, kTape, {255, 255, 0}},
        {Layer::Rgb, {}, 0, {220, 192, 127}}, // Monitor 2 has no RGB output
        {Layer::Yc, {1, 2, 5, 6}, kBlackSource, {0, 0, 255}},
    };
    for (const auto& layer : expected) {
        SCOPED_TRACE(layerIndex(layer.layer));
        const SwitcherList& list = switcher.layerList(layer.layer);
        EXPECT_EQ(sources(list), layer.sources);
        EXPECT_EQ(list.index, layer.sources.empty() ? -1 : entryOf(list, layer.selected));
        EXPECT_EQ(list.enabled, !layer.sources.empty());
        EXPECT_EQ(switcher.layerLabel(layer.layer), layer.label);
    }
}

TEST(SwitcherModel, SwitchesSendOnlyTheLayersBothObjectsUse) {
    Started rig;
    rig.e.rowClicked(2); // the Recorder: video 3, audio 3, RGB 2
    rig.commands.frm1_MenuEvent(206);
    rig.takeReceived();
    SwitcherModel& switcher = rig.e.switcher();
    const SwitcherList& all = switcher.cbcommutation();

    switcher.cbcommutation_Click(entryOf(all, kTape));
    rig.runMainLoop();
    EXPECT_EQ(rig.takeReceived(), (std::vector<Frame>{five('V', 3, 3), five('A', 3, 3)}));
    switcher.cbcommutation_Click(entryOf(all, kCamera1));
    rig.runMainLoop();
    EXPECT_EQ(rig.takeReceived(), (std::vector<Frame>{five('V', 3, 1), five('A', 3, 1), five('R', 2, 1)}));
    switcher.cbcommutation_Click(entryOf(all, kCamera1)); // held already on every layer
    EXPECT_TRUE(rig.takeReceived().empty());

    switcher.cbcommutrgb_Click(entryOf(switcher.layerList(Layer::Rgb), kGraphics));
    rig.runMainLoop();
    EXPECT_EQ(rig.takeReceived(), std::vector<Frame>{five('R', 2, 4)});
    EXPECT_EQ(rig.heldVideo(kRecorder), kCamera1);
    EXPECT_EQ(all.index, entryOf(all, kGraphics)) << "the report of Graphics selects it in every list";

    // Outside the assignment's destinations nothing is sent.
    for (int outside : {0, 5}) {
        rig.sheet.setCurrentDestination(outside);
        switcher.cbcommutation_Click(0);
        switcher.cbcommutvideo_Click(0);
        switcher.cbcommutaudio_Click(0);
        switcher.cbcommutyc_Click(0);
    }
    EXPECT_TRUE(rig.takeReceived().empty());
}

TEST(SwitcherModel, StepsWrapRoundAndTheSheetKeysJump) {
    Started rig;
    EXPECT_EQ(rig.sheet.lvcom_KeyDown(38), SourceStep::None) << "the arrows step the list below";
    const struct {
        int charCode;
        AllLayersList list;
        std::optional<int> position;
    } cases[] = {
        {'+', {true, 3, 20}, 11},
        {'+', {true, 12, 20}, 0},
        {'+', {true, -1, 20}, 7},
        {'-', {true, 12, 20}, 4},
        {'-', {true, 3, 20}, 0},
        {'9', {true, 0, 20}, 8},
        {'5', {true, -1, 0}, std::nullopt},
        {'0', {true, 4, 20}, std::nullopt},
        {':', {true, 4, 20}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rig.sheet.lvcom_KeyPress(c.charCode, c.list), c.position) << static_cast<char>(c.charCode);

    rig.commands.frm1_MenuEvent(206); // Monitor 1: all six sources
    SwitcherModel& switcher = rig.e.switcher();
    const auto step = [&rig](auto action) {
        action();
        rig.runMainLoop();
        return rig.e.switcher().cbcommutation().index;
    };
    switcher.cbcommutation_Click(5);
    rig.runMainLoop();
    EXPECT_EQ(step([&] { switcher.cmdcommutinc_Click(); }), 0);
    EXPECT_EQ(rig.heldVideo(kMonitor1), kCamera1);
    EXPECT_EQ(step([&] { switcher.cmdcommutdec_Click(); }), 5);
    EXPECT_EQ(step([&] { switcher.lvcom_KeyDown(39); }), 0);
    EXPECT_EQ(step([&] { switcher.lvcom_KeyDown(37); }), 5);
    EXPECT_EQ(step([&] { switcher.lvcom_KeyPress('2'); }), 1);
    EXPECT_EQ(rig.heldVideo(kMonitor1), kCamera2);
    EXPECT_EQ(step([&] { switcher.lvcom_KeyPress('9'); }), 0) << "beyond the list: the first entry";

    switcher.frmcommutation_Close();
    EXPECT_EQ(step([&] { switcher.cmdcommutinc_Click(); }), 0);
    EXPECT_EQ(step([&] { switcher.lvcom_KeyPress('2'); }), 0);
    EXPECT_EQ(rig.heldVideo(kMonitor1), kCamera1);
}

RigOptions form(int protocolLength) {
    const auto matrixForm = protocolLength == 4 ? sim::ProtocolChoice::Four : sim::ProtocolChoice::Five;
    return {.matrix = {.protocol = matrixForm}, .protocol = protocolLength};
}

using Route = std::pair<int, int>;

Route route(Engine& e, Layer layer, int d) {
    return {e.routing().wanted(layer, d), e.routing().held(layer, d)};
}

// After start-up every output holds input 0, the Black source's, and the VCA panel shows 31, Monitor 1's
// level.
struct Report {
    int protocolLength;
    Frame answer;
    Layer layer;
    int d, s; // 0: the report names no single object, nothing changes
};
const Report kReports[] = {
    {5, five('V', 2, 5), Layer::Video, kMonitor2, kServer},
    {5, five('A', 3, 1), Layer::Audio, kRecorder, kCamera1},
    {5, five('R', 2, 4), Layer::Rgb, kRecorder, kGraphics}, // RGB output 2 is the Recorder's
    {5, five('r', 3, 1), Layer::Rgb, kProjector, kCamera1},
    {5, five('Y', 3, 2), Layer::Yc, kProjector, kCamera2},
    {5, five('V', 9, 1), Layer::Video, 0, 0}, // no destination on output 9
    {5, five('V', 1, 9), Layer::Video, 0, 0}, // no source on input 9
    {5, five('V', 2, 1), Layer::Video, 0, 0}, // video input 1 is Camera 1's and the spare's
    {5, five('R', 1, 3), Layer::Rgb, 0, 0},   // input 3 is Tape's on video and audio only
    {5, five('Y', 4, 1), Layer::Yc, 0, 0},    // Y/C output 4 is nobody's
    {4, fourAnswer(1, 2, 3, 2), Layer::Yc, kProjector, kCamera2}, // Y/C on machine 2 of the switch code
};

// The VCA panel shows the current destination's level only. The 5-byte form tells an input's gain and mode
// in separate answers, the 4-byte form in one; a gain told alone leaves the mode shown.
struct LevelReport {
    int protocolLength;
    Frame answer;
    int vca, gain;
    const char* mode;
};
const LevelReport kLevelReports[] = {
    {5, five('n', 1, 17), 17, 0, ""},
    {5, five('N', 2, 20), 17, 0, ""}, // Monitor 2: not shown
    {5, five('l', 1, 20), 17, 20, ""},
    {5, five('g', 1, 0), 17, 20, "Balanced"},
    {5, five('G', 1, 7), 17, 20, "Unbalanced"},
    {5, five('l', 1, 11), 17, 11, "Unbalanced"},
    {4, fourAnswer(22, 1, 0x65, 1), sim::kStartVcaLevel, 5, "Unbalanced"},
};

TEST(ReplyDecoding, ReportsRouteByConnectorOrChangeNothingAndLevelsReachThePanelAndTheInputControls) {
    for (int length : {5, 4}) {
        RigOptions options = form(length);
        options.assignment.insert(options.assignment.begin() + 16, name20("Spare") + "|   |  1|   |   |   |");
        Started rig(options);
        Engine& e = rig.engine;
        for (const Report& c : kReports) {
            if (c.protocolLength != length)
                continue;
            SCOPED_TRACE(hexText(c.answer));
            RoutingTable expected = e.routing();
            if (c.d) {
                expected.wanted(c.layer, c.d) = c.s;
                expected.held(c.layer, c.d) = c.s;
            }
            rig.listener.take();
            rig.sendUnasked(c.answer);
            rig.runMainLoop();
            EXPECT_EQ(e.routing().wantedSource, expected.wantedSource);
            EXPECT_EQ(e.routing().matrixSource, expected.matrixSource);
            EXPECT_EQ(rig.listener.take("row"), c.d ? Lines{"row " + std::to_string(c.d)} : Lines{});
        }
        for (const LevelReport& c : kLevelReports) {
            if (c.protocolLength != length)
                continue;
            SCOPED_TRACE(hexText(c.answer));
            rig.sendUnasked(c.answer);
            rig.runMainLoop();
            EXPECT_EQ(e.vca().sli1(), c.vca);
            EXPECT_EQ(e.editor().levels().sliagn(), c.gain);
            EXPECT_EQ(e.editor().levels().cmdbal(), c.mode);
        }
    }
}

// Only entries whose wanted source has a connector where the destination has one are sent; the matrix's
// answers then confirm them.
TEST(RoutingDownload, SendsExactlyTheDifferencesInEitherForm) {
    for (int length : {5, 4}) {
        SCOPED_TRACE(length);
        Started rig(form(length));
        Engine& e = rig.engine;
        rig.takeReceived();
        const std::tuple<Layer, int, int> entries[] = {
            {Layer::Video, kMonitor1, kCamera2},     // sent: output 1, input 2
            {Layer::Audio, kMonitor1, kGraphics},    // Graphics has no audio input
            {Layer::Rgb, kMonitor2, kCamera1},       // Monitor 2 has no RGB output
            {Layer::Yc, kProjector, kServer},        // sent: output 3, input 5
            {Layer::Video, kRecorder, 0},            // no source: never sent
            {Layer::Rgb, kRecorder, NotAssigned},    // nor unknown
            {Layer::Audio, kRecorder, 99},           // not a source of the assignment
            {Layer::Video, kMonitor2, kBlackSource}, // held already
        };
        for (auto [layer, d, s] : entries)
            e.routing().wanted(layer, d) = s;
        e.routingCommands().DownloadRouting();
        rig.runMainLoop();
        EXPECT_EQ(rig.takeReceived(), (length == 5 ? std::vector<Frame>{five('V', 1, 2), five('Y', 3, 5)}
                                                   : std::vector<Frame>{four(1, 1, 1, 2), four(1, 2, 3, 5)}));
        EXPECT_EQ(route(e, Layer::Video, kMonitor1), (Route{kCamera2, kCamera2}));
        EXPECT_EQ(route(e, Layer::Audio, kMonitor1), (Route{kGraphics, kBlackSource}));
        EXPECT_TRUE(e.routing().connexionsChanged());
        EXPECT_TRUE(e.storeButton().enabled());

        // Storing the status disables the button again.
        e.setups().StoreStatus();
        rig.runMainLoop();
        EXPECT_EQ(rig.takeReceived(),
                  std::vector<Frame>{length == 5 ? five('S', 'S', 'S') : four(3, 1, 0, 0)});
        EXPECT_FALSE(e.storeButton().enabled());
    }
}

TEST(RoutingDownload, DisconnectAllAsksFirstThenReadsTheStatusAgain) {
    EngineRig rig({.matrix = {.sizes = {{{2, 2}, {2, 2}, {0, 0}, {1, 1}}}}});
    rig.state().layer(sim::Layer::Video).connect(1, 2);
    rig.start();
    Engine& e = rig.engine;
    rig.takeReceived();
    ASSERT_EQ(route(e, Layer::Video, kMonitor1), (Route{kCamera2, kCamera2}));

    rig.prompt.answer(kAnswerNo);
    e.routingCommands().DisconnectAll();
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_EQ(rig.prompt.questions[0].text, "Do you want to disable all destinations ?");
    EXPECT_TRUE(rig.takeReceived().empty());

    rig.prompt.answer(kAnswerYes);
    e.routingCommands().DisconnectAll();
    const std::vector<Frame> frames = rig.takeReceived();
    // Only the layers the matrix has outputs on, then the reading, from video output 0.
    ASSERT_GE(frames.size(), 4u);
    EXPECT_EQ((std::vector(frames.begin(), frames.begin() + 4)),
              (std::vector<Frame>{five('V', 0, 0), five('A', 0, 0), five('Y', 0, 0), five('v', 0, 0)}));
    EXPECT_EQ(route(e, Layer::Video, kMonitor1), (Route{kBlackSource, kBlackSource}));
}

TEST(MatrixSetups, AskWhichAndActOnlyInTheFourByteForm) {
    Started five(form(5));
    five.takeReceived();
    five.engine.setups().storeToSetup();
    five.engine.setups().recallFromSetup();
    EXPECT_TRUE(five.prompt.questions.empty());
    EXPECT_TRUE(five.takeReceived().empty());

    Started rig(form(4));
    rig.takeReceived();
    MatrixSetups& setups = rig.engine.setups();
    for (int answer : {3, 1, 8, 3, 3})
        rig.prompt.answer(answer);
    for (int i = 0; i < 3; ++i)
        setups.storeToSetup(); // store 3, cancel the first box, cancel the second
    rig.runMainLoop();
    ASSERT_EQ(rig.prompt.questions.size(), 5u);
    EXPECT_EQ(rig.prompt.questions[0].text,
              "Store status to:|Setup#1|Setup#2|Setup#3|Setup#4|Setup#5|Setup#6|Setup#7|Cancel");
    EXPECT_EQ(rig.prompt.questions[1].text, "Setup# 3|To store|To delete|Cancel");
    EXPECT_EQ(rig.takeReceived(), std::vector<Frame>{four(3, 1, 0, 3)});

    rig.prompt.answer(8);
    setups.recallFromSetup();
    EXPECT_TRUE(rig.takeReceived().empty());
    rig.prompt.answer(3);
    setups.recallFromSetup();
    const std::vector<Frame> frames = rig.takeReceived();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames[0], four(4, 1, 0, 3));
    EXPECT_EQ(frames[1], four(5, 1, 0, 0)) << "the status reading follows";

    rig.prompt.answer(3);
    rig.prompt.answer(2);
    setups.storeToSetup();
    rig.runMainLoop();
    EXPECT_EQ(rig.takeReceived(), std::vector<Frame>{four(3, 1, 1, 3)});
}

// With no port every frame comes back as its own echo: every output answers, up to 130.
TEST(StatusReading, AnEchoingLinkIsReadUpTo130) {
    Started rig({.matrixPort = 0, .matrix = {}});
    Engine& e = rig.engine;
    ASSERT_EQ(e.link().portNumber(), 0);
    e.statusReader().ReadMatrixStatus();
    const MatrixSizes& sizes = e.assignments().sizes;
    EXPECT_EQ((std::vector{sizes.videoOut, sizes.audioOut, sizes.rgbOut, sizes.ycOut}),
              (std::vector{129, 129, 129, 129}));
}

} // namespace
} // namespace rl4::test
