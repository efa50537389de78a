// The setup dialog's and the VCA panel's models on a link whose port keeps what they send.

#include "sheet/config_dialog_model.h"
#include "sheet/vca_panel.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/recorders.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Keeps the VCA setup the matrix reports, as the program's reply rules do.
class SetupRules : public test::RecordingRules {
public:
    explicit SetupRules(Settings& settings) : settings_(settings) {}
    void vcaSetupReport(int value) override { settings_.vcaSetup = value; }

private:
    Settings& settings_;
};

class ConfigDialogTest : public testing::Test {
protected:
    void SetUp() override {
        link.setRules(&rules);
        link.setPortNumber(3);
        link.OpenPort();
    }
    Bytes sent() { return opener.channel(link.portNumber()).takeWritten(); }
    // The matrix answers the VCA setup request of the 5-byte form with `value`.
    void loadWithSetup(int value) {
        opener.channel(link.portNumber()).deliver({0x02, 'p', 1, static_cast<std::uint8_t>(value), 0x03});
        dialog.frmconfig_Load();
    }

    FakeClock clock;
    test::MemoryPortOpener opener{clock};
    Link link{clock, opener};
    Settings settings;
    SetupRules rules{settings};
    MessageTable messages;
    std::vector<Bytes> sentAtStore;
    ConfigDialogModel dialog{link, settings, messages, [this] { sentAtStore.push_back(sent()); }};
};

TEST_F(ConfigDialogTest, LoadShowsThePortChoicesAndReadsTheVcaSetup) {
    link.setProtocolLength(4);
    settings.language = kLanguageFrench;
    settings.vcaSetup = 7; // no answer keeps it
    dialog.frmconfig_Load();
    EXPECT_EQ(sent(), (Bytes{0x3D, 0x80, 0x81, 0x81}));
    EXPECT_EQ(dialog.lbcom().back(), "COM 16");
    EXPECT_EQ(dialog.lbcomIndex(), 2);
    EXPECT_EQ(dialog.frcom(), "port  3 is selected");
    EXPECT_EQ(dialog.protocolChoice(), 4);
    EXPECT_EQ(dialog.languageChoice(), kLanguageFrench);
    EXPECT_EQ(dialog.slislope(), 7);
    EXPECT_TRUE(dialog.visible());

    link.setProtocolLength(5);
    messages.setLanguage(kLanguageFrench);
    dialog.lbcom_Click(11);
    EXPECT_EQ(opener.requests.back(), 12);
    EXPECT_EQ(dialog.frcom(), "Le port  12 est sélectionné");
    loadWithSetup(0);
    EXPECT_EQ(sent(), (Bytes{0x02, 'p', 1, 0, 0x03}));

    link.closePort();
    link.setPortNumber(0);
    const std::string portCaption = dialog.frcom();
    dialog.frmconfig_Load();
    EXPECT_EQ(dialog.lbcomIndex(), -1);
    EXPECT_EQ(dialog.frcom(), portCaption) << "no port makes no caption";
}

TEST_F(ConfigDialogTest, VcaSetupGivesSlopeAndPowerOnMode) {
    const std::vector<std::tuple<int, int, VcaPowerOn, std::string>> cases{
        {1, 1, VcaPowerOn::Max, "VCA slope =  0.2 Sec"}, {15, 15, VcaPowerOn::Max, "VCA slope =  3 Sec"},
        {16, 0, VcaPowerOn::Min, "VCA slope =  0 Sec"},  {31, 15, VcaPowerOn::Min, "VCA slope =  3 Sec"},
        {32, 0, VcaPowerOn::Mem, "VCA slope =  0 Sec"},  {44, 12, VcaPowerOn::Mem, "VCA slope =  2.4 Sec"},
    };
    for (const auto& [setup, slope, powerOn, label] : cases) {
        SCOPED_TRACE("vcaSetup " + std::to_string(setup));
        loadWithSetup(setup);
        EXPECT_EQ(dialog.slislope(), slope);
        EXPECT_EQ(dialog.powerOn(), powerOn);
        EXPECT_EQ(dialog.lblslope(), label);
    }
    dialog.slislope_Change(40);
    EXPECT_EQ(dialog.slislope(), 15);
}

TEST_F(ConfigDialogTest, OkSendsTheSetupThenStoresItInEitherForm) {
    loadWithSetup(0);
    sent();
    settings.languageChosen = false; // the first-start question was dismissed
    dialog.setLanguageChoice(kLanguageFrench);
    dialog.slislope_Change(9);
    dialog.setPowerOn(VcaPowerOn::Min);
    dialog.confok_Click();
    EXPECT_TRUE(settings.languageChosen);
    ASSERT_EQ(sentAtStore.size(), 1u);
    EXPECT_EQ(sentAtStore[0], (Bytes{0x02, 'P', 0, 25, 0x03}));
    EXPECT_EQ(settings.vcaSetup, 25);
    EXPECT_EQ(messages.language(), kLanguageFrench);
    EXPECT_FALSE(dialog.visible());

    // (The window test cancels.)
    loadWithSetup(35);
    sent();
    dialog.setProtocolChoice(4);
    dialog.setPowerOn(VcaPowerOn::Mem);
    dialog.slislope_Change(3);
    dialog.confok_Click(); // code 57: byte 2 the setup, byte 3 the write selector
    EXPECT_EQ(link.protocolLength(), 4);
    EXPECT_EQ(sentAtStore.back(), (Bytes{0x39, 0xA3, 0x83, 0x81}));
    EXPECT_EQ(settings.vcaSetup, 35);
}

class PanelListener : public SheetListener {
public:
    void statusTextChanged(const std::string& text) override { volsrc = text; }
    std::string volsrc;
};

// A matrix on port 1 that never answers: every frame the panel sends stays on the wire to be checked.
// Destinations: 1 Desk (audio 3), 2 "  Studio A  " (12), 3 Monitor (none), 4 Tape (200); 5 is beyond the
// count.
class VcaPanelTest : public testing::Test {
protected:
    void SetUp() override {
        link.OpenPort();
        panel.setListener(&listener);
        AssignmentTable& table = assignments.activeTable;
        table.destinationCount = 4;
        table.destinations[1] = {.name = "Desk", .Aou = 3};
        table.destinations[2] = {.name = "  Studio A  ", .Aou = 12};
        table.destinations[3] = {.name = "Monitor", .Aou = NotAssigned};
        table.destinations[4] = {.name = "Tape", .Aou = 200};
        table.destinations[5] = {.name = "Beyond the count", .Aou = 5};
    }
    Bytes sent() { return opener.channel(1).takeWritten(); }

    FakeClock clock;
    test::MemoryPortOpener opener{clock};
    Link link{clock, opener};
    Assignments assignments;
    PanelListener listener;
    VcaPanel panel{link, assignments};
};

// The 4-byte form swaps the data: code 25 reads with byte 2 the output; code 21 sets with byte 2 the output,
// byte 3 the level; output 200 lends its top bit to byte 4.
TEST_F(VcaPanelTest, ReadAndSetInEitherForm) {
    panel.SelectVcaDestination(2);
    EXPECT_EQ(sent(), (Bytes{0x02, 'n', 12, 0, 0x03}));
    EXPECT_EQ(listener.volsrc, "Studio A");
    EXPECT_TRUE(panel.enabled());
    panel.sli1_Change(20);
    panel.cmdslimax_Click();
    EXPECT_EQ(sent(), (Bytes{0x02, 'N', 12, 20, 0x03, 0x02, 'N', 12, 31, 0x03}));

    link.setProtocolLength(4);
    panel.sli1_Change(20);
    panel.cmdslimin_Click();
    EXPECT_EQ(sent(), (Bytes{0x15, 0x8C, 0x94, 0x81, 0x15, 0x8C, 0x80, 0x81}));
    panel.SelectVcaDestination(4);
    EXPECT_EQ(sent(), (Bytes{0x19, 0xC8, 0x80, 0xA1}));
    EXPECT_EQ(panel.sli1(), 0);

    panel.levelReported(18);
    panel.SelectVcaDestination(3); // no audio output
    EXPECT_FALSE(panel.enabled());
    EXPECT_EQ(panel.sli1(), 0) << "empty, not the level of the destination before";
    EXPECT_EQ(listener.volsrc, "Monitor");
    panel.sli1_Change(20);
    panel.cmdslimax_Click();
    EXPECT_TRUE(sent().empty());
}

TEST_F(VcaPanelTest, ReportedLevelsMoveTheSliderAndSendNothing) {
    panel.SelectVcaDestination(1);
    sent();
    const std::pair<int, std::string> levels[] = {{0, "-oo dB"}, {1, "-90 dB"}, {21, "-30 dB"},
                                                  {30, "-3 dB"}, {31, " 0 dB"}, {200, " 0 dB"}};
    for (const auto& [level, text] : levels) {
        panel.levelReported(level);
        EXPECT_EQ(panel.sli1(), std::min(level, 31));
        EXPECT_EQ(panel.volpourcent(), text);
    }
    EXPECT_TRUE(sent().empty());
}

TEST_F(VcaPanelTest, AnAssignmentChangeRenamesAndReadsAgainOnlyForANewOutput) {
    panel.assignmentChanged(); // no destination shown yet
    EXPECT_TRUE(sent().empty());
    panel.SelectVcaDestination(1);
    panel.levelReported(20);
    sent();
    assignments.activeTable.destinations[1].name = "Desk B";
    panel.assignmentChanged();
    EXPECT_EQ(listener.volsrc, "Desk B");
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(panel.sli1(), 20);
    assignments.activeTable.destinations[1].Aou = 7;
    panel.assignmentChanged();
    EXPECT_EQ(sent(), (Bytes{0x02, 'n', 7, 0, 0x03}));
    assignments.activeTable.destinations[1].Aou = NotAssigned;
    panel.assignmentChanged();
    EXPECT_FALSE(panel.enabled());
}

// The command test sets all in the 5-byte form.
TEST_F(VcaPanelTest, SetAllVcaSendsOnePerAudioOutputInOrder) {
    panel.SelectVcaDestination(1);
    panel.levelReported(12);
    link.setProtocolLength(4);
    sent();
    panel.SetAllVca(kVcaMinimum);
    EXPECT_EQ(sent(), (Bytes{0x15, 0x83, 0x80, 0x81, 0x15, 0x8C, 0x80, 0x81, 0x15, 0xC8, 0x80, 0xA1}));
    EXPECT_EQ(panel.sli1(), 12) << "the panel shows what the matrix reports";
}

} // namespace
} // namespace rl4
