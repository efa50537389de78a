#pragma once

#include "platform/clock.h"

namespace rl4 {

// A clock that only moves when told to: pauses and waits advance it at once.
class FakeClock : public Clock {
public:
    explicit FakeClock(std::int64_t startMicros = 1'000'000) : now_(startMicros) {}

    std::int64_t nowMicros() override { return now_; }
    void pause(int milliseconds) override { advance(std::int64_t{milliseconds} * 1000); }
    void waitUntil(std::int64_t micros) override;
    void beep() override { ++beeps_; }
    std::string timeOfDay() override;

    void advance(std::int64_t micros) { now_ += micros; }
    int beeps() const { return beeps_; }

private:
    std::int64_t now_;
    int beeps_ = 0;
};

} // namespace rl4
