#pragma once

#include "platform/clock.h"

namespace rl4 {

// The machine's clock: a monotonic microsecond count, sleeping pauses and the terminal bell.
class SystemClock : public Clock {
public:
    std::int64_t nowMicros() override;
    void pause(int milliseconds) override;
    void waitUntil(std::int64_t micros) override;
    // Rings the terminal bell when stderr is a terminal; elsewhere (a log file, a pipe) a BEL would only
    // be noise.
    void beep() override;
    std::string timeOfDay() override;
};

} // namespace rl4
