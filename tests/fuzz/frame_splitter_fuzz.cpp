// The software matrix's frame splitter over any byte stream, cut into chunks at any times: every byte
// comes out once, in order, and what it calls a frame has that form's framing.

#include "fuzz_support.h"
#include "sim/frame_splitter.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace rl4::sim;

namespace {

void checkFrame(const SplitItem& item, ProtocolChoice protocol) {
    const Bytes& b = item.bytes;
    if (item.form == FrameForm::Five) {
        RL4_FUZZ_CHECK(protocol != ProtocolChoice::Four);
        RL4_FUZZ_CHECK(b.size() == kFiveByteLength && b[0] == kStx && b[4] == kEtx);
        decodeFive(b);
        return;
    }
    RL4_FUZZ_CHECK(protocol != ProtocolChoice::Five);
    RL4_FUZZ_CHECK(b.size() == kFourByteLength && (b[0] & 0x80) == 0);
    for (std::size_t k = 1; k < b.size(); ++k)
        RL4_FUZZ_CHECK((b[k] & 0x80) != 0);
    const Frame frame = decodeFour(b);
    RL4_FUZZ_CHECK(frame.data1 >= 0 && frame.data1 <= 255 && frame.data2 >= 0 && frame.data2 <= 255);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const auto protocol = static_cast<ProtocolChoice>(in.ConsumeIntegralInRange<int>(0, 2));
    FrameSplitter splitter(protocol);
    Bytes pushed, split;
    std::int64_t now = 0;
    auto take = [&](const std::vector<SplitItem>& items) {
        for (const SplitItem& item : items) {
            RL4_FUZZ_CHECK(!item.bytes.empty() && item.startMicros <= now);
            if (item.kind == SplitItem::Kind::Frame)
                checkFrame(item, protocol);
            split.insert(split.end(), item.bytes.begin(), item.bytes.end());
        }
    };
    while (in.remaining_bytes() > 0) {
        // Gaps around the stale limit matter most: a few steps of either side of it.
        now += in.ConsumeIntegralInRange<std::int64_t>(0, 3) * (FrameSplitter::kStaleMicros / 2);
        if (in.ConsumeBool()) {
            take(splitter.expire(now));
            continue;
        }
        const Bytes chunk = in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 9));
        pushed.insert(pushed.end(), chunk.begin(), chunk.end());
        take(splitter.push(chunk, now));
        if (const auto deadline = splitter.staleDeadline())
            RL4_FUZZ_CHECK(*deadline > now);
    }
    take(splitter.reset());
    RL4_FUZZ_CHECK(!splitter.staleDeadline());
    RL4_FUZZ_CHECK(split == pushed);
    return 0;
}
