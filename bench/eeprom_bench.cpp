// Times the EEPROM image builder on full assignments: the upload's own time must vanish beside the wire's
// (a 4-byte upload of the smaller layout needs about a minute at 9600 baud).

#include "eeprom/eeprom_image.h"
#include "eeprom/eeprom_upload.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <time.h>
#include <vector>

namespace rl4 {
namespace {

// Every object named, on a connector of each layer and on a touch of its own.
Assignments fullAssignment(int sources, int destinations) {
    Assignments a;
    a.setFixedSpecialNames();
    a.editTable.sourceCount = sources;
    a.editTable.destinationCount = destinations;
    for (int s = 1; s <= sources; ++s) {
        Source& source = a.editTable.sources[static_cast<std::size_t>(s)];
        source.name = "Caméra " + std::to_string(s);
        source.Vin = source.Ain = source.Rin = source.YWi = s;
        source.Kin = s - 1;
    }
    for (int d = 1; d <= destinations; ++d) {
        Destination& destination = a.editTable.destinations[static_cast<std::size_t>(d)];
        destination.name = "Moniteur " + std::to_string(d);
        destination.Vou = destination.Aou = destination.Rou = destination.YWo = d;
        destination.Kou = (sources + d - 1) % 256;
    }
    a.ApplyEditTable();
    return a;
}

double threadMicros() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// Wall time and the thread's own processor time: on a shared machine the two differ by what others took.
template <typename Work>
void measure(const char* what, Work work) {
    constexpr int kRuns = 500;
    std::vector<double> wall;
    std::vector<double> cpu;
    std::size_t sink = 0;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadMicros();
        sink += work();
        cpu.push_back(threadMicros() - cpuStart);
        wall.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    std::printf("%-44s wall median %6.1f us, fastest %6.1f us; processor median %6.1f us   (%zu)\n", what,
                wall[wall.size() / 2], wall.front(), cpu[cpu.size() / 2], sink / kRuns);
}

} // namespace
} // namespace rl4

int main() {
    using namespace rl4;
    MessageTable messages;
    const Assignments larger = fullAssignment(128, 128);
    const Assignments smaller = fullAssignment(80, 80);
    measure("4-byte, 128-object layout: messages",
            [&] { return buildEepromUpload(larger, 4, messages).messages.size(); });
    measure("4-byte, 80-object layout: messages",
            [&] { return buildEepromUpload(smaller, 4, messages).messages.size(); });
    measure("5-byte, 128 touches: messages",
            [&] { return buildEepromUpload(larger, 5, messages).messages.size(); });
    measure("4-byte, 128-object layout: messages + image",
            [&] { return eepromImage(buildEepromUpload(larger, 4, messages)).size(); });
    return 0;
}
