#pragma once

#include "engine/engine.h"
#include "engine/main_commands.h"
#include "engine/main_menu.h"

#include <QMainWindow>
#include <map>

class QLabel;
class QMenu;
class QPushButton;
class QToolBar;

namespace rl4 {

class SheetView;
class VcaPanelView;

// The main window `frm1`: menus, toolbar `tb1`, the switching sheet `lvcom`, the VCA panel, the link
// indicator `lblonline`, the store button `cmddemstore` and the status bar `sb1`. It draws what the engine
// computes and hands every command to MainCommands.
class MainWindow : public QMainWindow, public EngineListener {
    Q_OBJECT

public:
    MainWindow(Engine& engine, MainCommands& commands);
    ~MainWindow() override;

    // Menus, toolbar tips and captions in a language (1 English, 2 French); the menus keep it until the
    // program starts again.
    void useLanguage(int language);
    int menuLanguage() const { return menuLanguage_; }
    // Place and size as the settings keep them, in twips; a place out of sight is brought into sight.
    void placeAt(const Settings& settings);
    // Where the window stands, in twips: what placeAt was given as long as the window stands where that
    // put it, so that a window left alone writes back the very values it read.
    MainWindowGeometry geometryTwips() const;
    // The menu item of an id, or nullptr.
    QAction* menuAction(int id) const;
    // A hint for the status bar `sb1`, from this window's menus or from another window.
    void showStatusHelp(const std::string& text);

    void onLineChanged(bool onLine) override;
    void sheetColumnsChanged() override;
    void sheetFilled() override;
    void sheetRowChanged(int destination) override;
    void currentRowChanged() override;
    void statusTextChanged(const std::string& text) override;
    void vcaPanelChanged() override;
    void storeButtonChanged(bool enabled) override;
    void titleChanged(const std::string& title) override;
    void sheetChecksChanged() override;
    void quitRequested() override;
    void menuChecksChanged() override;

signals:
    // The engine's shutdown has run: the program may end.
    void closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus(int language);
    void fillMenu(QMenu* menu, const std::vector<MenuItem>& items);
    QAction* commandAction(const MenuItem& item, QObject* owner);
    void buildToolbar(int language);
    void command(int id);
    void redrawMenuChecks();
    void drawOnLine(bool onLine);

    Engine& engine_;
    MainCommands& commands_;
    QToolBar* tb1_;
    SheetView* lvcom_;
    VcaPanelView* vcaPanel_;
    QLabel* lblonline_;
    QPushButton* cmddemstore_;
    std::map<int, QAction*> menuActions_;
    // The place and size placeAt was given, and the pixels it made of them.
    MainWindowGeometry kept_;
    QRect keptPixels_;
    int menuLanguage_ = 0;
    bool shutDown_ = false;
};

} // namespace rl4
