#include "editor_window_rig.h"
#include "platform/text_file.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

std::string cell(const QTableWidget& list, int row, int column) {
    const QTableWidgetItem* item = list.item(row, column);
    return item ? item->text().toStdString() : "<no cell>";
}

std::vector<std::string> column(const QTableWidget& list, int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < list.rowCount(); ++row)
        cells.push_back(cell(list, row, column));
    return cells;
}

std::array<int, 3> background(const QTableWidget& list, int row) {
    const QColor colour = list.item(row, 0)->background().color();
    return {colour.red(), colour.green(), colour.blue()};
}

std::vector<std::string> menuTitles(AssignmentEditorWindow& window) {
    std::vector<std::string> titles;
    for (QAction* action : window.menuBar()->actions())
        titles.push_back(action->text().toStdString());
    return titles;
}

// A menu's entries as shown, "-" for a separator.
std::vector<std::string> menuEntries(AssignmentEditorWindow& window, int titleId) {
    std::vector<std::string> entries;
    QAction* title = window.menuAction(titleId);
    if (title == nullptr || title->menu() == nullptr)
        return {"<no menu " + std::to_string(titleId) + ">"};
    for (QAction* action : title->menu()->actions())
        entries.push_back(action->isSeparator() ? "-" : action->text().toStdString());
    return entries;
}

std::vector<int> enabledAmong(AssignmentEditorWindow& window, std::initializer_list<int> ids) {
    std::vector<int> enabled;
    for (int id : ids) {
        if (window.menuAction(id) != nullptr && window.menuAction(id)->isEnabled())
            enabled.push_back(id);
    }
    return enabled;
}

std::vector<int> checkedAmong(AssignmentEditorWindow& window, std::initializer_list<int> ids) {
    std::vector<int> checked;
    for (int id : ids) {
        if (window.menuAction(id) != nullptr && window.menuAction(id)->isChecked())
            checked.push_back(id);
    }
    return checked;
}

std::string statusHelp(AssignmentEditorWindow& window) {
    return window.statusBar()->currentMessage().toStdString();
}

template <typename Control>
Control& control(AssignmentEditorWindow& window, const char* name) {
    auto* found = window.findChild<Control*>(name);
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

QAction* toolbarButton(AssignmentEditorWindow& window, int button) {
    return control<QToolBar>(window, "tbagn").actions().at(button - 1);
}

void clickHeader(QTableWidget& list, int column) {
    QHeaderView* header = list.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                             header->height() / 2));
}

constexpr std::initializer_list<int> kEditIds{201, 202, 203, 204, 205, 206};
constexpr std::initializer_list<int> kLevelIds{401, 402, 403, 404, 405, 406, 407};

TEST(EditorWindow, OpeningHidesTheOtherWindowsAndClosingGivesTheSheetBack) {
    EditorWindowRig rig;
    rig.objects(3, 2);
    rig.tools.windowRequested(kSwitcherControl);
    QWidget* switcher = rig.tools.window(kSwitcherControl);

    AssignmentEditorWindow& editor = rig.openEditor();
    EXPECT_EQ(editor.windowTitle().toStdString(),
              "Assignments Editor for " + rig.folder.path("routelane4.agn"));
    EXPECT_FALSE(rig.mainWindow.isVisible());
    EXPECT_FALSE(switcher->isVisible());
    EXPECT_EQ(rig.tools.window(kHistory), nullptr) << "a window that was not open stays so";
    EXPECT_EQ(column(rig.list(), 1), (std::vector<std::string>{"Camera 1", "Camera 2", "Camera 3"}));
    rig.commands.frm1_MenuEvent(104);
    EXPECT_EQ(rig.prompt.questions.back().text, "Please, close the assignment window.");

    editor.close();
    EXPECT_FALSE(rig.engine.editor().isOpen());
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(rig.mainWindow.isVisible());
    EXPECT_TRUE(switcher->isVisible());
    EXPECT_FALSE(rig.engine.assignmentEditorOpen()) << "the main window's commands are taken again";

    // Opened again, on the active table; what changed is offered for saving at the close.
    rig.engine.assignments().activeTable.sources[1].name = "Tape";
    rig.openEditor();
    EXPECT_FALSE(rig.mainWindow.isVisible());
    EXPECT_EQ(cell(rig.list(), 0, 1), "Tape");
    rig.clickRow(0);
    QTest::keyClick(&rig.list(), Qt::Key_Insert);
    EXPECT_EQ(rig.list().rowCount(), 4);
    rig.prompt.answer(kAnswerNo);
    toolbarButton(editor, 3)->trigger();
    EXPECT_EQ(rig.prompt.questions.back().text, "The assignments have change. Do you want to save?");
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(rig.mainWindow.isVisible());
    EXPECT_FALSE(rig.engine.assignmentEditorOpen());
}

TEST(EditorWindow, MenusAreBuiltInTheInterfaceLanguageWithTheirHelp) {
    struct Case {
        int language;
        std::vector<std::string> titles;
        std::vector<std::string> file;
        std::string saveHelp;
        std::string direction;
    };
    const std::vector<Case> cases{
        {kLanguageEnglish,
         {"File", "&Edit", "View", "Levels", "Matrix"},
         {"Open assignment file...", "-", "Create new assignment", "-", "&Save assignment",
          "Save assignment &as...", "-", "&Quit"},
         "Saves the assignments in the file called: ",
         "Assignation : Sources"},
        {kLanguageFrench,
         {"Fichier", "&Editeur", "Affichage", "Niveaux", "Matrice"},
         {"Ouvrir une assignation...", "-", "Créer une nouvelle assignation", "-",
          "&Enregistrer les assignations", "Enregistrer les assignations &sous...", "-",
          "&Retour à la page commutation"},
         "Sauvegarde les assignations dans le fichier nommé: ",
         "Assignation : Sources"},
    };
    for (const Case& expected : cases) {
        SCOPED_TRACE("language " + std::to_string(expected.language));
        EditorWindowRig rig(expected.language);
        rig.objects(2, 2);
        AssignmentEditorWindow& editor = rig.openEditor();
        EXPECT_EQ(menuTitles(editor), expected.titles);
        EXPECT_EQ(menuEntries(editor, 100), expected.file);
        EXPECT_EQ(control<QLabel>(editor, "lbldirection").text().toStdString(), expected.direction);

        editor.menuAction(102)->hover();
        EXPECT_EQ(statusHelp(editor), expected.saveHelp + rig.folder.path("routelane4.agn"));
        editor.menuAction(303)->hover();
        EXPECT_EQ(statusHelp(editor), "") << "an entry without help clears the bar";
        editor.menuAction(102)->hover();
        editor.menuAction(100)->menu()->aboutToHide();
        EXPECT_EQ(statusHelp(editor), "") << "leaving the menu clears the bar";
    }

    EditorWindowRig rig;
    rig.objects(1, 1);
    AssignmentEditorWindow& editor = rig.openEditor();
    EXPECT_EQ(menuEntries(editor, 400),
              (std::vector<std::string>{
                  "Adjustments enable", "-", "Balanced Input", "Unbalanced Input", "-",
                  "Turn all inputs in Balanced mode", "Turn all inputs in Unbalanced mode", "-",
                  "Ajustment of all input level to...", "-", "Select this output as audio monitor"}));
}

TEST(EditorWindow, MenuStatesFollowTheEditorAfterARefillAndARowClick) {
    EditorWindowRig rig;
    rig.objects(3, 2);
    AssignmentEditorWindow& editor = rig.openEditor();
    auto& slider = control<QSlider>(editor, "sliagn");
    auto& level = control<QLabel>(editor, "lblvolagn");
    auto& mode = control<QPushButton>(editor, "cmdbal");

    EXPECT_EQ(enabledAmong(editor, kEditIds), std::vector<int>{});
    EXPECT_EQ(enabledAmong(editor, kLevelIds), std::vector<int>{});
    EXPECT_EQ(enabledAmong(editor, {301, 302, 303}), (std::vector<int>{301, 302, 303}));
    EXPECT_FALSE(slider.isVisible());

    // A source with an audio input: the matrix tells its gain (20) and mode (unbalanced).
    rig.takeWritten();
    rig.clickRow(1);
    EXPECT_EQ(rig.takeWritten(), (std::vector<Frame>{five('l', 2, 0), five('g', 2, 0)}));
    EXPECT_EQ(enabledAmong(editor, kEditIds), std::vector<int>(kEditIds));
    EXPECT_EQ(enabledAmong(editor, kLevelIds), std::vector<int>{406});
    EXPECT_EQ(checkedAmong(editor, kLevelIds), std::vector<int>{402});
    EXPECT_FALSE(editor.menuAction(401)->isCheckable()) << "only checked entries carry a mark";
    EXPECT_EQ(background(rig.list(), 1), (std::array<int, 3>{96, 192, 255}));
    EXPECT_EQ(background(rig.list(), 0), (std::array<int, 3>{192, 255, 255}));
    EXPECT_TRUE(slider.isVisible());
    EXPECT_FALSE(slider.isEnabled());
    EXPECT_EQ(slider.value(), 20);
    EXPECT_EQ(level.text().toStdString(), "-18 dB");
    EXPECT_EQ(level.toolTip().toStdString(),
              "This level is locked. (to unlock, please enable the menu : Levels/Adjustments)");
    EXPECT_EQ(mode.text().toStdString(), "Unbalanced");

    rig.choose(406);
    EXPECT_EQ(checkedAmong(editor, kLevelIds), (std::vector<int>{402, 406}));
    EXPECT_EQ(enabledAmong(editor, kLevelIds), (std::vector<int>{401, 402, 403, 404, 406, 407}));
    EXPECT_TRUE(slider.isEnabled());
    EXPECT_EQ(slider.toolTip().toStdString(), "Input Level Adjustment");

    // The slider sends the level; the matrix's answer puts it back on the slider.
    QTest::keyClick(&slider, Qt::Key_Right);
    EXPECT_EQ(rig.takeWritten(), std::vector<Frame>{five('L', 2, 21)});
    EXPECT_EQ(slider.value(), 21);
    EXPECT_EQ(level.text().toStdString(), "-15 dB");
    QTest::mouseClick(&mode, Qt::LeftButton);
    EXPECT_EQ(rig.takeWritten(), std::vector<Frame>{five('G', 2, 0)});
    EXPECT_EQ(checkedAmong(editor, kLevelIds), (std::vector<int>{401, 406}));
    EXPECT_EQ(mode.text().toStdString(), "Balanced");

    // Another view refills the list: every command waits for a new click, the levels are locked again.
    QTest::mouseClick(&control<QLabel>(editor, "lbldirection"), Qt::LeftButton);
    EXPECT_EQ(control<QLabel>(editor, "lbldirection").text().toStdString(), "Assignation : Destinations");
    EXPECT_EQ(paletteColour(control<QLabel>(editor, "lbldirection"), QPalette::Window),
              (std::array<int, 3>{255, 255, 192}));
    EXPECT_EQ(column(rig.list(), 1), (std::vector<std::string>{"Monitor 1", "Monitor 2"}));
    EXPECT_EQ(enabledAmong(editor, kEditIds), std::vector<int>{});
    EXPECT_EQ(enabledAmong(editor, kLevelIds), std::vector<int>{});
    EXPECT_EQ(checkedAmong(editor, kLevelIds), std::vector<int>{});
    EXPECT_FALSE(slider.isVisible());

    rig.clickRow(1);
    EXPECT_EQ(enabledAmong(editor, kLevelIds), std::vector<int>{405});
    rig.choose(405);
    EXPECT_TRUE(control<QLabel>(editor, "lblaudiomonitor").isVisible());
    EXPECT_EQ(control<QLabel>(editor, "lblaudiomonitor").text().toStdString(),
              "Audio Monitoring = Monitor 2");
}

TEST(EditorWindow, TheSpecialViewIsRefusedWith112Destinations) {
    EditorWindowRig rig;
    rig.objects(2, 112);
    AssignmentEditorWindow& editor = rig.openEditor();
    EXPECT_FALSE(editor.menuAction(303)->isEnabled());
    editor.menuAction(303)->trigger();
    EXPECT_EQ(control<QLabel>(editor, "lbldirection").text().toStdString(), "Assignation : Sources");
    EXPECT_EQ(rig.list().rowCount(), 2);

    // One destination fewer and the view is offered again.
    rig.choose(302);
    rig.clickRow(111);
    QTest::keyClick(&rig.list(), Qt::Key_Delete);
    EXPECT_EQ(rig.list().rowCount(), 111);
    EXPECT_TRUE(editor.menuAction(303)->isEnabled());
    rig.choose(303);
    EXPECT_EQ(control<QLabel>(editor, "lbldirection").text().toStdString(), "Functions : Special");
    EXPECT_EQ(paletteColour(control<QLabel>(editor, "lbldirection"), QPalette::Window),
              (std::array<int, 3>{255, 192, 255}));
    EXPECT_EQ(rig.list().rowCount(), 18);
    EXPECT_EQ(cell(rig.list(), 0, 1), "Take");
}

TEST(EditorWindow, KeysAndColumnClicksReachTheEditor) {
    EditorWindowRig rig;
    rig.objects(3, 2);
    AssignmentEditorWindow& editor = rig.openEditor();
    QTableWidget& list = rig.list();

    rig.clickRow(0);
    QTest::keyClick(&list, Qt::Key_X);
    EXPECT_EQ(list.rowCount(), 3) << "X alone is nothing";
    QTest::keyClick(&list, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(column(list, 1), (std::vector<std::string>{"Camera 2", "Camera 3"}));
    rig.clickRow(1);
    QTest::keyClick(&list, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(column(list, 1), (std::vector<std::string>{"Camera 2", "Camera 1", "Camera 3"}));
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(list.rowCount(), 3) << "every command needs a new click";
    rig.clickRow(2);
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(column(list, 1), (std::vector<std::string>{"Camera 2", "Camera 1"}));
    rig.clickRow(0);
    QTest::keyClick(&list, Qt::Key_Insert);
    EXPECT_EQ(column(list, 1), (std::vector<std::string>{"", "Camera 2", "Camera 1"}));

    // The audio column filled with the record numbers, after a choice and a confirmation.
    rig.prompt.answer(2);
    rig.prompt.answer(kAnswerYes);
    clickHeader(list, 3);
    EXPECT_EQ(rig.prompt.questions.at(0).text, "Audio|Erase this column|Fill with 1,2,3...|cancel");
    EXPECT_EQ(rig.prompt.questions.at(1).text, "Fill?");
    EXPECT_EQ(column(list, 3), (std::vector<std::string>{"1", "2", "3"}));
    clickHeader(list, 0);
    EXPECT_EQ(rig.prompt.questions.size(), 2u) << "the number column has no action";

    // Enter and the double click open the change dialog, modal over the editor.
    rig.clickRow(1);
    QTest::keyClick(&list, Qt::Key_Return);
    ASSERT_NE(editor.changeDialogWindow(), nullptr);
    EXPECT_TRUE(editor.changeDialogWindow()->isVisible());
    EXPECT_TRUE(editor.changeDialogWindow()->isModal());
    QTest::keyClick(editor.changeDialogWindow(), Qt::Key_Escape);
    EXPECT_EQ(editor.changeDialogWindow(), nullptr);
    EXPECT_EQ(rig.engine.editor().changeDialog(), nullptr) << "Escape is Cancel";

    // A double click as the window system makes it: press, release, press, double click, release.
    const QPoint place = list.visualItemRect(list.item(2, 1)).center();
    QTest::mouseDClick(editor.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                       list.viewport()->mapTo(&editor, place));
    ASSERT_NE(editor.changeDialogWindow(), nullptr);
    EXPECT_EQ(rig.engine.editor().changeDialog()->row(), 3);
}

TEST(EditorWindow, ToolbarSavesAndQuits) {
    for (int language : {kLanguageEnglish, kLanguageFrench}) {
        EditorWindowRig rig(language);
        rig.objects(2, 1);
        AssignmentEditorWindow& editor = rig.openEditor();
        ASSERT_EQ(control<QToolBar>(editor, "tbagn").actions().size(), 3);
        std::vector<std::string> hints;
        for (int button = 1; button <= 3; ++button) {
            EXPECT_FALSE(toolbarButton(editor, button)->icon().isNull()) << button;
            hints.push_back(toolbarButton(editor, button)->toolTip().toStdString());
        }
        EXPECT_EQ(hints, language == kLanguageFrench
                             ? (std::vector<std::string>{"", "Sauvegarder les assignations", "Quitter"})
                             : (std::vector<std::string>{"", "Save the assignments", "Quit"}));
    }

    EditorWindowRig rig;
    rig.objects(2, 1);
    AssignmentEditorWindow& editor = rig.openEditor();
    rig.clickRow(0);
    QTest::keyClick(&rig.list(), Qt::Key_Delete);
    toolbarButton(editor, 1)->trigger();
    EXPECT_TRUE(rig.prompt.questions.empty()) << "the first button has no action";

    // Never saved under its name: Save asks for one.
    const std::string kept = rig.folder.path("kept.agn");
    rig.prompt.answerPath(kept);
    toolbarButton(editor, 2)->trigger();
    EXPECT_EQ(rig.prompt.questions.back().title, "Save Assignment");
    EXPECT_TRUE(fileExists(kept));
    EXPECT_EQ(editor.windowTitle().toStdString(), "Assignments Editor for " + kept);
    toolbarButton(editor, 3)->trigger();
    EXPECT_EQ(rig.prompt.questions.size(), 1u) << "nothing left to save";
    EXPECT_FALSE(editor.isVisible());
}

} // namespace
} // namespace rl4::test
