#pragma once

#include <cstdint>
#include <ctime>

namespace rl4::sim {

inline constexpr std::int64_t kNanosPerSecond = 1'000'000'000;
inline constexpr std::int64_t kNanosPerMilli = 1'000'000;
inline constexpr std::int64_t kNanosPerMicro = 1'000;

// The clock that pacing sleeps against (CLOCK_MONOTONIC), in nanoseconds.
inline std::int64_t monotonicNanos() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNanosPerSecond + now.tv_nsec;
}

} // namespace rl4::sim
