#include "gui/gui_twips.h"
#include "gui/main_window.h"
#include "platform/text_file.h"
#include "sheet/settings.h"
#include "window_rig.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
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
    QString qtYes; // Qt's own button, as its message boxes show it
};

QString qtYes() {
    return QCoreApplication::translate("QPlatformTheme", "&Yes");
}

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
         "Store status",
         "&Yes"},
        {kLanguageFrench,
         {"&Fichier", "&Affichage", "&Outils", "&Assignations", "&Aide"},
         "&Ouvrir une page de commutation...",
         "Mémoriser l'état de la grille",
         "Controleur de commutation",
         "Information Matrice",
         {"", "Ouvrir une page de commutation", "Enregistrer la page de commutation", "Quitter"},
         "Fichiers de commutation",
         "Ouvre une fenêtre permettant le contrôle des commutations vers la grille.",
         "Mémoriser l'état",
         "&Oui"},
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
        // Qt follows it with the entry's own status tip, which is empty: the help stays.
        window.menuAction(206)->showStatusText(window.menuBar());
        EXPECT_EQ(statusHelp(window), expected.switcherHelp);
        window.menuAction(307)->hover();
        EXPECT_EQ(statusHelp(window), "");

        EXPECT_EQ(window.findChild<QPushButton*>("cmddemstore")->text().toStdString(), expected.storeButton);

        // Qt's own texts speak the language too, and follow it when the configuration changes it.
        EXPECT_EQ(qtYes(), expected.qtYes);
        ConfigDialogModel& config = rig.engine().config();
        config.frmconfig_Load();
        config.setLanguageChoice(expected.language == kLanguageFrench ? kLanguageEnglish : kLanguageFrench);
        config.confok_Click();
        EXPECT_NE(qtYes(), expected.qtYes);
    }
    EXPECT_EQ(qtYes(), "&Yes") << "gone with the program";
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
    rig.engine().assignmentEditorOpened();
    const long sentBefore = rig.engine().link().shotCount();
    const std::size_t askedBefore = rig.prompt.questions.size();

    window.menuAction(202)->trigger();                                                // a menu item
    QTest::mouseClick(window.findChild<QPushButton*>("cmddemstore"), Qt::LeftButton); // the store button
    toolbarButtons(window)[4]->trigger();                                             // the toolbar's Quit

    ASSERT_EQ(rig.prompt.questions.size(), askedBefore + 3);
    for (std::size_t i = askedBefore; i < rig.prompt.questions.size(); ++i)
        EXPECT_EQ(rig.prompt.questions[i].text, "Please, close the assignment window.");
    EXPECT_TRUE(rig.engine().sheet().showAll());
    EXPECT_TRUE(window.menuAction(201)->isChecked());
    EXPECT_EQ(rig.engine().link().shotCount(), sentBefore);
    EXPECT_TRUE(window.isVisible());
}

TEST(MainWindow, OpensWhereTheSettingsSayAndKeepsItsPlaceAtQuit) {
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    // Twips that whole pixels do not carry at the usual resolutions.
    const Settings saved = rig.changeSettings([](Settings& settings) {
        settings.mainWindow = {1507, 902};
        settings.mainWidth = 11530;
        settings.mainHeight = 7000;
    });
    ASSERT_TRUE(rig.startUp());
    MainWindow& window = rig.window();
    const int dpiX = window.logicalDpiX();
    const int dpiY = window.logicalDpiY();
    EXPECT_EQ(window.pos(), QPoint(twipsToPixels(1507, dpiX), twipsToPixels(902, dpiY)));
    EXPECT_EQ(window.width(), twipsToPixels(saved.mainWidth, dpiX));
    EXPECT_EQ(window.height(), twipsToPixels(saved.mainHeight, dpiY));
    // Left where it opened, the window gives back what it was given.
    const WorkspaceLayout untouched = rig.session().commands().workspaceLayout();
    EXPECT_EQ(untouched.mainWindow, saved.mainWindow);
    EXPECT_EQ(untouched.mainWidth, saved.mainWidth);
    EXPECT_EQ(untouched.mainHeight, saved.mainHeight);
    EXPECT_EQ(window.windowTitle().toStdString(), rig.engine().title());
    EXPECT_NE(rig.engine().title().find("no matrix found"), std::string::npos);

    // Nothing on line without a matrix, and a click on the indicator sends nothing.
    auto* lblonline = window.findChild<QLabel*>("lblonline");
    EXPECT_EQ(lblonline->text(), "OFF LINE");
    EXPECT_EQ(lblonline->palette().color(QPalette::Window), QColor(255, 0, 0));
    const long sentBefore = rig.engine().link().shotCount();
    QTest::mouseClick(lblonline, Qt::LeftButton);
    EXPECT_EQ(rig.engine().link().shotCount(), sentBefore);

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

TEST(MainWindow, OpensInSightWhateverPlaceTheSettingsKeep) {
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    // From a larger second screen to the right, and larger than this one.
    rig.changeSettings([](Settings& settings) {
        settings.mainWindow = {30000, 20000};
        settings.mainWidth = 32000;
        settings.mainHeight = 20000;
    });
    ASSERT_TRUE(rig.startUp());
    MainWindow& window = rig.window();
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.frameGeometry()))
        << window.frameGeometry().x() << "," << window.frameGeometry().y() << " "
        << window.frameGeometry().width() << "x" << window.frameGeometry().height() << " in "
        << screen.width() << "x" << screen.height();

    window.menuAction(106)->trigger();
    Settings written = startSettings(rig.folder());
    ScriptedPrompt quiet;
    ReadSettings(settingsFilePath(rig.folder()), written, quiet);
    EXPECT_EQ(written.mainWindow.left, pixelsToTwips(window.x(), window.logicalDpiX()));
    EXPECT_EQ(written.mainWindow.top, pixelsToTwips(window.y(), window.logicalDpiY()));
    EXPECT_EQ(written.mainWidth, pixelsToTwips(window.width(), window.logicalDpiX()));
}

TEST(MainWindow, ASignalKeepsChangedConnexionsAsideAndAsksNothing) {
    WindowRig rig(kLanguageEnglish, videoAudioAssignment());
    ASSERT_TRUE(rig.startUp());
    const std::string own = rig.folder() + "/routelane4.cnx";
    const auto ownBefore = readTextLines(own);
    rig.engine().routing().wanted(Layer::Video, 1) = 2;
    rig.engine().routingCommands().DownloadRouting();
    ASSERT_TRUE(rig.engine().routing().connexionsChanged());
    const std::size_t askedBefore = rig.prompt.questions.size();

    bool finished = false;
    QObject::connect(&rig.session(), &GuiSession::finished, [&finished] { finished = true; });
    rig.session().requestQuit();
    ASSERT_TRUE(WindowRig::pumpUntil([&finished] { return finished; }, 5000));

    const std::string kept = rig.folder() + "/routelane4.recovered.cnx";
    ASSERT_EQ(rig.prompt.questions.size(), askedBefore + 1);
    EXPECT_EQ(rig.prompt.questions.back().text, "The changed connexions were kept in the file: " + kept);
    EXPECT_EQ(readTextLines(kept).value_or(std::vector<std::string>{}).at(3), "  1|  2|  0|  0|  0|  0");
    EXPECT_EQ(readTextLines(own), ownBefore);
}

} // namespace
} // namespace rl4::test
