// The port map file as anything may have left it: the reader skips what it cannot use, and mapping one
// port over such a file makes that port reach the new target while every other port keeps its own.

#include "fuzz_support.h"
#include "platform/port_map.h"
#include "platform/port_map_file.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using rl4::PortMap;
    FuzzedDataProvider in(data, size);
    const int number = in.ConsumeIntegralInRange<int>(PortMap::kFirstMapped - 1, PortMap::kLastMapped + 1);
    const std::string target = in.ConsumeRandomLengthString(40);
    const std::string file = in.ConsumeRemainingBytesAsString();
    rl4::fuzz::writeInput(PortMap::kFileName, reinterpret_cast<const std::uint8_t*>(file.data()),
                          file.size());

    const std::string& folder = rl4::fuzz::scratch().folder();
    const PortMap before = PortMap::load(folder);
    for (int n = PortMap::kFirstPort - 1; n <= PortMap::kLastPort + 1; ++n) {
        const bool inRange = n >= PortMap::kFirstPort && n <= PortMap::kLastPort;
        RL4_FUZZ_CHECK(before.target(n).empty() != inRange);
    }
    before.targetOfDevice("com" + std::to_string(number));

    const rl4::PortMappingResult result = rl4::writePortMapping(folder, number, target);
    result.describe(rl4::PortTextLanguage::French);
    if (!result.done())
        return 0;
    const PortMap after = PortMap::load(folder);
    RL4_FUZZ_CHECK(after.target(number) == result.target);
    for (int n = PortMap::kFirstMapped; n <= PortMap::kLastMapped; ++n)
        RL4_FUZZ_CHECK(n == number || after.target(n) == before.target(n));
    return 0;
}
