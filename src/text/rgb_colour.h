#pragma once

namespace rl4 {

// A colour as the windows paint it: red, green and blue 0..255.
struct RgbColour {
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const RgbColour&, const RgbColour&) = default;
};

inline constexpr RgbColour kBlack{0, 0, 0};
inline constexpr RgbColour kWhite{255, 255, 255};

} // namespace rl4
