// The link's read-and-decode pass over whatever the line brings, in either frame form: bytes that arrive
// before a request, while it waits for its answer (the 4-byte form matches answers to requests) and
// between requests, decoded by the engine's own reply rules into its routing table, VCA panel and history.

#include "fuzz_engine.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    rl4::fuzz::EngineRig rig;
    rl4::Engine& engine = rig.engine;
    rig.assignObjects();
    // A current destination, so that VCA reports for its output reach the panel.
    engine.rowClicked(0);
    rl4::Link& link = engine.link();
    link.setProtocolLength(in.ConsumeBool() ? 4 : 5);
    link.setPortNumber(1);
    link.OpenPort();
    link.setHistoryOpen(true);
    engine.history().frmhisto_Load();
    rl4::MemoryChannel& line = rig.opener.channel(1);

    constexpr std::int64_t kStep = 50'000; // the 4-byte first-byte wait is six steps
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange<int>(0, 3)) {
        case 0: {
            const auto bytes = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(1, 12));
            line.deliver(bytes, in.ConsumeIntegralInRange<std::int64_t>(0, 8) * kStep);
            break;
        }
        case 1: // values up to 300 take in 256, which no frame carries, and 257, the not-assigned mark
            link.SendCommand({in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegralInRange<int>(0, 127),
                              in.ConsumeIntegralInRange<int>(0, 31), in.ConsumeIntegralInRange<int>(0, 300),
                              in.ConsumeIntegralInRange<int>(0, 300)});
            break;
        case 2:
            engine.mainLoopPass();
            break;
        case 3:
            rig.clock.advance(in.ConsumeIntegralInRange<std::int64_t>(0, 8) * kStep);
            break;
        }
    }
    // Reports turn connectors back into objects: nothing else reaches the table.
    const rl4::RoutingTable& routing = engine.routing();
    for (int d = 1; d <= rl4::fuzz::EngineRig::kObjects; ++d) {
        for (rl4::Layer layer : rl4::kLayers) {
            for (int source : {routing.wanted(layer, d), routing.held(layer, d)})
                RL4_FUZZ_CHECK((source >= 0 && source <= rl4::fuzz::EngineRig::kObjects) ||
                               source == rl4::NotAssigned);
        }
        RL4_FUZZ_CHECK(routing.vcaLevel[d] >= 0 && routing.vcaLevel[d] <= 31);
    }
    return 0;
}
