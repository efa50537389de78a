#pragma once

#include "engine/engine.h"
#include "engine/main_commands.h"
#include "gui/assignment_editor_window.h"
#include "gui/change_dialog.h"
#include "gui/gui_listener_hub.h"
#include "gui/gui_tool_windows.h"
#include "gui/main_window.h"
#include "gui/size_dialog.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompt.h"

#include <QPalette>
#include <QTableWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace rl4::test {

using Frame = std::vector<std::uint8_t>;

inline constexpr int kAssignmentEditor = 401;
inline constexpr int kHistory = 205;
inline constexpr int kSwitcherControl = 206;

// The window program without its start-up, as far as the editor needs it: an engine in a scratch folder
// on a fake clock with a matrix in memory on port 1 (5-byte frames), the main window, and the tool windows
// with the editor registered as the program registers it; plain windows stand for the switcher control
// and the history.
class EditorWindowRig {
public:
    explicit EditorWindowRig(int language = kLanguageEnglish);
    ~EditorWindowRig();
    EditorWindowRig(const EditorWindowRig&) = delete;
    EditorWindowRig& operator=(const EditorWindowRig&) = delete;

    // Sources "Camera 1".. with video, audio and touch equal to their number; destinations "Monitor 1"..
    // with video and audio equal to their number and touch 20 more.
    void objects(int sources, int destinations);
    // The editor as the main window's command opens it.
    AssignmentEditorWindow& openEditor();
    AssignmentEditorWindow* editorWindow();
    QTableWidget& list();
    // The operator's click on a row of the list, and a menu command.
    void clickRow(int row);
    void choose(int id);
    std::vector<Frame> takeWritten();

    ScratchFolder folder;
    FakeClock clock;
    MemoryPortOpener opener{clock};
    ScriptedPrompt prompt;
    ListenerHub hub;
    Engine engine{folder.folder(), clock, opener, prompt, hub};
    MainCommands commands{engine, [] { return MainWindowGeometry{}; }};
    MainWindow mainWindow{engine, commands};
    ToolWindows tools{hub};

    // The matrix's answer to a frame, if any: the gain `gain` and the mode `mode` to their reads, its echo
    // to anything else.
    int gain = 20;
    int mode = 1;
    std::function<std::optional<Frame>(const Frame&)> matrix =
        [this](const Frame& frame) -> std::optional<Frame> {
        if (frame[1] == 'l' || frame[1] == 'g')
            return Frame{frame[0], frame[1], frame[2],
                         static_cast<std::uint8_t>(frame[1] == 'l' ? gain : mode), frame[4]};
        return frame;
    };
    std::vector<Frame> written;

private:
    Frame pending_;
};

inline Frame five(char letter, int output, int value) {
    return {0x02, static_cast<std::uint8_t>(letter), static_cast<std::uint8_t>(output),
            static_cast<std::uint8_t>(value), 0x03};
}

// The colour a control shows in the middle of its left edge, inside its border.
std::array<int, 3> shownColour(QWidget& control);
std::array<int, 3> paletteColour(const QWidget& control, QPalette::ColorRole role);

} // namespace rl4::test
