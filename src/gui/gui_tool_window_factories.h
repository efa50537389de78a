#pragma once

#include "engine/engine.h"
#include "engine/main_commands.h"
#include "gui/gui_tool_windows.h"

#include <QString>

namespace rl4 {

class MainWindow;

// Adds the makers of the switcher control, history, configuration and matrix information windows. The
// switcher control's pointer hints go to `mainWindow`'s status bar.
void addToolWindows(ToolWindows& tools, Engine& engine, MainCommands& commands, MainWindow& mainWindow);

// Opens those four windows through the main window's commands, with rows in the history from a reading of
// the matrix status, and saves a picture of each into `folder` as switcher_SUFFIX.png, history_SUFFIX.png,
// configuration_SUFFIX.png and information_SUFFIX.png; the windows are closed again afterwards, the
// configuration cancelled. False when a window did not open or a picture could not be written.
bool saveToolWindowScreenshots(const QString& folder, const QString& suffix, MainCommands& commands,
                               ToolWindows& tools);

} // namespace rl4
