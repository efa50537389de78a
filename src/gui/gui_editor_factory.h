#pragma once

#include "engine/engine.h"
#include "engine/main_commands.h"
#include "gui/gui_tool_windows.h"

#include <QString>
#include <QWidget>

namespace rl4 {

// Adds the maker of the assignment editor window. While the editor is open it hides `mainWindow` and
// the switcher control and history windows that are shown; when it closes they come back, and the main
// window's commands are taken again.
void addEditorWindow(ToolWindows& tools, Engine& engine, QWidget& mainWindow);

// The editor's window while it is shown, else nullptr.
QWidget* shownEditorWindow(ToolWindows& tools);

// Opens the editor through the main window's command and saves pictures of it into `folder`: its three views
// (editor_sources_SUFFIX.png, editor_destinations_SUFFIX.png, editor_specials_SUFFIX.png), the change dialog
// of a source and of a destination (change_source_SUFFIX.png, change_destination_SUFFIX.png) and the size
// dialog (size_SUFFIX.png). The dialogs are cancelled and the editor closed again afterwards, without saving.
// False when a window did not open or a picture could not be written.
bool saveEditorScreenshots(const QString& folder, const QString& suffix, MainCommands& commands,
                           ToolWindows& tools);

} // namespace rl4
