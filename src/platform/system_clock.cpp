#include "platform/system_clock.h"

#include <chrono>
#include <ctime>
#include <thread>
#include <unistd.h>

namespace rl4 {

namespace {

using SteadyClock = std::chrono::steady_clock;

} // namespace

std::int64_t SystemClock::nowMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now().time_since_epoch())
        .count();
}

void SystemClock::pause(int milliseconds) {
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SystemClock::waitUntil(std::int64_t micros) {
    std::this_thread::sleep_until(SteadyClock::time_point(std::chrono::microseconds(micros)));
}

void SystemClock::beep() {
    if (::isatty(STDERR_FILENO) == 1) {
        // A bell that cannot be written is not worth telling anyone about.
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, "\a", 1);
    }
}

std::string SystemClock::timeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[16] = "00:00:00";
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

} // namespace rl4
