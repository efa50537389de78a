#include "sheet_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using Cells = std::vector<std::string>;

class SwitchingSheetTest : public ::testing::Test {
protected:
    SwitchingSheetTest() { rig.sheet.BuildSheetColumns(); }

    const SheetRow& row(std::size_t i) const { return rig.sheet.rows().at(i); }
    std::vector<int> shown() const {
        std::vector<int> destinations;
        for (const SheetRow& r : rig.sheet.rows())
            destinations.push_back(r.destination);
        return destinations;
    }
    int sel(int d) const { return rig.table.destinations[static_cast<std::size_t>(d)].Shw; }

    SheetRig rig;
};

TEST_F(SwitchingSheetTest, ColumnsFollowTheUsedLayers) {
    rig.layerUsed = {true, false, false, true};
    rig.sheet.BuildSheetColumns();
    std::vector<std::pair<std::string, int>> columns;
    for (const SheetColumn& c : rig.sheet.columns())
        columns.emplace_back(c.header, c.widthTwips);
    EXPECT_EQ(columns,
              (std::vector<std::pair<std::string, int>>{
                  {"Sel", 800}, {"Destination", 2000}, {"Source Video", 2000}, {"Source YC-YUV", 2000}}));
    rig.sheet.FillSheet();
    EXPECT_EQ(row(0).cells.size(), 4u);
}

// A source cell is empty for no source and "?" for unknown (257) or a number that names no source object.
TEST_F(SwitchingSheetTest, FillDrawsWantedSourcesChecksAndColours) {
    rig.routing.wanted(Layer::Video, 1) = 2;
    rig.routing.wanted(Layer::Rgb, 1) = NotAssigned; // no RGB or Y/C output: empty, whatever the table says
    rig.routing.wanted(Layer::Yc, 1) = 999;
    rig.routing.wanted(Layer::Rgb, 2) = NotAssigned;
    rig.routing.wanted(Layer::Yc, 2) = 999;
    rig.routing.held(Layer::Video, 1) = 3;
    rig.table.destinations[2].Shw = 1; // any flag but 0 is checked
    rig.sheet.FillSheet();
    EXPECT_EQ(shown(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(row(0).cells, (Cells{" 1", "Monitor 1", "Camera 2", "", "", ""}));
    EXPECT_EQ(row(1).cells[4], "?");
    EXPECT_EQ(row(1).cells[5], "?");
    EXPECT_EQ((std::vector<bool>{row(0).checked, row(1).checked, row(3).checked}),
              (std::vector<bool>{true, true, false}));
    EXPECT_EQ(row(0).background, (RgbColour{96, 192, 255}));
    EXPECT_EQ(row(1).background, (RgbColour{192, 220, 192}));
    EXPECT_TRUE(rig.sheet.showAllChecked());
    EXPECT_EQ(rig.sheet.listHeightPixels(), 17 * 4 + 21); // 7000 twips: room for 20 rows

    rig.sheet.setShowAll(false);
    EXPECT_EQ(shown(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(rig.sheet.showSelectedChecked());
    EXPECT_EQ(rig.sheet.listHeightPixels(), 17 * 3 + 21);

    for (int d : {1, 2, 3})
        rig.table.destinations[static_cast<std::size_t>(d)].Shw = 0;
    rig.sheet.FillSheet();
    EXPECT_TRUE(rig.sheet.rows().empty());
    EXPECT_EQ(rig.sheet.listHeightPixels(), 21);
}

TEST_F(SwitchingSheetTest, ListHeightStopsAtTheRowsTheWindowHasRoomFor) {
    // (height - 1800) / 255 rounded gives the rows that fit; below 1800 no row fits and the height would
    // go negative at -2 rows.
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

TEST_F(SwitchingSheetTest, ReportedRowShowsMatrixSourcesInRedUntilARowClick) {
    rig.routing.wanted(Layer::Video, 2) = 1;
    rig.sheet.FillSheet();
    rig.routing.held(Layer::Video, 2) = 3;
    rig.routing.held(Layer::Audio, 2) = NotAssigned;
    rig.routing.held(Layer::Yc, 2) = 2;
    rig.listener.events.clear();

    rig.sheet.UpdateSheetRow(2, 3);
    rig.sheet.UpdateSheetRow(1, 2); // the current destination: the switcher follows
    rig.sheet.UpdateSheetRow(0, 1);
    rig.sheet.UpdateSheetRow(300, 1);
    EXPECT_EQ(row(1).cells, (Cells{" 2", "Monitor 2", "Player", "?", "", "Camera 2"}));
    EXPECT_EQ(row(1).text, (RgbColour{240, 0, 0}));
    EXPECT_EQ(row(2).text, kBlack);
    EXPECT_EQ(rig.listener.events, (std::vector<std::string>{"row 2", "row 1", "follow 1 2"}));

    // Clicking the current row, or a row that does not exist, does nothing.
    rig.listener.events.clear();
    for (int r : {0, -1, 4, 257})
        EXPECT_FALSE(rig.sheet.lvcom_ItemClick(r));
    EXPECT_TRUE(rig.listener.events.empty());

    EXPECT_TRUE(rig.sheet.lvcom_ItemClick(2));
    EXPECT_EQ(rig.sheet.currentDestination(), 3);
    EXPECT_EQ(rig.listener.events, (std::vector<std::string>{"current"}));
    EXPECT_EQ(row(1).text, kBlack);
    EXPECT_EQ(row(2).background, (RgbColour{96, 192, 255}));
    EXPECT_EQ(row(0).background, kWhite);

    // In "Show selected" a row names its destination, not its position, and unshown rows take no report.
    rig.sheet.setShowAll(false);
    rig.sheet.UpdateSheetRow(2, 3);
    EXPECT_EQ(row(1).text, kBlack);
    EXPECT_TRUE(rig.sheet.lvcom_ItemClick(0));
    EXPECT_EQ(rig.sheet.currentDestination(), 1);
}

TEST_F(SwitchingSheetTest, CheckBoxesReachTheSelFlagsOnlyThroughTheRowsShown) {
    rig.table.destinations[4].Shw = 1;
    rig.sheet.FillSheet();
    rig.sheet.lvcom_Click();
    rig.sheet.SyncChecks(); // boxes untouched: only the odd flag 1 becomes a proper -1
    EXPECT_FALSE(rig.sheet.sheetClicked());
    EXPECT_EQ(sel(4), -1);
    EXPECT_TRUE(rig.assignments.assignmentsChanged());

    rig.assignments.setAssignmentsChanged(false);
    rig.sheet.SyncChecks();
    EXPECT_FALSE(rig.assignments.assignmentsChanged());

    rig.sheet.setRowChecked(0, false);
    rig.sheet.setRowChecked(1, true);
    rig.sheet.setRowChecked(4, false);
    rig.sheet.setRowChecked(-3, false);
    rig.sheet.SyncChecks();
    EXPECT_EQ((std::vector<int>{sel(1), sel(2), sel(3), sel(4)}), (std::vector<int>{0, -1, -1, -1}));
    EXPECT_TRUE(rig.assignments.assignmentsChanged());

    // Rows for 2, 3, 4: "Deselect all" leaves them listed, then "Select all" leaves destination 1 alone.
    rig.sheet.setShowAll(false);
    rig.assignments.setAssignmentsChanged(false);
    rig.sheet.SelectAllRows(false);
    EXPECT_EQ(shown(), (std::vector<int>{2, 3, 4}));
    EXPECT_FALSE(row(0).checked);
    EXPECT_EQ((std::vector<int>{sel(2), sel(3), sel(4)}), (std::vector<int>{0, 0, 0}));
    EXPECT_TRUE(rig.assignments.assignmentsChanged());
    rig.sheet.SelectAllRows(true);
    EXPECT_EQ((std::vector<int>{sel(1), sel(2), sel(4)}), (std::vector<int>{0, -1, -1}));
    EXPECT_TRUE(rig.listener.saw("checks"));
}

TEST_F(SwitchingSheetTest, KeysMoveTheSwitcherSource) {
    EXPECT_EQ(rig.sheet.lvcom_KeyDown(37), SourceStep::Previous);
    EXPECT_EQ(rig.sheet.lvcom_KeyDown(39), SourceStep::Next);
    EXPECT_EQ(rig.sheet.lvcom_KeyDown(38), SourceStep::None);

    struct Case {
        int charCode;
        AllLayersList list;
        std::optional<int> position;
    };
    const Case cases[] = {
        {'+', {true, 3, 20}, 11},
        {'+', {true, 12, 20}, 0},
        {'+', {true, -1, 20}, 7},
        {'-', {true, 12, 20}, 4},
        {'-', {true, 3, 20}, 0},
        {'1', {true, 6, 20}, 0},
        {'9', {true, 0, 20}, 8},
        {'9', {true, 0, 5}, 0},
        {'5', {false, 0, 20}, std::nullopt},
        {'5', {true, -1, 0}, std::nullopt},
        {',', {true, 4, 20}, std::nullopt},
        {'0', {true, 4, 20}, std::nullopt},
        {'*', {true, 4, 20}, std::nullopt},
        {':', {true, 4, 20}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rig.sheet.lvcom_KeyPress(c.charCode, c.list), c.position) << static_cast<char>(c.charCode);
}

} // namespace
} // namespace rl4::test
