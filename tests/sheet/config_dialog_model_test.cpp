#include "sheet/config_dialog_model.h"
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

TEST_F(ConfigDialogTest, OkSendsTheSetupThenStoresItAndCancelChangesNothing) {
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

    loadWithSetup(35);
    dialog.setProtocolChoice(4);
    dialog.setLanguageChoice(kLanguageEnglish);
    dialog.confcncl_Click();
    EXPECT_EQ(link.protocolLength(), 5);
    EXPECT_EQ(settings.language, kLanguageFrench);
    EXPECT_EQ(settings.vcaSetup, 35);

    dialog.frmconfig_Load();
    sent();
    dialog.setProtocolChoice(4);
    dialog.setPowerOn(VcaPowerOn::Mem);
    dialog.slislope_Change(3);
    dialog.confok_Click(); // code 57: byte 2 the setup, byte 3 the write selector
    EXPECT_EQ(link.protocolLength(), 4);
    EXPECT_EQ(sentAtStore.back(), (Bytes{0x39, 0xA3, 0x83, 0x81}));
    EXPECT_EQ(settings.vcaSetup, 35);
}

} // namespace
} // namespace rl4
