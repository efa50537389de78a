#pragma once

#include "gui/gui_listener_hub.h"
#include "gui/gui_tool_windows.h"
#include "gui/gui_translation.h"
#include "gui/main_window.h"
#include "support/engine_rig.h"

#include <QColor>
#include <QComboBox>
#include <QTableWidget>
#include <array>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace rl4::test {

// The window program on the engine rig: the program's engine on the rig's folder, fake clock, scripted
// prompt and software matrix, with the main window and every tool window wired as the program wires them.
// The rig's own engine stays idle: its listener only records, and the windows must hear the engine.
class WindowRig {
public:
    explicit WindowRig(RigOptions options = {});
    ~WindowRig();
    WindowRig(const WindowRig&) = delete;
    WindowRig& operator=(const WindowRig&) = delete;

    // Changes a line of the settings file (from 0) before the start-up: 12 the language, 2 to 5 the main
    // window's place and size, 6 and 7 the switcher control's place ...
    void setting(std::size_t line, const std::string& value);
    // The program's start-up: settings, menus in their language, the main window shown, the matrix found,
    // the tool windows the settings keep open.
    void start();
    QWidget* startWith(int menuId);
    // Main loop passes on the fake clock, the event loop running between them.
    void runMainLoop(int millis = 100);
    void choose(int menuId);
    QWidget* window(int menuId) const { return tools.window(menuId); }

    // A control of a window by its object name; a test that expects one fails when it is not there.
    template <typename Control = QWidget>
    Control& control(QWidget* window, const char* name) {
        Control* found = window == nullptr              ? nullptr
                         : window->objectName() == name ? qobject_cast<Control*>(window)
                                                        : window->findChild<Control*>(name);
        if (found == nullptr) {
            ADD_FAILURE() << "no control " << name;
            throw std::runtime_error(name);
        }
        return *found;
    }
    QTableWidget& sheet() { return control<QTableWidget>(&mainWindow, "lvcom"); }

    EngineRig rig;
    ListenerHub hub;
    Engine engine{rig.folder.folder(), rig.clock, rig.opener, rig.prompt, hub};
    QtTranslation translation{engine.messages()};
    MainCommands commands{engine, [this] { return mainWindow.geometryTwips(); }};
    MainWindow mainWindow{engine, commands};
    ToolWindows tools{hub};
};

using Rgb = std::array<int, 3>;
Rgb rgb(const QColor& colour);
std::string text(const QWidget& control);
std::string cell(const QTableWidget& table, int row, int column);
std::vector<std::string> column(const QTableWidget& table, int column);
std::vector<std::string> items(const QComboBox& box);
// A click on a cell of a table, or on a row of a list or tree.
void clickCell(QAbstractItemView& view, int row, int column = 0);
// The colour a control shows in the middle of its left edge, inside its border.
Rgb shownColour(QWidget& control);

} // namespace rl4::test
