#include "support/core_driver.h"

namespace rl4::sim::test {

std::vector<Bytes> CoreDriver::sent(const Bytes& bytes) {
    nowMicros += 1000;
    std::vector<Bytes> frames;
    for (SimEvent& event : core.feed(bytes, nowMicros)) {
        if (event.kind == SimEvent::Kind::Sent) {
            frames.push_back(std::move(event.bytes));
        }
    }
    return frames;
}

Bytes CoreDriver::ask(const Bytes& request) {
    std::vector<Bytes> frames = sent(request);
    return frames.empty() ? Bytes{} : frames.front();
}

} // namespace rl4::sim::test
