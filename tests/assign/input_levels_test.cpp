#include "editor_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

Bytes frames(std::initializer_list<Bytes> list) {
    Bytes all;
    for (const Bytes& frame : list)
        all.insert(all.end(), frame.begin(), frame.end());
    return all;
}

Bytes five(char letter, int output, int value) {
    return {0x02, static_cast<std::uint8_t>(letter), static_cast<std::uint8_t>(output),
            static_cast<std::uint8_t>(value), 0x03};
}

// Sources 1 and 3 have audio inputs 1 and 5, source 2 has none; destinations 1 and 2 have audio outputs
// 1 and 2, destination 3 has none.
class InputLevelsTest : public testing::Test {
protected:
    explicit InputLevelsTest(int protocolLength = 5) : rig(protocolLength) {
        rig.numberedObjects(3, 3);
        rig.activeSource(2).Ain = NotAssigned;
        rig.activeSource(3).Ain = 5;
        rig.activeDestination(3).Aou = NotAssigned;
        rig.editor.frmagn_Load();
        rig.sent();
    }

    void clickSource(int s) {
        if (rig.editor.editorView() != kSourcesView)
            rig.editor.lbldirection_Click();
        rig.editor.lvagn_ItemClick(s - 1);
    }
    void unlock() { rig.editor.frmagn_MenuEvent(406); }

    EditorRig rig;
    InputLevels& levels = rig.editor.levels();
    const EditorMenu& menu = rig.editor.menu();
};

TEST_F(InputLevelsTest, SelectingASourceAsksForItsGainAndModeAndFeedsTheAudioMonitor) {
    rig.editor.lbldirection_Click();
    rig.editor.lvagn_ItemClick(2);
    EXPECT_FALSE(menu.enabled(405)) << "destination 3 has no audio output";
    rig.editor.lvagn_ItemClick(1);
    EXPECT_TRUE(menu.enabled(405));
    EXPECT_FALSE(menu.enabled(406));
    rig.editor.frmagn_MenuEvent(405);
    EXPECT_EQ(levels.audioMonitorDest(), 2);
    EXPECT_TRUE(levels.audioMonitorVisible());
    EXPECT_EQ(levels.lblaudiomonitor(), "Audio Monitoring = Dest 2");

    clickSource(3);
    EXPECT_EQ(rig.sent(), frames({five('l', 5, 0), five('g', 5, 0), five('A', 2, 5)}));
    EXPECT_TRUE(levels.controlsVisible());
    EXPECT_TRUE(menu.enabled(406));
    EXPECT_FALSE(menu.enabled(405));
    // The matrix's answers (here its echo) set the controls.
    EXPECT_EQ(levels.sliagn(), 0);
    EXPECT_EQ(levels.lblvolagn(), "-oo dB");
    EXPECT_TRUE(menu.checked(401));
    EXPECT_EQ(levels.cmdbal(), "Balanced");

    rig.editor.lvagn_ItemClick(1);
    EXPECT_TRUE(rig.sent().empty()) << "no audio input: no reading and nothing to monitor";
    EXPECT_FALSE(levels.controlsVisible());

    rig.answers = [](const Bytes&) { return false; };
    clickSource(1);
    EXPECT_EQ(levels.cmdbal(), "no adjustment");
    EXPECT_FALSE(menu.checked(401));
    EXPECT_FALSE(menu.checked(402));
    unlock();
    rig.sent();
    rig.editor.cmdbal_Click();
    EXPECT_TRUE(rig.sent().empty()) << "no mode known, nothing to turn";
}

TEST_F(InputLevelsTest, LevelsChangeOnlyWhileUnlockedAndShowWhatTheMatrixConfirms) {
    clickSource(1);
    rig.sent();
    rig.editor.sliagn_Change(20);
    EXPECT_TRUE(rig.sent().empty()) << "locked";
    EXPECT_FALSE(menu.enabled(407));

    unlock();
    EXPECT_TRUE(menu.checked(406));
    EXPECT_EQ(levels.sliagnHint(), "Input Level Adjustment");
    for (int id : {401, 402, 403, 404, 407})
        EXPECT_TRUE(menu.enabled(id)) << id;
    // The matrix takes 19 where 20 was asked: the slider shows what it took.
    rig.answers = [](Bytes& frame) {
        frame[3] = 19;
        return true;
    };
    rig.editor.sliagn_Change(20);
    rig.editor.sliagn_Change(32);
    EXPECT_EQ(rig.sent(), five('L', 1, 20));
    EXPECT_EQ(levels.sliagn(), 19);
    EXPECT_EQ(levels.lblvolagn(), "-21 dB");

    rig.answers = [](const Bytes&) { return false; };
    rig.editor.sliagn_Change(31);
    EXPECT_EQ(levels.sliagn(), 0) << "without an answer the slider stays at its bottom";
    rig.sent();

    rig.answers = [](const Bytes&) { return true; };
    rig.editor.cmdbal_Click();
    EXPECT_EQ(rig.sent(), five('G', 1, 1)) << "balanced, so the button asks for unbalanced";
    EXPECT_TRUE(menu.checked(402));
    EXPECT_EQ(levels.cmdbal(), "Unbalanced");

    unlock();
    EXPECT_EQ(levels.lblvolagnHint(),
              "This level is locked. (to unlock, please enable the menu : Levels/Adjustments)");
    EXPECT_FALSE(menu.enabled(401));
    rig.editor.frmagn_MenuEvent(401);
    EXPECT_TRUE(rig.sent().empty());
}

// After an unsaved delete, record 2 of the list is source 3 while record 2 of the active table is still
// source 2: the levels act on the input the list shows.
TEST_F(InputLevelsTest, LevelsActOnTheAudioInputOfTheRowClicked) {
    clickSource(2);
    rig.editor.frmagn_MenuEvent(205);
    clickSource(2);
    EXPECT_EQ(rig.sent(), frames({five('l', 5, 0), five('g', 5, 0)}));
    unlock();
    rig.answers = [](Bytes&) { return false; };
    rig.editor.sliagn_Change(12);
    rig.editor.frmagn_MenuEvent(402);
    EXPECT_EQ(rig.sent(), frames({five('L', 5, 12), five('G', 5, 1)}));
}

TEST_F(InputLevelsTest, AdjustAllSendsTheChosenGainToEveryAudioInput) {
    clickSource(1);
    unlock();
    rig.sent();

    rig.prompt.answer(kAnswerYes);
    rig.prompt.answer(6);
    rig.editor.frmagn_MenuEvent(407);
    EXPECT_EQ(rig.prompt.questions[0].text, "Do you want to adjust all audio input level ?");
    EXPECT_EQ(rig.prompt.questions[0].title, "Routelane4");
    EXPECT_TRUE(rig.prompt.questions[1].text.starts_with("Input Level Adjustment| +15dB| +12dB|"));
    EXPECT_TRUE(rig.prompt.questions[1].text.ends_with("| -30dB| -33dB"));
    EXPECT_EQ(rig.sent(), frames({five('L', 1, 26), five('L', 5, 26)})) << "0dB";

    rig.prompt.answer(kAnswerYes);
    rig.prompt.answer(17);
    rig.editor.frmagn_MenuEvent(407);
    EXPECT_EQ(rig.sent(), frames({five('L', 1, 15), five('L', 5, 15)})) << "-33dB";

    rig.prompt.answer(kAnswerNo);
    rig.editor.frmagn_MenuEvent(407);
    rig.prompt.answer(kAnswerYes);
    rig.prompt.answer(18);
    rig.editor.frmagn_MenuEvent(407);
    EXPECT_TRUE(rig.sent().empty());

    rig.activeSource(1).Ain = NotAssigned;
    rig.activeSource(3).Ain = NotAssigned;
    rig.prompt.answer(kAnswerYes);
    rig.prompt.answer(1);
    rig.editor.frmagn_MenuEvent(407);
    EXPECT_TRUE(rig.sent().empty()) << "no source has an audio input";
}

TEST_F(InputLevelsTest, AllInputsBalancedOrUnbalancedAfterTheQuestion) {
    clickSource(3);
    unlock();
    rig.sent();
    rig.prompt.answer(kAnswerNo);
    rig.editor.frmagn_MenuEvent(403);
    EXPECT_EQ(rig.prompt.questions[0].text, "Do you want to turn all audio inputs in Balanced mode ?");
    EXPECT_TRUE(rig.sent().empty());

    rig.prompt.answer(kAnswerYes);
    rig.editor.frmagn_MenuEvent(404);
    EXPECT_EQ(rig.prompt.questions[1].text, "Do you want to turn all audio inputs in Unbalanced mode ?");
    EXPECT_EQ(rig.sent(), frames({five('G', 1, 1), five('G', 5, 1)}));
}

TEST_F(InputLevelsTest, OtherViewsLockAndHideTheLevelControls) {
    clickSource(1);
    unlock();
    rig.sent();
    rig.editor.lbldirection_Click();
    rig.editor.lvagn_ItemClick(0);
    EXPECT_TRUE(menu.enabled(405));
    EXPECT_FALSE(menu.checked(406));
    for (int id : {401, 402, 406, 407})
        EXPECT_FALSE(menu.enabled(id)) << id;
    EXPECT_FALSE(levels.controlsVisible());
    EXPECT_FALSE(levels.controlsEnabled());
    rig.editor.sliagn_Change(10);
    EXPECT_TRUE(rig.sent().empty());

    levels.gainReported(32);
    levels.gainReported(-1);
    EXPECT_EQ(levels.sliagn(), 0) << "a level outside 0..31 changes nothing";
}

class FourByteInputLevelsTest : public InputLevelsTest {
protected:
    FourByteInputLevelsTest() : InputLevelsTest(4) {
        rig.answers = [](const Bytes&) { return false; };
    }
};

// Instruction, then the second value, the first value and the sub-code, each with the top bit set.
TEST_F(FourByteInputLevelsTest, SelectingASourceSendsOnlyTheGainRead) {
    clickSource(3);
    EXPECT_EQ(rig.sent(), (Bytes{25, 0x85, 0x81, 0x81}));

    unlock();
    rig.editor.sliagn_Change(26);
    rig.editor.frmagn_MenuEvent(401);
    rig.editor.frmagn_MenuEvent(402);
    EXPECT_EQ(rig.sent(),
              (Bytes{22, 0x85, 0x80 | 26, 0x81, 22, 0x85, 0x80 | 32, 0x81, 22, 0x85, 0x80 | 96, 0x81}));
}

} // namespace
} // namespace rl4::test
