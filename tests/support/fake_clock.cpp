#include "support/fake_clock.h"

#include <cstdio>

namespace rl4 {

void FakeClock::waitUntil(std::int64_t micros) {
    if (micros > now_)
        now_ = micros;
}

std::string FakeClock::timeOfDay() {
    // Counts the fake microseconds as time since midnight, so rows made in a test read predictably.
    const std::int64_t seconds = (now_ / 1'000'000) % 86400;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", static_cast<int>(seconds / 3600),
                  static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
    return text;
}

} // namespace rl4
