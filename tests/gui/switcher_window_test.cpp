#include "gui/gui_twips.h"
#include "tool_rig.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

constexpr int kSwitcher = 206;

using Rgb = std::array<int, 3>;
constexpr Rgb kUnusableLabel{220, 192, 127};
constexpr Rgb kWhiteList{255, 255, 255};
constexpr Rgb kWhiteText{255, 255, 255};
constexpr Rgb kBlackText{0, 0, 0};

Rgb rgb(const QColor& colour) {
    return {colour.red(), colour.green(), colour.blue()};
}

std::vector<std::string> items(const QComboBox& box) {
    std::vector<std::string> texts;
    for (int i = 0; i < box.count(); ++i)
        texts.push_back(box.itemText(i).toStdString());
    return texts;
}

std::string text(const QLabel* label) {
    return label ? label->text().toStdString() : "<no label>";
}

struct LayerControls {
    Layer layer;
    const char* list;
    const char* label;
};

constexpr LayerControls kLayerControls[] = {
    {Layer::Video, "cbcommutvideo", "lblcbvideo"},
    {Layer::Audio, "cbcommutaudio", "lblcbaudio"},
    {Layer::Rgb, "cbcommutrgb", "lblcbrgb"},
    {Layer::Yc, "cbcommutyc", "lblcbyc"},
};

// The operator steps a list with the keyboard: Qt takes that as a pick, as a choice from the open list.
void pickWithKey(QComboBox* box, Qt::Key key) {
    box->setFocus();
    QTest::keyClick(box, key);
}

TEST(SwitcherWindow, ListsAndColoursFollowTheLayersTheDestinationCanUse) {
    ToolRig rig;
    rig.simulate(5);
    rig.engine.routing().wanted(Layer::Video, 1) = 2;
    rig.engine.routing().wanted(Layer::Audio, 1) = 3;
    rig.commands.frm1_MenuEvent(kSwitcher);
    QWidget* window = rig.tools.window(kSwitcher);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->objectName(), "frmcommutation");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Switcher Control");
    EXPECT_EQ(text(rig.control<QLabel>(kSwitcher, "lblcommutation")), "Monitor");

    auto* all = rig.control<QComboBox>(kSwitcher, "cbcommutation");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(items(*all), (std::vector<std::string>{"  1    Camera 1", "  2    Camera 2", "  3    Tape",
                                                     "  4    Graphics"}));
    // Tape is wanted on Audio, its first layer; Camera 2 on Video comes earlier and is passed over.
    EXPECT_EQ(all->currentIndex(), 2);
    EXPECT_TRUE(all->isEnabled());

    const struct {
        std::vector<std::string> items;
        int index;
        Rgb label, list;
    } expected[] = {
        {{"  1    Camera 1", "  2    Camera 2"}, 1, {0, 255, 0}, {192, 220, 192}},
        {{"  1    Camera 1", "  2    Camera 2", "  3    Tape"}, 2, {255, 255, 0}, {220, 220, 192}},
        {{"  2    Camera 2", "  4    Graphics"}, -1, {255, 0, 0}, {220, 192, 192}},
        {{}, -1, kUnusableLabel, kWhiteList}, // Monitor has no YC output
    };
    for (std::size_t i = 0; i < std::size(kLayerControls); ++i) {
        auto* list = rig.control<QComboBox>(kSwitcher, kLayerControls[i].list);
        auto* label = rig.control<QLabel>(kSwitcher, kLayerControls[i].label);
        ASSERT_NE(list, nullptr) << kLayerControls[i].list;
        ASSERT_NE(label, nullptr) << kLayerControls[i].label;
        EXPECT_EQ(items(*list), expected[i].items) << kLayerControls[i].list;
        EXPECT_EQ(list->currentIndex(), expected[i].index) << kLayerControls[i].list;
        EXPECT_EQ(list->isEnabled(), !expected[i].items.empty()) << kLayerControls[i].list;
        EXPECT_EQ(rgb(list->palette().color(QPalette::Button)), expected[i].list) << kLayerControls[i].list;
        EXPECT_EQ(rgb(label->palette().color(QPalette::Window)), expected[i].label)
            << kLayerControls[i].label;
    }

    // Captions stay readable on every layer colour: white on the red of RGB and the blue of YC, black on the
    // paler ones.
    rig.selectDestination(3); // Studio: every layer
    EXPECT_EQ(text(rig.control<QLabel>(kSwitcher, "lblcommutation")), "Studio");
    for (const LayerControls& layer : kLayerControls) {
        const QLabel* label = rig.control<QLabel>(kSwitcher, layer.label);
        const bool dark = layer.layer == Layer::Yc || layer.layer == Layer::Rgb;
        EXPECT_EQ(rgb(label->palette().color(QPalette::WindowText)), dark ? kWhiteText : kBlackText)
            << layer.label;
    }

    // A click on another row of the sheet brings its destination into the window.
    rig.selectDestination(2); // Booth: no output at all
    EXPECT_EQ(text(rig.control<QLabel>(kSwitcher, "lblcommutation")), "Booth");
    EXPECT_EQ(all->count(), 0);
    EXPECT_FALSE(all->isEnabled());
    for (const LayerControls& layer : kLayerControls) {
        auto* list = rig.control<QComboBox>(kSwitcher, layer.list);
        EXPECT_EQ(list->count(), 0) << layer.list;
        EXPECT_FALSE(list->isEnabled()) << layer.list;
        EXPECT_EQ(rgb(list->palette().color(QPalette::Disabled, QPalette::Button)), kWhiteList) << layer.list;
        EXPECT_EQ(rgb(rig.control<QLabel>(kSwitcher, layer.label)->palette().color(QPalette::Window)),
                  kUnusableLabel)
            << layer.label;
    }
}

// The matrix echoes each frame, so every switch is confirmed and the lists follow it.
TEST(SwitcherWindow, OnlyTheOperatorsPicksSwitch) {
    ToolRig rig;
    rig.connect(5);
    rig.selectDestination(3); // Studio: every layer
    rig.commands.frm1_MenuEvent(kSwitcher);
    rig.takeWritten();
    auto* all = rig.control<QComboBox>(kSwitcher, "cbcommutation");
    auto* video = rig.control<QComboBox>(kSwitcher, "cbcommutvideo");
    ASSERT_NE(all, nullptr);
    ASSERT_NE(video, nullptr);
    ASSERT_EQ(all->count(), 4);

    const auto wantedOfStudio = [&rig] {
        std::vector<int> wanted;
        for (Layer layer : kLayers)
            wanted.push_back(rig.engine.routing().wanted(layer, 3));
        return wanted;
    };
    const std::vector<int> before = wantedOfStudio();
    all->setCurrentIndex(3);
    video->setCurrentIndex(1);
    EXPECT_TRUE(rig.takeWritten().empty());
    EXPECT_EQ(wantedOfStudio(), before);

    // Up from Graphics: Tape, which only Audio carries.
    pickWithKey(all, Qt::Key_Up);
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('A', 3, 3)}));
    EXPECT_EQ(rig.engine.routing().held(Layer::Audio, 3), 3);
    EXPECT_EQ(all->currentText(), "  3    Tape");

    // The program shows Camera 1; the operator steps down to Camera 2.
    video->setCurrentIndex(0);
    pickWithKey(video, Qt::Key_Down);
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('V', 3, 2)}));
    EXPECT_EQ(rig.engine.routing().held(Layer::Video, 3), 2);
    EXPECT_EQ(rig.engine.routing().held(Layer::Audio, 3), 3);
    EXPECT_EQ(video->currentText(), "  2    Camera 2");

    auto* audio = rig.control<QComboBox>(kSwitcher, "cbcommutaudio");
    pickWithKey(audio, Qt::Key_Home);
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('A', 3, 1)}));
    EXPECT_EQ(audio->currentText(), "  1    Camera 1");
}

TEST(SwitcherWindow, NextAndPreviousWrapRound) {
    ToolRig rig;
    rig.connect(5);
    rig.selectDestination(3);
    rig.commands.frm1_MenuEvent(kSwitcher);
    rig.takeWritten();
    auto* all = rig.control<QComboBox>(kSwitcher, "cbcommutation");
    auto* next = rig.control<QPushButton>(kSwitcher, "cmdcommutinc");
    auto* previous = rig.control<QPushButton>(kSwitcher, "cmdcommutdec");
    ASSERT_NE(next, nullptr);
    ASSERT_NE(previous, nullptr);
    ASSERT_EQ(all->count(), 4);

    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(all->currentIndex(), 0);
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('V', 3, 1), switchFrame('A', 3, 1)}));
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(all->currentText(), "  4    Graphics");
    rig.takeWritten();

    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(all->currentIndex(), 0);
    // Camera 2 and Tape left Video and Audio on other sources.
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('V', 3, 1), switchFrame('A', 3, 1)}));

    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(all->currentIndex(), 3);
    // Graphics is still wanted on RGB and YC: nothing to send.
    EXPECT_TRUE(rig.takeWritten().empty());
    QTest::mouseClick(previous, Qt::LeftButton);
    EXPECT_EQ(all->currentText(), "  3    Tape");
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{switchFrame('A', 3, 3)}));
}

TEST(SwitcherWindow, PointerHintsGoToTheMainWindowsStatusBar) {
    ToolRig rig;
    rig.simulate(5);
    rig.commands.frm1_MenuEvent(kSwitcher);
    const auto hintOver = [&rig](const char* name) {
        QWidget* control = rig.control(kSwitcher, name);
        EXPECT_NE(control, nullptr) << name;
        if (control == nullptr)
            return std::string("<no control>");
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(control, &enter);
        return rig.mainWindow.statusBar()->currentMessage().toStdString();
    };
    EXPECT_EQ(hintOver("lblcommutation"),
              "A new source can be selected and switched to the destination: Monitor.");
    EXPECT_EQ(hintOver("cbcommutation"), "Select and switch a source with all layers");
    EXPECT_EQ(hintOver("cbcommutvideo"), "Select and switch a video source");
    EXPECT_EQ(hintOver("cbcommutaudio"), "Select and switch an audio source");
    EXPECT_EQ(hintOver("cbcommutrgb"), "Select and switch a RGB source");
    EXPECT_EQ(hintOver("cbcommutyc"), "Select and switch a Y/C source");
    EXPECT_EQ(hintOver("cmdcommutinc"), "Select the next source with all layers");
    EXPECT_EQ(hintOver("cmdcommutdec"), "Select the previous source with all layers");

    // Back on the window's background: no hint. Nor once the pointer left the window, whether or not the
    // control heard of it (its list was open), nor once the window went.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(rig.control(kSwitcher, "cmdcommutdec"), &leave);
    EXPECT_EQ(rig.mainWindow.statusBar()->currentMessage(), "");
    hintOver("cbcommutation");
    QApplication::sendEvent(rig.tools.window(kSwitcher), &leave);
    EXPECT_EQ(rig.mainWindow.statusBar()->currentMessage(), "");
    hintOver("cbcommutation");
    rig.tools.window(kSwitcher)->close();
    EXPECT_EQ(rig.mainWindow.statusBar()->currentMessage(), "");
    rig.commands.frm1_MenuEvent(kSwitcher);

    rig.engine.messages().setLanguage(kLanguageFrench);
    EXPECT_EQ(hintOver("cbcommutvideo"), "Sélectionnez une source video");
    EXPECT_EQ(hintOver("lblcommutation"),
              "Une nouvelle source peut être sélectionnée et commutée vers la destination: Monitor.");
}

TEST(SwitcherWindow, FollowsARenameInTheAssignment) {
    ToolRig rig;
    rig.simulate(5);
    rig.engine.vca().SelectVcaDestination(1); // as the start-up does
    rig.commands.frm1_MenuEvent(kSwitcher);
    Assignments& assignments = rig.engine.assignments();
    assignments.editTable = assignments.activeTable;
    assignments.editTable.destinations[1].name = "Control room";
    assignments.editTable.sources[2].name = "Crane";
    assignments.ApplyEditTable();

    EXPECT_EQ(text(rig.control<QLabel>(kSwitcher, "lblcommutation")), "Control room");
    EXPECT_EQ(items(*rig.control<QComboBox>(kSwitcher, "cbcommutation"))[1], "  2    Crane");
    EXPECT_EQ(text(rig.mainWindow.findChild<QLabel*>("volsrc")), "Control room");
}

// The settings' 0, 0 is no place at all; a place beyond the screen is none the operator can reach.
TEST(SwitcherWindow, OpensBesideTheMainWindowWithoutAPlaceInSight) {
    struct Case {
        WindowPlace saved;
        bool beside;
    };
    for (const Case& c : {Case{{0, 0}, true}, Case{{30000, 30000}, false}, Case{{-20000, 300}, false}}) {
        SCOPED_TRACE(std::to_string(c.saved.left) + ", " + std::to_string(c.saved.top));
        ToolRig rig;
        rig.simulate(5);
        rig.mainWindow.setGeometry(20, 30, 300, 200);
        rig.engine.settings().switcherWindow = c.saved;
        rig.commands.frm1_MenuEvent(kSwitcher);
        QWidget* window = rig.tools.window(kSwitcher);
        ASSERT_NE(window, nullptr);
        const QRect screen = window->screen()->availableGeometry();
        if (c.beside) {
            EXPECT_EQ(window->pos(), QPoint(328, 30));
        }
        EXPECT_TRUE(screen.contains(window->frameGeometry()))
            << "within " << screen.width() << "x" << screen.height();
        // That place is kept, and is no move to ask about at the end.
        const WindowPlace place{pixelsToTwips(window->x(), window->logicalDpiX()),
                                pixelsToTwips(window->y(), window->logicalDpiY())};
        EXPECT_EQ(rig.engine.switcher().place(), place);
        EXPECT_EQ(rig.engine.settings().switcherWindow, place);
        rig.commands.frm1_Close();
        EXPECT_TRUE(rig.prompt.questions.empty());
    }
}

TEST(SwitcherWindow, OpensAtItsPlaceKeepsItsMovesAndClosesThroughTheModel) {
    ToolRig rig;
    rig.simulate(5);
    rig.engine.settings().switcherWindow = {1440, 720};
    rig.commands.frm1_MenuEvent(kSwitcher);
    QWidget* window = rig.tools.window(kSwitcher);
    ASSERT_NE(window, nullptr);
    const QPoint place(twipsToPixels(1440, window->logicalDpiX()), twipsToPixels(720, window->logicalDpiY()));
    EXPECT_EQ(window->pos(), place);
    // Put where the settings say, the window has not moved.
    EXPECT_EQ(rig.engine.switcher().place(), (WindowPlace{1440, 720}));
    EXPECT_TRUE(rig.commands.menuChecked(kSwitcher));

    const QPoint moved = place + QPoint(150, 75);
    window->move(moved);
    QApplication::processEvents();
    EXPECT_EQ(rig.engine.switcher().place(), (WindowPlace{pixelsToTwips(moved.x(), window->logicalDpiX()),
                                                          pixelsToTwips(moved.y(), window->logicalDpiY())}));

    window->close();
    EXPECT_FALSE(rig.engine.switcher().isOpen());
    EXPECT_FALSE(rig.commands.menuChecked(kSwitcher));
    EXPECT_FALSE(rig.mainWindow.menuAction(kSwitcher)->isChecked());
    EXPECT_FALSE(window->isVisible());

    // Opened again: the same window, at the place the settings keep.
    rig.commands.frm1_MenuEvent(kSwitcher);
    EXPECT_EQ(rig.tools.window(kSwitcher), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->pos(), place);
    EXPECT_TRUE(rig.mainWindow.menuAction(kSwitcher)->isChecked());

    // Closed by the program, as at the main window's close: the window goes too.
    rig.engine.switcher().frmcommutation_Close();
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace rl4::test
