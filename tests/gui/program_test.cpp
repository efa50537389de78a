// The window program as it runs: routelane4 itself searching a silent pseudo-terminal and ended by a
// signal, its message boxes, and the demonstration as scripts/demo and the screenshots run it.

#include "gui/debug_window.h"
#include "gui/gui_demo.h"
#include "gui/gui_editor_factory.h"
#include "gui/gui_session.h"
#include "gui/gui_tool_window_factories.h"
#include "gui/qt_prompt.h"
#include "gui/script_prompt.h"
#include "platform/pty_pair.h"
#include "support/engine_rig.h"
#include "support/sim_process.h"
#include "window_rig.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

// No matrix on any port: the start-up tells so in a message box nobody answers; the signal closes it and
// the shutdown runs, its store in the frame log. The last port searched is a silent line where the search
// is seen to end; the others lead to paths that do not exist.
TEST(Routelane4Program, ATerminationClosesTheQuestionsItFindsOnTheScreen) {
    PtyPair silentLine;
    TempFolder folder;
    writeCrLf(folder.path("routelane4.set"), settingsLines(folder.folder(), 5, 1));
    writeCrLf(folder.path("routelane4.agn"), sampleAssignmentLines());
    Lines ports;
    for (int n = 1; n <= 8; ++n)
        ports.push_back(std::to_string(n) + "=" + (n == 8 ? silentLine.slavePath() : folder.path("absent")));
    writeCrLf(folder.path("routelane4.ports"), ports);
    const std::string frameLog = folder.path("frames.csv");
    SimProcess routelane4(RL4_ROUTELANE4, {"--data", folder.folder(), "--log", frameLog});
    // The identity request in the 4-byte form, then in the 5-byte form: the search's last frames.
    const Bytes lastAttempts{0x3D, 0x80, 0x80, 0x81, 0x02, 0x78, 0x78, 0x78, 0x03};
    ASSERT_EQ(silentLine.receive(lastAttempts.size(), 20000), lastAttempts);
    routelane4.signal(SIGTERM);
    EXPECT_EQ(routelane4.wait(20000), 0);
    const Lines settings = readCrLf(folder.path("routelane4.set"));
    ASSERT_EQ(settings.size(), 27u);
    EXPECT_EQ(settings[0], "4") << "the length in force without a matrix, written at the shutdown";
    // The log takes every exchange, the history window shut; the shutdown's store, in that length, last.
    const Lines logged = readCrLf(frameLog);
    ASSERT_FALSE(logged.empty());
    EXPECT_NE(logged.back().find(",03.80.80.81,"), std::string::npos) << logged.back();
}

TEST(Routelane4Program, TellsItsUsage) {
    SimProcess help(RL4_ROUTELANE4, {"--help"});
    EXPECT_TRUE(help.readLine(20000).value_or("").starts_with("Usage: routelane4"));
    EXPECT_EQ(help.wait(20000), 0);
    SimProcess wrong(RL4_ROUTELANE4, {"--bogus"});
    EXPECT_NE(wrong.errorsContaining("unknown option", 20000).find("routelane4: unknown option '--bogus'"),
              std::string::npos);
    EXPECT_EQ(wrong.wait(20000), 64);
    SimProcess noLog(RL4_ROUTELANE4, {"--log", "/nonexistent/frames.csv"});
    const std::string unwritable = "cannot write the frame log /nonexistent/frames.csv: ";
    EXPECT_NE(noLog.errorsContaining(unwritable, 20000).find(unwritable), std::string::npos);
    EXPECT_EQ(noLog.wait(20000), 66);
}

// Presses the button with `text` of the message box that will be open once the event loop runs.
void pressWhenShown(const QString& text, QStringList* seen) {
    QTimer::singleShot(0, [text, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons())
            seen->append(button->text());
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove('&') == text)
                return button->click();
        box->reject();
    });
}

TEST(QtPrompt, AnswersAreTheProgramsNumbersAndAClosedBoxIsDismissed) {
    EXPECT_EQ(qtFileFilter("Assignments|*.agn|All|*.agn;*.cnx"), "Assignments (*.agn);;All (*.agn *.cnx)");
    QtPrompt prompt;
    QStringList seen;
    const struct {
        const char* press;
        PromptButtons buttons;
        int answer;
    } boxes[] = {{"Yes", PromptButtons::YesNo, kAnswerYes},
                 {"No", PromptButtons::YesNo, kAnswerNo},
                 {"Cancel", PromptButtons::OkCancel, kAnswerCancel},
                 {"OK", PromptButtons::Ok, kAnswerOk}};
    for (const auto& box : boxes) {
        pressWhenShown(box.press, &seen);
        EXPECT_EQ(prompt.messageBox("Save?", box.buttons, "Routelane Change", PromptIcon::Question),
                  box.answer)
            << box.press;
    }
    seen.clear();
    const std::string recall = "Recall status from:|Setup#1|Setup#2|Cancel";
    pressWhenShown("Setup#2", &seen);
    EXPECT_EQ(prompt.choiceBox(recall, "", 1, PromptIcon::None), 2);
    EXPECT_EQ(seen, (QStringList{"Setup#1", "Setup#2", "Cancel"}));

    // Escape or the close box: the last button is no answer the operator gave.
    for (const bool escape : {true, false}) {
        QTimer::singleShot(0, [escape] {
            QWidget* box = QApplication::activeModalWidget();
            escape ? QTest::keyClick(box, Qt::Key_Escape) : void(box->close());
        });
        EXPECT_EQ(prompt.choiceBox("Select your language:|English|Français", "", 1, PromptIcon::Exclamation),
                  kChoiceDismissed);
    }
    // Once nobody is there, nothing is shown and every question gets the answer of a closed box.
    prompt.leaveUnattended();
    EXPECT_EQ(prompt.choiceBox(recall, "", 1, PromptIcon::None), kChoiceDismissed);
    EXPECT_EQ(prompt.messageBox("Save?", PromptButtons::YesNo, "", PromptIcon::Question), kAnswerNo);
    EXPECT_EQ(prompt.saveFileDialog("Save", "Connexions.cnx|*.cnx", "cnx", ""), "");
}

// The software matrix on a pseudo-terminal with the crosspoints of its panel, a session on the demo's program
// folder in French, and a picture of every window.
TEST(Demo, FindsItsMatrixWithThePanelsCrosspointsAndDrawsEveryWindow) {
    std::string error;
    const std::unique_ptr<DemoMatrix> demo = DemoMatrix::start(RL4_ROUTELANE4, kLanguageFrench, error);
    ASSERT_NE(demo, nullptr) << error;
    ScriptPrompt prompt;
    GuiSession session(demo->folder(), prompt);
    session.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.startedUp(); }, 20000));
    EXPECT_EQ(session.engine().link().portNumber(), 1);
    const auto& sheet = *session.mainWindow().findChild<QTableWidget*>("lvcom");
    Lines row;
    for (int column = 0; column < sheet.columnCount(); ++column)
        row.push_back(cell(sheet, 1, column));
    EXPECT_EQ(row, (Lines{" 2", "Monitor 2", "Camera 2", "Player A", "", "Camera 2"})) << "no RGB output";

    TempFolder shots;
    const QString folder = QString::fromStdString(shots.folder());
    EXPECT_TRUE(saveEditorScreenshots(folder, "fr", session.commands(), session.toolWindows()));
    EXPECT_TRUE(saveToolWindowScreenshots(folder, "fr", session.commands(), session.toolWindows()));
    EXPECT_TRUE(
        saveDebugWindowScreenshot(folder, "fr", session.commands(), session.toolWindows(), session.engine()));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 11);
    EXPECT_EQ(prompt.unscriptedQuestions(), 0);
}

} // namespace
} // namespace rl4::test
