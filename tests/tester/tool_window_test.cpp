// The window offscreen, and the protocol program itself against the software matrix.

#include "platform/text_file.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/sim_process.h"
#include "support/temp_folder.h"
#include "tester/qt_language.h"
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
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <optional>
#include <tuple>

namespace rl4::tester {
namespace {

QString labelText(QWidget& window, const char* name) {
    const auto* label = window.findChild<QLabel*>(name);
    return label ? label->text() : "(missing)";
}

// The tool on memory and the fake clock, its settings read before the window is built on them.
struct OffscreenTool {
    explicit OffscreenTool(Language language = Language::English)
        : tool(folder.folder(), opener, clock, prompt, language) {}
    static ProtocolTool& settingsRead(ProtocolTool& tool) {
        tool.ReadToolSettings();
        return tool;
    }
    test::TempFolder folder;
    FakeClock clock;
    test::MemoryPortOpener opener{clock, toolTimeouts()};
    QtToolPrompt prompt;
    ProtocolTool tool;
    ToolWindow window{settingsRead(tool)};
};

TEST(ToolWindow, ControlsMenusAndPanels) {
    OffscreenTool offscreen;
    ToolWindow& window = offscreen.window;
    window.show();
    offscreen.tool.OpenPort();
    window.runPass();

    EXPECT_EQ(labelText(window, "lblmode"), "76h");
    EXPECT_EQ(labelText(window, "sending status"), "reading switch at 00:00:01");
    EXPECT_EQ(window.findChild<QToolBar*>("tb1")->actions().back()->toolTip(), "Save");
    EXPECT_EQ(window.findChild<QPushButton*>("cmdport")->text(), "com 2");

    // A read function hides the value list and its up-down control.
    emit window.findChild<QComboBox*>("cbfunct")->activated(3);
    EXPECT_FALSE(window.findChild<QComboBox*>("cbinput")->isVisible());
    EXPECT_FALSE(window.findChild<QWidget*>("udin")->isVisible());
    EXPECT_EQ(labelText(window, "lbl4"), "Input");
    window.findChild<QWidget*>("udout")->findChild<QToolButton*>("up")->click();
    EXPECT_EQ(window.findChild<QComboBox*>("cboutput")->currentText(), "2");

    window.findChild<QAction*>("menu105")->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(readTextLines(offscreen.folder.path("protocol.set"))->at(1), "3");
}

TEST(ToolWindow, InFrenchWithQtsOwnTexts) {
    const QtLanguage qtFrench(Language::French);
    ASSERT_TRUE(qtFrench.loaded()) << QtLanguage::translationsFolder().toStdString();
    OffscreenTool offscreen(Language::French);
    ToolWindow& window = offscreen.window;
    const QStringList shown = {
        window.windowTitle(),
        labelText(window, "lbl1"),
        window.findChild<QPushButton*>("cmdsendsalve")->text(),
        window.menuBar()->actions().front()->text(),
        window.findChild<QLabel*>("panel1")->toolTip(),
        window.findChild<QComboBox*>("cbfunct")->itemText(0),
        QCoreApplication::translate("QPlatformTheme", "Cancel"),
    };
    EXPECT_EQ(shown.join('|'),
              "Brevant Electronics - ZQ Matrix Protocol Controller V4.07|Fonction|Envoi continu|"
              "&Fichier|Taille vidéo|Commutation : Écriture|Annuler");
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

// The program's exit status and what it printed, without a display and in the locale given.
std::pair<int, std::string> runProtocol(const std::string& locale, const std::string& args) {
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LC_ALL -u LC_MESSAGES "
        "-u LANG " +
        locale + " " RL4_PROTOCOL " " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (pipe && fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(ToolProgram, HelpWithoutADisplayAndWrongUsageInTheUsersLanguage) {
    // The locale and the arguments, then the exit status and how the output starts.
    const std::tuple<const char*, const char*, int, const char*> rows[] = {
        {"", "--help", 0, "Usage: protocol [--data DIR] [--lang LANG]\n"},
        {"LANG=fr_FR.UTF-8", "-h", 0, "Usage : protocol [--data DOSSIER] [--lang LANGUE]\n"},
        {"", "--port 3", 64, "protocol: unknown option '--port'\nTry 'protocol --help'.\n"},
    };
    for (const auto& [locale, args, exitStatus, start] : rows) {
        const auto [status, output] = runProtocol(locale, args);
        EXPECT_EQ(status, exitStatus) << args;
        EXPECT_EQ(output.rfind(start, 0), 0u) << output;
    }
}

// Told to end by the system, the program closes its window as the operator would: its settings are written.
// Without a matrix it is stopped at start on the message box that says the port is missing; with one, in
// its polling loop.
TEST(ToolProgram, ASignalClosesTheWindowAndWritesTheSettings) {
    for (const auto& [signal, withMatrix] : {std::pair{SIGTERM, false}, std::pair{SIGINT, true}}) {
        const bool onMatrix = withMatrix; // a lambda below reads it, and clang 14 captures no bindings
        test::TempFolder folder;
        const std::string pty = folder.path("matrix");
        const std::string log = folder.path("matrix.log");
        std::optional<test::SimProcess> sim;
        if (onMatrix) {
            sim.emplace(std::vector<std::string>{"--pty", pty, "--log", log});
            ASSERT_TRUE(sim->waitReady());
        }
        ASSERT_EQ(
            writeTextLines(folder.path(kPortMapFile), {"2=" + (onMatrix ? pty : folder.path("absent"))}), "");
        const std::string settings = folder.path("protocol.set");
        test::SimProcess program(RL4_PROTOCOL, {"--data", folder.folder()});
        const auto started = [&] {
            if (!onMatrix)
                return fileExists(settings);
            const auto lines = readTextLines(log);
            return lines && !lines->empty() && lines->front() == "RX 02 76 01 00 03";
        };
        ASSERT_TRUE(QTest::qWaitFor(started, 10000)) << program.errorsContaining("", 0);
        program.signal(signal);
        EXPECT_EQ(program.wait(10000), 0) << "signal " << signal;
        // The start writes channel 0; the closing writes the channel the window shows, output 1.
        const auto lines = readTextLines(settings);
        ASSERT_TRUE(lines && lines->size() == 15u);
        EXPECT_EQ(lines->at(4), "1") << "signal " << signal;
    }
}

// The pictures of the documentation: the tool on the software matrix, offscreen, in both languages.
TEST(ToolProgram, ScreenshotsDrawEveryPicture) {
    test::TempFolder folder;
    test::SimProcess shots(RL4_PROTOCOL_SCREENSHOTS, {folder.path("shots")});
    EXPECT_EQ(shots.wait(30000), 0) << shots.errorsContaining("", 0);
    for (const char* name : {"protocol_hex", "protocol_decimal", "protocol_port_choice", "protocol_french",
                             "protocol_french_port_choice"})
        EXPECT_TRUE(test::fileBytes(folder.path("shots/") + name + ".png").starts_with("\x89PNG")) << name;
}

} // namespace
} // namespace rl4::tester
