#include "engine/main_menu.h"
#include "engine/menu_ids.h"
#include "platform/text_file.h"
#include "support/engine_rig.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using namespace menu_id;

struct StartedRig : EngineRig {
    explicit StartedRig(RigOptions options = {}) : EngineRig(options) {
        start();
        takeReceived();
        listener.take();
        prompt.questions.clear();
    }
};

TEST(MainCommands, WhileTheEditorIsOpenEveryCommandIsRefused) {
    StartedRig rig;
    rig.engine.assignmentEditorOpened();
    std::vector<int> ids{kDisconnectAll, 999};
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
    EXPECT_TRUE(rig.takeReceived().empty());
    EXPECT_TRUE(rig.listener.take("window").empty());
    EXPECT_TRUE(rig.engine.sheet().showAll());
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.commands.frm1_MenuEvent(kSwitcherControl);
    EXPECT_EQ(rig.prompt.questions.back().text, "Veuillez fermer la fenêtre déassignations.");
}

TEST(MainCommands, ToolWindowsLoadOnceAtTheirSavedPlaceAndCarryTheirChecks) {
    StartedRig rig;
    rig.engine.settings().switcherWindow = {120, 340};
    EXPECT_FALSE(rig.commands.menuChecked(kSwitcherControl));
    rig.commands.lvcom_DblClick();
    EXPECT_EQ(rig.engine.switcher().place(), (WindowPlace{120, 340}));
    rig.engine.switcher().frmcommutation_Move({130, 350});
    for (int id : {kSwitcherControl, kHistory, kHistory})
        rig.commands.frm1_MenuEvent(id);
    // Asked again, each window is brought to the front where it stands, not loaded anew.
    EXPECT_EQ(rig.listener.take("window"), (Lines{"window 206", "window 206", "window 205", "window 205"}));
    EXPECT_EQ(rig.engine.switcher().place(), (WindowPlace{130, 350}));
    EXPECT_TRUE(rig.commands.menuChecked(kHistory) && rig.commands.menuChecked(kSwitcherControl));
    EXPECT_TRUE(rig.engine.link().historyOpen());

    rig.geometry = {{10, 20}, 8000, 12000};
    rig.engine.history().frmhisto_Close();
    EXPECT_FALSE(rig.commands.menuChecked(kHistory) || rig.engine.link().historyOpen());
    const WorkspaceLayout layout = rig.commands.workspaceLayout();
    EXPECT_EQ(layout.mainWindow, (WindowPlace{10, 20}));
    EXPECT_EQ(layout.mainWidth, 12000);
    EXPECT_EQ(layout.switcherWindow, (WindowPlace{130, 350}));
    EXPECT_FALSE(layout.historyWindow.has_value());

    for (int id : {kSetUp, kDebug, menu_id::kSpecialFunctions, kMatrixInfo, kAssignmentEditor, kHelp, 999})
        rig.commands.frm1_MenuEvent(id);
    EXPECT_EQ(rig.listener.take("window"),
              (Lines{"window 107", "window 307", "window 308", "window 502", "window 401"}));
    EXPECT_TRUE(rig.engine.config().visible());
    EXPECT_TRUE(rig.engine.assignmentEditorOpen());
    EXPECT_EQ(rig.commands.matrixInfo().lblinfoport, "The port 1 is open");

    // The switcher was moved: closing asks once whether to keep the workspace, then closes the tool windows.
    rig.engine.editor().frmagn_Load();
    rig.engine.editor().frmagn_Close();
    rig.prompt.answer(kAnswerNo);
    rig.commands.frm1_Close();
    EXPECT_EQ(rig.prompt.questions.back().text, "Save the workspace as shown on this screen?");
    EXPECT_EQ(rig.prompt.unusedAnswers(), 0U);
    EXPECT_FALSE(rig.engine.switcher().isOpen());

    StartedRig saved;
    saved.engine.settings().historyOpen = true;
    saved.commands.openSavedWindows();
    EXPECT_EQ(saved.listener.take("window"), Lines{"window 205"});
    EXPECT_FALSE(saved.engine.switcher().isOpen());
}

TEST(MainCommands, CommandsSendTheirFramesInTheirForm) {
    StartedRig rig;
    const struct {
        int length, id;
        std::vector<Frame> frames;
    } cases[] = {
        {5, kOsdRefresh, {}}, // no OSD in the 5-byte form
        {5, kStoreStatus, {five('S', 83, 83)}},
        {5, kAllVcaMaximum, {five('N', 1, 31), five('N', 2, 31), five('N', 3, 31)}},
        {4, kOsdRefresh, {four(57, 2, 0, 0)}},
        {4, kAllVcaMinimum, {four(21, 1, 0, 1), four(21, 1, 0, 2), four(21, 1, 0, 3)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        rig.engine.link().setProtocolLength(c.length);
        rig.commands.frm1_MenuEvent(c.id);
        EXPECT_EQ(rig.takeReceived(), c.frames);
    }
    rig.commands.frm1_MenuEvent(kReadStatus);
    EXPECT_EQ(rig.takeReceived().at(0), four(5, 1, 0, 0));
}

TEST(MainCommands, SheetModesQuitKeysAndWorkspace) {
    StartedRig rig;
    const auto shw = [&](int d) { return rig.engine.assignments().activeTable.destinations[d].Shw; };
    rig.commands.frm1_MenuEvent(kShowSelected); // the Recorder is not selected
    EXPECT_TRUE(rig.commands.menuChecked(kShowSelected));
    EXPECT_FALSE(rig.commands.menuChecked(kShowAll));
    EXPECT_EQ(rig.engine.sheet().rows().size(), 3U);
    rig.commands.frm1_MenuEvent(kDeselectAll);
    EXPECT_EQ(shw(kProjector), 0);
    rig.commands.frm1_MenuEvent(kShowAll);
    rig.commands.frm1_MenuEvent(kSelectAll);
    EXPECT_TRUE(rig.commands.menuChecked(kShowAll));
    EXPECT_EQ(shw(kRecorder), -1);

    rig.commands.tb1_ButtonClick(5);
    EXPECT_EQ(rig.listener.take("quit"), Lines{"quit"});
    rig.commands.frm1_KeyPress(65);
    EXPECT_EQ(rig.prompt.questions.back().text, " 65");

    rig.geometry = {{300, 400}, 9000, 10000};
    rig.prompt.answer(kAnswerYes);
    rig.commands.frm1_MenuEvent(kSaveWorkspace);
    EXPECT_EQ(rig.prompt.questions.back().title, "Routelane Workspace");
    const Lines settings = rig.readLines("routelane4.set");
    EXPECT_EQ((Lines{settings.at(2), settings.at(3), settings.at(4)}), (Lines{"300", "400", "9000"}));
    rig.engine.settings().connexionPath = "/data/show.cnx";
    EXPECT_EQ(rig.commands.frm1_MenuOver(kSaveConnexionFile),
              "Saves the connexions in the file called: /data/show.cnx");
}

// Opening downloads a connexion file and shows it in the title; saving writes the current file, or asks as
// "save as" does when that is no connexion file; "save as" takes a new name and leaves the title. A
// cancelled dialog, another extension, or a file that cannot be read or written changes nothing but the
// message.
TEST(MainCommands, ConnexionFileCommandsChangeStateOnlyWhenTheFileWasReadOrWritten) {
    using Kind = AskedQuestion::Kind;
    using enum AskedQuestion::Kind;
    const std::string kCurrent = "routelane4.cnx";
    const struct {
        int id;
        std::string current, answer; // the current connexion file; the file dialog's answer
        std::vector<Kind> asked;
        std::string after; // the current connexion file afterwards
        bool titled, written;
    } cases[] = {
        {kOpenConnexionFile, kCurrent, "", {OpenFile}, kCurrent, false, false},
        {kOpenConnexionFile, kCurrent, "notes.txt", {OpenFile}, kCurrent, false, false},
        {kOpenConnexionFile, kCurrent, "locked.cnx", {OpenFile, MessageBox}, kCurrent, false, false},
        {kOpenConnexionFile, kCurrent, "show.cnx", {OpenFile}, "show.cnx", true, false},
        {kSaveConnexionFile, "current.cnx", "", {}, "current.cnx", false, true},
        {kSaveConnexionFile, "current.txt", "saved.cnx", {SaveFile}, "saved.cnx", false, true},
        {kSaveConnexionFileAs, kCurrent, "", {SaveFile}, kCurrent, false, false},
        {kSaveConnexionFileAs, kCurrent, "saved.cnx", {SaveFile}, "saved.cnx", false, true},
        {kSaveConnexionFileAs, kCurrent, "missing/saved.cnx", {SaveFile, MessageBox}, kCurrent, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.id) + " " + c.current + " " + c.answer);
        StartedRig rig({.matrixPort = 0, .matrix = {}});
        rig.writeConnexions({"  1|  2|  0|  0|  0| 31"}, "show.cnx");
        std::filesystem::create_symlink("/proc/self/mem", rig.path("locked.cnx"));
        std::filesystem::remove(rig.path(kCurrent));
        rig.engine.settings().connexionPath = rig.path(c.current);
        rig.engine.routing().wanted(Layer::Video, 1) = 4;
        rig.engine.routing().setConnexionsChanged(true);
        if (!c.asked.empty())
            rig.prompt.answerPath(c.answer.empty() ? "" : rig.path(c.answer));

        const std::string title = rig.engine.title();
        rig.commands.frm1_MenuEvent(c.id);
        std::vector<Kind> asked;
        for (const AskedQuestion& question : rig.prompt.questions)
            asked.push_back(question.kind);
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(rig.engine.settings().connexionPath, rig.path(c.after));
        EXPECT_EQ(rig.engine.title() != title, c.titled);
        EXPECT_TRUE(rig.engine.title().ends_with("Connexion sheet /" + (c.titled ? c.after : kCurrent)));
        EXPECT_EQ(fileExists(rig.path(c.after)) && c.after != "show.cnx", c.written);
        EXPECT_EQ(rig.engine.routing().connexionsChanged(), c.after == kCurrent);
        EXPECT_EQ(rig.engine.routing().wanted(Layer::Video, 1), c.titled ? 2 : 4);
    }
}

// A file that is not an assignment is the operator's: the default table stands in for it, and a change of
// the selection marks is not written over it at shutdown.
TEST(MainCommands, ShutdownLeavesAFileThatIsNoAssignmentAsItWas) {
    StartedRig rig;
    std::string random;
    for (int i = 0; i < 65536; ++i)
        random += static_cast<char>((i * 2654435761U) >> 24);
    const std::string path = rig.path("routelane4.agn");
    writeBytes(path, random);
    rig.engine.loadAssignment();
    ASSERT_EQ(rig.prompt.questions.size(), 1u);
    EXPECT_TRUE(rig.prompt.questions[0].text.starts_with("The file " + path + " is not an assignment file."));
    EXPECT_EQ(rig.engine.assignments().activeTable.destinations[4].name, "Dest 4");

    rig.commands.frm1_MenuEvent(kDeselectAll);
    ASSERT_TRUE(rig.engine.assignments().assignmentsChanged());
    rig.commands.frm1_Close();
    EXPECT_EQ(fileBytes(path), random);
}

} // namespace
} // namespace rl4::test
