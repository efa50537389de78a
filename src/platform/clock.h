#pragma once

#include <cstdint>
#include <string>

namespace rl4 {

// Time as the program sees it. Tests replace it with FakeClock so that time-outs run without sleeping.
class Clock {
public:
    virtual ~Clock() = default;

    // Monotonic time in microseconds.
    virtual std::int64_t nowMicros() = 0;
    // Blocks the caller (or, for a fake clock, moves time on) by the given number of milliseconds.
    virtual void pause(int milliseconds) = 0;
    // Lets time run until the monotonic clock reads at least `micros`.
    virtual void waitUntil(std::int64_t micros) = 0;
    virtual void beep() = 0;
    // Local time of day as "hh:mm:ss".
    virtual std::string timeOfDay() = 0;
};

} // namespace rl4
