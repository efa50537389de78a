// The debug window over the program's engine: a loop keeps the windows answering, Escape ends it within
// one step, nothing else sends meanwhile, and the counters take their colours.

#include "engine/menu_ids.h"
#include "window_rig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <functional>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

template <typename Control>
Control* find(WindowRig& rig, const char* name) {
    return &rig.control<Control>(menu_id::kDebug, name);
}

// Acts as the operator would when a step of a loop is done.
struct StepHook : EngineListener {
    void debugStepDone() override { act(++steps); }
    int steps = 0;
    std::function<void(int)> act;
};

TEST(DebugWindowTest, EscapeInAPauseEndsTheLoopAndTheCountersShowTheOutcome) {
    RigOptions options;
    options.matrix.silentRefusals = true;
    WindowRig rig(options);
    StepHook hook;
    rig.start();
    rig.hub.join(&hook);
    rig.commands.frm1_MenuEvent(menu_id::kDebug);
    QWidget* window = rig.tools.window(menu_id::kDebug);
    ASSERT_NE(window, nullptr);
    window->show();
    EXPECT_EQ(find<QComboBox>(rig, "cbdebugie")->count(), kBlackSource);
    EXPECT_EQ(find<QComboBox>(rig, "cbdebugoe")->currentText(), QString::number(kProjector));
    for (const char* box : {"chkdebuga", "chkdebugr", "chkdebugy"})
        find<QCheckBox>(rig, box)->setChecked(false);
    find<QCheckBox>(rig, "chkdebugv")->setChecked(true);
    find<QSlider>(rig, "slidebugspeed")->setValue(DebugModel::kSpeedMaximum);
    QPushButton* read = find<QPushButton>(rig, "cmddebugread");
    rig.engine.debug().choices().cycleLimit = 2; // a loop that missed the Escape ends all the same
    rig.rig.takeReceived();

    std::int64_t escapedAt = 0;
    hook.act = [&](int step) {
        rig.commands.frm1_MenuEvent(menu_id::kReadStatus);
        rig.engine.debug().readvideo1_Click();
        EXPECT_FALSE(read->isEnabled());
        rig.rig.matrix().setRefusals([] { return true; }); // the second read goes unanswered
        if (step == 2) {
            escapedAt = rig.rig.clock.nowMicros();
            QCoreApplication::postEvent(window,
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };
    read->click();
    EXPECT_EQ(rig.rig.takeReceived(), (std::vector<Frame>{five('v', 1, 0), five('v', 2, 0)}))
        << "neither the main window's commands nor a second loop sent";
    EXPECT_LE(rig.rig.clock.nowMicros() - escapedAt, std::int64_t{DebugModel::kPauseSliceMillis} * 1000);
    EXPECT_TRUE(read->isEnabled());
    EXPECT_FALSE(rig.engine.busy());

    const auto counter = [&](const char* name) {
        QLabel* label = find<QLabel>(rig, name);
        return label->text() + " " + label->palette().color(QPalette::Window).name();
    };
    EXPECT_EQ(counter("lbldebugerror"), "1 #ff0000");
    EXPECT_EQ(rig.rig.clock.beeps(), 1);
    find<QPushButton>(rig, "cmddebugreset")->click();
    EXPECT_EQ(counter("lbldebugshot"), "none  #00ff00");
    rig.hub.leave(&hook);
}

} // namespace
} // namespace rl4::test
