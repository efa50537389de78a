#include "support/window_models_rig.h"

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

TEST(SwitcherModel, ListsAndColoursFollowTheLayersTheDestinationCanUse) {
    WindowRig rig;
    rig.simulate(5);
    rig.engine.routing().wanted(Layer::Video, 1) = 2;
    rig.engine.routing().wanted(Layer::Audio, 1) = 3;
    rig.engine.routing().wanted(Layer::Rgb, 1) = 2;
    rig.commands.frm1_MenuEvent(206);
    const SwitcherModel& switcher = rig.engine.switcher();

    EXPECT_EQ(switcher.lblcommutation(), "Monitor");
    std::vector<std::string> texts;
    for (const SwitcherEntry& entry : switcher.cbcommutation().entries)
        texts.push_back(entry.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"  1    Camera 1", "  2    Camera 2", "  3    Tape",
                                               "  4    Graphics"}));
    // Camera 2 is wanted on Video, its first layer, but Tape is wanted on Audio, its own first layer, and
    // comes later.
    EXPECT_EQ(switcher.cbcommutation().index, 2);
    EXPECT_TRUE(switcher.cbcommutation().enabled);

    const struct {
        Layer layer;
        std::vector<int> sources;
        int index;
        RgbColour label, background;
    } expected[] = {
        {Layer::Video, {1, 2}, 1, {0, 255, 0}, {192, 220, 192}},
        {Layer::Audio, {1, 2, 3}, 2, {255, 255, 0}, {220, 220, 192}},
        {Layer::Rgb, {2, 4}, 0, {255, 0, 0}, {220, 192, 192}},
        {Layer::Yc, {}, -1, {220, 192, 127}, {255, 255, 255}}, // Monitor has no YC output
    };
    for (const auto& layer : expected) {
        const SwitcherList& list = switcher.layerList(layer.layer);
        EXPECT_EQ(sources(list), layer.sources) << layerIndex(layer.layer);
        EXPECT_EQ(list.index, layer.index) << layerIndex(layer.layer);
        EXPECT_EQ(list.enabled, !layer.sources.empty()) << layerIndex(layer.layer);
        EXPECT_EQ(list.background, layer.background) << layerIndex(layer.layer);
        EXPECT_EQ(switcher.layerLabel(layer.layer), layer.label) << layerIndex(layer.layer);
    }

    rig.selectDestination(2); // Booth: no output at all
    EXPECT_EQ(switcher.lblcommutation(), "Booth");
    EXPECT_TRUE(switcher.cbcommutation().entries.empty());
    EXPECT_FALSE(switcher.cbcommutation().enabled);
    for (Layer layer : kLayers) {
        EXPECT_TRUE(switcher.layerList(layer).entries.empty());
        EXPECT_FALSE(switcher.layerList(layer).enabled);
        EXPECT_EQ(switcher.layerLabel(layer), kUnusableLayerLabel);
    }
}

// The matrix echoes each frame, so every switch is confirmed and followed by the lists.
TEST(SwitcherModel, SwitchesSendOnlyTheLayersBothObjectsUse) {
    WindowRig rig;
    rig.connect(5);
    rig.selectDestination(3);
    rig.commands.frm1_MenuEvent(206);
    rig.takeWritten();
    SwitcherModel& switcher = rig.engine.switcher();
    ASSERT_EQ(sources(switcher.cbcommutation()), (std::vector<int>{1, 2, 3, 4}));

    switcher.cbcommutation_Click(2); // Tape: Audio only
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('A', 3, 3)}));
    EXPECT_EQ(rig.engine.routing().held(Layer::Audio, 3), 3);
    EXPECT_EQ(rig.engine.routing().wanted(Layer::Video, 3), 0);

    switcher.cbcommutation_Click(1); // Camera 2 everywhere
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('V', 3, 2), switchFrame('A', 3, 2),
                                                     switchFrame('R', 3, 2), switchFrame('Y', 3, 2)}));
    switcher.cbcommutation_Click(1); // already held on every layer
    EXPECT_TRUE(rig.takeWritten().empty());

    switcher.cbcommutyc_Click(entryOf(switcher.layerList(Layer::Yc), 4));
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('Y', 3, 4)}));
    EXPECT_EQ(rig.engine.routing().held(Layer::Video, 3), 2);
    // The report of Graphics on YC selected it in the all-layers list too.
    EXPECT_EQ(switcher.cbcommutation().index, entryOf(switcher.cbcommutation(), 4));

    // A record beyond the count is not a destination of the assignment, whatever it holds.
    rig.setDestination(4, "Spare", {3, 3, 3, 3});
    const RoutingTable before = rig.engine.routing();
    for (int outside : {0, 4}) {
        rig.engine.sheet().setCurrentDestination(outside);
        switcher.cbcommutation_Click(0);
        switcher.cbcommutaudio_Click(0);
    }
    EXPECT_TRUE(rig.takeWritten().empty());
    EXPECT_EQ(rig.engine.routing().wantedSource, before.wantedSource);
}

TEST(SwitcherModel, AReportSelectsTheMatrixSourcesWhereTheListsHaveThem) {
    WindowRig rig;
    rig.simulate(5);
    rig.commands.frm1_MenuEvent(206); // Monitor: video {1, 2}, audio {1, 2, 3}, RGB {2, 4}
    SwitcherModel& switcher = rig.engine.switcher();
    rig.engine.switcher().cbcommutaudio_Click(1);
    RoutingTable& routing = rig.engine.routing();
    routing.held(Layer::Video, 1) = 1;
    routing.held(Layer::Audio, 1) = NotAssigned;
    routing.held(Layer::Rgb, 1) = 4;

    switcher.switcherFollowReport(1, 4);
    EXPECT_EQ(switcher.layerList(Layer::Video).index, 0);
    EXPECT_EQ(switcher.layerList(Layer::Audio).index, 1); // nothing to select: the selection stays
    EXPECT_EQ(switcher.layerList(Layer::Rgb).index, 1);
    EXPECT_EQ(switcher.cbcommutation().index, 3);

    switcher.switcherFollowReport(1, 99);
    routing.held(Layer::Video, 1) = 2;
    switcher.switcherFollowReport(3, 1); // not the current destination
    EXPECT_EQ(switcher.cbcommutation().index, 3);
    EXPECT_EQ(switcher.layerList(Layer::Video).index, 0);
}

TEST(SwitcherModel, StepsWrapRoundAndTheSheetKeysJump) {
    WindowRig rig;
    rig.simulate(5);
    rig.selectDestination(3);
    rig.commands.frm1_MenuEvent(206);
    SwitcherModel& switcher = rig.engine.switcher();
    const auto heldVideo = [&rig] { return rig.engine.routing().held(Layer::Video, 3); };

    switcher.cbcommutation_Click(3); // Graphics, the last entry
    switcher.cmdcommutinc_Click();
    EXPECT_EQ(switcher.cbcommutation().index, 0);
    EXPECT_EQ(heldVideo(), 1);
    switcher.cmdcommutdec_Click();
    EXPECT_EQ(switcher.cbcommutation().index, 3);
    EXPECT_EQ(rig.engine.routing().held(Layer::Yc, 3), 4);

    switcher.lvcom_KeyDown(39);
    EXPECT_EQ(switcher.cbcommutation().index, 0);
    switcher.lvcom_KeyDown(37);
    EXPECT_EQ(switcher.cbcommutation().index, 3);
    switcher.lvcom_KeyPress('2');
    EXPECT_EQ(switcher.cbcommutation().index, 1);
    EXPECT_EQ(heldVideo(), 2);
    switcher.lvcom_KeyPress('9'); // beyond the list: the first entry
    EXPECT_EQ(switcher.cbcommutation().index, 0);
    EXPECT_EQ(heldVideo(), 1);

    switcher.frmcommutation_Close();
    switcher.cmdcommutinc_Click();
    switcher.lvcom_KeyPress('2');
    EXPECT_EQ(switcher.cbcommutation().index, 0);
    EXPECT_EQ(heldVideo(), 1);
}

TEST(SwitcherModel, PointerHints) {
    WindowRig rig;
    rig.simulate(5);
    rig.selectDestination(3);
    SwitcherModel& switcher = rig.engine.switcher();
    EXPECT_EQ(switcher.frmcommutation_MouseMove(SwitcherControl::lblcommutation),
              "A new source can be selected and switched to the destination: Studio.");
    EXPECT_EQ(switcher.frmcommutation_MouseMove(SwitcherControl::Background), "");
    rig.engine.messages().setLanguage(kLanguageFrench);
    EXPECT_EQ(switcher.frmcommutation_MouseMove(SwitcherControl::cmdcommutdec),
              "Sélectionnez la source précédente dans tous les plans");
    EXPECT_EQ(switcher.frmcommutation_MouseMove(SwitcherControl::lblcommutation),
              "Une nouvelle source peut être sélectionnée et commutée vers la destination: Studio.");
}

} // namespace
} // namespace rl4::test
