#include "gui/gui_twips.h"
#include "tool_rig.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

constexpr int kHistory = 205;

using Rgb = std::array<int, 3>;
constexpr Rgb kColourOne{255, 220, 220};
constexpr Rgb kColourTwo{220, 192, 192};
constexpr Rgb kBlackText{0, 0, 0};
constexpr Rgb kRedText{255, 0, 0};

Rgb rgb(const QColor& colour) {
    return {colour.red(), colour.green(), colour.blue()};
}

std::vector<std::string> headers(const QTreeWidget& list) {
    std::vector<std::string> texts;
    for (int column = 0; column < list.columnCount(); ++column)
        texts.push_back(list.headerItem()->text(column).toStdString());
    return texts;
}

std::vector<std::string> row(const QTreeWidget& list, int index) {
    std::vector<std::string> cells;
    const QTreeWidgetItem* item = list.topLevelItem(index);
    for (int column = 0; item != nullptr && column < list.columnCount(); ++column)
        cells.push_back(item->text(column).toStdString());
    return cells;
}

// Every cell of a row in one background and one text colour.
std::pair<Rgb, Rgb> colours(const QTreeWidget& list, int index) {
    const QTreeWidgetItem* item = list.topLevelItem(index);
    const Rgb background = rgb(item->background(0).color());
    const Rgb text = rgb(item->foreground(0).color());
    for (int column = 1; column < list.columnCount(); ++column) {
        EXPECT_EQ(rgb(item->background(column).color()), background) << index << ":" << column;
        EXPECT_EQ(rgb(item->foreground(column).color()), text) << index << ":" << column;
    }
    return {background, text};
}

HistoryRow frameRow(std::int64_t atMicros) {
    return {.sent = "02.56.01.02.03",
            .received = "02.56.01.02.03",
            .instr = "Swch",
            .object = "video",
            .in = " 2",
            .out = " 1",
            .timeOfDay = "10:11:12",
            .responseMs = 3,
            .recognised = true,
            .simulated = false,
            .atMicros = atMicros};
}

TEST(HistoryWindow, ColumnsAndCaptionSayWhetherAMatrixAnswers) {
    ToolRig rig;
    rig.simulate(5);
    rig.commands.frm1_MenuEvent(kHistory);
    QWidget* window = rig.tools.window(kHistory);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "frmhisto");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Historical (No Matrix operating)");
    auto* list = rig.control<QTreeWidget>(kHistory, "lvhisto");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(headers(*list), (std::vector<std::string>{"Sent (h)", "Simulated (h)", "Instr", "Layer", "In",
                                                        "Out", "Time", "mS", "n"}));
    const int dpi = list->logicalDpiX();
    const int twips[] = {1300, 1300, 600, 600, 500, 600, 850, 570, 500};
    for (int column = 0; column < list->columnCount(); ++column)
        EXPECT_EQ(list->columnWidth(column), twipsToPixels(twips[column], dpi)) << column;
    EXPECT_EQ(rig.control<QPushButton>(kHistory, "cmdclrhisto")->text(), "Clear");

    window->close();
    EXPECT_FALSE(rig.commands.menuChecked(kHistory));
    rig.connect(5);
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.commands.frm1_MenuEvent(kHistory);
    EXPECT_EQ(rig.tools.window(kHistory), window);
    EXPECT_EQ(window->windowTitle(), "Historique");
    EXPECT_EQ(headers(*list), (std::vector<std::string>{"Transmis (h)", "Reçu (h)", "Instr", "Plan", "In",
                                                        "Out", "Time", "mS", "n"}));
    EXPECT_EQ(rig.control<QPushButton>(kHistory, "cmdclrhisto")->text(), "Effacer");
    EXPECT_TRUE(rig.mainWindow.menuAction(kHistory)->isChecked());
}

// Frames through the link: rows of one exchange share a colour, a frame the matrix sends by itself is
// "External", one the program does not understand is red.
TEST(HistoryWindow, RowsNewestFirstInTheColoursOfTheirExchange) {
    ToolRig rig;
    rig.connect(5);
    rig.commands.frm1_MenuEvent(kHistory);
    auto* list = rig.control<QTreeWidget>(kHistory, "lvhisto");
    ASSERT_NE(list, nullptr);

    rig.engine.routing().wanted(Layer::Video, 1) = 2;
    rig.engine.routingCommands().DownloadRouting();
    rig.clock.advance(150'000);
    rig.engine.routing().wanted(Layer::Audio, 1) = 2;
    rig.engine.routingCommands().DownloadRouting();
    rig.clock.advance(250'000);
    rig.opener.channel(1).deliver(switchFrame('V', 1, 1));
    rig.engine.mainLoopPass();
    rig.clock.advance(10'000);
    rig.opener.channel(1).deliver({0x02, 'Z', 0x01, 0x01, 0x03});
    rig.engine.mainLoopPass();

    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(row(*list, 3)[0], "02.56.01.02.03");
    EXPECT_EQ(row(*list, 3)[1], "02.56.01.02.03");
    EXPECT_EQ(row(*list, 2)[0], "02.41.01.02.03");
    EXPECT_EQ(row(*list, 1)[0], "External");
    EXPECT_EQ(row(*list, 1)[1], "02.56.01.01.03");
    EXPECT_EQ(row(*list, 0)[2], "Error");
    // The count of rows left before the list is cleared.
    EXPECT_EQ(row(*list, 3)[8], "99");
    EXPECT_EQ(row(*list, 0)[8], "96");

    // The first row starts an exchange; 150 ms later is the same exchange, 250 ms later a new one.
    EXPECT_EQ(colours(*list, 3), std::make_pair(kColourTwo, kBlackText));
    EXPECT_EQ(colours(*list, 2), std::make_pair(kColourTwo, kBlackText));
    EXPECT_EQ(colours(*list, 1), std::make_pair(kColourOne, kBlackText));
    EXPECT_EQ(colours(*list, 0), std::make_pair(kColourOne, kRedText));
}

TEST(HistoryWindow, NeverShowsMoreThan99RowsAndClearsOnRequest) {
    ToolRig rig;
    rig.simulate(5);
    rig.commands.frm1_MenuEvent(kHistory);
    auto* list = rig.control<QTreeWidget>(kHistory, "lvhisto");
    ASSERT_NE(list, nullptr);
    std::int64_t at = 1'000'000;
    for (int i = 0; i < 99; ++i)
        rig.hub.historyRowAdded(frameRow(at += 1000));
    EXPECT_EQ(list->topLevelItemCount(), 99);
    EXPECT_EQ(row(*list, 0)[8], "01");
    EXPECT_EQ(row(*list, 98)[8], "99");

    HistoryRow hundredth = frameRow(at += 1000);
    hundredth.sent = "External";
    rig.hub.historyRowAdded(hundredth);
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(row(*list, 0)[0], "External");
    EXPECT_EQ(row(*list, 0)[8], "99");

    rig.hub.historyRowAdded(frameRow(at += 1000));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    QTest::mouseClick(rig.control<QPushButton>(kHistory, "cmdclrhisto"), Qt::LeftButton);
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(rig.engine.history().rows().empty());
}

TEST(HistoryWindow, ClosingDiscardsTheRowsAndStopsTheRecording) {
    ToolRig rig;
    rig.simulate(5);
    rig.engine.settings().historyWindow = {2880, 1440};
    rig.commands.frm1_MenuEvent(kHistory);
    QWidget* window = rig.tools.window(kHistory);
    ASSERT_NE(window, nullptr);
    const QPoint place(twipsToPixels(2880, window->logicalDpiX()),
                       twipsToPixels(1440, window->logicalDpiY()));
    EXPECT_EQ(window->pos(), place);
    EXPECT_EQ(rig.engine.history().place(), (WindowPlace{2880, 1440}));
    window->move(place - QPoint(60, 30));
    QApplication::processEvents();
    EXPECT_EQ(rig.engine.history().place(),
              (WindowPlace{pixelsToTwips(place.x() - 60, window->logicalDpiX()),
                           pixelsToTwips(place.y() - 30, window->logicalDpiY())}));

    rig.engine.routing().wanted(Layer::Video, 1) = 2;
    rig.engine.routingCommands().DownloadRouting();
    auto* list = rig.control<QTreeWidget>(kHistory, "lvhisto");
    EXPECT_EQ(list->topLevelItemCount(), 1);

    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(rig.engine.history().isOpen());
    EXPECT_FALSE(rig.engine.link().historyOpen());
    EXPECT_EQ(list->topLevelItemCount(), 0);
    rig.engine.routing().wanted(Layer::Video, 1) = 1;
    rig.engine.routingCommands().DownloadRouting();
    rig.commands.frm1_MenuEvent(kHistory);
    EXPECT_EQ(list->topLevelItemCount(), 0);
}

} // namespace
} // namespace rl4::test
