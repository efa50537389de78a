#include "support/engine_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using Cells = std::array<std::string, kEditorColumns>;
namespace id = editor_menu;

class EditorNotices : public EditorListener {
public:
    void otherWindowsShown(bool shown) override { events.push_back(shown ? "shown" : "hidden"); }
    void editorUnloaded() override { events.push_back("unloaded"); }
    std::vector<std::string> events;
};

// The program's engine started on the software matrix with the sample assignment; the editor is opened by
// the tests.
class EditorTest : public testing::Test {
protected:
    EditorTest() {
        rig.start();
        editor.setListener(&notices);
    }
    // Opens the editor on a view and clicks record `row` (from 1; 0: none).
    void open(int view = id::kSourceView, int row = 0) {
        editor.frmagn_Load();
        editor.frmagn_MenuEvent(view);
        click(row);
        rig.takeReceived();
    }
    void click(int row) {
        if (row > 0)
            editor.lvagn_ItemClick(row - 1);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> shown;
        for (const EditorRow& row : editor.rows())
            shown.push_back(row.cells[1]);
        return shown;
    }
    const AssignmentTable& edit() const { return rig.engine.assignments().editTable; }
    AssignmentTable& active() { return rig.engine.assignments().activeTable; }
    bool changed() const { return rig.engine.assignments().assignmentsChanged(); }
    // Scripts the answers to the next questions, in order.
    void answer(std::initializer_list<int> answers) {
        for (int each : answers)
            rig.prompt.answer(each);
    }
    void command(int id, std::initializer_list<int> answers = {}) {
        answer(answers);
        editor.frmagn_MenuEvent(id);
    }
    // The input levels: the matrix keeps them; the editor shows what it confirms.
    void unlock() { editor.frmagn_MenuEvent(id::kAdjustmentsEnable); }
    sim::AudioInput& input(int number) { return rig.state().audioInput(number); }
    std::vector<std::string> asked() const { return rig.prompt.texts(); }

    EngineRig rig;
    AssignmentEditor& editor = rig.engine.editor();
    const EditorMenu& menu = editor.menu();
    InputLevels& levels = editor.levels();
    EditorNotices notices;
};

// The window test holds the opening, the commands waiting for a row and the views; here what it cannot do.
TEST_F(EditorTest, RowsShowTheirFieldsAndRowsTheListDoesNotHaveAreIgnored) {
    open(id::kSourceView, 2);
    EXPECT_EQ(editor.rows()[5].cells, (Cells{"6", "Black", "0", "0", "0", "0", ""}));
    editor.lvagn_ItemClick(6);
    editor.lvagn_ItemClick(-1);
    EXPECT_EQ(editor.currentRow(), 2);
    editor.frmagn_MenuEvent(id::kSpecialView);
    editor.lbldirection_Click();
    EXPECT_EQ(editor.editorView(), kSourcesView) << "the label steps round the views";
}

// Records move with the edit commands; the destinations' Sel marks stay with the numbers.
TEST_F(EditorTest, EditCommandsMoveRecordsButNotTheSelectionMarks) {
    struct Step {
        int row, command; // command: a menu id, or a key with Ctrl when negative
        int key = 0;
    };
    const int kCtrlX = -kKeyX, kCtrlV = -kKeyV;
    struct Case {
        const char* what;
        int view;
        std::vector<Step> steps;
        std::vector<std::string> names;
    };
    // clang-format off
    const std::vector<Case> cases{
        {"paste before any cut inserts a blank", id::kSourceView, {{2, id::kPaste}},
         {"Camera 1", "", "Camera 2", "Tape", "Graphics", "Server", "Black"}},
        {"cut and paste", id::kDestinationView, {{1, kCtrlX}, {3, kCtrlV}},
         {"Monitor 2", "Recorder", "Monitor 1", "Projector"}},
        {"insert key, delete key, and a command without a new click does nothing", id::kDestinationView,
         {{3, 0, kKeyInsert}, {0, 0, kKeyDelete}, {1, 0, kKeyDelete}},
         {"Monitor 2", "", "Recorder", "Projector"}},
        {"insert below", id::kSourceView, {{6, id::kInsertBelow}},
         {"Camera 1", "Camera 2", "Tape", "Graphics", "Server", "Black", ""}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open(c.view);
        for (const Step& step : c.steps) {
            click(step.row);
            if (step.key != 0)
                editor.lvagn_KeyUp(step.key, kShiftNone);
            else if (step.command < 0)
                editor.lvagn_KeyUp(-step.command, kShiftCtrl);
            else
                editor.frmagn_MenuEvent(step.command);
        }
        EXPECT_EQ(names(), c.names);
        ASSERT_EQ(edit().destinationCount, 4);
        for (int d = 1; d <= 4; ++d)
            EXPECT_EQ(edit().destinations[d].Shw, d == 3 ? 0 : -1) << "the marks stay with the numbers";
        EXPECT_TRUE(changed());
        command(id::kQuit, {kAnswerNo});
    }
    EXPECT_EQ(rig.engine.assignments().activeTable.sources[1].name, "Camera 1") << "nothing was saved";

    // The cut record keeps every field; the only record left is emptied, not removed.
    active().destinations[1].ad = {1, 2, 3, 4, 5, 6};
    open(id::kDestinationView, 1);
    editor.lvagn_KeyUp(kKeyX, kShiftCtrl);
    click(2);
    editor.frmagn_MenuEvent(id::kPaste);
    EXPECT_EQ(edit().destinations[2].ad, (std::array{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(edit().destinations[2].Kou, 1);
    command(id::kQuit, {kAnswerNo});
    active().sourceCount = 1;
    open(id::kSourceView, 1);
    editor.lvagn_KeyUp(kKeyDelete, kShiftNone);
    EXPECT_EQ(edit().sourceCount, 1);
    EXPECT_EQ(edit().sources[1], Source{});
}

TEST_F(EditorTest, AFullTableRefusesToGrowAndSaysWhy) {
    active().sourceCount = 256;
    open(id::kSourceView);
    editor.frmagn_MenuEvent(id::kInsertAbove);
    editor.frmagn_MenuEvent(999);
    EXPECT_TRUE(rig.prompt.questions.empty()) << "without a row nothing is refused";
    for (int command : {id::kInsertBelow, id::kPaste, id::kInsertAbove}) {
        click(command == id::kInsertBelow ? 256 : 1);
        editor.frmagn_MenuEvent(command);
    }
    EXPECT_EQ(edit().sourceCount, 256);
    EXPECT_FALSE(changed());
    EXPECT_EQ(asked(), std::vector<std::string>(3, "An assignment holds at most 256 sources and 256 "
                                                   "destinations: there is no room for another one."));
}

// The window test fills a column; here No, cancel, erase, and the special view where only touches act.
TEST_F(EditorTest, ColumnsAreErasedOrFilledOnlyAfterTwoYes) {
    open(id::kDestinationView);
    answer({1, kAnswerNo}); // erase, then No
    editor.lvagn_ColumnClick(6);
    answer({3}); // cancel
    editor.lvagn_ColumnClick(6);
    EXPECT_EQ(edit().destinations[2].Kou, 2) << "No and cancel leave the column";
    EXPECT_EQ(rig.prompt.questions.size(), 3u);
    answer({1, kAnswerYes});
    editor.lvagn_ColumnClick(6);
    EXPECT_EQ(asked().back(), "Erase?");
    EXPECT_EQ(edit().destinations[4].Kou, NotAssigned);

    editor.frmagn_MenuEvent(id::kSpecialView);
    for (int column : {2, 6}) {
        answer({2, kAnswerYes}); // fill
        editor.lvagn_ColumnClick(column);
    }
    EXPECT_EQ(edit().specials[18].Ksp, 18);
    EXPECT_EQ(edit().destinations[3].Vou, 3) << "in the special view only the key column acts";
}

TEST_F(EditorTest, SaveAsksANameForANewFileAndOpenTakesOnlyAssignmentFiles) {
    open(id::kSourceView);
    editor.frmagn_MenuEvent(id::kCreateNew);
    ASSERT_NE(editor.sizeDialog(), nullptr);
    editor.sizeDialog()->edsizeinvideonumber = "2";
    editor.sizeDialog()->cmdsizecreate_Click();
    const std::string path = rig.path("studio.agn");
    rig.prompt.answerPath(rig.path("studio.txt"));
    rig.prompt.answerPath("");
    rig.prompt.answerPath(path);
    for (int attempt = 0; attempt < 3; ++attempt)
        editor.tbagn_ButtonClick(2);
    EXPECT_EQ(rig.prompt.questions.back().kind, AskedQuestion::Kind::SaveFile);
    EXPECT_EQ(rig.prompt.questions.back().initialPath, rig.path("newassign.agn"));
    EXPECT_FALSE(fileBytes(rig.path("studio.txt")).size());
    EXPECT_EQ(readCrLf(path).at(0), "Video In = 2");
    EXPECT_EQ(rig.engine.assignments().activeFileName, path);
    EXPECT_EQ(editor.title(), "Assignments Editor for " + path);
    EXPECT_FALSE(changed());
    click(1);
    editor.frmagn_MenuEvent(id::kDelete);
    editor.tbagn_ButtonClick(2);
    EXPECT_EQ(rig.prompt.questions.size(), 3u) << "a named file is saved without a question";
    EXPECT_EQ(readCrLf(path).at(10).substr(0, 8), "Source 2");

    // Open: what changed is offered for saving first; a name without .agn changes nothing.
    click(1);
    editor.frmagn_MenuEvent(id::kDelete);
    rig.prompt.questions.clear();
    rig.prompt.answer(kAnswerNo);
    rig.prompt.answerPath(rig.path("routelane4.cnx"));
    editor.frmagn_MenuEvent(id::kOpen);
    EXPECT_EQ(asked().at(0), "The assignments have change. Do you want to save?");
    EXPECT_EQ(edit().sourceCount, 1);
    rig.prompt.answer(kAnswerNo);
    rig.prompt.answerPath(rig.path("routelane4.agn"));
    editor.frmagn_MenuEvent(id::kOpen);
    EXPECT_EQ(names().at(2), "Tape");
    EXPECT_EQ(rig.engine.assignments().activeFileName, rig.path("routelane4.agn"));

    int uploads = 0;
    editor.setUploadEeprom([&uploads] { ++uploads; });
    click(1);
    editor.frmagn_MenuEvent(id::kDelete);
    command(id::kUploadEeprom, {kAnswerNo});
    EXPECT_EQ(asked().back(), "The assignments have change. Do you want to save?");
    EXPECT_EQ(uploads, 1);
}

// The window test closes without saving; a Yes saves before the sheet comes back.
TEST_F(EditorTest, ClosingSavesWhenAskedAndAClosedEditorTakesNoCommand) {
    open(id::kSourceView, 1);
    editor.frmagn_MenuEvent(id::kDelete);
    rig.prompt.answer(kAnswerYes);
    rig.prompt.answerPath(rig.path("kept.agn"));
    editor.tbagn_ButtonClick(3);
    EXPECT_FALSE(editor.isOpen());
    EXPECT_EQ(notices.events, (std::vector<std::string>{"hidden", "unloaded", "shown"}));
    EXPECT_EQ(rig.readLines("kept.agn").at(10).substr(0, 8), "Camera 2");
    editor.frmagn_MenuEvent(id::kOpen);
    EXPECT_EQ(rig.prompt.questions.size(), 2u) << "a closed editor takes no command";
}

// The window test reads the levels shown and moves them unlocked; here what the window cannot do.
TEST_F(EditorTest, OnlyUnlockedMovesReachTheMatrixAndOnlyWhatItConfirmsIsShown) {
    rig.state().audioInput(3) = {20, true};
    open(id::kSourceView, 3);
    click(3);
    EXPECT_EQ(rig.takeReceived(), (std::vector<Frame>{five('l', 3, 0), five('g', 3, 0)}));
    EXPECT_FALSE(levels.controlsEnabled());
    editor.sliagn_Change(25);
    editor.cmdbal_Click();
    EXPECT_EQ(input(3).gain, 20) << "locked";
    EXPECT_TRUE(input(3).unbalanced);

    unlock();
    editor.sliagn_Change(21);
    EXPECT_EQ(input(3).gain, 21);
    for (bool unbalanced : {false, true}) {
        editor.cmdbal_Click();
        EXPECT_EQ(input(3).unbalanced, unbalanced);
    }
    rig.matrix().setRefusals([] { return true; });
    editor.sliagn_Change(30);
    EXPECT_EQ(levels.sliagn(), 0) << "the slider shows only what the matrix confirms";
    rig.matrix().setRefusals({});
    levels.gainReported(32);
    EXPECT_EQ(levels.sliagn(), 0) << "a level outside 0..31 changes nothing";

    // No audio input: nothing read, no controls.
    rig.takeReceived();
    click(4);
    EXPECT_TRUE(rig.takeReceived().empty());
    EXPECT_FALSE(levels.controlsVisible());
}

// After an unsaved delete, record 3 of the list is Graphics while the active table's is still Tape: the
// levels act on the input the list shows, and the audio monitor takes each source clicked.
TEST_F(EditorTest, LevelsActOnTheRowShownAndTheMonitorFollowsTheClicks) {
    open(id::kDestinationView, 4);
    EXPECT_FALSE(menu.enabled(id::kAudioMonitor)) << "the Projector has no audio output";
    click(2);
    editor.frmagn_MenuEvent(id::kAudioMonitor);
    EXPECT_TRUE(levels.audioMonitorVisible());
    EXPECT_EQ(levels.lblaudiomonitor(), "Audio Monitoring = Monitor 2");

    editor.frmagn_MenuEvent(id::kSourceView);
    click(3);
    editor.frmagn_MenuEvent(id::kDelete);
    click(4);
    EXPECT_EQ(rig.state().layer(sim::Layer::Audio).inputOn(2), 5);
    unlock();
    editor.sliagn_Change(12);
    editor.frmagn_MenuEvent(id::kUnbalanced);
    EXPECT_EQ(input(5).gain, 12);
    EXPECT_TRUE(input(5).unbalanced);
    EXPECT_EQ(input(4).gain, sim::kStartGain);
}

TEST_F(EditorTest, AllInputsTakeOneGainOrModeAfterTheQuestions) {
    open(id::kSourceView, 1);
    unlock();
    command(id::kAdjustAll, {kAnswerYes, 17});
    EXPECT_EQ(asked().at(0), "Do you want to adjust all audio input level ?");
    for (int number : {1, 2, 3, 5})
        EXPECT_EQ(input(number).gain, 15) << "-33 dB on input " << number;
    EXPECT_EQ(input(4).gain, sim::kStartGain) << "no source on it";

    rig.takeReceived();
    command(id::kAdjustAll, {kAnswerNo});
    command(id::kAdjustAll, {kAnswerYes, 18});
    command(id::kAllUnbalanced, {kAnswerNo});
    EXPECT_TRUE(rig.takeReceived().empty()) << "No and cancel send nothing";

    command(id::kAllUnbalanced, {kAnswerYes});
    EXPECT_EQ(asked().back(), "Do you want to turn all audio inputs in Unbalanced mode ?");
    for (int number : {1, 2, 3, 5})
        EXPECT_TRUE(input(number).unbalanced) << number;
    command(id::kAllBalanced, {kAnswerYes});
    EXPECT_FALSE(input(5).unbalanced);
}

// The matrix speaks both forms; the link is switched as the setup dialog does.
TEST_F(EditorTest, TheLevelsTravelInTheFourByteForm) {
    rig.engine.link().setProtocolLength(4);
    open(id::kSourceView);
    click(5);
    EXPECT_EQ(rig.takeReceived(), std::vector<Frame>{four(25, 1, 1, 5)});
    EXPECT_EQ(levels.sliagn(), sim::kStartGain);
    unlock();
    editor.sliagn_Change(20);
    editor.frmagn_MenuEvent(id::kUnbalanced);
    EXPECT_EQ(input(5).gain, 20);
    EXPECT_TRUE(input(5).unbalanced);
}

} // namespace
} // namespace rl4::test
