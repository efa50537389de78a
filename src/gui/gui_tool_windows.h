#pragma once

#include "gui/gui_listener_hub.h"

#include <QWidget>
#include <functional>
#include <map>
#include <memory>

namespace rl4 {

// The windows that the main window's commands ask for by menu id (EngineListener::windowRequested,
// engine/menu_ids.h): the switcher control, the history, the configuration, the debug window, the
// assignment editor, the matrix information. Each is made by the factory added for its id the first time it
// is asked for, and shown and raised every time; a window that listens to the engine joins the hub while it
// exists. An id without a factory asks for nothing.
class ToolWindows : public EngineListener {
public:
    using Factory = std::function<std::unique_ptr<QWidget>()>;

    explicit ToolWindows(ListenerHub& hub) : hub_(hub) {}
    ~ToolWindows() override;
    ToolWindows(const ToolWindows&) = delete;
    ToolWindows& operator=(const ToolWindows&) = delete;

    void add(int menuId, Factory factory);
    void windowRequested(int menuId) override;
    // The window made for an id, or nullptr while none was asked for.
    QWidget* window(int menuId) const;
    // The program ends: every tool window goes, before the engine it draws.
    void closeAll();

private:
    ListenerHub& hub_;
    std::map<int, Factory> factories_;
    std::map<int, std::unique_ptr<QWidget>> windows_;
};

} // namespace rl4
