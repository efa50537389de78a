#include "editor_rig.h"

#include <gtest/gtest.h>

namespace rl4::test {
namespace {

using Cells = std::array<std::string, kEditorColumns>;

std::vector<int> selectionMarks(const EditorRig& rig, int count) {
    std::vector<int> marks;
    for (int d = 1; d <= count; ++d)
        marks.push_back(rig.destination(d).Shw);
    return marks;
}

TEST(AssignmentEditorTest, OpensOnACopyOfTheActiveTableAndSelectsARow) {
    EditorRig rig;
    rig.numberedObjects(3, 2);
    rig.activeSource(2).YWi = 0;
    rig.editor.frmagn_Load();

    EXPECT_EQ(rig.notices.events, std::vector<std::string>{"windows hidden"});
    EXPECT_EQ(rig.editor.title(), "Assignments Editor for " + rig.folder.path("routelane4.agn"));
    ASSERT_EQ(rig.editor.rows().size(), 3u);
    EXPECT_EQ(rig.editor.rows()[1].cells, (Cells{"2", "Source 2", "2", "2", "", "0", "2"}));
    EXPECT_EQ(rig.destination(1).Shw, -1);
    EXPECT_EQ(rig.destination(2).Shw, 0);
    EXPECT_FALSE(rig.engine.assignments().assignmentsChanged());
    for (int id : {201, 206, 401, 403, 405, 406, 407})
        EXPECT_FALSE(rig.editor.menu().enabled(id)) << id;
    EXPECT_TRUE(rig.editor.menu().enabled(303));

    rig.editor.lvagn_ItemClick(1);
    EXPECT_EQ(rig.editor.currentRow(), 2);
    EXPECT_EQ(rig.editor.rows()[0].background, kSourceRowColour);
    EXPECT_EQ(rig.editor.rows()[1].background, kSourceSelectedColour);
    for (int id = 201; id <= 206; ++id)
        EXPECT_TRUE(rig.editor.menu().enabled(id)) << id;

    rig.editor.lvagn_ItemClick(3);
    rig.editor.lvagn_ItemClick(-1);
    EXPECT_EQ(rig.editor.currentRow(), 2) << "a row the list does not have is ignored";
}

TEST(AssignmentEditorTest, TheLabelSwitchesViews) {
    EditorRig rig;
    rig.numberedObjects(2, 2);
    rig.engine.messages().setLanguage(kLanguageFrench);
    rig.editor.frmagn_Load();
    EXPECT_EQ(rig.editor.columns()[6].header, "Touche");

    rig.editor.lbldirection_Click();
    EXPECT_EQ(rig.editor.lbldirectionColour(), kDestinationRowColour);
    EXPECT_EQ(rig.editor.rows()[0].cells, (Cells{"1", "Dest 1", "1", "1", "", "", "21"}));
    rig.editor.lvagn_ItemClick(0);
    EXPECT_EQ(rig.editor.rows()[0].background, kDestinationSelectedColour);

    rig.editor.frmagn_MenuEvent(303);
    EXPECT_EQ(rig.editor.lbldirection(), "Fonctions : Spéciales");
    ASSERT_EQ(rig.editor.rows().size(), 18u);
    EXPECT_EQ(rig.editor.rows()[17].cells, (Cells{"18", "VCA+", "", "", "", "", ""}));
    rig.editor.lbldirection_Click();
    EXPECT_EQ(rig.editor.editorView(), kSourcesView);
}

TEST(AssignmentEditorTest, SpecialViewIsRefusedWithMoreThan111Destinations) {
    EditorRig rig;
    rig.numberedObjects(1, 112);
    rig.editor.frmagn_Load();
    EXPECT_FALSE(rig.editor.menu().enabled(303));
    rig.editor.frmagn_MenuEvent(303);
    EXPECT_EQ(rig.editor.editorView(), kSourcesView);

    rig.editor.lbldirection_Click();
    rig.editor.lvagn_ItemClick(111);
    rig.editor.frmagn_MenuEvent(205);
    EXPECT_EQ(rig.edit().destinationCount, 111);
    EXPECT_TRUE(rig.editor.menu().enabled(303));
    rig.editor.frmagn_MenuEvent(303);
    EXPECT_EQ(rig.editor.editorView(), kSpecialsView);
}

TEST(AssignmentEditorTest, PasteBeforeAnyCutInsertsARecordOfZeros) {
    EditorRig rig;
    rig.numberedObjects(3, 3);
    rig.openAt(kSourcesView, 2);
    rig.editor.frmagn_MenuEvent(202);
    EXPECT_EQ(rig.edit().sourceCount, 4);
    EXPECT_EQ(rig.source(2), (Source{"", 0, 0, 0, 0, 0}));
    EXPECT_EQ(rig.source(3).name, "Source 2");
    EXPECT_TRUE(rig.engine.assignments().assignmentsChanged());
    EXPECT_EQ(rig.editor.currentRow(), 0);
    EXPECT_FALSE(rig.editor.menu().enabled(202)) << "every command needs a new click";

    rig.editor.lbldirection_Click();
    rig.editor.lvagn_ItemClick(0);
    rig.editor.frmagn_MenuEvent(202);
    EXPECT_EQ(rig.destination(1), (Destination{"", 0, 0, 0, 0, 0, -1, {0, 0, 0, 0, 0, 0}}));
    EXPECT_EQ(rig.destination(2).name, "Dest 1");
    EXPECT_EQ(selectionMarks(rig, 4), (std::vector<int>{-1, 0, -1, -1}));
}

TEST(AssignmentEditorTest, CutAndPasteMoveTheRecordButNotTheSelectionMarks) {
    EditorRig rig;
    rig.numberedObjects(1, 4);
    rig.activeDestination(1).ad = {1, 2, 3, 4, 5, 6};
    rig.openAt(kDestinationsView, 1);

    rig.editor.lvagn_KeyUp(kKeyX, kShiftCtrl);
    EXPECT_EQ(rig.edit().destinationCount, 3);
    EXPECT_EQ(rig.destination(1).name, "Dest 2");
    EXPECT_EQ(rig.destination(3).name, "Dest 4");

    rig.editor.lvagn_ItemClick(2);
    rig.editor.lvagn_KeyUp(kKeyV, kShiftCtrl);
    EXPECT_EQ(rig.edit().destinationCount, 4);
    const Destination& pasted = rig.destination(3);
    EXPECT_EQ(pasted.name, "Dest 1");
    EXPECT_EQ(pasted.Kou, 21);
    EXPECT_EQ(pasted.Vou, 1);
    EXPECT_EQ(pasted.ad, (std::array<int, 6>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(rig.destination(4).name, "Dest 4");
    EXPECT_EQ(selectionMarks(rig, 4), (std::vector<int>{-1, 0, -1, 0}));
}

TEST(AssignmentEditorTest, DeletingTheOnlySourceLeavesOneEmptyRecord) {
    EditorRig rig;
    rig.numberedObjects(1, 1);
    rig.openAt(kSourcesView, 1);
    rig.editor.lvagn_KeyUp(kKeyDelete, kShiftNone);
    EXPECT_EQ(rig.edit().sourceCount, 1);
    EXPECT_EQ(rig.source(1), Source{});
    ASSERT_EQ(rig.editor.rows().size(), 1u);
    EXPECT_EQ(rig.editor.rows()[0].cells, (Cells{"1", "", "", "", "", "", ""}));
    EXPECT_TRUE(rig.engine.assignments().assignmentsChanged());
}

TEST(AssignmentEditorTest, InsertShiftsRecordsButLeavesTheSelectionMarksAtTheirNumbers) {
    EditorRig rig;
    rig.numberedObjects(5, 5);
    rig.openAt(kDestinationsView, 3);
    rig.editor.lvagn_KeyUp(kKeyInsert, kShiftNone);
    EXPECT_EQ(rig.edit().destinationCount, 6);
    Destination empty;
    empty.Shw = -1;
    EXPECT_EQ(rig.destination(3), empty);
    EXPECT_EQ(rig.destination(4).name, "Dest 3");
    EXPECT_EQ(rig.destination(4).Kou, 23);
    EXPECT_EQ(rig.destination(6).name, "Dest 5");
    EXPECT_EQ(selectionMarks(rig, 6), (std::vector<int>{-1, 0, -1, 0, -1, -1}));

    rig.editor.lbldirection_Click();
    rig.editor.lvagn_ItemClick(4);
    rig.editor.frmagn_MenuEvent(204);
    EXPECT_EQ(rig.edit().sourceCount, 6);
    EXPECT_EQ(rig.source(5).name, "Source 5");
    EXPECT_EQ(rig.source(6), Source{});
}

TEST(AssignmentEditorTest, EditCommandsNeverGrowATableBeyond256OrActWithoutARow) {
    EditorRig rig;
    rig.numberedObjects(256, 1);
    rig.editor.frmagn_Load();
    rig.editor.frmagn_MenuEvent(203);
    rig.editor.lvagn_KeyUp(kKeyDelete, kShiftNone);
    rig.editor.frmagn_MenuEvent(999);
    EXPECT_EQ(rig.edit().sourceCount, 256);

    EXPECT_TRUE(rig.prompt.questions.empty()) << "without a row nothing is refused";

    // A full table refuses insert and paste, and says why.
    for (int id : {204, 202, 203}) {
        rig.editor.lvagn_ItemClick(id == 204 ? 255 : 0);
        rig.editor.frmagn_MenuEvent(id);
    }
    EXPECT_EQ(rig.edit().sourceCount, 256);
    EXPECT_EQ(rig.source(1).name, "Source 1");
    EXPECT_FALSE(rig.engine.assignments().assignmentsChanged());
    ASSERT_EQ(rig.prompt.questions.size(), 3u);
    EXPECT_EQ(
        rig.prompt.questions[0].text,
        "An assignment holds at most 256 sources and 256 destinations: there is no room for another one.");
}

TEST(AssignmentEditorTest, ColumnsAreErasedOrFilledAfterTwoQuestionsWithoutConflictChecks) {
    EditorRig rig;
    rig.numberedObjects(2, 10);
    rig.activeDestination(4).Aou = 1;
    rig.editor.frmagn_Load();
    rig.editor.frmagn_MenuEvent(editor_menu::kDestinationView);

    rig.prompt.answer(2);
    rig.prompt.answer(kAnswerYes);
    rig.editor.lvagn_ColumnClick(3);
    for (int d = 1; d <= 10; ++d)
        EXPECT_EQ(rig.destination(d).Aou, d);
    ASSERT_EQ(rig.prompt.questions.size(), 2u);
    EXPECT_EQ(rig.prompt.questions[0].text, "Audio|Erase this column|Fill with 1,2,3...|cancel");
    EXPECT_EQ(rig.prompt.questions[1].text, "Fill?");
    EXPECT_EQ(rig.prompt.questions[1].title, "Routelane Assignments");
    EXPECT_TRUE(rig.engine.assignments().assignmentsChanged());

    rig.prompt.answer(1);
    rig.prompt.answer(kAnswerNo);
    rig.prompt.answer(3);
    rig.editor.lvagn_ColumnClick(6);
    rig.editor.lvagn_ColumnClick(6);
    rig.editor.lvagn_ColumnClick(0);
    EXPECT_EQ(rig.destination(2).Kou, 22) << "No and cancel leave the column";
    EXPECT_EQ(rig.prompt.questions.size(), 5u);

    rig.prompt.answer(1);
    rig.prompt.answer(kAnswerYes);
    rig.editor.lvagn_ColumnClick(6);
    EXPECT_EQ(rig.prompt.questions.back().text, "Erase?");
    for (int d = 1; d <= 10; ++d)
        EXPECT_EQ(rig.destination(d).Kou, NotAssigned);

    rig.editor.frmagn_MenuEvent(303);
    for (int column : {2, 6}) {
        rig.prompt.answer(2);
        rig.prompt.answer(kAnswerYes);
        rig.editor.lvagn_ColumnClick(column);
    }
    for (int f = 1; f <= 18; ++f)
        EXPECT_EQ(rig.edit().specials[static_cast<std::size_t>(f)].Ksp, f);
    EXPECT_EQ(rig.destination(3).Vou, 3) << "in the special view only the key column acts";
}

TEST(AssignmentEditorTest, SavingANeverSavedTableAsksForANameAndWritesTheFileByTheRules) {
    EditorRig rig;
    AssignmentTable& active = rig.engine.assignments().activeTable;
    active.sourceCount = 2;
    active.destinationCount = 1;
    rig.activeSource(1) = {.name = "Caméra", .Kin = 1, .Vin = 1, .Ain = 1};
    rig.activeSource(2) = {.name = "Disconnect", .Vin = 0, .Ain = 0};
    rig.activeDestination(1) = {
        .name = "Monitor", .Kou = 17, .Vou = 1, .Aou = 1, .Shw = -1, .ad = {127, 0, 15, 127, 127, 127}};
    active.specials[1].Ksp = 33;
    rig.engine.assignments().sizes = {.videoIn = 2, .videoOut = 1, .audioIn = 2, .audioOut = 1};
    rig.editor.frmagn_Load();

    const std::string path = rig.folder.path("studio.agn");
    rig.prompt.answerPath(rig.folder.path("studio.txt"));
    rig.prompt.answerPath("");
    rig.prompt.answerPath(path);
    for (int attempt = 0; attempt < 3; ++attempt)
        rig.editor.tbagn_ButtonClick(2);
    const AskedQuestion& dialog = rig.prompt.questions.back();
    EXPECT_EQ(dialog.kind, AskedQuestion::Kind::SaveFile);
    EXPECT_EQ(dialog.title, "Save Assignment");
    EXPECT_EQ(dialog.filter, "Assignations.agn|*.agn");
    EXPECT_EQ(dialog.defaultExtension, "agn");
    EXPECT_EQ(dialog.initialPath, rig.folder.path("routelane4.agn"));

    // Windows-1252 writes "é" as one byte.
    const std::string expected =
        fileHead({2, 1, 2, 1, 0, 0, 0, 0}) + "Cam\xE9ra" + std::string(14, ' ') +
        "|  1|  1|  1|   |   |\r\n" + "Disconnect          |   |  0|  0|   |   |\r\n" + destinationsHead() +
        "Monitor             | 17|  1|  1|   |   | -1| -1|127|  0| 15|127|127|127|\r\n" + specialsPart(" 33");
    EXPECT_EQ(ScratchFolder::bytes(path), expected);
    EXPECT_FALSE(fileExists(rig.folder.path("studio.txt")));
    EXPECT_EQ(rig.engine.assignments().activeFileName, path);
    EXPECT_EQ(rig.editor.title(), "Assignments Editor for " + path);
    rig.editor.frmagn_MenuOver(102);
    EXPECT_EQ(rig.editor.sbagn(), "Saves the assignments in the file called: " + path);

    // Now the file exists: saving writes it without a question.
    rig.openAt(kSourcesView, 2);
    rig.editor.frmagn_MenuEvent(205);
    rig.editor.frmagn_MenuEvent(102);
    EXPECT_EQ(rig.prompt.questions.size(), 3u);
    EXPECT_EQ(rig.engine.assignments().activeTable.sourceCount, 1);
    EXPECT_FALSE(rig.engine.assignments().assignmentsChanged());
    EXPECT_EQ(ScratchFolder::bytes(path).find("Disconnect"), std::string::npos);
}

TEST(AssignmentEditorTest, OpenTakesOnlyAssignmentFilesAndOffersToSaveFirst) {
    EditorRig rig;
    rig.numberedObjects(2, 2);
    const std::string path = rig.folder.path("other.agn");
    ScratchFolder::write(path, "SOURCES             |Kin|Vin|Ain|Rin|YWi|\r\n"
                               "Tape                |   |  7|   |   |   |\r\n"
                               "-----------------------------------------\r\n");
    rig.openAt(kSourcesView, 1);
    rig.editor.frmagn_MenuEvent(205);

    rig.prompt.answer(kAnswerNo);
    rig.prompt.answerPath(rig.folder.path("other.cnx"));
    rig.editor.frmagn_MenuEvent(101);
    EXPECT_EQ(rig.prompt.questions[0].text, "The assignments have change. Do you want to save?");
    EXPECT_EQ(rig.prompt.questions[1].title, "Open Assignment File");
    EXPECT_EQ(rig.edit().sourceCount, 1) << "a name not ending in .agn changes nothing";

    rig.prompt.answer(kAnswerNo);
    rig.prompt.answerPath(path);
    rig.editor.frmagn_MenuEvent(101);
    EXPECT_EQ(rig.editor.rows()[0].cells, (Cells{"1", "Tape", "7", "", "", "", ""}));
    EXPECT_EQ(rig.engine.assignments().activeTable.sources[1].name, "Tape");
    EXPECT_EQ(rig.engine.assignments().activeFileName, path);
    EXPECT_EQ(rig.editor.title(), "Assignments Editor for " + path);

    int uploads = 0;
    rig.editor.setUploadEeprom([&uploads] { ++uploads; });
    rig.prompt.answer(kAnswerNo);
    rig.editor.frmagn_MenuEvent(501);
    EXPECT_EQ(rig.prompt.questions.back().text, "The assignments have change. Do you want to save?");
    EXPECT_EQ(uploads, 1);
}

TEST(AssignmentEditorTest, ClosingGivesTheSheetBackAndReadsTheMatrixWhenAPortIsOpen) {
    EditorRig rig;
    rig.numberedObjects(2, 2);
    rig.answers = [](const Bytes&) { return false; };
    rig.editor.frmagn_Load();
    rig.sent();
    rig.editor.frmagn_MenuEvent(106);
    EXPECT_FALSE(rig.editor.isOpen());
    EXPECT_EQ(rig.notices.events, (std::vector<std::string>{"windows hidden", "unloaded", "windows shown"}));
    EXPECT_EQ(rig.sent().at(1), 'v') << "the status reading starts";
    EXPECT_TRUE(rig.prompt.questions.empty());

    // Without a matrix: the wanted routing is sent again to the echo, and nothing is left to save.
    EditorRig offLine;
    offLine.engine.link().closePort();
    offLine.engine.link().setPortNumber(0);
    offLine.numberedObjects(1, 1);
    offLine.openAt(kSourcesView, 1);
    offLine.editor.frmagn_MenuEvent(203);
    offLine.engine.routing().setConnexionsChanged(true);
    offLine.prompt.answer(kAnswerYes);
    offLine.prompt.answerPath(offLine.folder.path("kept.agn"));
    offLine.editor.tbagn_ButtonClick(3);
    EXPECT_EQ(offLine.prompt.questions[0].text, "The assignments have change. Do you want to save?");
    EXPECT_TRUE(fileExists(offLine.folder.path("kept.agn")));
    EXPECT_FALSE(offLine.engine.routing().connexionsChanged());
    offLine.editor.frmagn_MenuEvent(101);
    EXPECT_EQ(offLine.prompt.questions.size(), 2u) << "a closed editor takes no command";
}

TEST(AssignmentEditorTest, ChangeDialogReachesTheEditTableOnlyWithOk) {
    EditorRig rig;
    rig.numberedObjects(2, 2);
    rig.openAt(kSourcesView, 1);
    rig.editor.lvagn_DblClick();
    ASSERT_NE(rig.editor.changeDialog(), nullptr);
    rig.editor.changeDialog()->cbnomagn.text = "Camera";
    rig.editor.changeDialog()->cancelchangeagn_Click();
    EXPECT_EQ(rig.editor.changeDialog(), nullptr);
    EXPECT_EQ(rig.source(1).name, "Source 1");
    EXPECT_FALSE(rig.engine.assignments().assignmentsChanged());

    rig.editor.lvagn_ItemClick(0);
    rig.editor.lvagn_KeyUp(kKeyEnter, kShiftNone);
    rig.editor.changeDialog()->cbnomagn.text = "Camera";
    rig.editor.changeDialog()->boxKeyPress(kKeyEnter);
    EXPECT_EQ(rig.editor.rows()[0].cells[1], "Camera");
    EXPECT_TRUE(rig.engine.assignments().assignmentsChanged());
    EXPECT_EQ(rig.notices.events, (std::vector<std::string>{"windows hidden", "change shown", "change closed",
                                                            "change shown", "change closed"}));
}

TEST(AssignmentEditorTest, NewAssignmentTakesTheMatrixOutputSizesAndReplacesTheEditTable) {
    EditorRig rig;
    rig.numberedObjects(3, 3);
    // The matrix has four video outputs and nothing else.
    rig.answers = [](const Bytes& frame) {
        return frame[1] != 'a' && frame[1] != 'r' && frame[1] != 'y' && (frame[1] != 'v' || frame[2] <= 4);
    };
    rig.editor.frmagn_Load();
    rig.editor.frmagn_MenuEvent(104);
    SizeDialogModel* dialog = rig.editor.sizeDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->edsizeoutvideonumber, "4");
    EXPECT_EQ(dialog->edsizeoutaudionumber, "0");
    EXPECT_EQ(rig.source(1).name, "") << "unsaved changes are dropped at once";
    EXPECT_EQ(rig.editor.rows()[0].cells[1], "Source 1") << "the list is not refilled yet";

    dialog->edsizeinvideonumber = "2";
    dialog->cmdsizecreate_Click();
    EXPECT_EQ(rig.editor.sizeDialog(), nullptr);
    const std::string path = rig.folder.path("newassign.agn");
    EXPECT_EQ(rig.engine.assignments().editFileName, path);
    EXPECT_EQ(rig.editor.title(), "Assignments Editor for " + path);
    EXPECT_EQ(rig.editor.rows()[2].cells, (Cells{"3", "Disconnect", "0", "", "", "", ""}));
    EXPECT_EQ(rig.engine.assignments().sizes.videoOut, 4);
    EXPECT_TRUE(rig.engine.assignments().assignmentsChanged());
    EXPECT_FALSE(fileExists(path)) << "nothing is written until the operator saves";
    EXPECT_EQ(rig.engine.assignments().activeTable.sources[1].name, "Source 1");
}

} // namespace
} // namespace rl4::test
