#pragma once

#include <cstdint>

namespace rl4 {

// Where a window stands on the screen, in twips, as the settings keep it.
struct WindowPlace {
    std::int16_t left = 0;
    std::int16_t top = 0;

    bool operator==(const WindowPlace&) const = default;
};

} // namespace rl4
