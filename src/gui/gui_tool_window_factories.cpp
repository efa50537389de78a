#include "gui/gui_tool_window_factories.h"

#include "engine/menu_ids.h"
#include "gui/config_dialog.h"
#include "gui/debug_window.h"
#include "gui/gui_window_place.h"
#include "gui/gui_window_shot.h"
#include "gui/history_window.h"
#include "gui/main_window.h"
#include "gui/matrix_info_window.h"
#include "gui/switcher_window.h"

#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <iostream>

namespace rl4 {

namespace {

using namespace menu_id;

} // namespace

void addToolWindows(ToolWindows& tools, Engine& engine, MainCommands& commands, MainWindow& mainWindow) {
    tools.add(kSwitcherControl, [&engine, &mainWindow] {
        return std::make_unique<SwitcherWindow>(
            engine.switcher(), engine.messages(),
            [&mainWindow](const std::string& hint) { mainWindow.showStatusHelp(hint); }, &mainWindow);
    });
    tools.add(kHistory, [&engine, &mainWindow] {
        return std::make_unique<HistoryWindow>(engine.history(), engine.messages(), engine.prompt(),
                                               &mainWindow);
    });
    tools.add(kSetUp, [&engine, &mainWindow] {
        auto dialog = std::make_unique<ConfigDialog>(engine.config(), engine.messages());
        placeBeside(*dialog, mainWindow);
        return dialog;
    });
    tools.add(kMatrixInfo, [&engine, &commands, &mainWindow] {
        auto window = std::make_unique<MatrixInfoWindow>(commands.matrixInfo(), engine.messages());
        placeBeside(*window, mainWindow);
        return window;
    });
    addDebugWindow(tools, engine, mainWindow);
}

bool saveToolWindowScreenshots(const QString& folder, const QString& suffix, MainCommands& commands,
                               ToolWindows& tools) {
    bool saved = true;
    commands.frm1_MenuEvent(kSwitcherControl);
    saved = saveWindow(tools.window(kSwitcherControl), folder, "switcher", suffix) && saved;

    // A reading of the status fills the history without changing the routing.
    commands.frm1_MenuEvent(kHistory);
    commands.frm1_MenuEvent(kReadStatus);
    saved = saveWindow(tools.window(kHistory), folder, "history", suffix) && saved;

    commands.frm1_MenuEvent(kSetUp);
    QWidget* configuration = tools.window(kSetUp);
    saved = saveWindow(configuration, folder, "configuration", suffix) && saved;
    if (configuration != nullptr)
        configuration->close();

    commands.frm1_MenuEvent(kMatrixInfo);
    saved = saveWindow(tools.window(kMatrixInfo), folder, "information", suffix) && saved;

    for (int id : {kSwitcherControl, kHistory, kMatrixInfo}) {
        if (QWidget* window = tools.window(id))
            window->close();
    }
    return saved;
}

} // namespace rl4
