#pragma once

#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <limits>

namespace rl4 {

// The program keeps sizes and places in twips, 1440 to the inch; the screen's logical DPI turns them into
// pixels and back.
inline constexpr int kTwipsPerInch = 1440;

inline int twipsToPixels(int twips, int dpi) {
    return qRound(static_cast<double>(twips) * dpi / kTwipsPerInch);
}

// The settings keep 16-bit numbers: a window beyond their reach is kept at the edge of it.
inline std::int16_t pixelsToTwips(int pixels, int dpi) {
    const long twips = qRound(static_cast<double>(pixels) * kTwipsPerInch / std::max(dpi, 1));
    return static_cast<std::int16_t>(std::clamp<long>(twips, std::numeric_limits<std::int16_t>::min(),
                                                      std::numeric_limits<std::int16_t>::max()));
}

} // namespace rl4
