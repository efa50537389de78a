// The demonstration as scripts/demo and the screenshots run it: the software matrix on a pseudo-terminal with
// the crosspoints of its panel, a session on the demo's program folder in French, and a picture of every
// window.

#include "gui/debug_window.h"
#include "gui/gui_demo.h"
#include "gui/gui_editor_factory.h"
#include "gui/gui_session.h"
#include "gui/gui_tool_window_factories.h"
#include "gui/script_prompt.h"
#include "support/temp_folder.h"
#include "window_rig.h"

#include <QDir>
#include <QTest>

namespace rl4::test {
namespace {

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
