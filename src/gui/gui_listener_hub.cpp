#include "gui/gui_listener_hub.h"

#include <algorithm>

namespace rl4 {

void ListenerHub::join(EngineListener* listener) {
    if (!joined(listener))
        listeners_.push_back(listener);
}

bool ListenerHub::joined(const EngineListener* listener) const {
    return std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end();
}

void ListenerHub::leave(EngineListener* listener) {
    std::erase(listeners_, listener);
}

} // namespace rl4
