#include "gui/gui_twips.h"
#include "gui/main_window.h"
#include "window_rig.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using Rgb = std::array<int, 3>;
constexpr Rgb kCurrentRow{96, 192, 255};
constexpr Rgb kSheetRow{192, 220, 192};
constexpr Rgb kWhiteRow{255, 255, 255};
constexpr Rgb kBlackText{0, 0, 0};
constexpr Rgb kReportedText{240, 0, 0};

std::vector<std::string> headers(const QTableWidget& sheet) {
    std::vector<std::string> texts;
    for (int column = 0; column < sheet.columnCount(); ++column)
        texts.push_back(sheet.horizontalHeaderItem(column)->text().toStdString());
    return texts;
}

// Clicks the middle of a row's destination cell, as the operator does.
void clickRow(QTableWidget& sheet, int row) {
    const QRect cell = sheet.visualRect(sheet.model()->index(row, 1));
    QTest::mouseClick(sheet.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

RigAssignment manyDestinations(int count) {
    RigAssignment rig = videoAudioAssignment();
    rig.destinations.clear();
    for (int d = 1; d <= count; ++d)
        rig.destinations.push_back({"Output " + std::to_string(d), {d, d, kNoConnector, kNoConnector}});
    return rig;
}

TEST(SheetView, ColumnsFollowTheLayersTheAssignmentUses) {
    {
        WindowRig rig(kLanguageEnglish, videoAudioAssignment());
        ASSERT_TRUE(rig.startUp());
        QTableWidget& sheet = rig.sheet();
        EXPECT_EQ(headers(sheet),
                  (std::vector<std::string>{"Sel", "Destination", "Source Video", "Source Audio"}));
        const int dpi = sheet.logicalDpiX();
        EXPECT_EQ(sheet.columnWidth(0), twipsToPixels(800, dpi));
        for (int column = 1; column < sheet.columnCount(); ++column)
            EXPECT_EQ(sheet.columnWidth(column), twipsToPixels(2000, dpi)) << column;
    }
    {
        RigAssignment rig = videoAudioAssignment();
        rig.sources.push_back({"Graphics", {kNoConnector, kNoConnector, 1, kNoConnector}});
        rig.destinations.push_back({"Projector", {kNoConnector, kNoConnector, 1, 1}});
        rig.sources.push_back({"Tape", {kNoConnector, kNoConnector, kNoConnector, 1}});
        WindowRig all(kLanguageFrench, rig);
        ASSERT_TRUE(all.startUp());
        EXPECT_EQ(headers(all.sheet()),
                  (std::vector<std::string>{"Sel", "Destination", "Source Video", "Source Audio",
                                            "Source RGB", "Source YC-YUV"}));
    }
}

TEST(SheetView, CurrentRowIsHighlightedAndAReportedRowIsRedUntilTheNextClick) {
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    ASSERT_TRUE(rig.startUp());
    QTableWidget& sheet = rig.sheet();
    ASSERT_EQ(sheet.rowCount(), 4);
    EXPECT_EQ(cellText(sheet, 0, 0), " 1");
    EXPECT_EQ(cellText(sheet, 3, 1), "Monitor 4");
    EXPECT_EQ(background(sheet, 0), kCurrentRow);
    for (int row = 1; row < 4; ++row) {
        EXPECT_EQ(background(sheet, row), kSheetRow) << row;
        EXPECT_EQ(foreground(sheet, row), kBlackText) << row;
    }

    clickRow(sheet, 2);
    EXPECT_EQ(rig.engine().sheet().currentDestination(), 3);
    EXPECT_EQ(background(sheet, 2), kCurrentRow);
    for (int row : {0, 1, 3})
        EXPECT_EQ(background(sheet, row), kWhiteRow) << row;
    EXPECT_EQ(rig.window().findChild<QLabel*>("volsrc")->text(), "Monitor 3");

    // A switch on destination 2: without a matrix its frame comes back as the matrix's report.
    rig.engine().routing().wantedSource[layerIndex(Layer::Video)][2] = 3;
    rig.engine().routingCommands().DownloadRouting();
    EXPECT_EQ(cellText(sheet, 1, 2), "Camera 3");
    EXPECT_EQ(foreground(sheet, 1), kReportedText);
    EXPECT_EQ(foreground(sheet, 0), kBlackText);

    clickRow(sheet, 0);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(foreground(sheet, row), kBlackText) << row;
    EXPECT_EQ(background(sheet, 0), kCurrentRow);
    EXPECT_EQ(cellText(sheet, 1, 2), "Camera 3");
}

TEST(SheetView, HeightFollowsTheRowsUpToWhatTheWindowHolds) {
    RigAssignment assignment = manyDestinations(30);
    for (int d = 1; d <= 30; ++d)
        assignment.unselected.push_back(d);
    WindowRig rig(kLanguageEnglish, assignment);
    ASSERT_TRUE(rig.startUp());
    QTableWidget& sheet = rig.sheet();
    MainWindow& window = rig.window();

    // Nothing checked, "Show selected": only the header.
    window.menuAction(202)->trigger();
    EXPECT_EQ(sheet.rowCount(), 0);
    EXPECT_EQ(sheet.height(), 21);

    // Four rows checked and shown: 17 pixels a row below the header.
    for (int d : {2, 4, 6, 8})
        rig.engine().assignments().activeTable.destinations[static_cast<std::size_t>(d)].Shw = -1;
    window.menuAction(202)->trigger();
    EXPECT_EQ(sheet.rowCount(), 4);
    EXPECT_EQ(sheet.height(), 17 * 4 + 21);

    // All thirty: as many rows as the window's height holds below its other controls.
    window.resize(window.width(), 500);
    ASSERT_TRUE(WindowRig::pumpUntil([&] { return !rig.engine().sheet().sheetResized(); }, 2000));
    window.menuAction(201)->trigger();
    EXPECT_EQ(sheet.rowCount(), 30);
    const int heightTwips = pixelsToTwips(window.height(), window.logicalDpiY());
    const auto visible = static_cast<int>(std::lround((heightTwips - 1800) / 255.0));
    ASSERT_LT(visible, 30);
    EXPECT_EQ(sheet.height(), 17 * visible + 21);
}

TEST(SheetView, CheckBoxesReachTheSelFlagsThroughTheMainLoop) {
    RigAssignment assignment = videoAudioAssignment();
    assignment.unselected = {3};
    WindowRig rig(kLanguageEnglish, assignment);
    ASSERT_TRUE(rig.startUp());
    QTableWidget& sheet = rig.sheet();
    auto sel = [&rig](int d) {
        return rig.engine().assignments().activeTable.destinations[static_cast<std::size_t>(d)].Shw;
    };
    EXPECT_EQ(sheet.item(2, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(sheet.item(1, 0)->checkState(), Qt::Checked);

    // The operator's ticks: taken in by the next pass of the main loop, not at once.
    sheet.item(1, 0)->setCheckState(Qt::Unchecked);
    sheet.item(2, 0)->setCheckState(Qt::Checked);
    EXPECT_TRUE(rig.engine().sheet().sheetClicked());
    ASSERT_TRUE(WindowRig::pumpUntil([&] { return !rig.engine().sheet().sheetClicked(); }, 2000));
    EXPECT_EQ(sel(2), 0);
    EXPECT_EQ(sel(3), -1);
    EXPECT_TRUE(rig.engine().assignments().assignmentsChanged());

    // "Deselect all" in "Show selected": the rows stay, unchecked.
    rig.window().menuAction(202)->trigger();
    ASSERT_EQ(sheet.rowCount(), 3);
    rig.window().menuAction(204)->trigger();
    ASSERT_EQ(sheet.rowCount(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(sheet.item(row, 0)->checkState(), Qt::Unchecked) << row;
    rig.window().menuAction(203)->trigger();
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(sheet.item(row, 0)->checkState(), Qt::Checked) << row;
    EXPECT_EQ(sel(1), -1);
}

TEST(SheetView, KeysStepAndJumpThroughTheSwitchersSources) {
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    ASSERT_TRUE(rig.startUp());
    QTableWidget& sheet = rig.sheet();
    const SwitcherModel& switcher = rig.engine().switcher();
    auto wantedVideo = [&rig] { return rig.engine().routing().wantedSource[layerIndex(Layer::Video)][1]; };

    // Closed switcher: the keys do nothing.
    QTest::keyClick(&sheet, Qt::Key_Right);
    QTest::keyClick(&sheet, '2');
    EXPECT_EQ(wantedVideo(), 0);

    rig.window().menuAction(206)->trigger();
    ASSERT_TRUE(switcher.isOpen());
    ASSERT_EQ(switcher.cbcommutation().entries.size(), 3u);
    QTest::keyClick(&sheet, '2');
    EXPECT_EQ(switcher.cbcommutation().index, 1);
    EXPECT_EQ(wantedVideo(), 2);
    QTest::keyClick(&sheet, Qt::Key_Right);
    EXPECT_EQ(switcher.cbcommutation().index, 2);
    EXPECT_EQ(wantedVideo(), 3);
    QTest::keyClick(&sheet, Qt::Key_Right);
    EXPECT_EQ(switcher.cbcommutation().index, 0);
    QTest::keyClick(&sheet, Qt::Key_Left);
    EXPECT_EQ(switcher.cbcommutation().index, 2);
    QTest::keyClick(&sheet, '+'); // beyond the list: back to its first entry
    EXPECT_EQ(switcher.cbcommutation().index, 0);
    QTest::keyClick(&sheet, '3');
    QTest::keyClick(&sheet, '-');
    EXPECT_EQ(switcher.cbcommutation().index, 0);
    EXPECT_EQ(wantedVideo(), 1);
    // The arrows across the sheet do not move its keyboard cell.
    EXPECT_EQ(sheet.currentColumn(), 0);
}

} // namespace
} // namespace rl4::test
