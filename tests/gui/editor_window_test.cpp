#include "engine/menu_ids.h"
#include "gui/assignment_editor_window.h"
#include "gui/change_dialog.h"
#include "gui/size_dialog.h"
#include "window_rig.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

namespace rl4::test {
namespace {

namespace editor_id = editor_menu;

QPushButton& key(ChangeDialog& dialog, int touch) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>("key"))
        if (button->property("touch").toInt() == touch)
            return *button;
    throw std::runtime_error("no key " + std::to_string(touch));
}

// The window program started on the software matrix, its assignment editor opened from the main window.
class EditorWindowTest : public testing::Test {
protected:
    void open(int language = kLanguageEnglish) {
        rig.setting(12, std::to_string(language));
        rig.startWith(menu_id::kAssignmentEditor);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor()));
    }
    AssignmentEditorWindow& editor() {
        return *qobject_cast<AssignmentEditorWindow*>(rig.window(menu_id::kAssignmentEditor));
    }
    QTableWidget& list() { return rig.control<QTableWidget>(&editor(), "lvagn"); }
    void choose(int menuId) { editor().menuAction(menuId)->trigger(); }
    std::vector<int> enabledAmong(std::initializer_list<int> ids, bool checked = false) {
        std::vector<int> found;
        for (int menuId : ids)
            if (checked ? editor().menuAction(menuId)->isChecked() : editor().menuAction(menuId)->isEnabled())
                found.push_back(menuId);
        return found;
    }
    QAction* toolbarButton(int button) {
        return rig.control<QToolBar>(&editor(), "tbagn").actions().at(button - 1);
    }
    std::string status() { return editor().statusBar()->currentMessage().toStdString(); }
    // The change dialog of record `row` (from 1) of a view, as the menu opens it.
    ChangeDialog& change(int view, int row) {
        choose(view);
        clickCell(list(), row - 1, 0);
        choose(editor_id::kChange);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(editor().changeDialogWindow()));
        return *editor().changeDialogWindow();
    }
    const AssignmentTable& edit() { return rig.engine.assignments().editTable; }

    WindowRig rig;
};

TEST_F(EditorWindowTest, OpeningHidesTheOtherWindowsAndClosingGivesTheSheetBack) {
    rig.setting(10, "-1"); // the switcher control open
    open();
    QWidget* switcher = rig.window(menu_id::kSwitcherControl);
    EXPECT_EQ(text(editor()), "Assignments Editor for " + rig.rig.path("routelane4.agn"));
    EXPECT_FALSE(rig.mainWindow.isVisible());
    EXPECT_FALSE(switcher->isVisible());
    EXPECT_EQ(rig.window(menu_id::kHistory), nullptr) << "a window that was not open stays so";
    // The main window's toolbar is refused meanwhile, its Quit too (the commands' test holds the refusal).
    rig.control<QToolBar>(&rig.mainWindow, "tb1").actions()[4]->trigger();
    EXPECT_EQ(rig.rig.prompt.questions.size(), 1u);

    // A menu entry's help stays in the status bar while the pointer is on it, and only then.
    editor().menuAction(editor_id::kSave)->hover();
    EXPECT_EQ(status(), "Saves the assignments in the file called: " + rig.rig.path("routelane4.agn"));
    editor().menuAction(editor_id::kSpecialView)->hover();
    EXPECT_EQ(status(), "") << "an entry without help clears the bar";
    editor().menuAction(editor_id::kSave)->hover();
    emit editor().menuAction(editor_id::kFile)->menu()->aboutToHide();
    EXPECT_EQ(status(), "") << "leaving the menu clears the bar";

    // What changed is offered for saving at the close; the sheet is read from the matrix again.
    clickCell(list(), 0, 0);
    QTest::keyClick(&list(), Qt::Key_Insert);
    rig.rig.prompt.answer(kAnswerNo);
    rig.rig.takeReceived();
    toolbarButton(3)->trigger();
    EXPECT_EQ(rig.rig.prompt.questions.back().text, "The assignments have change. Do you want to save?");
    EXPECT_FALSE(editor().isVisible());
    EXPECT_TRUE(rig.mainWindow.isVisible());
    EXPECT_TRUE(switcher->isVisible());
    EXPECT_FALSE(rig.engine.assignmentEditorOpen()) << "the main window's commands are taken again";
    EXPECT_EQ(rig.rig.takeReceived().at(0), five('v', 0, 0));
}

TEST_F(EditorWindowTest, ARowClickReadsTheLevelsAndTheMenusFollow) {
    rig.rig.state().audioInput(2) = {20, true};
    open();
    auto& slider = rig.control<QSlider>(&editor(), "sliagn");
    auto& level = rig.control<QLabel>(&editor(), "lblvolagn");
    auto& mode = rig.control<QPushButton>(&editor(), "cmdbal");
    auto& direction = rig.control<QLabel>(&editor(), "lbldirection");
    const std::initializer_list<int> edits{201, 202, 203, 204, 205, 206};
    const std::initializer_list<int> levels{401, 402, 403, 404, 405, 406, 407};
    EXPECT_EQ(enabledAmong(edits), std::vector<int>{});

    clickCell(list(), 1, 0);
    EXPECT_EQ(enabledAmong(edits), std::vector<int>(edits));
    EXPECT_EQ(enabledAmong(levels), std::vector<int>{406});
    EXPECT_EQ(enabledAmong(levels, true), std::vector<int>{402});
    EXPECT_FALSE(editor().menuAction(401)->isCheckable()) << "only checked entries carry a mark";
    EXPECT_EQ(rgb(list().item(1, 0)->background().color()), (Rgb{96, 192, 255}));
    EXPECT_EQ(rgb(list().item(0, 0)->background().color()), (Rgb{192, 255, 255}));
    EXPECT_TRUE(slider.isVisible());
    EXPECT_FALSE(slider.isEnabled());
    EXPECT_EQ(slider.value(), 20);
    EXPECT_EQ(text(level), "-18 dB");
    EXPECT_EQ(text(mode), "Unbalanced");

    choose(editor_id::kAdjustmentsEnable);
    EXPECT_EQ(enabledAmong(levels), (std::vector<int>{401, 402, 403, 404, 406, 407}));
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(rig.rig.state().audioInput(2).gain, 21);
    EXPECT_EQ(text(level), "-15 dB");
    QTest::mouseClick(&mode, Qt::LeftButton);
    EXPECT_FALSE(rig.rig.state().audioInput(2).unbalanced);
    EXPECT_EQ(enabledAmong(levels, true), (std::vector<int>{401, 406}));

    // Another view refills the list: every command waits for a new click, the levels lock again.
    QTest::mouseClick(&direction, Qt::LeftButton);
    EXPECT_EQ(text(direction), "Assignation : Destinations");
    EXPECT_EQ(rgb(direction.palette().color(QPalette::Window)), (Rgb{255, 255, 192}));
    EXPECT_EQ(enabledAmong(edits), std::vector<int>{});
    EXPECT_EQ(enabledAmong(levels, true), std::vector<int>{});
    EXPECT_FALSE(slider.isVisible());
    clickCell(list(), 1, 0);
    EXPECT_EQ(enabledAmong(levels), std::vector<int>{405});
    choose(editor_id::kAudioMonitor);
    EXPECT_EQ(text(rig.control(&editor(), "lblaudiomonitor")), "Audio Monitoring = Monitor 2");
}

TEST_F(EditorWindowTest, KeysHeaderClicksAndTheDoubleClickReachTheEditor) {
    open();
    QTableWidget& rows = list();
    clickCell(rows, 0, 0);
    QTest::keyClick(&rows, Qt::Key_X);
    EXPECT_EQ(rows.rowCount(), 6) << "X alone is nothing";
    QTest::keyClick(&rows, Qt::Key_X, Qt::ControlModifier);
    clickCell(rows, 1, 0);
    QTest::keyClick(&rows, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&rows, Qt::Key_Delete);
    EXPECT_EQ(column(rows, 1),
              (std::vector<std::string>{"Camera 2", "Camera 1", "Tape", "Graphics", "Server", "Black"}))
        << "every command needs a new click";
    clickCell(rows, 5, 0);
    QTest::keyClick(&rows, Qt::Key_Delete);
    EXPECT_EQ(rows.rowCount(), 5);

    rig.rig.prompt.answer(2);
    rig.rig.prompt.answer(kAnswerYes);
    QHeaderView* header = rows.horizontalHeader();
    for (int c : {3, 0})
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, Qt::NoModifier,
            QPoint(header->sectionViewportPosition(c) + header->sectionSize(c) / 2, header->height() / 2));
    EXPECT_EQ(column(rows, 3), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(rig.rig.prompt.questions.size(), 2u) << "the number column has no action";

    // Enter and the double click open the change dialog, modal over the editor; Escape is Cancel.
    clickCell(rows, 1, 0);
    QTest::keyClick(&rows, Qt::Key_Return);
    ASSERT_NE(editor().changeDialogWindow(), nullptr);
    EXPECT_TRUE(editor().changeDialogWindow()->isModal());
    QTest::keyClick(editor().changeDialogWindow(), Qt::Key_Escape);
    EXPECT_EQ(rig.engine.editor().changeDialog(), nullptr);
    const QPoint place = rows.visualItemRect(rows.item(2, 1)).center();
    QTest::mouseDClick(editor().windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       rows.viewport()->mapTo(&editor(), place));
    ASSERT_NE(rig.engine.editor().changeDialog(), nullptr);
    EXPECT_EQ(rig.engine.editor().changeDialog()->row(), 3);
}

TEST_F(EditorWindowTest, TheChangeDialogDrawsTheModelAndOkTakesWhatTheOperatorDid) {
    rig.rig.writeConnexions({});
    open();
    ChangeDialog& dialog = change(editor_id::kSourceView, 3);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Changing a Source assignment");
    EXPECT_EQ(text(rig.control(&dialog, "lblobjet")), "Object N°3");
    EXPECT_EQ(text(rig.control(&dialog, "cbnomagn")), "Tape");
    EXPECT_EQ(items(rig.control<QComboBox>(&dialog, "cbnomagn")),
              (std::vector<std::string>{"Camera", "Tape", "Graphics", "Server", "Black", "Monitor",
                                        "Recorder", "Projector"}));
    EXPECT_FALSE(rig.control(&dialog, "frinputadmittance").isVisible());
    const struct {
        int touch;
        Rgb colour;
        const char* hint;
    } keys[] = {{2, {0, 224, 224}, "Camera 2 (as Input)"},
                {1, {0, 224, 224}, "Camera 1 (as Input)"},
                {3, {0, 255, 0}, "available key"}};
    for (const auto& k : keys) {
        EXPECT_EQ(shownColour(key(dialog, k.touch)), k.colour) << k.touch;
        EXPECT_EQ(key(dialog, k.touch).toolTip().toStdString(), k.hint);
    }

    // Taking video input 1 from Camera 1 and touch 2 from Camera 2: the lists and the map follow.
    rig.rig.prompt.answer(kAnswerYes);
    emit rig.control<QComboBox>(&dialog, "cbvideoagn").activated(1);
    EXPECT_EQ(items(rig.control<QComboBox>(&dialog, "cbvideoagn")).at(1), "  1");
    rig.rig.prompt.answer(kAnswerOk);
    QTest::mouseClick(&key(dialog, 2), Qt::LeftButton);
    EXPECT_EQ(text(rig.control(&dialog, "cbkeyagn")), "  2");
    EXPECT_EQ(key(dialog, 2).toolTip().toStdString(), "Tape (as Input)");
    QLineEdit* name = rig.control<QComboBox>(&dialog, "cbnomagn").lineEdit();
    name->selectAll();
    QTest::keyClicks(name, "Deck");
    QTest::keyClick(&key(dialog, 5), Qt::Key_Return);
    EXPECT_EQ(editor().changeDialogWindow(), nullptr) << "Return outside the boxes is OK";
    EXPECT_EQ(edit().sources[3], (Source{"Deck", 2, 1, 3, NotAssigned, NotAssigned}));
    EXPECT_EQ(list().item(2, 1)->text().toStdString(), "Deck");

    // Cancel forgets what the dialog did (the model's test holds what it gives back).
    ChangeDialog& cancelled = change(editor_id::kSourceView, 1);
    emit rig.control<QComboBox>(&cancelled, "cbvideoagn").activated(4);
    QTest::mouseClick(&rig.control(&cancelled, "cancelchangeagn"), Qt::LeftButton);
    EXPECT_EQ(edit().sources[1].Vin, NotAssigned);
}

TEST_F(EditorWindowTest, DestinationsShowTheirAdmittanceAndSpecialFunctionsOnlyATouch) {
    open(kLanguageFrench);
    std::vector<std::string> menus;
    for (QAction* menu : editor().menuBar()->actions())
        menus.push_back(menu->text().toStdString());
    EXPECT_EQ(menus, (std::vector<std::string>{"Fichier", "&Editeur", "Affichage", "Niveaux", "Matrice"}));
    for (int button = 1; button <= 3; ++button)
        EXPECT_FALSE(toolbarButton(button)->icon().isNull()) << button;
    EXPECT_EQ(toolbarButton(3)->toolTip().toStdString(), "Quitter");
    ChangeDialog& dialog = change(editor_id::kDestinationView, 1);
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Modifier l'assignation d'une destination");
    auto& admitted = rig.control<QTableWidget>(&dialog, "lvinputadmittance");
    EXPECT_TRUE(rig.control(&dialog, "frinputadmittance").isVisible());
    EXPECT_EQ(admitted.horizontalHeaderItem(0)->text().toStdString(), "Admittance des entrées");
    EXPECT_EQ(column(admitted, 0),
              (std::vector<std::string>{"Camera 1", "Camera 2", "Tape", "Graphics", "Server", "Black"}));
    EXPECT_EQ(rgb(admitted.palette().color(QPalette::Base)), (Rgb{192, 220, 192}));
    QTest::mouseClick(&rig.control(&dialog, "cmddisadmit"), Qt::LeftButton);
    for (int r = 0; r < admitted.rowCount(); ++r)
        EXPECT_EQ(admitted.item(r, 0)->checkState(), Qt::Unchecked) << r;
    admitted.item(0, 0)->setCheckState(Qt::Checked);
    QTest::mouseClick(&rig.control(&dialog, "validchangeagn"), Qt::LeftButton);
    EXPECT_EQ(edit().destinations[1].ad, (std::array<int, 6>{64 + 1, 127, 127, 127, 127, 127}))
        << "the bits of sources the table does not have stay set";

    ChangeDialog& special = change(editor_id::kSpecialView, 2);
    EXPECT_EQ(text(rig.control(&special, "cbnomagn")), "Recall setup 1");
    EXPECT_FALSE(rig.control(&special, "cbnomagn").isEnabled());
    EXPECT_FALSE(rig.control(&special, "frchangeagn").isVisible());
    rig.control<QComboBox>(&special, "cbkeyagn").setCurrentIndex(49);
    emit rig.control<QComboBox>(&special, "cbkeyagn").activated(49);
    QTest::mouseClick(&rig.control(&special, "validchangeagn"), Qt::LeftButton);
    EXPECT_EQ(cell(list(), 1, 6), "50");
}

TEST_F(EditorWindowTest, TheSizeDialogSwitchesNamingModesAndCreateBuildsWhatTheFieldsAsk) {
    rig.rig.matrix().state().routing[1] = sim::LayerRouting(sim::LayerSize{0, 0});
    open();
    choose(editor_id::kCreateNew);
    SizeDialog* dialog = editor().sizeDialogWindow();
    ASSERT_NE(dialog, nullptr);
    const auto field = [&](const char* name) { return text(rig.control(dialog, name)); };
    EXPECT_EQ(field("edsizeoutvideonumber"), "16") << "the outputs the matrix reports";

    const auto drawn = [&] {
        std::string marks =
            rig.control<QRadioButton>(dialog, "optradixglobal").isChecked() ? "global" : "separate";
        for (const char* prefix : {"edsizeinvradix", "edsizeoutyradix", "edsizeinglobal", "edsizeoutglobal"})
            marks += rig.control(dialog, prefix).isEnabled() ? " on" : " -";
        return marks + " " +
               std::to_string(rgb(rig.control(dialog, "lblsizergb").palette().color(QPalette::Window))[1]);
    };
    EXPECT_EQ(drawn(), "global - - on on 192");
    QTest::mouseClick(&rig.control(dialog, "optradixseparate"), Qt::LeftButton);
    EXPECT_EQ(drawn(), "separate on on - - 0");
    // Each layer's label picks separate naming, the global label global naming.
    for (const char* layer : {"lblsizevideo", "lblsizeaudio", "lblsizergb", "lblsizeyc"}) {
        QTest::mouseClick(&rig.control(dialog, "lblsizeglobal"), Qt::LeftButton);
        EXPECT_EQ(drawn(), "global - - on on 192");
        QTest::mouseClick(&rig.control(dialog, layer), Qt::LeftButton);
        EXPECT_EQ(drawn(), "separate on on - - 0") << layer;
    }
    QTest::mouseClick(&rig.control(dialog, "optradixglobal"), Qt::LeftButton);

    const auto type = [&](const char* name, const char* typed) {
        auto& edit = rig.control<QLineEdit>(dialog, name);
        edit.selectAll();
        QTest::keyClicks(&edit, typed);
    };
    type("edsizeinvideonumber", "3");
    type("edsizeinglobal", "Cam");
    type("edsizeoutvideonumber", "2");
    for (const char* box : {"chkdisconnect", "chkalldest", "chkclavier"})
        QTest::mouseClick(&rig.control(dialog, box), Qt::LeftButton);
    QTest::mouseClick(&rig.control(dialog, "cmdsizecreate"), Qt::LeftButton);
    EXPECT_EQ(editor().sizeDialogWindow(), nullptr);
    EXPECT_EQ(column(list(), 1), (std::vector<std::string>{"Cam 1", "Cam 2", "Cam 3"}));
    EXPECT_EQ(cell(list(), 2, 6), "3");
    EXPECT_EQ(text(editor()), "Assignments Editor for " + rig.rig.path("newassign.agn"));

    // Escape is Cancel: the edit table stays as the opening left it.
    choose(editor_id::kCreateNew);
    QTest::keyClick(editor().sizeDialogWindow(), Qt::Key_Escape);
    EXPECT_EQ(rig.engine.editor().sizeDialog(), nullptr);
    EXPECT_EQ(cell(list(), 0, 1), "Cam 1");
}

} // namespace
} // namespace rl4::test
