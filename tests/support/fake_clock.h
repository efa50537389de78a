#pragma once

#include "platform/clock.h"

#include <algorithm>
#include <cstdio>

namespace rl4 {

// A clock that only moves when told to: pauses and waits advance it at once.
class FakeClock : public Clock {
public:
    explicit FakeClock(std::int64_t startMicros = 1'000'000) : now_(startMicros) {}

    std::int64_t nowMicros() override { return now_; }
    void pause(int milliseconds) override { advance(std::int64_t{milliseconds} * 1000); }
    void waitUntil(std::int64_t micros) override { now_ = std::max(now_, micros); }
    void beep() override { ++beeps_; }
    // The fake microseconds count as time since midnight, so rows made in a test read predictably.
    std::string timeOfDay() override {
        const int seconds = static_cast<int>(now_ / 1'000'000 % 86400);
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
        return text;
    }

    void advance(std::int64_t micros) { now_ += micros; }
    int beeps() const { return beeps_; }

private:
    std::int64_t now_;
    int beeps_ = 0;
};

} // namespace rl4
