// The switching sheet and the switcher control window's model on the engine rig: what they show comes from
// the sample assignment and what the matrix holds after start-up (input 0, the Black source, everywhere).

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
    Started() { start(); }
    Engine& e = engine;
    SwitchingSheet& sheet = engine.sheet();
    const SheetRow& row(std::size_t i) { return sheet.rows().at(i); }
    int heldVideo(int d) { return engine.routing().held(Layer::Video, d); }
};

TEST(SwitchingSheet, RowsShowWantedSourcesChecksAndColours) {
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

    EXPECT_TRUE(rig.sheet.showAllChecked());
    rig.sheet.setShowAll(false); // the Recorder is not selected
    EXPECT_EQ(rig.sheet.rows().size(), 3u);
    EXPECT_EQ(rig.row(2).destination, kProjector);
    EXPECT_EQ(rig.sheet.listHeightPixels(), 17 * 3 + 21);
}

TEST(SwitchingSheet, ListHeightStopsAtTheRowsTheWindowHasRoomFor) {
    Started rig;
    // (height - 1800) / 255 rounded rows fit; below 1800 none, and the height must not go negative.
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

    // In "Show selected" a row names its destination, not its position.
    rig.sheet.setShowAll(false);
    EXPECT_TRUE(rig.sheet.showSelectedChecked());
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

TEST(SwitchingSheet, KeysGiveTheSwitcherPosition) {
    Started rig;
    EXPECT_EQ(rig.sheet.lvcom_KeyDown(37), SourceStep::Previous);
    EXPECT_EQ(rig.sheet.lvcom_KeyDown(39), SourceStep::Next);
    EXPECT_EQ(rig.sheet.lvcom_KeyDown(38), SourceStep::None);
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
        {'9', {true, 0, 5}, 0},
        {'5', {false, 0, 20}, std::nullopt},
        {'5', {true, -1, 0}, std::nullopt},
        {'0', {true, 4, 20}, std::nullopt},
        {':', {true, 4, 20}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rig.sheet.lvcom_KeyPress(c.charCode, c.list), c.position) << static_cast<char>(c.charCode);
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

TEST(SwitcherModel, PointerHintsInBothLanguages) {
    Started rig;
    SwitcherModel& switcher = rig.e.switcher();
    EXPECT_EQ(switcher.frmcommutation_MouseMove(SwitcherControl::lblcommutation),
              "A new source can be selected and switched to the destination: Monitor 1.");
    EXPECT_EQ(switcher.frmcommutation_MouseMove(SwitcherControl::Background), "");
    rig.e.messages().setLanguage(kLanguageFrench);
    EXPECT_EQ(switcher.frmcommutation_MouseMove(SwitcherControl::cmdcommutdec),
              "Sélectionnez la source précédente dans tous les plans");
}

} // namespace
} // namespace rl4::test
