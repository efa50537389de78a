#include "engine/menu_ids.h"
#include "gui/gui_twips.h"
#include "gui/line_notices.h"
#include "window_rig.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <cmath>

namespace rl4::test {
namespace {

namespace id = menu_id;

std::string statusHelp(MainWindow& window) {
    return window.statusBar()->currentMessage().toStdString();
}

// In French, so that every text shown is seen to follow the settings' language; the engine's test holds the
// menus of both languages.
TEST(MainWindow, MenusToolbarAndHelpSpeakTheOperatorsLanguage) {
    WindowRig rig;
    rig.setting(12, std::to_string(kLanguageFrench));
    rig.start();
    MainWindow& window = rig.mainWindow;
    std::vector<std::string> titles;
    for (QAction* action : window.menuBar()->actions())
        titles.push_back(action->text().toStdString());
    EXPECT_EQ(titles,
              (std::vector<std::string>{"&Fichier", "&Affichage", "&Outils", "&Assignations", "&Aide"}));

    // One separator, then the four command buttons with their images and tips.
    const QList<QAction*> buttons = rig.control<QToolBar>(&window, "tb1").actions();
    ASSERT_EQ(buttons.size(), 5);
    EXPECT_TRUE(buttons[0]->isSeparator());
    std::vector<std::string> tooltips;
    for (int i = 1; i < buttons.size(); ++i) {
        EXPECT_FALSE(buttons[i]->icon().isNull()) << i;
        tooltips.push_back(buttons[i]->toolTip().toStdString());
    }
    EXPECT_EQ(tooltips, (std::vector<std::string>{"", "Ouvrir une page de commutation",
                                                  "Enregistrer la page de commutation", "Quitter"}));

    // The pointer on a menu title or item writes its help into the status bar; Qt follows it with the
    // entry's own empty status tip, which must not wipe it.
    window.menuAction(id::kFile)->hover();
    EXPECT_EQ(statusHelp(window), "Fichiers de commutation");
    window.menuAction(id::kSwitcherControl)->hover();
    window.menuAction(id::kSwitcherControl)->showStatusText(window.menuBar());
    EXPECT_EQ(statusHelp(window),
              "Ouvre une fenêtre permettant le contrôle des commutations vers la grille.");
    window.menuAction(id::kDebug)->hover();
    EXPECT_EQ(statusHelp(window), "");

    // Qt's own texts speak the language too, and follow the configuration's change of it.
    const auto qtYes = [] { return QCoreApplication::translate("QPlatformTheme", "&Yes"); };
    EXPECT_EQ(qtYes(), "&Oui");
    ConfigDialogModel& config = rig.engine.config();
    config.frmconfig_Load();
    config.setLanguageChoice(kLanguageEnglish);
    config.confok_Click();
    EXPECT_EQ(qtYes(), "&Yes");
}

// Without RGB and Y/C in the assignment the sheet has no column for them; its height follows the rows up to
// what the window holds.
TEST(MainWindow, TheSheetsColumnsAndHeightFollowTheAssignment) {
    WindowRig rig;
    Lines lines = sampleAssignmentLines();
    lines.resize(10);
    lines.push_back(name20("Camera 1") + "|   |  1|  1|   |   |");
    lines.push_back(std::string(41, '-'));
    lines.push_back("DESTINATIONS        |Kou|Vou|Aou|Rou|YWo|Shw|VCA|ad1|ad2|ad3|ad4|ad5|ad6|");
    for (int d = 1; d <= 30; ++d)
        lines.push_back(name20("Out " + std::to_string(d)) + "|   |  1|   |   |   |" +
                        (d <= 4 ? " -1" : "  0") + "|  0|127|127|127|127|127|127|");
    lines.push_back(std::string(41, '-'));
    writeCrLf(rig.rig.path("routelane4.agn"), lines);
    rig.setting(1, "0"); // show the selected rows
    rig.start();
    QTableWidget& sheet = rig.sheet();
    std::vector<std::string> headers;
    for (int c = 0; c < sheet.columnCount(); ++c)
        headers.push_back(sheet.horizontalHeaderItem(c)->text().toStdString());
    EXPECT_EQ(headers, (std::vector<std::string>{"Sel", "Destination", "Source Video", "Source Audio"}));
    EXPECT_EQ(sheet.rowCount(), 4);

    // The operator's tick is taken in by the next pass of the main loop, not at once.
    sheet.item(1, 0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(rig.engine.assignments().activeTable.destinations[2].Shw, -1);
    rig.runMainLoop(20);
    EXPECT_EQ(rig.engine.assignments().activeTable.destinations[2].Shw, 0);
    EXPECT_EQ(sheet.rowCount(), 4) << "the rows stay until the sheet is filled again";

    rig.choose(id::kDeselectAll);
    rig.choose(id::kShowSelected);
    EXPECT_EQ(sheet.rowCount(), 0);
    EXPECT_EQ(sheet.height(), 21) << "only the header";

    rig.mainWindow.resize(rig.mainWindow.width(), 500);
    QCoreApplication::processEvents();
    rig.runMainLoop(20);
    rig.choose(id::kShowAll);
    ASSERT_EQ(sheet.rowCount(), 30);
    const int heightTwips = pixelsToTwips(rig.mainWindow.height(), rig.mainWindow.logicalDpiY());
    const auto visible = static_cast<int>(std::lround((heightTwips - 1800) / 255.0));
    ASSERT_LT(visible, 30);
    EXPECT_EQ(sheet.height(), 17 * visible + 21);

    // Narrower than its columns: the scroll bar comes below the rows, it does not cover the last one.
    rig.mainWindow.resize(300, rig.mainWindow.height());
    QCoreApplication::processEvents();
    ASSERT_TRUE(sheet.horizontalScrollBar()->isVisible());
    EXPECT_EQ(sheet.viewport()->height(), 17 * visible);
}

// A click on the indicator takes the matrix off line; the adapter pulled out, then plugged in again: the
// indicator, the reason in the status bar, one message for a refused command however many frames it would
// have sent, and the way back on the retry.
TEST(MainWindow, TheOnLineIndicatorFollowsTheMatrixAndALostLine) {
    WindowRig rig;
    LineNotices notices(rig.engine, rig.rig.prompt, rig.mainWindow);
    rig.hub.join(&notices);
    rig.start();
    auto& lblonline = rig.control<QLabel>(&rig.mainWindow, "lblonline");
    const auto shown = [&] {
        return text(lblonline) + " " + lblonline.palette().color(QPalette::Window).name().toStdString();
    };
    EXPECT_EQ(shown(), "ON LINE #00ff00");
    QTest::mouseClick(&lblonline, Qt::LeftButton);
    rig.runMainLoop(40);
    EXPECT_EQ(shown(), "OFF LINE #ff0000");
    rig.rig.sendOnLine(true);
    rig.runMainLoop(40);
    EXPECT_EQ(shown(), "ON LINE #00ff00");

    MemoryChannel& line = rig.rig.opener.channel(1);
    line.refuseOpen = true;
    line.hangUp();
    rig.runMainLoop(20);
    EXPECT_EQ(statusHelp(rig.mainWindow),
              "Line to the matrix lost (line hung up): OFF LINE, trying again every 3 seconds");

    rig.choose(id::kReadStatus);
    QCoreApplication::processEvents();
    ASSERT_EQ(rig.rig.prompt.questions.size(), 1u);
    EXPECT_TRUE(rig.rig.prompt.questions[0].text.starts_with("No line to the matrix (line hung up)"));

    line.refuseOpen = false;
    rig.runMainLoop(3000);
    EXPECT_EQ(statusHelp(rig.mainWindow), "") << "the line is back";
    rig.hub.leave(&notices);
}

// Twips that whole pixels do not carry come back as they were while the window is left alone.
TEST(MainWindow, OpensWhereTheSettingsSayInSightAndKeepsItsPlaceAtQuit) {
    struct Case {
        int left, top, height, width;
        bool kept;
    };
    for (const Case& c : {Case{1507, 902, 7000, 11530, true}, Case{30000, 20000, 20000, 32000, false}}) {
        SCOPED_TRACE(c.left);
        WindowRig rig;
        for (auto [line, value] : {std::pair{2, c.left}, {3, c.top}, {4, c.height}, {5, c.width}})
            rig.setting(static_cast<std::size_t>(line), std::to_string(value));
        rig.start();
        MainWindow& window = rig.mainWindow;
        const int dpiX = window.logicalDpiX();
        const int dpiY = window.logicalDpiY();
        Lines expected{"1507", "902", "7000", "11530"};
        if (c.kept) {
            EXPECT_EQ(window.pos(), QPoint(twipsToPixels(c.left, dpiX), twipsToPixels(c.top, dpiY)));
            EXPECT_EQ(window.width(), twipsToPixels(c.width, dpiX));
        } else {
            EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
            window.move(150, 75);
            window.resize(900, 600);
            expected = {std::to_string(pixelsToTwips(window.x(), dpiX)),
                        std::to_string(pixelsToTwips(window.y(), dpiY)),
                        std::to_string(pixelsToTwips(600, dpiY)), std::to_string(pixelsToTwips(900, dpiX))};
        }
        rig.choose(id::kQuit);
        EXPECT_FALSE(window.isVisible());
        const Lines settings = rig.rig.readLines("routelane4.set");
        EXPECT_EQ(Lines(settings.begin() + 2, settings.begin() + 6), expected);
    }
}

TEST(MainWindow, TheVcaPanelFollowsTheCurrentDestinationAndSendsOnlyTheOperatorsMoves) {
    WindowRig rig;
    rig.start();
    MainWindow& window = rig.mainWindow;
    auto& slider = rig.control<QSlider>(&window, "sli1");
    auto& level = rig.control<QLabel>(&window, "volpourcent");
    auto& minimum = rig.control<QPushButton>(&window, "cmdslimin");
    auto& maximum = rig.control<QPushButton>(&window, "cmdslimax");

    rig.rig.state().vcaLevel(1) = 10;
    QTest::mouseClick(&maximum, Qt::LeftButton);
    EXPECT_EQ(rig.rig.state().vcaLevel(1), 31);
    QTest::keyClick(&slider, Qt::Key_Down);
    EXPECT_EQ(rig.rig.state().vcaLevel(1), 30);
    QTest::mouseClick(&minimum, Qt::LeftButton);
    EXPECT_EQ(rig.rig.state().vcaLevel(1), 0);

    // A level the matrix reports moves the slider without sending anything back.
    rig.rig.takeReceived();
    rig.engine.vca().levelReported(1);
    EXPECT_EQ(slider.value(), 1);
    EXPECT_EQ(text(level), "-90 dB");
    EXPECT_TRUE(rig.rig.takeReceived().empty());

    // The matrix's own panel switch shows on the next pass of the main loop, in red.
    QTableWidget& sheet = rig.sheet();
    ASSERT_TRUE(rig.rig.panelSwitch(sim::Layer::Video, 1, 3));
    rig.runMainLoop(40);
    EXPECT_EQ(rgb(sheet.item(0, 0)->foreground().color()), (Rgb{240, 0, 0}));

    // The Projector has no audio output: no level, nothing to move.
    clickCell(sheet, 3, 1);
    EXPECT_EQ(rgb(sheet.item(3, 0)->background().color()), (Rgb{96, 192, 255})) << "the current row";
    EXPECT_EQ(text(rig.control(&window, "volsrc")), "Projector");
    EXPECT_FALSE(slider.isEnabled());
    EXPECT_FALSE(minimum.isEnabled());
    EXPECT_FALSE(maximum.isEnabled());
    EXPECT_FALSE(level.isVisible());
}

TEST(MainWindow, SheetKeysStepAndJumpThroughTheSwitchersSources) {
    WindowRig rig;
    rig.start();
    QTableWidget& sheet = rig.sheet();
    const auto video = [&rig] { return rig.rig.state().layer(sim::Layer::Video).inputOn(1).value_or(-1); };
    rig.choose(id::kSwitcherControl);
    struct Step {
        int key;
        int source; // on the matrix's video output 1
    };
    // Monitor 1 takes Camera 1, Camera 2, Tape, Server and Black, numbered 1 to 6 in the list.
    for (const Step& step : {Step{'2', 2}, Step{Qt::Key_Right, 3}, Step{Qt::Key_Left, 2}, Step{'+', 1},
                             Step{'3', 3}, Step{'-', 1}}) {
        QTest::keyClick(&sheet, static_cast<Qt::Key>(step.key));
        EXPECT_EQ(video(), step.source) << step.key;
    }
    EXPECT_EQ(sheet.currentColumn(), 0) << "the arrows do not move the sheet's keyboard cell";
}

} // namespace
} // namespace rl4::test
