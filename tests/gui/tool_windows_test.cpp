#include "engine/menu_ids.h"
#include "gui/eeprom_window.h"
#include "gui/gui_twips.h"
#include "window_rig.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <functional>

namespace rl4::test {
namespace {

namespace id = menu_id;

std::vector<int> inputsOn(EngineRig& rig, int output) {
    std::vector<int> inputs;
    for (sim::Layer layer : sim::kLayers)
        inputs.push_back(rig.state().layer(layer).inputOn(output).value_or(-1));
    return inputs;
}

TEST(SwitcherWindow, ListsFollowTheLayersAndTheNamesOfTheCurrentDestination) {
    WindowRig rig;
    QWidget* window = rig.startWith(id::kSwitcherControl);
    clickCell(rig.sheet(), 2, 1); // the Recorder: video, audio, RGB output 2, no Y/C
    EXPECT_EQ(text(rig.control(window, "lblcommutation")), "Recorder");
    EXPECT_EQ(items(rig.control<QComboBox>(window, "cbcommutation")),
              (std::vector<std::string>{"  1    Camera 1", "  2    Camera 2", "  3    Tape",
                                        "  4    Graphics", "  5    Server", "  6    Black"}));
    // The Recorder has no Y/C output: that list is empty, disabled and white.
    std::vector<std::size_t> counts;
    for (const char* name : {"cbcommutvideo", "cbcommutaudio", "cbcommutrgb", "cbcommutyc"}) {
        const auto& list = rig.control<QComboBox>(window, name);
        counts.push_back(items(list).size());
        EXPECT_EQ(list.isEnabled(), counts.back() > 0) << name;
    }
    EXPECT_EQ(counts, (std::vector<std::size_t>{5, 5, 4, 0}));
    EXPECT_EQ(rgb(rig.control(window, "cbcommutyc").palette().color(QPalette::Disabled, QPalette::Button)),
              (Rgb{255, 255, 255}));

    // A rename in the assignment reaches the window.
    Assignments& assignments = rig.engine.assignments();
    assignments.editTable = assignments.activeTable;
    assignments.editTable.destinations[3].name = "Control room";
    assignments.editTable.sources[2].name = "Crane";
    assignments.ApplyEditTable();
    EXPECT_EQ(text(rig.control(window, "lblcommutation")), "Control room");
    EXPECT_EQ(items(rig.control<QComboBox>(window, "cbcommutation"))[1], "  2    Crane");
}

// Only the operator's picks switch; the matrix's answers put each list where the matrix is.
TEST(SwitcherWindow, PicksNextAndPreviousSwitchTheLayersTheSourceHas) {
    WindowRig rig;
    QWidget* window = rig.startWith(id::kSwitcherControl);
    auto& all = rig.control<QComboBox>(window, "cbcommutation");
    auto& video = rig.control<QComboBox>(window, "cbcommutvideo");
    all.setCurrentIndex(3);
    video.setCurrentIndex(1);
    EXPECT_EQ(inputsOn(rig.rig, 1), (std::vector<int>{0, 0, 0, 0})) << "set by the program, not picked";

    struct Step {
        QWidget* control;
        Qt::Key key;
        std::vector<int> inputs; // on output 1 of each layer
    };
    QWidget& next = rig.control(window, "cmdcommutinc");
    QWidget& previous = rig.control(window, "cmdcommutdec");
    const Step steps[] = {
        {&all, Qt::Key_Down, {5, 5, 5, 5}},       // Server
        {&previous, Qt::Key_Space, {5, 5, 4, 5}}, // back to Graphics: RGB only
        {&next, Qt::Key_Space, {5, 5, 5, 5}},
        {&video, Qt::Key_End, {0, 5, 5, 5}},
    };

    for (const Step& step : steps) {
        // A list stepped with the keyboard: Qt takes that as a pick, as a choice from the open list.
        step.control->setFocus();
        if (qobject_cast<QComboBox*>(step.control))
            QTest::keyClick(step.control, step.key);
        else
            QTest::mouseClick(step.control, Qt::LeftButton);
        EXPECT_EQ(inputsOn(rig.rig, 1), step.inputs) << text(all);
    }
    EXPECT_EQ(text(video), "  6    Black");
    EXPECT_EQ(text(all), "  6    Black") << "the source of the first layer";
}

TEST(SwitcherWindow, PointerHintsGoToTheMainWindowsStatusBar) {
    WindowRig rig;
    QWidget* window = rig.startWith(id::kSwitcherControl);
    const auto status = [&] { return rig.mainWindow.statusBar()->currentMessage().toStdString(); };
    const auto hintOver = [&](const char* name) {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(&rig.control(window, name), &enter);
        return status();
    };
    EXPECT_EQ(hintOver("lblcommutation"),
              "A new source can be selected and switched to the destination: Monitor 1.");
    EXPECT_EQ(hintOver("cmdcommutdec"), "Select the previous source with all layers");

    // Back on the window's background, out of the window, or the window gone: no hint.
    QEvent leave(QEvent::Leave);
    for (QWidget* left : {&rig.control(window, "cmdcommutdec"), window}) {
        QApplication::sendEvent(left, &leave);
        EXPECT_EQ(status(), "");
        hintOver("cbcommutation");
    }
    window->close();
    EXPECT_EQ(status(), "");
}

// The settings' 0, 0 is no place at all; a place beyond the screen is none the operator can reach. A
// window put elsewhere than the settings say keeps that place and asks nothing about it at the end.
TEST(SwitcherWindow, OpensAtItsPlaceOrBesideTheMainWindowAndKeepsItsMoves) {
    struct Case {
        std::int16_t left, top;
        bool beside, kept;
    };
    for (const Case& c : {Case{0, 0, true, false}, Case{30000, 30000, false, false},
                          Case{-20000, 300, false, false}, Case{1440, 720, false, true}}) {
        SCOPED_TRACE(std::to_string(c.left) + ", " + std::to_string(c.top));
        WindowRig rig;
        rig.setting(6, std::to_string(c.left));
        rig.setting(7, std::to_string(c.top));
        rig.start();
        rig.mainWindow.setGeometry(20, 30, 300, 200);
        rig.choose(id::kSwitcherControl);
        QWidget* window = rig.window(id::kSwitcherControl);
        const int dpiX = window->logicalDpiX();
        const int dpiY = window->logicalDpiY();
        EXPECT_TRUE(window->screen()->availableGeometry().contains(window->frameGeometry()));
        if (c.beside) {
            const QRect main = rig.mainWindow.frameGeometry();
            EXPECT_EQ(window->pos(), QPoint(main.right() + 1 + 8, main.top()));
        }
        const WindowPlace place{pixelsToTwips(window->x(), dpiX), pixelsToTwips(window->y(), dpiY)};
        EXPECT_EQ(rig.engine.switcher().place(), (c.kept ? WindowPlace{c.left, c.top} : place));
        EXPECT_TRUE(rig.mainWindow.menuAction(id::kSwitcherControl)->isChecked());
        if (c.kept) {
            window->move(window->pos() + QPoint(150, 75));
            QApplication::processEvents();
            EXPECT_EQ(rig.engine.switcher().place(),
                      (WindowPlace{pixelsToTwips(window->x(), dpiX), pixelsToTwips(window->y(), dpiY)}));
            window->close();
            EXPECT_FALSE(rig.engine.switcher().isOpen());
            EXPECT_FALSE(rig.mainWindow.menuAction(id::kSwitcherControl)->isChecked());
            rig.choose(id::kSwitcherControl);
            EXPECT_EQ(rig.window(id::kSwitcherControl), window);
            EXPECT_EQ(window->pos(), QPoint(twipsToPixels(c.left, dpiX), twipsToPixels(c.top, dpiY)));
            rig.engine.switcher().frmcommutation_Close();
            EXPECT_FALSE(window->isVisible());
            continue;
        }
        rig.commands.frm1_Close();
        EXPECT_TRUE(rig.rig.prompt.questions.empty());
    }
}

// A switch, then a frame the program does not understand, a new exchange: the list shows the model's rows
// (its test holds their rules), newest first, in the exchange's colour, the frame not understood in red.
TEST(HistoryWindow, RowsNewestFirstInTheColoursOfTheirExchange) {
    WindowRig rig;
    rig.setting(8, "2880");
    rig.setting(9, "1440");
    QWidget* window = rig.startWith(id::kHistory);
    const QPoint place(twipsToPixels(2880, window->logicalDpiX()),
                       twipsToPixels(1440, window->logicalDpiY()));
    EXPECT_EQ(window->pos(), place);
    auto& list = rig.control<QTreeWidget>(window, "lvhisto");

    rig.engine.routing().wanted(Layer::Video, 1) = 2;
    rig.engine.routingCommands().DownloadRouting();
    rig.rig.clock.advance(250'000);
    rig.rig.sendUnasked(five('Z', 1, 1));
    rig.runMainLoop(20);

    ASSERT_EQ(list.topLevelItemCount(), 2);
    const auto at = [&](int row, int column) { return list.topLevelItem(row)->text(column).toStdString(); };
    EXPECT_EQ(at(1, 0) + " " + at(0, 2), "02.56.01.02.03 Error");
    const std::pair<Rgb, Rgb> colours[] = {{{255, 220, 220}, {255, 0, 0}}, {{220, 192, 192}, {0, 0, 0}}};
    for (int r : {0, 1})
        for (int c = 0; c < list.columnCount(); ++c) {
            EXPECT_EQ(rgb(list.topLevelItem(r)->background(c).color()), colours[r].first) << r;
            EXPECT_EQ(rgb(list.topLevelItem(r)->foreground(c).color()), colours[r].second) << r;
        }

    // The export asks where, and writes the rows shown, oldest first.
    rig.rig.prompt.answerPath(rig.rig.path("history.csv"));
    QTest::mouseClick(&rig.control(window, "cmdexporthisto"), Qt::LeftButton);
    const Lines exported = readCrLf(rig.rig.path("history.csv"));
    ASSERT_EQ(exported.size(), 3U);
    EXPECT_NE(exported[2].find(",Error,"), std::string::npos) << exported[2];
    QTest::mouseClick(&rig.control(window, "cmdclrhisto"), Qt::LeftButton);
    EXPECT_EQ(list.topLevelItemCount(), 0);

    // Moved, the place is kept; Escape closes; opened again, the caption is in the language of now.
    window->move(place - QPoint(60, 30));
    QApplication::processEvents();
    EXPECT_EQ(rig.engine.history().place(),
              (WindowPlace{pixelsToTwips(place.x() - 60, window->logicalDpiX()),
                           pixelsToTwips(place.y() - 30, window->logicalDpiY())}));
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(rig.engine.link().historyOpen());
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.choose(id::kHistory);
    EXPECT_EQ(window->windowTitle(), "Historique");
}

// What the setup dialog shows: the port, the frame form, the language, the VCA mode and slope.
std::string shownSetup(WindowRig& rig) {
    QWidget* dialog = rig.window(id::kSetUp);
    std::string shown = text(rig.control(dialog, "frcom"));
    for (const char* name :
         {"opt4oct", "opt5oct", "optenglish", "optfrancais", "optvcamin", "optvcamax", "optvcamem"})
        if (rig.control<QRadioButton>(dialog, name).isChecked())
            shown += std::string(" ") + name;
    return shown + " " + std::to_string(rig.control<QSlider>(dialog, "slislope").value()) + " " +
           text(rig.control(dialog, "lblslope"));
}

TEST(ConfigDialog, ShowsTheMatrixSetupAndTakesTheChoicesOnlyWithOk) {
    WindowRig rig;
    rig.start();
    rig.rig.state().vcaSetup = 16 + 7; // VCAs at minimum, slope 7
    rig.rig.takeReceived();
    rig.choose(id::kSetUp);
    auto* dialog = qobject_cast<QDialog*>(rig.window(id::kSetUp));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(rig.rig.takeReceived(), std::vector<Frame>{five('p', 1, 0)}) << "the setup's read, 5-byte form";
    auto& ports = rig.control<QListWidget>(dialog, "lbcom");
    EXPECT_EQ(ports.currentRow(), 0);
    EXPECT_EQ(shownSetup(rig), "port  1 is selected opt5oct optenglish optvcamin 7 VCA slope =  1.4 Sec");

    QTest::mouseClick(&rig.control(dialog, "optvcamem"), Qt::LeftButton);
    QTest::mouseClick(&rig.control(dialog, "optfrancais"), Qt::LeftButton);
    auto& slope = rig.control<QSlider>(dialog, "slislope");
    slope.setFocus();
    QTest::keyClick(&slope, Qt::Key_Right);
    EXPECT_EQ(shownSetup(rig), "port  1 is selected opt5oct optfrancais optvcamem 8 VCA slope =  1.6 Sec");
    EXPECT_EQ(rig.engine.settings().language, kLanguageEnglish) << "nothing is taken before OK";
    EXPECT_TRUE(rig.rig.takeReceived().empty());
    QTest::mouseClick(&rig.control(dialog, "confok"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(rig.rig.state().vcaSetup, 32 + 8);

    // Again, in French: a frame form picked is taken with OK; Escape and the close box cancel.
    rig.choose(id::kSetUp);
    EXPECT_EQ(dialog->windowTitle(), "Paramètres");
    EXPECT_EQ(shownSetup(rig),
              "Le port  1 est sélectionné opt5oct optfrancais optvcamem 8 VCA slope =  1.6 Sec");
    QTest::mouseClick(&rig.control(dialog, "opt4oct"), Qt::LeftButton);
    QTest::mouseClick(&rig.control(dialog, "confok"), Qt::LeftButton);
    EXPECT_EQ(rig.engine.link().protocolLength(), 4);
    rig.choose(id::kSetUp);
    QTest::mouseClick(&rig.control(dialog, "opt5oct"), Qt::LeftButton);
    QTest::mouseClick(&rig.control(dialog, "optenglish"), Qt::LeftButton);
    QTest::keyClick(dialog, Qt::Key_Escape);
    rig.choose(id::kSetUp);
    dialog->close();
    EXPECT_FALSE(rig.engine.config().visible());
    EXPECT_EQ(rig.engine.link().protocolLength(), 4);
    EXPECT_EQ(rig.engine.settings().language, kLanguageFrench);

    // A port picked in the list is opened at once, whatever the dialog's end.
    rig.choose(id::kSetUp);
    clickCell(ports, 2);
    EXPECT_EQ(rig.rig.opener.requests.back(), 3);
    EXPECT_EQ(text(rig.control(dialog, "frcom")), "Le port  3 est sélectionné");
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_EQ(rig.engine.link().portNumber(), 3);
}

// Beside the port list, each port's target: a row picked and an address typed reach the port map file, and
// Enter there maps rather than closing the dialog; a bad address is told.
TEST(ConfigDialog, MapsAPortPickedInItsTableIntoThePortMapFile) {
    WindowRig rig;
    QWidget* dialog = rig.startWith(id::kSetUp);
    auto& table = rig.control<QTreeWidget>(dialog, "lvports");
    ASSERT_GE(table.topLevelItemCount(), PortMap::kLastMapped);
    clickCell(table, 3);
    EXPECT_EQ(text(rig.control(dialog, "lblportnumber")), "Port 4:");
    QLineEdit* target = rig.control<QComboBox>(dialog, "cbporttarget").lineEdit();
    EXPECT_EQ(target->text(), "/dev/ttyS3");
    target->clear();
    QTest::keyClicks(target, "socket://10.0.0.40");
    QTest::mouseClick(&rig.control(dialog, "cmdportmap"), Qt::LeftButton);
    EXPECT_NE(text(rig.control(dialog, "lblportmap")).find("is no serial device server address"),
              std::string::npos);
    QTest::keyClicks(target, ":4001");
    QTest::keyClick(target, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(PortMap::load(rig.rig.folder.folder()).target(4), "socket://10.0.0.40:4001");
    EXPECT_EQ(table.topLevelItem(3)->text(2), "network");

    // The port in use, mapped anew, opens again at once.
    const std::size_t opened = rig.rig.opener.requests.size();
    clickCell(table, 0);
    QTest::mouseClick(&rig.control(dialog, "cmdportmap"), Qt::LeftButton);
    ASSERT_EQ(rig.rig.opener.requests.size(), opened + 1);
    EXPECT_EQ(rig.rig.opener.requests.back(), 1);
}

TEST(MatrixInfoWindow, ShowsTheStateOfItsOpeningInEitherLanguage) {
    WindowRig rig;
    QWidget* window = rig.startWith(id::kMatrixInfo);
    // With a port open (the diag test holds the other labels, and the texts without a matrix).
    std::vector<std::string> shown;
    for (const char* name : {"lblinfoserial", "lblinfoport", "lblinfolink", "lblinfoupdate"})
        shown.push_back(text(rig.control(window, name)));
    EXPECT_EQ(shown, (std::vector<std::string>{"Serial number: 1234", "The port 1 is open",
                                               "The line from PC to Matrix is established",
                                               "Last Update: 03/03/2006"}));

    // Not refreshed while open; asked for again, the state of now in the language of now, every label whole.
    rig.engine.link().setProtocolLength(4);
    rig.hub.onLineChanged(false);
    EXPECT_EQ(text(rig.control(window, "lblinfoprotocol")), "protocol is  5 bytes long");
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.engine.settings().connexionPath = "/srv/regie/" + std::string(90, 'x') + "/soir.cnx";
    rig.choose(id::kMatrixInfo);
    QApplication::processEvents();
    for (const QLabel* shown : window->findChildren<QLabel*>())
        EXPECT_GE(shown->width(), shown->sizeHint().width()) << shown->objectName().toStdString();
    EXPECT_EQ(window->windowTitle(), "Information Matrice");
    EXPECT_EQ(text(rig.control(window, "lblinfoprotocol")), "Le protocole a une longueur de  4 octets");
    QTest::mouseClick(&rig.control(window, "cmdinfoclose"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    rig.choose(id::kMatrixInfo);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

// Acts as the operator would when a step of a loop is done.
struct StepHook : EngineListener {
    void debugStepDone() override { act(++steps); }
    int steps = 0;
    std::function<void(int)> act;
};

// The debug window over the program's engine: a loop keeps the windows answering, Escape ends it within one
// step, nothing else sends meanwhile, and the counters take their colours.
TEST(DebugWindowTest, EscapeInAPauseEndsTheLoopAndTheCountersShowTheOutcome) {
    WindowRig rig({.matrix = {.silentRefusals = true}});
    StepHook hook;
    rig.hub.join(&hook);
    QWidget* window = rig.startWith(id::kDebug);
    EXPECT_EQ(rig.control<QComboBox>(window, "cbdebugie").count(), kBlackSource);
    EXPECT_EQ(rig.control<QComboBox>(window, "cbdebugoe").currentText(), QString::number(kProjector));
    for (const char* box : {"chkdebuga", "chkdebugr", "chkdebugy"})
        rig.control<QCheckBox>(window, box).setChecked(false);
    rig.control<QCheckBox>(window, "chkdebugv").setChecked(true);
    rig.control<QSlider>(window, "slidebugspeed").setValue(DebugModel::kSpeedMaximum);
    auto& read = rig.control<QPushButton>(window, "cmddebugread");
    rig.engine.debug().choices().cycleLimit = 2; // a loop that missed the Escape ends all the same
    rig.rig.takeReceived();

    std::int64_t escapedAt = 0;
    hook.act = [&](int step) {
        rig.commands.frm1_MenuEvent(id::kReadStatus);
        rig.engine.debug().readvideo1_Click();
        EXPECT_FALSE(read.isEnabled());
        rig.rig.matrix().setRefusals([] { return true; }); // the second read goes unanswered
        if (step == 2) {
            escapedAt = rig.rig.clock.nowMicros();
            QCoreApplication::postEvent(window,
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };
    read.click();
    EXPECT_EQ(rig.rig.takeReceived(), (std::vector<Frame>{five('v', 1, 0), five('v', 2, 0)}))
        << "neither the main window's commands nor a second loop sent";
    EXPECT_LE(rig.rig.clock.nowMicros() - escapedAt, std::int64_t{DebugModel::kPauseSliceMillis} * 1000);
    EXPECT_TRUE(read.isEnabled());
    EXPECT_FALSE(rig.engine.busy());

    const auto counter = [&](const char* name) {
        const auto& label = rig.control<QLabel>(window, name);
        return label.text() + " " + label.palette().color(QPalette::Window).name();
    };
    EXPECT_EQ(counter("lbldebugerror"), "1 #ff0000");
    rig.control<QPushButton>(window, "cmddebugreset").click();
    EXPECT_EQ(counter("lbldebugshot"), "none  #00ff00");
    rig.hub.leave(&hook);
}

// The upload's progress window: the longest entries, the table lines, fit the list, the bytes read without
// scrolling sideways. (The eeprom test holds how the window's texts follow the language.)
TEST(EepromWindow, AWholeRunFitsTheListAndEndsWithTheReport) {
    WindowRig rig({.matrix = {}, .protocol = 4});
    EepromWindow window(rig.engine, &rig.mainWindow);
    rig.hub.join(&window);
    rig.start();
    rig.rig.prompt.answer(kAnswerYes);
    rig.rig.prompt.answer(kAnswerYes);
    ASSERT_EQ(rig.engine.uploadEeprom(), UploadOutcome::Succeeded);

    ASSERT_TRUE(window.isVisible());
    auto& list = rig.control<QListWidget>(&window, "lbloadeeprom");
    // The header, lines 0..177 of the objects and 256..327 of the tables.
    ASSERT_EQ(list.count(), 1 + 178 + 72);
    EXPECT_EQ(list.item(250)->text().left(9), "327 28E0 ");
    EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(text(rig.control(&window, "lblloadeeprom")), "Load Complete");
    EXPECT_EQ(text(rig.control(&window, "lblproeeprom")), "for EEPROM close code");
    rig.hub.leave(&window);
}

} // namespace
} // namespace rl4::test
