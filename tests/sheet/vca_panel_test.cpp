#include "sheet/vca_panel.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"

#include <gtest/gtest.h>

namespace rl4 {
namespace {

using Bytes = std::vector<std::uint8_t>;

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

TEST_F(VcaPanelTest, SetAllVcaSendsOnePerAudioOutputInOrder) {
    panel.SelectVcaDestination(1);
    panel.levelReported(12);
    sent();
    panel.SetAllVca(kVcaMaximum);
    EXPECT_EQ(sent(), (Bytes{0x02, 'N', 3, 31, 0x03, 0x02, 'N', 12, 31, 0x03, 0x02, 'N', 200, 31, 0x03}));
    link.setProtocolLength(4);
    panel.SetAllVca(kVcaMinimum);
    EXPECT_EQ(sent(), (Bytes{0x15, 0x83, 0x80, 0x81, 0x15, 0x8C, 0x80, 0x81, 0x15, 0xC8, 0x80, 0xA1}));
    EXPECT_EQ(panel.sli1(), 12) << "the panel shows what the matrix reports";
}

} // namespace
} // namespace rl4
