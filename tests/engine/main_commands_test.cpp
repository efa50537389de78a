#include "engine/main_menu.h"
#include "platform/text_file.h"
#include "support/window_models_rig.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

TEST(MainCommands, WhileTheEditorIsOpenEveryCommandIsRefusedWithMessage21) {
    WindowRig rig;
    rig.connect(5);
    rig.engine.assignmentEditorOpened();
    std::vector<int> ids{105, 999};
    for (const MenuItem& submenu : mainMenu(kLanguageEnglish)) {
        ids.push_back(submenu.id);
        for (const MenuItem& item : submenu.items)
            ids.push_back(item.id);
    }
    for (int id : ids)
        rig.commands.frm1_MenuEvent(id);
    rig.commands.tb1_ButtonClick(3);
    rig.commands.lvcom_DblClick();
    rig.commands.tb1_ButtonClick(1); // the separator performs nothing, so refuses nothing either

    ASSERT_EQ(rig.prompt.questions.size(), ids.size() + 2);
    for (const AskedQuestion& question : rig.prompt.questions)
        EXPECT_EQ(question.text, "Please, close the assignment window.");
    EXPECT_TRUE(rig.written.empty());
    EXPECT_TRUE(rig.listener.windows.empty());
    EXPECT_EQ(rig.listener.quits, 0);
    EXPECT_TRUE(rig.engine.sheet().showAll());
    EXPECT_FALSE(rig.engine.link().historyOpen());

    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.commands.frm1_MenuEvent(206);
    EXPECT_EQ(rig.prompt.questions.back().text, "Veuillez fermer la fenêtre déassignations.");
    EXPECT_FALSE(rig.engine.switcher().isOpen());
}

TEST(MainCommands, ToolWindowsLoadOnceAtTheirSavedPlaceComeToTheFrontAndCarryTheirChecks) {
    WindowRig rig;
    rig.simulate(5);
    rig.engine.settings().switcherWindow = {120, 340};
    rig.engine.settings().historyWindow = {500, 60};
    EXPECT_FALSE(rig.commands.menuChecked(205));
    EXPECT_FALSE(rig.commands.menuChecked(206));

    rig.commands.lvcom_DblClick();
    EXPECT_EQ(rig.engine.switcher().place(), (WindowPlace{120, 340}));
    rig.engine.switcher().frmcommutation_Move({130, 350});
    rig.commands.frm1_MenuEvent(206);
    rig.commands.frm1_MenuEvent(205);
    rig.commands.frm1_MenuEvent(205);
    // Asked again, each window is brought to the front where it stands, not loaded anew.
    EXPECT_EQ(rig.listener.windows, (std::vector<int>{206, 206, 205, 205}));
    EXPECT_EQ(rig.engine.switcher().place(), (WindowPlace{130, 350}));
    EXPECT_TRUE(rig.commands.menuChecked(205));
    EXPECT_TRUE(rig.commands.menuChecked(206));
    EXPECT_TRUE(rig.engine.link().historyOpen());

    rig.geometry = {{10, 20}, 8000, 12000};
    rig.engine.history().frmhisto_Close();
    EXPECT_FALSE(rig.commands.menuChecked(205));
    EXPECT_FALSE(rig.engine.link().historyOpen());
    const WorkspaceLayout layout = rig.commands.workspaceLayout();
    EXPECT_EQ(layout.mainWindow, (WindowPlace{10, 20}));
    EXPECT_EQ(layout.mainWidth, 12000);
    EXPECT_EQ(layout.switcherWindow, (WindowPlace{130, 350}));
    EXPECT_FALSE(layout.historyWindow.has_value());

    for (int id : {107, 307, 308, 502, 401, 501, 999})
        rig.commands.frm1_MenuEvent(id);
    EXPECT_EQ(rig.listener.windows, (std::vector<int>{206, 206, 205, 205, 107, 307, 308, 502, 401}));
    EXPECT_TRUE(rig.engine.config().visible());
    EXPECT_TRUE(rig.engine.assignmentEditorOpen());
    EXPECT_EQ(rig.commands.matrixInfo().lblinfoport, "No port open");

    // The switcher was moved: closing asks once whether to keep the workspace, then closes the tool windows.
    rig.engine.editor().frmagn_Load();
    rig.engine.editor().frmagn_Close();
    rig.prompt.answer(kAnswerNo);
    rig.commands.frm1_Close();
    EXPECT_EQ(rig.prompt.questions.back().text, "Save the workspace as shown on this screen?");
    EXPECT_EQ(rig.prompt.unusedAnswers(), 0U);
    EXPECT_FALSE(rig.engine.switcher().isOpen());
}

TEST(MainCommands, SavedWindowsReopenAtStart) {
    WindowRig rig;
    rig.simulate(5);
    rig.engine.settings().historyOpen = true;
    rig.commands.openSavedWindows();
    EXPECT_EQ(rig.listener.windows, (std::vector<int>{205}));
    EXPECT_TRUE(rig.engine.history().isOpen());
    EXPECT_FALSE(rig.engine.switcher().isOpen());
}

TEST(MainCommands, CommandsSendTheirFramesInTheirForm) {
    WindowRig rig;
    rig.echo = false;
    rig.connect(5);
    rig.commands.frm1_MenuEvent(207); // no OSD in the 5-byte form
    EXPECT_TRUE(rig.takeWritten().empty());
    rig.commands.frm1_MenuEvent(109);
    rig.commands.frm1_MenuEvent(306);
    EXPECT_EQ(
        rig.takeWritten(),
        (std::vector<Frame>{{0x02, 'S', 83, 83, 0x03}, {0x02, 'N', 1, 31, 0x03}, {0x02, 'N', 3, 31, 0x03}}));
    rig.commands.frm1_MenuEvent(104);
    const std::vector<Frame> reading = rig.takeWritten();
    ASSERT_FALSE(reading.empty());
    EXPECT_EQ(reading.front()[1], 'v');

    rig.engine.link().setProtocolLength(4);
    rig.commands.frm1_MenuEvent(207);
    rig.commands.frm1_MenuEvent(305);
    EXPECT_EQ(
        rig.takeWritten(),
        (std::vector<Frame>{{0x39, 0x80, 0x80, 0x82}, {0x15, 0x81, 0x80, 0x81}, {0x15, 0x83, 0x80, 0x81}}));
}

TEST(MainCommands, SheetModesQuitKeysAndWorkspace) {
    WindowRig rig;
    rig.simulate(5);
    rig.engine.assignments().activeTable.destinations[2].Shw = 0;
    rig.commands.frm1_MenuEvent(202);
    EXPECT_TRUE(rig.commands.menuChecked(202));
    EXPECT_FALSE(rig.commands.menuChecked(201));
    EXPECT_EQ(rig.engine.sheet().rows().size(), 2U);
    rig.commands.frm1_MenuEvent(204);
    EXPECT_EQ(rig.engine.assignments().activeTable.destinations[3].Shw, 0);
    rig.commands.frm1_MenuEvent(201);
    rig.commands.frm1_MenuEvent(203);
    EXPECT_TRUE(rig.commands.menuChecked(201));
    EXPECT_EQ(rig.engine.assignments().activeTable.destinations[2].Shw, -1);

    rig.commands.tb1_ButtonClick(5);
    EXPECT_EQ(rig.listener.quits, 1);

    rig.commands.frm1_KeyPress(65);
    EXPECT_EQ(rig.prompt.questions.back().text, " 65");

    rig.geometry = {{300, 400}, 9000, 10000};
    rig.prompt.answer(kAnswerYes);
    rig.commands.frm1_MenuEvent(108);
    EXPECT_EQ(rig.prompt.questions.back().title, "Routelane Workspace");
    EXPECT_EQ(rig.engine.settings().mainWindow, (WindowPlace{300, 400}));
    EXPECT_EQ(rig.engine.settings().mainHeight, 9000);
    EXPECT_TRUE(std::filesystem::exists(settingsFilePath(rig.folder.folder())));

    rig.engine.settings().connexionPath = "/data/show.cnx";
    EXPECT_EQ(rig.commands.frm1_MenuOver(102), "Saves the connexions in the file called: /data/show.cnx");
}

// 101 opens and downloads a connexion file and shows it in the title; 102 saves to the current file, or asks
// as 103 does when that is no connexion file; 103 saves under a new name and leaves the title. A cancelled
// dialog, another extension, or a file that cannot be read or written changes nothing but the message.
TEST(MainCommands, ConnexionFileCommandsChangeStateOnlyWhenTheFileWasReadOrWritten) {
    using Kind = AskedQuestion::Kind;
    struct Case {
        int id;
        std::string current; // the current connexion file
        std::string answer;  // of the file dialog, when one is expected
        std::vector<Kind> asked;
        std::string after; // the current connexion file afterwards
        bool titled;       // the title shows the new file
        bool written;      // `after` was written
    };
    const std::string kCurrent = "routelane4.cnx";
    const Case cases[] = {
        {101, kCurrent, "", {Kind::OpenFile}, kCurrent, false, false},
        {101, kCurrent, "notes.txt", {Kind::OpenFile}, kCurrent, false, false},
        {101, kCurrent, "locked.cnx", {Kind::OpenFile, Kind::MessageBox}, kCurrent, false, false},
        {101, kCurrent, "show.cnx", {Kind::OpenFile}, "show.cnx", true, false},
        {102, "current.cnx", "", {}, "current.cnx", false, true},
        {102, "current.txt", "saved.cnx", {Kind::SaveFile}, "saved.cnx", false, true},
        {103, kCurrent, "", {Kind::SaveFile}, kCurrent, false, false},
        {103, kCurrent, "saved.cnx", {Kind::SaveFile}, "saved.cnx", false, true},
        {103, kCurrent, "missing/saved.cnx", {Kind::SaveFile, Kind::MessageBox}, kCurrent, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " " + c.current + " " + c.answer);
        WindowRig rig;
        rig.simulate(5);
        const ScratchFolder& folder = rig.folder;
        ScratchFolder::write(folder.path("show.cnx"), "  1|  2|  0|  0|  0| 31\r\n");
        std::filesystem::create_symlink("/proc/self/mem", folder.path("locked.cnx"));
        rig.engine.settings().connexionPath = folder.path(c.current);
        rig.engine.routing().wanted(Layer::Video, 1) = 4;
        rig.engine.routing().setConnexionsChanged(true);
        if (!c.asked.empty())
            rig.prompt.answerPath(c.answer.empty() ? "" : folder.path(c.answer));

        rig.commands.frm1_MenuEvent(c.id);
        std::vector<Kind> asked;
        for (const AskedQuestion& question : rig.prompt.questions)
            asked.push_back(question.kind);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(rig.engine.settings().connexionPath, folder.path(c.after));
        EXPECT_EQ(rig.engine.title().ends_with("Connexion sheet /" + c.after), c.titled)
            << rig.engine.title();
        EXPECT_EQ(fileExists(folder.path(c.after)) && c.after != "show.cnx", c.written);
        const bool changedNothing = c.after == kCurrent;
        EXPECT_EQ(rig.engine.routing().connexionsChanged(), changedNothing);
        EXPECT_EQ(rig.engine.routing().wanted(Layer::Video, 1), c.titled ? 2 : 4);
    }
}

// A file that is not an assignment is the operator's: the default table stands in for it, and a change of
// the selection marks is not written over it at shutdown.
TEST(MainCommands, ShutdownLeavesAFileThatIsNoAssignmentAsItWas) {
    WindowRig rig;
    rig.simulate(5);
    std::string random;
    for (int i = 0; i < 65536; ++i)
        random += static_cast<char>((i * 2654435761U) >> 24);
    const std::string path = rig.folder.path("routelane4.agn");
    ScratchFolder::write(path, random);
    rig.engine.loadAssignment();
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_TRUE(rig.prompt.questions[0].text.starts_with("The file " + path + " is not an assignment file."));
    EXPECT_EQ(rig.engine.assignments().activeTable.destinations[4].name, "Dest 4");

    rig.commands.frm1_MenuEvent(204);
    ASSERT_TRUE(rig.engine.assignments().assignmentsChanged());
    rig.commands.frm1_Close();
    EXPECT_EQ(ScratchFolder::bytes(path), random);
}

} // namespace
} // namespace rl4::test
