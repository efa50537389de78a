#pragma once

#include "assign/assignment_editor.h"
#include "engine/engine_listener.h"
#include "text/message_table.h"

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>
#include <vector>

class QKeyEvent;
class QLabel;
class QPushButton;
class QSlider;
class QTableWidget;
class QToolBar;

namespace rl4 {

class ChangeDialog;
class SizeDialog;

// The assignment editor `frmagn`: the list `lvagn` of the sources, destinations or special functions with
// the label `lbldirection` above it, the toolbar `tbagn`, the menus, the status bar `sbagn` with the menu
// help, and the audio input controls `lblvolagn`, `sliagn`, `cmdbal` and `lblaudiomonitor` under the list.
// Everything it shows comes from the AssignmentEditor; every operator action goes to it, and the window
// redraws after each. It shows the change dialog `frmchangeagn` and the size dialog `frmsize` modally when
// the editor opens them.
//
// Showing the window opens the editor on the active table; its close button closes the editor as menu
// "&Quit" does. What the editor asks of the other windows goes on to `surroundings`.
class AssignmentEditorWindow : public QMainWindow, public EngineListener {
    Q_OBJECT

public:
    // `surroundings` may be null: nothing around the editor is then hidden or shown.
    AssignmentEditorWindow(AssignmentEditor& editor, MessageTable& messages,
                           std::unique_ptr<EditorListener> surroundings = nullptr, QWidget* parent = nullptr);
    ~AssignmentEditorWindow() override;

    // The menu item (or the menu, for a title x00) of an id, or nullptr.
    QAction* menuAction(int id) const;
    // The dialogs while they are shown, or nullptr.
    ChangeDialog* changeDialogWindow() const { return changeDialog_; }
    SizeDialog* sizeDialogWindow() const { return sizeDialog_; }

    void otherWindowsShown(bool shown) override;
    void changeDialogShown(bool shown) override;
    void sizeDialogShown(bool shown) override;
    void editorUnloaded() override;

    // The matrix answered the gain or mode read of the selected source.
    void inputGainChanged(int level, const std::string& text) override;
    void inputModeChanged(bool balanced) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename Call>
    void forward(Call call);

    void buildMenus();
    void buildToolbar();
    void redraw();
    void redrawColumns();
    void fitColumns();
    void redrawList();
    void redrawMenuStates();
    void redrawLevels();
    void showMenuHelp(QAction* action);
    void keyReleased(const QKeyEvent& event);

    AssignmentEditor& editor_;
    MessageTable& messages_;
    std::unique_ptr<EditorListener> surroundings_;

    QToolBar* tbagn_;
    QLabel* lbldirection_;
    QTableWidget* lvagn_;
    QLabel* lblaudiomonitor_;
    QLabel* levelCaption_;
    QLabel* lblvolagn_;
    QSlider* sliagn_;
    QPushButton* cmdbal_;
    std::vector<MenuEntry> builtMenu_;
    std::map<int, QAction*> menuActions_;
    QPointer<ChangeDialog> changeDialog_;
    QPointer<SizeDialog> sizeDialog_;
};

} // namespace rl4
