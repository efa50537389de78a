#pragma once

#include "engine/engine.h"
#include "engine/main_commands.h"
#include "gui/gui_listener_hub.h"
#include "gui/gui_tool_windows.h"
#include "gui/main_window.h"
#include "support/fake_clock.h"
#include "support/memory_port_opener.h"
#include "support/scratch_folder.h"
#include "support/scripted_prompt.h"

#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

namespace rl4::test {

using Frame = std::vector<std::uint8_t>;

// The window program without its start-up: an engine in a scratch folder on a fake clock and in-memory
// ports, the main window, and the tool windows registered as the program registers them. The assignment:
// sources 1 "Camera 1" (video 1, audio 1), 2 "Camera 2" (2 on every layer), 3 "Tape" (audio 3 only),
// 4 "Graphics" (RGB 4, YC 4); destinations 1 "Monitor" (video, audio, RGB 1; no YC), 2 "Booth" (no
// output), 3 "Studio" (3 on every layer). Monitor is the current destination.
class ToolRig {
public:
    ToolRig();
    ~ToolRig();
    ToolRig(const ToolRig&) = delete;
    ToolRig& operator=(const ToolRig&) = delete;

    // A matrix on port 1 speaking the given frame form; it answers each frame with its own echo while
    // `echo` is set, and a VCA setup request with `vcaSetup`.
    void connect(int protocolLength);
    // No port: the link answers every frame with its own echo.
    void simulate(int protocolLength);
    std::vector<Frame> takeWritten();
    // Makes d current as a click on its row does.
    void selectDestination(int d);

    // The window the main window's command `menuId` opened, found by its object name.
    template <typename Control = QWidget>
    Control* control(int menuId, const char* name) {
        QWidget* window = tools.window(menuId);
        if (window == nullptr)
            return nullptr;
        if (window->objectName() == name)
            return qobject_cast<Control*>(window);
        return window->findChild<Control*>(name);
    }

    ScratchFolder folder;
    FakeClock clock;
    MemoryPortOpener opener{clock};
    ScriptedPrompt prompt;
    ListenerHub hub;
    Engine engine{folder.folder(), clock, opener, prompt, hub};
    MainCommands commands{engine, [] { return MainWindowGeometry{}; }};
    MainWindow mainWindow{engine, commands};
    ToolWindows tools{hub};

    std::vector<Frame> written;
    bool echo = true;
    int vcaSetup = 0;

private:
    void setSource(int s, const std::string& name, std::array<int, 4> inputs);
    void setDestination(int d, const std::string& name, std::array<int, 4> outputs);

    Frame pending_;
};

inline Frame switchFrame(char letter, int output, int input) {
    return {0x02, static_cast<std::uint8_t>(letter), static_cast<std::uint8_t>(output),
            static_cast<std::uint8_t>(input), 0x03};
}

} // namespace rl4::test
