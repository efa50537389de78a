#include "gui/gui_editor_factory.h"

#include "engine/menu_ids.h"
#include "gui/assignment_editor_window.h"
#include "gui/change_dialog.h"
#include "gui/gui_window_shot.h"
#include "gui/size_dialog.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <iostream>
#include <vector>

namespace rl4 {

namespace {

using namespace menu_id;

constexpr QSize kShotSize{640, 520};

// The windows around the editor: hidden while it is open, back when it closes.
class EditorSurroundings : public EditorListener {
public:
    EditorSurroundings(QWidget& mainWindow, ToolWindows& tools) : mainWindow_(mainWindow), tools_(tools) {}

    void otherWindowsShown(bool shown) override {
        if (shown) {
            mainWindow_.show();
            for (const QPointer<QWidget>& window : hidden_) {
                if (window != nullptr)
                    window->show();
            }
            hidden_.clear();
            return;
        }
        mainWindow_.hide();
        hidden_.clear();
        for (int id : {kSwitcherControl, kHistory}) {
            QWidget* window = tools_.window(id);
            if (window != nullptr && window->isVisible()) {
                hidden_.emplace_back(window);
                window->hide();
            }
        }
    }

private:
    QWidget& mainWindow_;
    ToolWindows& tools_;
    std::vector<QPointer<QWidget>> hidden_;
};

// The operator's click on a row of the list.
void clickRow(QTableWidget* list, int row) {
    if (list == nullptr || list->item(row, 0) == nullptr)
        return;
    const QPoint place = list->visualItemRect(list->item(row, 0)).center();
    const QPointF local(place);
    const QPointF global(list->viewport()->mapToGlobal(place));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &release);
}

void choose(AssignmentEditorWindow& editor, int id) {
    if (QAction* action = editor.menuAction(id); action != nullptr && action->isEnabled())
        action->trigger();
}

void press(QWidget* dialog, const char* button) {
    if (dialog == nullptr)
        return;
    if (auto* found = dialog->findChild<QPushButton*>(button))
        found->click();
}

} // namespace

void addEditorWindow(ToolWindows& tools, Engine& engine, QWidget& mainWindow) {
    tools.add(kAssignmentEditor, [&tools, &engine, &mainWindow] {
        return std::make_unique<AssignmentEditorWindow>(
            engine.editor(), engine.messages(), std::make_unique<EditorSurroundings>(mainWindow, tools));
    });
}

QWidget* shownEditorWindow(ToolWindows& tools) {
    QWidget* editor = tools.window(kAssignmentEditor);
    return editor != nullptr && editor->isVisible() ? editor : nullptr;
}

bool saveEditorScreenshots(const QString& folder, const QString& suffix, MainCommands& commands,
                           ToolWindows& tools) {
    commands.frm1_MenuEvent(kAssignmentEditor);
    auto* editor = qobject_cast<AssignmentEditorWindow*>(tools.window(kAssignmentEditor));
    if (editor == nullptr) {
        std::cerr << "the assignment editor did not open\n";
        return false;
    }
    editor->resize(kShotSize);
    auto* list = editor->findChild<QTableWidget*>("lvagn");
    bool saved = true;

    // A source with its level as the matrix reports it, ready for adjustment.
    clickRow(list, 0);
    choose(*editor, editor_menu::kAdjustmentsEnable);
    saved = saveWindow(editor, folder, "editor_sources", suffix) && saved;

    // A destination chosen as the audio monitor.
    choose(*editor, editor_menu::kDestinationView);
    clickRow(list, 1);
    choose(*editor, editor_menu::kAudioMonitor);
    saved = saveWindow(editor, folder, "editor_destinations", suffix) && saved;

    choose(*editor, editor_menu::kSpecialView);
    saved = saveWindow(editor, folder, "editor_specials", suffix) && saved;

    choose(*editor, editor_menu::kSourceView);
    clickRow(list, 0);
    choose(*editor, editor_menu::kChange);
    saved = saveWindow(editor->changeDialogWindow(), folder, "change_source", suffix) && saved;
    press(editor->changeDialogWindow(), "cancelchangeagn");

    choose(*editor, editor_menu::kDestinationView);
    clickRow(list, 0);
    choose(*editor, editor_menu::kChange);
    saved = saveWindow(editor->changeDialogWindow(), folder, "change_destination", suffix) && saved;
    press(editor->changeDialogWindow(), "cancelchangeagn");

    // The new assignment starts from an empty edit table: nothing is left to save once it is cancelled.
    choose(*editor, editor_menu::kCreateNew);
    saved = saveWindow(editor->sizeDialogWindow(), folder, "size", suffix) && saved;
    press(editor->sizeDialogWindow(), "cmdsizecancel");

    choose(*editor, editor_menu::kQuit);
    return saved;
}

} // namespace rl4
