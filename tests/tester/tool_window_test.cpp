// The window offscreen, and the protocol program itself against the software matrix.

#include "platform/port_map.h"
#include "platform/system_clock.h"
#include "platform/text_file.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "tester/qt_tool_prompt.h"
#include "tester/tool_port.h"
#include "tester/tool_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <gtest/gtest.h>

namespace rl4::tester {
namespace {

QString labelText(QWidget& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(name);
    return label ? label->text() : "(missing)";
}

TEST(ToolWindow, ControlsMenusAndPanels) {
    test::TempFolder folder;
    FakeClock clock;
    test::MemoryPortOpener opener(clock, toolTimeouts());
    QtToolPrompt prompt;
    ProtocolTool tool(folder.folder(), opener, clock, prompt);
    tool.ReadToolSettings();
    ToolWindow window(tool);
    window.show();
    tool.OpenPort();
    window.runPass();

    EXPECT_EQ(window.windowTitle(), "Brevant Electronics - ZQ Matrix Protocol Controller V4.07");
    for (const char* name : {"cbfunct",     "lbl1",         "lbl2",    "cblayer",  "lbl3",
                             "cbinput",     "udin",         "lbl4",    "cboutput", "udout",
                             "optdec",      "opthex",       "cmdsend", "chksend",  "chkaudiomonitor",
                             "cmdcyclique", "cmdsendsalve", "cmdport", "tb1",      "sb1",
                             "lbl10",       "lbl11",        "tmr1"})
        EXPECT_NE(window.findChild<QObject*>(name), nullptr) << name;
    EXPECT_EQ(labelText(window, "lblmode"), "76h");
    EXPECT_EQ(labelText(window, "sending status"), "reading switch at 00:00:01");
    EXPECT_EQ(window.findChild<QLabel*>("panel3")->toolTip(), "RGBhv Size");
    EXPECT_EQ(window.findChild<QToolBar*>("tb1")->actions().back()->toolTip(), "Save");
    EXPECT_EQ(window.findChild<QPushButton*>("cmdport")->text(), "com 2");

    // A read function hides the value list and its up-down control.
    emit window.findChild<QComboBox*>("cbfunct")->activated(3);
    EXPECT_FALSE(window.findChild<QComboBox*>("cbinput")->isVisible());
    EXPECT_FALSE(window.findChild<QWidget*>("udin")->isVisible());
    EXPECT_EQ(labelText(window, "lbl4"), "Input");
    window.findChild<QWidget*>("udout")->findChild<QToolButton*>("up")->click();
    EXPECT_EQ(window.findChild<QComboBox*>("cboutput")->currentText(), "2");

    QStringList menu;
    for (QAction* top : window.menuBar()->actions())
        for (QAction* entry : top->menu()->actions())
            menu << entry->text();
    EXPECT_EQ(menu.join('|'), "&New|&Open ...|&Save|Save &as ...||E&xit|Cu&t|&Copy|&Paste");
    window.findChild<QAction*>("menu105")->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(readTextLines(folder.path("protocol.set"))->at(1), "3");
}

TEST(ToolWindow, ReadsTheSelectedFunctionFromTheMatrixAtStart) {
    test::TempFolder folder;
    const std::string pty = folder.path("matrix");
    test::SimProcess sim({"--pty", pty, "--log", folder.path("matrix.log")});
    ASSERT_TRUE(sim.waitReady());
    ASSERT_EQ(writeTextLines(folder.path(kPortMapFile), {"2=" + pty}), "");

    ToolPortOpener opener(PortMap::load(folder.folder(), kPortMapFile));
    SystemClock clock;
    QtToolPrompt prompt;
    ProtocolTool tool(folder.folder(), opener, clock, prompt);
    tool.ReadToolSettings();
    ToolWindow window(tool);
    window.show();
    tool.OpenPort();
    window.startLoop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return labelText(window, "lblrepl5") == "03h"; }, 5000));
    EXPECT_EQ(labelText(window, "lblrepl1") + labelText(window, "lblrepl2") + labelText(window, "lblrepl3") +
                  labelText(window, "lblrepl4"),
              "02h76h01h00h");
    EXPECT_EQ(window.findChild<QComboBox*>("cbinput")->currentText(), "unused");
    window.close();
    EXPECT_EQ(readTextLines(folder.path("matrix.log"))->front(), "RX 02 76 01 00 03");
}

TEST(ToolWindow, ChoiceBoxAnswersTheButtonNumberAndClosingIsTheLast) {
    QtToolPrompt prompt;
    for (const auto& [press, expected] : {std::pair{"Com3", 3}, std::pair{"", 5}}) {
        QTimer::singleShot(0, [press = QString(press)] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(box->findChild<QPushButton*>("Com2")->isDefault());
            if (press.isEmpty())
                box->close();
            else
                box->findChild<QPushButton*>(press)->click();
        });
        EXPECT_EQ(prompt.choiceBox("Select port:|Com1|Com2|Com3|Com4|Cancel", 2), expected);
    }
}

// The program's exit status and what it printed.
std::pair<int, std::string> runProtocol(const std::string& args) {
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " RL4_PROTOCOL " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(ToolProgram, HelpWithoutADisplayAndWrongUsage) {
    const auto [helpStatus, help] = runProtocol("--help");
    EXPECT_EQ(helpStatus, 0);
    EXPECT_EQ(help.rfind("Usage: protocol [--data DIR]\n", 0), 0u) << help;
    const auto [status, error] = runProtocol("--port 3");
    EXPECT_EQ(status, 64);
    EXPECT_NE(error.find("unknown option '--port'"), std::string::npos) << error;
}

} // namespace
} // namespace rl4::tester

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
