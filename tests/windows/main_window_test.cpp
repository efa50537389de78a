#include "app/gui_twips.h"
#include "sheet/main_window.h"
#include "sheet/settings.h"
#include "window_rig.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

namespace rl4::test {
namespace {

std::string caption(MainWindow& window, int id) {
    QAction* action = window.menuAction(id);
    return action ? action->text().toStdString() : "<no item " + std::to_string(id) + ">";
}

std::vector<std::string> menuBarTitles(MainWindow& window) {
    std::vector<std::string> titles;
    for (QAction* action : window.menuBar()->actions())
        titles.push_back(action->text().toStdString());
    return titles;
}

std::vector<QAction*> toolbarButtons(MainWindow& window) {
    const QList<QAction*> actions = window.findChild<QToolBar*>("tb1")->actions();
    return {actions.begin(), actions.end()};
}

std::string statusHelp(MainWindow& window) {
    return window.findChild<QStatusBar*>("sb1")->currentMessage().toStdString();
}

struct LanguageCase {
    int language;
    std::vector<std::string> titles;
    std::string open, store, switcher, info;
    std::vector<std::string> tooltips;
    std::string fileHelp, switcherHelp;
    std::string storeButton;
};

TEST(MainWindow, MenusToolbarAndHelpSpeakTheOperatorsLanguage) {
    const std::vector<LanguageCase> cases{
        {kLanguageEnglish,
         {"&File", "&Display", "&Tools", "&Assignments", "&Help"},
         "&Open connexion file...",
         "Store Current Status to the matrix\"",
         "Switcher Control",
         "Matrix Info",
         {"", "Open a connexion sheet", "Save the connexion sheet", "Quit"},
         "Switcher Files",
         "Opens the window used for control the switching of the matrix.",
         "Store status"},
        {kLanguageFrench,
         {"&Fichier", "&Affichage", "&Outils", "&Assignations", "&Aide"},
         "&Ouvrir une page de commutation...",
         "Mémoriser l'état de la grille",
         "Controleur de commutation",
         "Information Matrice",
         {"", "Ouvrir une page de commutation", "Enregistrer la page de commutation", "Quitter"},
         "Fichiers de commutation",
         "Ouvre une fenêtre permettant le contrôle des commutations vers la grille.",
         "Mémoriser l'état"},
    };
    for (const LanguageCase& expected : cases) {
        SCOPED_TRACE("language " + std::to_string(expected.language));
        WindowRig rig(expected.language, videoAudioAssignment());
        ASSERT_TRUE(rig.startUp());
        MainWindow& window = rig.window();

        EXPECT_EQ(menuBarTitles(window), expected.titles);
        EXPECT_EQ(caption(window, 101), expected.open);
        EXPECT_EQ(caption(window, 109), expected.store);
        EXPECT_EQ(caption(window, 206), expected.switcher);
        EXPECT_EQ(caption(window, 502), expected.info);
        for (int id : {308, 110, 111})
            EXPECT_FALSE(window.menuAction(id)->isEnabled()) << id;
        for (int id : {101, 104, 109, 201, 206})
            EXPECT_TRUE(window.menuAction(id)->isEnabled()) << id;

        // One separator, then the four command buttons with their images and tips.
        const std::vector<QAction*> buttons = toolbarButtons(window);
        ASSERT_EQ(buttons.size(), 5u);
        EXPECT_TRUE(buttons[0]->isSeparator());
        std::vector<std::string> tooltips;
        for (std::size_t i = 1; i < buttons.size(); ++i) {
            EXPECT_FALSE(buttons[i]->icon().isNull()) << i;
            tooltips.push_back(buttons[i]->toolTip().toStdString());
        }
        EXPECT_EQ(tooltips, expected.tooltips);

        // The pointer on a menu title or item writes its help into the status bar.
        window.menuAction(100)->hover();
        EXPECT_EQ(statusHelp(window), expected.fileHelp);
        window.menuAction(206)->hover();
        EXPECT_EQ(statusHelp(window), expected.switcherHelp);
        window.menuAction(307)->hover();
        EXPECT_EQ(statusHelp(window), "");

        EXPECT_EQ(window.findChild<QPushButton*>("cmddemstore")->text().toStdString(), expected.storeButton);
    }
}

TEST(MainWindow, ShowAllAndShowSelectedCarryTheCheckMarkAndRefillTheSheet) {
    RigAssignment assignment = videoAudioAssignment();
    assignment.unselected = {2, 3};
    WindowRig rig(kLanguageEnglish, assignment);
    ASSERT_TRUE(rig.startUp());
    MainWindow& window = rig.window();
    EXPECT_TRUE(window.menuAction(201)->isChecked());
    EXPECT_FALSE(window.menuAction(202)->isChecked());
    EXPECT_EQ(rig.sheet().rowCount(), 4);

    window.menuAction(202)->trigger();
    EXPECT_FALSE(window.menuAction(201)->isChecked());
    EXPECT_TRUE(window.menuAction(202)->isChecked());
    ASSERT_EQ(rig.sheet().rowCount(), 2);
    EXPECT_EQ(cellText(rig.sheet(), 1, 1), "Monitor 4");

    // Choosing the mode already in force keeps its mark rather than flipping it.
    window.menuAction(202)->trigger();
    EXPECT_TRUE(window.menuAction(202)->isChecked());
    window.menuAction(201)->trigger();
    EXPECT_TRUE(window.menuAction(201)->isChecked());
    EXPECT_FALSE(window.menuAction(202)->isChecked());
    EXPECT_EQ(rig.sheet().rowCount(), 4);
}

TEST(MainWindow, EveryCommandIsRefusedWhileTheAssignmentEditorIsOpen) {
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    ASSERT_TRUE(rig.startUp());
    MainWindow& window = rig.window();
    rig.engine().assignmentEditorOpen = true;
    const long sentBefore = rig.engine().link.shotCount;
    const std::size_t askedBefore = rig.prompt.questions.size();

    window.menuAction(202)->trigger();                                                // a menu item
    QTest::mouseClick(window.findChild<QPushButton*>("cmddemstore"), Qt::LeftButton); // the store button
    toolbarButtons(window)[4]->trigger();                                             // the toolbar's Quit

    ASSERT_EQ(rig.prompt.questions.size(), askedBefore + 3);
    for (std::size_t i = askedBefore; i < rig.prompt.questions.size(); ++i)
        EXPECT_EQ(rig.prompt.questions[i].text, "Please, close the assignment window.");
    EXPECT_TRUE(rig.engine().sheet.showAll);
    EXPECT_TRUE(window.menuAction(201)->isChecked());
    EXPECT_EQ(rig.engine().link.shotCount, sentBefore);
    EXPECT_TRUE(window.isVisible());
}

TEST(MainWindow, OpensWhereTheSettingsSayAndKeepsItsPlaceAtQuit) {
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    const Settings saved = rig.changeSettings([](Settings& settings) {
        settings.mainWindow = {1500, 900};
        settings.mainWidth = 12000;
        settings.mainHeight = 8100;
    });
    ASSERT_TRUE(rig.startUp());
    MainWindow& window = rig.window();
    const int dpiX = window.logicalDpiX();
    const int dpiY = window.logicalDpiY();
    EXPECT_EQ(window.pos(), QPoint(twipsToPixels(1500, dpiX), twipsToPixels(900, dpiY)));
    EXPECT_EQ(window.width(), twipsToPixels(saved.mainWidth, dpiX));
    EXPECT_EQ(window.height(), twipsToPixels(saved.mainHeight, dpiY));
    EXPECT_EQ(window.windowTitle().toStdString(), rig.engine().title());
    EXPECT_NE(rig.engine().title().find("no matrix found"), std::string::npos);

    // Nothing on line without a matrix, and a click on the indicator sends nothing.
    auto* lblonline = window.findChild<QLabel*>("lblonline");
    EXPECT_EQ(lblonline->text(), "OFF LINE");
    EXPECT_EQ(lblonline->palette().color(QPalette::Window), QColor(255, 0, 0));
    const long sentBefore = rig.engine().link.shotCount;
    QTest::mouseClick(lblonline, Qt::LeftButton);
    EXPECT_EQ(rig.engine().link.shotCount, sentBefore);

    window.move(150, 75);
    window.resize(900, 600);
    bool finished = false;
    QObject::connect(&rig.session(), &GuiSession::finished, [&finished] { finished = true; });
    window.menuAction(106)->trigger();
    EXPECT_TRUE(finished);
    EXPECT_FALSE(window.isVisible());

    Settings written = startSettings(rig.folder());
    ScriptedPrompt quiet;
    ReadSettings(settingsFilePath(rig.folder()), written, quiet);
    EXPECT_EQ(written.mainWindow.left, pixelsToTwips(window.pos().x(), dpiX));
    EXPECT_EQ(written.mainWindow.top, pixelsToTwips(window.pos().y(), dpiY));
    EXPECT_EQ(written.mainWidth, pixelsToTwips(900, dpiX));
    EXPECT_EQ(written.mainHeight, pixelsToTwips(600, dpiY));
}

} // namespace
} // namespace rl4::test
