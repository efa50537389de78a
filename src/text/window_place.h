#pragma once

#include <cstdint>

namespace rl4 {

// Where a window stands on the screen, in twips, as the settings keep it.
struct WindowPlace {
    std::int16_t left = 0;
    std::int16_t top = 0;

    bool operator==(const WindowPlace&) const = default;
};

// Keeps a tool window's place between runs. The models of the tool windows open at the kept place and
// report where the windows put them instead, without knowing where the places are kept.
class PlaceKeeper {
public:
    virtual ~PlaceKeeper() = default;

    virtual WindowPlace keptPlace() const = 0;
    // The window opened elsewhere than its kept place (none kept, or out of sight): the new place is kept,
    // and is no move of the operator's to ask about at shutdown.
    virtual void placed(WindowPlace place) = 0;
};

} // namespace rl4
