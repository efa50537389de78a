#include "gui/gui_tool_windows.h"

namespace rl4 {

ToolWindows::~ToolWindows() {
    closeAll();
}

void ToolWindows::add(int menuId, Factory factory) {
    factories_[menuId] = std::move(factory);
}

void ToolWindows::windowRequested(int menuId) {
    auto made = windows_.find(menuId);
    if (made == windows_.end()) {
        const auto factory = factories_.find(menuId);
        if (factory == factories_.end())
            return;
        made = windows_.emplace(menuId, factory->second()).first;
        if (auto* listener = dynamic_cast<EngineListener*>(made->second.get()))
            hub_.join(listener);
    }
    made->second->show();
    made->second->raise();
    made->second->activateWindow();
}

QWidget* ToolWindows::window(int menuId) const {
    const auto made = windows_.find(menuId);
    return made == windows_.end() ? nullptr : made->second.get();
}

void ToolWindows::closeAll() {
    for (auto& [id, window] : windows_) {
        if (auto* listener = dynamic_cast<EngineListener*>(window.get()))
            hub_.leave(listener);
        window->close();
    }
    windows_.clear();
}

} // namespace rl4
