#include "engine/main_menu.h"
#include "engine/menu_ids.h"
#include "platform/text_file.h"
#include "support/engine_rig.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

namespace rl4::test {
namespace {

using namespace menu_id;
using namespace std::string_view_literals;

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

// Per submenu: its id, then its items' ids (0 for a separator) with a mark for greyed (-) and checkable (+)
// items, so that both languages can be compared item by item.
std::vector<std::string> shape(const std::vector<MenuItem>& bar) {
    std::vector<std::string> result;
    for (const MenuItem& submenu : bar) {
        std::string ids = std::to_string(submenu.id);
        for (const MenuItem& item : submenu.items) {
            const bool separator = item.kind == MenuItem::Kind::Separator;
            ids += " " + std::to_string(separator ? 0 : item.id);
            if (!separator)
                ids += std::string(item.enabled ? "" : "-") + (item.checkable ? "+" : "");
        }
        result.push_back(ids);
    }
    return result;
}

TEST(MainMenu, BothLanguagesBuildTheSameBarWithTheirOwnCaptions) {
    const std::vector<std::string> expected{"100 101 102 103 0 104 111- 109 110- 0 107 108 0 106",
                                            "200 201+ 202+ 0 203 204 0 206+ 0 205+ 0 207",
                                            "300 305 306 0 307 308-", "400 401", "500 501 502"};
    for (int language : {kLanguageEnglish, kLanguageFrench}) {
        // One empty entry closes each submenu, one more ends the bar.
        EXPECT_EQ(std::ranges::count(mainMenuEntries(language), ""sv), 6);
        EXPECT_EQ(shape(mainMenu(language)), expected) << "language " << language;
    }
    // Items 109, 206 and 106, by their places in the bar checked above.
    EXPECT_EQ(mainMenu(kLanguageEnglish).at(0).items.at(6).caption, "Store Current Status to the matrix\"");
    EXPECT_EQ(mainMenu(kLanguageFrench).at(1).items.at(6).caption, "Controleur de commutation");
    EXPECT_EQ(mainMenu(0).at(0).items.at(12).caption, "&Quit") << "other languages fall back to English";
}

TEST(MainMenu, BuilderReadsTheEntryFormsAndRefusesOthers) {
    const std::vector<MenuItem> bar = buildMenu(
        std::vector<std::string_view>{"#1#&One", "#11#Setup#1", "-", "#12#", "", "#2#Two", "", "", "#3#X"});
    EXPECT_EQ(shape(bar), (std::vector<std::string>{"1 11 0 12", "2"})) << "nothing is read after the end";
    EXPECT_EQ(bar[0].items[0].caption, "Setup#1"); // only the first two "#" delimit the id
    // A list that stops without its closing entries still gives its last submenu.
    EXPECT_EQ(buildMenu(std::vector<std::string_view>{"#5#Five", "#51#Item"})[0].items.size(), 1U);
    for (std::string_view bad : {"Plain"sv, "#x#Letter id"sv, "#12"sv, "##No id"sv, "#0#Zero"sv})
        EXPECT_THROW(buildMenu(std::vector<std::string_view>{"#9#Menu", bad}), std::invalid_argument) << bad;
    EXPECT_THROW(buildMenu(std::vector<std::string_view>{"-"}), std::invalid_argument) << "a separator first";
}

TEST(MainMenu, StatusBarHelpAndToolbarIds) {
    const std::string path = "/opt/routelane/studio.cnx";
    EXPECT_EQ(frm1_MenuOver(102, kLanguageFrench, path),
              "Sauvegarde ces commutations dans le fichier nommé: " + path);
    EXPECT_EQ(frm1_MenuOver(106, kLanguageEnglish, path), "Exits Routelane4.");
    for (int withoutHelp : {104, 109, 207, 300, 305, 503, 0})
        EXPECT_EQ(frm1_MenuOver(withoutHelp, kLanguageEnglish, path), "") << withoutHelp;

    for (int index = 0; index <= 6; ++index)
        EXPECT_EQ(toolbarMenuId(index), (std::array{0, 0, 105, 101, 102, 106, 0})[index]) << index;
}

} // namespace
} // namespace rl4::test
