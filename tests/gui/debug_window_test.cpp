// The debug window over the program's engine: its controls drive the loops, a loop keeps the windows
// answering, and nothing else sends while it runs.

#include "engine/menu_ids.h"
#include "tool_rig.h"

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

// Acts when a step of a loop is done, as the operator would while the loop paints the windows.
struct StepHook : EngineListener {
    void debugStepDone() override {
        ++steps;
        if (act)
            act();
    }
    int steps = 0;
    std::function<void()> act;
};

class DebugWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig.connect(5);
        rig.hub.join(&hook);
        rig.commands.frm1_MenuEvent(menu_id::kDebug);
        window = rig.tools.window(menu_id::kDebug);
        ASSERT_NE(window, nullptr);
        window->show();
        control<QCheckBox>("chkdebugv")->setChecked(true);
        rig.takeWritten();
    }
    void TearDown() override { rig.hub.leave(&hook); }

    template <typename Control>
    Control* control(const char* name) {
        return rig.control<Control>(menu_id::kDebug, name);
    }
    void click(const char* name) { control<QPushButton>(name)->click(); }

    ToolRig rig;
    StepHook hook;
    QWidget* window = nullptr;
};

TEST_F(DebugWindowTest, EscapeInAPauseEndsTheLoopWithinOneStep) {
    EXPECT_EQ(control<QComboBox>("cbdebugie")->count(), 4);
    EXPECT_EQ(control<QComboBox>("cbdebugoe")->currentText(), "3");
    control<QSlider>("slidebugspeed")->setValue(control<QSlider>("slidebugspeed")->maximum());
    std::int64_t escapedAt = 0;
    hook.act = [&] {
        // Neither the main window's commands nor a second loop may send meanwhile.
        rig.commands.frm1_MenuEvent(menu_id::kReadStatus);
        rig.engine.debug().readvideo1_Click();
        EXPECT_FALSE(control<QPushButton>("cmddebugread")->isEnabled());
        if (hook.steps == 2) {
            escapedAt = rig.clock.nowMicros();
            QCoreApplication::postEvent(window,
                                        new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };
    click("cmddebugread");
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{{0x02, 'v', 1, 0, 0x03}, {0x02, 'v', 2, 0, 0x03}}));
    EXPECT_LE(rig.clock.nowMicros() - escapedAt, std::int64_t{DebugModel::kPauseSliceMillis} * 1000);
    EXPECT_EQ(control<QLabel>("lbldebug")->text(), "read 2");
    EXPECT_TRUE(control<QPushButton>("cmddebugread")->isEnabled());
    EXPECT_FALSE(rig.engine.busy());
}

TEST_F(DebugWindowTest, CountersTurnRedOnAMissingAnswerAndGreenOnReset) {
    rig.echo = false;
    hook.act = [&] { click("cmdstopdebug"); };
    click("readvideo1");
    const auto colour = [&](const char* name) {
        return control<QLabel>(name)->palette().color(QPalette::Window);
    };
    EXPECT_EQ(control<QLabel>("lbldebugerror")->text(), "1");
    EXPECT_EQ(control<QLabel>("lbldebugshot")->text(), "1 ");
    EXPECT_EQ(colour("lbldebugerror"), QColor(255, 0, 0));
    EXPECT_EQ(rig.clock.beeps(), 1);
    click("cmddebugreset");
    EXPECT_EQ(control<QLabel>("lbldebugerror")->text(), "none ");
    EXPECT_EQ(control<QLabel>("lbldebugshot")->text(), "none ");
    EXPECT_EQ(colour("lbldebugshot"), QColor(0, 255, 0));
}

} // namespace
} // namespace rl4::test
